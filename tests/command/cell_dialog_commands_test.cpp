// File and cell commands, the cell dialogs and layer names as a user reaches them: typed command
// names with the shipped command file, the dialog's actions played by the host, and the design
// read back afterwards.
#include <gtest/gtest.h>

#include "command/cell_dialogs.h"
#include "command/text_dialogs.h"
#include "db/cad_file.h"
#include "db/cell_directory.h"
#include "db/design_builder.h"
#include "db/design_header.h"
#include "db/design_image.h"
#include "db/layer_names.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::command {
namespace {

using Session = lav::testing::TypingSession;
using lav::testing::Split;

int lineOf(const db::CellListDialog& d, const std::string& name) {
  for (std::size_t i = 0; i < d.lines.size(); ++i)
    if (d.lines[i] == name) return static_cast<int>(i);
  return -1;
}

bool hasCell(const AppState& app, const std::string& name) {
  return db::FindCell(app.design.image, name).result == db::FindResult::Found;
}

class CellDialogCommands : public Session {
 protected:
  void SetUp() override {
    Session::SetUp();
    type("NEW TOP.CAD");
    type("MKCELL A");
    type("MKCELL B");
    ASSERT_TRUE(hasCell(app, "A") && hasCell(app, "B"));
    ASSERT_TRUE(takeBoxes().empty());
  }
  template <typename Dialog, typename Fn>
  void onDialog(const char* kind, Fn fn) {
    host.dialogHandlers[kind] = [fn](DialogModel& m) {
      auto& d = dynamic_cast<Dialog&>(m);
      fn(d);
      d.finished = true;
    };
  }
};

// Renaming by words, a missing cell to rename and the copy and rename dialogs opened by their bare
// names are run in the batch tests.
TEST_F(CellDialogCommands, TheDialogsOpenOrTakeTheirFieldsAsWordsEvenFromAnotherDesign) {
  const std::string notFound =
      "が見つかりません。セル名では大文字と小文字を区別しますので正確に入力しなければなりません。";
  struct Case {
    const char* line;
    const char* present;          // a cell that must exist afterwards, or null
    const char* absent;           // a cell that must not, or null
    std::string box;              // the refusal shown, or empty
    const char* shown = nullptr;  // the dialog shown for the fields not given
  } cases[] = {
      {"COPYCELL A A2", "A2", nullptr, ""},
      {"DELCELL A2", nullptr, "A2", ""},
      {"UNDELCELL A2", "A2", nullptr, ""},
      {"DELCELL NOSUCH", "A2", nullptr, "セル NOSUCH " + notFound},
      {"UNDELCELL NOSUCH", nullptr, "NOSUCH", "セル NOSUCH " + notFound},
      {"RENCELL A", "A", nullptr, "", "cell-rename"},  // the dialog asks for the new name
      // Without words each opens its dialog.
      {"DELCELL", nullptr, nullptr, "", "cell-delete"},
      {"UNDELCELL", nullptr, nullptr, "", "cell-restore"},
  };
  for (const auto& c : cases) {
    host.dialogsRun.clear();
    type(c.line);
    EXPECT_TRUE(!c.present || hasCell(app, c.present)) << c.line;
    EXPECT_TRUE(!c.absent || !hasCell(app, c.absent)) << c.line;
    const auto boxes = takeBoxes();
    EXPECT_EQ(boxes, c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box})
        << c.line;
    EXPECT_EQ(host.dialogsRun,
              c.shown ? std::vector<std::string>{c.shown} : std::vector<std::string>{})
        << c.line;
    EXPECT_EQ(app.dispatch.current, 0) << c.line;
  }
  host.dialogsRun.clear();
  type("CELLS B");
  EXPECT_EQ(app.design.current.name, "B");
  type("TEXT two  words");  // the rest of the line, as the substitution joined it
  EXPECT_EQ(app.settings.text, "two words");
  EXPECT_TRUE(host.dialogsRun.empty());
  // Cells copied out of another design named in words (the copy dialog itself is played with
  // the cell commands of the design).
  type("CLOSE");
  ASSERT_TRUE(std::filesystem::exists("TOP.cad"));  // the extension as the program writes it
  type("NEW MAIN.CAD");
  // The design (.CAD added) and the cells, each under its own name; no dialog.
  type("IMPCELL top A B");
  EXPECT_TRUE(takeBoxes().empty());
  EXPECT_TRUE(hasCell(app, "A") && hasCell(app, "B"));
  EXPECT_TRUE(host.dialogsRun.empty());
  EXPECT_FALSE(app.design.source.allocated());  // the second design is let go afterwards
}

