// Damaged DXF text: every truncation and a few thousand random mutations of a file with every
// entity kind end with a result (normal end or an error line), a sound design and no hang.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "db/cell_directory.h"
#include "db/directory_walk.h"
#include "db/element_stream.h"
#include "dxf_test_support.h"
#include "interchange/dxf_reader.h"
#include "platform/scripted_host.h"
#include "state/app_state.h"

namespace lav::interchange {
namespace {

using testing::Groups;
using testing::TextOf;

std::string SampleFile() {
  return TextOf(Groups(
      "0 SECTION 2 HEADER 9 $ACADVER 1 AC1021 0 ENDSEC "
      "0 SECTION 2 TABLES 0 TABLE 2 LAYER 70 3 0 LAYER 2 A 70 0 0 LAYER 2 7 70 0 0 LAYER 2 B 70 0 "
      "0 ENDTAB 0 ENDSEC "
      "0 SECTION 2 BLOCKS 0 BLOCK 8 0 2 LEAF 70 0 10 0 20 0 "
      "0 LINE 8 A 10 0 20 0 11 1 21 0 0 LINE 8 A 10 1 20 0 11 1 21 1 "
      "0 ARC 8 A 10 0 20 0 40 1 50 90 51 180 0 ENDBLK 8 0 "
      "0 BLOCK 8 0 3 TOP 70 0 10 0 20 0 0 INSERT 8 0 2 LEAF 10 1 20 1 41 2 42 -2 50 30 "
      "0 INSERT 2 TOP 10 0 20 0 0 ENDBLK "
      "0 ENDSEC 0 SECTION 2 ENTITIES "
      "0 CIRCLE 8 B 10 5 20 5 40 2.5 "
      "0 SOLID 8 7 10 0 20 0 11 4 21 0 12 0 22 3 13 4 23 3 "
      "0 POLYLINE 8 B 66 1 70 1 40 0.5 41 0.5 0 VERTEX 10 0 20 0 42 0.5 0 VERTEX 10 5 20 0 "
      "0 VERTEX 10 5 20 5 42 -1 0 VERTEX 10 0 20 5 0 SEQEND 8 B "
      "0 LWPOLYLINE 5 2F 100 AcDbPolyline 8 B 90 3 70 1 43 0.5 10 0 20 0 42 1 10 5 20 0 10 5 20 5 "
      "42 -0.5 0 MTEXT 1 SKIPPED "
      "0 TEXT 8 A 10 1 20 2 40 1.5 1 HELLO\\U+65E5 50 45 "
      "0 INSERT 8 0 2 LEAF 10 3 20 4 70 3 71 2 44 10 45 5 "
      "0 INSERT 2 MISSING 10 0 20 0 41 1 42 1 "
      "0 ENDSEC 0 EOF"));
}

class DxfDamage : public ::testing::Test {
 protected:
  // Reads text into a fresh design; checks that every cell's stream reads to its end.
  DxfStop readInto(std::string_view text) {
    db::CreateEmptyImage(app.design.image);
    app.design.path = "/nonexistent/damage.cad";
    db::ClearCurrent(app.design);
    app.continueFlag = true;
    DxfReader reader(app, text, {});
    const DxfStop stop = reader.run();
    if (stop == DxfStop::Syntax) {
      EXPECT_GT(reader.errorLine(), 0);
    }
    for (const std::int32_t slot : db::DirectorySlots(app.design.image)) {
      const db::CellEntry e = db::ReadCellEntry(app.design.image, slot);
      if (e.isFree()) break;
      const db::ReadEnd end = db::ReadElements(app.design.image, e, [&](const db::RecordView& r) {
        EXPECT_LE(r.bytes.size(), 2006u);
        return true;
      });
      EXPECT_EQ(end, db::ReadEnd::Complete) << e.nameText();
    }
    return stop;
  }
  ScriptedHost host;
  AppState app{host};
};

TEST_F(DxfDamage, TheSampleReadsCleanlyAndEveryTruncationEndsWithAResult) {
  const std::string text = SampleFile();
  EXPECT_EQ(readInto(text), DxfStop::None);
  EXPECT_EQ(db::FindCell(app.design.image, "ENTITIES").result, db::FindResult::Found);
  for (std::size_t n = 0; n < text.size(); n += 1) {
    const DxfStop stop = readInto(std::string_view(text).substr(0, n));
    EXPECT_TRUE(stop == DxfStop::None || stop == DxfStop::Syntax) << n;
  }
}

TEST_F(DxfDamage, RandomMutationsEndWithAResult) {
  const std::string text = SampleFile();
  std::mt19937 rng(20261206);
  const char junk[] = {'\n', '\r', ' ', '0', '9', '-', '.', 'e', 'X', '\0', '\xff', '\x81'};
  for (int round = 0; round < 2500; ++round) {
    std::string t = text;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < edits; ++k) {
      const std::size_t at = rng() % t.size();
      switch (rng() % 5) {
        case 0:  // a byte replaced
          t[at] = junk[rng() % sizeof junk];
          break;
        case 1:  // a byte removed
          t.erase(at, 1);
          break;
        case 2:  // a line repeated
        {
          const std::size_t b = t.rfind('\n', at), e = t.find('\n', at);
          if (e != std::string::npos) {
            const std::size_t s = b == std::string::npos ? 0 : b + 1;
            t.insert(s, t.substr(s, e - s + 1));
          }
          break;
        }
        case 3:  // a stretch cut out
          t.erase(at, std::min<std::size_t>(rng() % 40, t.size() - at));
          break;
        default:  // a huge or odd number
          t.insert(at, rng() % 2 ? "1e300" : "nan");
      }
      if (t.empty()) t = " ";
    }
    const DxfStop stop = readInto(t);
    EXPECT_TRUE(stop == DxfStop::None || stop == DxfStop::Syntax)
        << round << " " << int(stop) << " " << (host.boxes.empty() ? "" : host.boxes.back().text);
  }
}

}  // namespace
}  // namespace lav::interchange