TEST_F(CellDialogCommands, TheCellListOrTheNamePromptOpensACellWhichKeepsALeadingMarker) {
  type("OCELL A");
  onDialog<db::CellNamesDialog>("cell-list", [](auto& d) {
    ASSERT_TRUE(d.selectLine(lineOf(d, "B")));
    EXPECT_TRUE(d.pressSelect());
  });
  type("CELLS");
  EXPECT_EQ(app.design.current.name, "B");
  EXPECT_TRUE(printed("Cell Name: B"));
  EXPECT_EQ(prompt(), "? ");
  for (const auto& typed : {Split("PLACECELL ?"), Split("PLACECELL|?")}) {
    app.settings.cellName.clear();
    for (const auto& t : typed) type(t);
    EXPECT_EQ(app.settings.cellName, "B") << typed.size();
    EXPECT_EQ(app.dispatch.current, 0);
  }
  // Closing the list without a choice keeps the old name.
  host.dialogHandlers["cell-list"] = [](DialogModel& m) { m.finished = true; };
  type("PLACECELL ?");
  EXPECT_EQ(app.settings.cellName, "B");
  EXPECT_EQ(app.dispatch.current, 0);
  // OCELL asks for the name and keeps a leading marker.
  struct Case {
    std::vector<std::string> typed;
    const char* opened;
    int marker;
  } cases[] = {
      {{"OCELL", "A"}, "A", 0},
      {{"OCELL 1", "B"}, "B", 1},
      {{"OCELL 0 A"}, "A", 0},
      {{"OCELL 1 B"}, "B", 1},
  };
  for (const auto& c : cases) {
    app.dispatch.resumeMarker = 7;
    for (const auto& t : c.typed) type(t);
    EXPECT_EQ(app.design.current.name, c.opened) << c.typed.front();
    EXPECT_EQ(app.dispatch.current, 0) << c.typed.front();
    EXPECT_EQ(app.dispatch.resumeMarker, c.marker) << c.typed.front();
  }
  EXPECT_TRUE(printed("Cell Name: A"));
  EXPECT_TRUE(takeBoxes().empty());
}

// Commands typed without a design open.
using WithoutADesign = Session;

TEST_F(WithoutADesign,
       CellDialogsAndLayerNamesAreRefusedWithoutADesignAndNamesSurviveCloseAndOpen) {
  for (const char* line : {"COPYCELL", "RENCELL", "DELCELL", "UNDELCELL", "CELLS", "IMPCELL"}) {
    type(line);
    EXPECT_EQ(
        takeBoxes(),
        std::vector<std::string>{"ファイルは開かれていませんのでセル名の参照はできませんでした"})
        << line;
    EXPECT_TRUE(host.dialogsRun.empty()) << line;
  }
  // Layer names: refused, stored, and kept over close and open.
  type("LNAME 3 X");
  EXPECT_EQ(takeBoxes(), std::vector<std::string>{"ファイルはまだ開かれていません"});
  type("NEW L.CAD");
  for (const char* line : {"LNAME 64 X", "LNAME -1 X", "LNAME Q X"}) {
    type(line);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"層の番号は 0 から 63 です。"}) << line;
  }
  EXPECT_EQ(app.design.image.bytes[db::kLayerNamesFlagOffset], 0);  // nothing was allocated
  const std::int32_t before = app.design.image.usedSize;
  type("LNAME 3 METAL1");
  EXPECT_EQ(app.design.image.usedSize, before + db::kLayerNamesBlockSize);
  type("LNAME 4 VIA");
  EXPECT_EQ(app.design.image.usedSize, before + db::kLayerNamesBlockSize);  // one block
  type("LNAME 5 ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_TRUE(takeBoxes().empty());

  host.dialogHandlers["layer-name"] = [](DialogModel& m) {
    auto& d = dynamic_cast<TextEditDialog&>(m);
    d.setText(sjis::fromUtf8("配線"));
    d.pressOk();
  };
  type("LNAME 7");
  EXPECT_EQ(sjis::toUtf8(db::LayerName(app.design.image, 7)), "配線");

  host.dialogHandlers["layer-name-list"] = [](DialogModel& m) {
    auto& d = dynamic_cast<TextListDialog&>(m);
    EXPECT_EQ(d.texts.size(), 64u);
    EXPECT_EQ(sjis::toUtf8(d.texts[7]), "配線");
    d.setText(0, "SUB");
    d.setText(7, "");
    d.pressOk();
  };
  type("LNAME");
  EXPECT_EQ(db::LayerName(app.design.image, 0), "SUB");
  EXPECT_EQ(db::LayerName(app.design.image, 7), "");

  host.dialogHandlers["layer-name-list"] = [](DialogModel& m) {
    auto& d = dynamic_cast<TextListDialog&>(m);
    d.setText(0, "LOST");
    d.pressCancel();
  };
  type("LNAME");  // cancelled: "LOST" is not kept
  type("CLOSE");
  type("OPEN L.CAD");
  EXPECT_EQ(db::LayerName(app.design.image, 0), "SUB");
  EXPECT_EQ(db::LayerName(app.design.image, 3), "METAL1");
  EXPECT_EQ(db::LayerName(app.design.image, 4), "VIA");
  EXPECT_EQ(db::LayerName(app.design.image, 5), "ABCDEFGHIJKLMNOPQRST");  // 20 bytes
  EXPECT_EQ(db::LayerName(app.design.image, 6), "");
}

TEST(LayerNames, AFullImageRefusesTheBlockAndChangesNothing) {
  db::DesignImage image;
  db::CreateEmptyImage(image);
  image.maxSize = db::kClassicImageSize;
  image.usedSize = db::kClassicImageSize - db::kLayerNamesBlockSize + 1;
  const auto copy = image.bytes;
  EXPECT_EQ(db::SetLayerName(image, 1, "M1"), db::LayerNameResult::NoRoom);
  EXPECT_EQ(image.bytes, copy);
  image.usedSize = db::kClassicImageSize - db::kLayerNamesBlockSize;
  EXPECT_EQ(db::SetLayerName(image, 1, "M1"), db::LayerNameResult::Stored);
  EXPECT_EQ(image.usedSize, db::kClassicImageSize);
  // A two-byte character is never split at the 20-byte limit.
  const std::string name = "1234567890123456789" + sjis::fromUtf8("層");
  EXPECT_EQ(db::SetLayerName(image, 2, name), db::LayerNameResult::Stored);
  EXPECT_EQ(db::LayerName(image, 2), "1234567890123456789");
}

TEST_F(WithoutADesign, TheOpenDialogsChoiceAnswersThePromptAndOnlyAnOpenCutShortSaysAbortion) {
  // The open dialog's choice answers the prompt alone.
  type("NEW X.CAD");
  type("CLOSE");
  for (const char* line : {"OPEN", "OPEN ?", "OPEN 0"}) {
    host.fileChoices.push_back(std::string("X.cad"));
    lines.clear();
    type(line);
    EXPECT_TRUE(app.design.isOpen()) << line;
    EXPECT_TRUE(printed("File Name: X.cad")) << line;
    type("CLOSE 0");
  }
  // Only an open cut short says abortion.
  {
    db::DesignState d;
    db::testing::NewImage(d);
    db::testing::FillRealistic(d, 40, 400);
    const auto bytes = db::EncodeFile(d.image);
    testing::WriteFile("BIG.CAD", std::string(bytes.begin(), bytes.end()));
  }
  struct Case {
    const char* typed;
    bool escape;    // Escape pressed while it runs
    bool abortion;  // "*** Abortion ***" printed
    std::size_t boxes;
  } cases[] = {
      {"OPEN BIG.CAD", true, true, 0},
      {"OPEN NOSUCH", false, false, 1},  // the other refused opens are the design's tests
      {"OPEN BIG.CAD", false, false, 0},
  };
  for (const auto& c : cases) {
    host.onMessageStep = [&](bool& go) { go = go && !c.escape; };
    lines.clear();
    type(c.typed);
    EXPECT_EQ(printed("*** Abortion ***"), c.abortion) << c.typed;
    EXPECT_EQ(takeBoxes().size(), c.boxes) << c.typed;
    EXPECT_EQ(app.design.isOpen(), !c.abortion && c.boxes == 0) << c.typed;
  }
}

}  // namespace
}  // namespace lav::command
