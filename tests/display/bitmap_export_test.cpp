// Command 123: the Graphics Window's pixels in a .BMP file read back byte by byte, the name
// rule, and the files it must never touch or leave half written.
#include "display/bitmap_export.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "display/redraw.h"
#include "platform/byte_io.h"
#include "qt/qt_surface.h"
#include "support/qt_application.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::display {
namespace {

namespace fs = std::filesystem;
using lav::testing::OneBox;

std::vector<std::uint8_t> Slurp(const fs::path& p) {
  const std::string bytes = lav::testing::ReadFile(p);
  return {bytes.begin(), bytes.end()};
}

// The colour stored for window pixel (x, y) of a bottom-up 24-bit file.
Rgb FilePixel(const std::vector<std::uint8_t>& f, int x, int y) {
  const int w = le::getI32(f.data() + 18), h = le::getI32(f.data() + 22);
  const std::size_t at = 54 + std::size_t(h - 1 - y) * BitmapRowSize(w) + std::size_t(x) * 3;
  return MakeRgb(f[at + 2], f[at + 1], f[at]);
}

TEST(BitmapName, TheExtensionBecomesBmp) {
  const std::pair<const char*, const char*> cases[] = {
      {"plan", "plan.BMP"},
      {"plan.v2.bmp", "plan.v2.BMP"},
      {"plan.", "plan.BMP"},
      {"/tmp/x/CHIP.CAD", "/tmp/x/CHIP.BMP"},
      // A point in a folder's name is not the file's extension.
      {"rev.1/plan", "rev.1/plan.BMP"}};
  for (const auto& [typed, file] : cases) EXPECT_EQ(BitmapFileName(typed), file) << typed;
}

class BitmapExportTest : public testing::TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    lav::testing::EnsureQtApplication();
    typeAll({"NEW chip", "MKCELL TOP"});
    // A Graphics Window 801 pixels wide: rows of 2403 bytes padded to 2404.
    app.display.view.clientWidth = 801;
    app.display.view.clientHeight = 600;
    app.display.target = &window;
    host.boxes.clear();
  }
  void TearDown() override {
    app.display.target = nullptr;
    TypingSession::TearDown();
  }

  qt::QtSurface window{801, 600};
};

// A drawn design with a mark of its own colour in each corner, so that a row out of place shows.
TEST_F(BitmapExportTest, TheWindowsPixelsAreWrittenBottomUpWithTheirHeaders) {
  typeAll({"LAYER 4", "ETYPE 3", "XY 5 5 30 20", "OUTPUT", "FIT"});
  ASSERT_TRUE(RedrawNow(app));
  ASSERT_GT(lav::testing::CountColour(window.image(), window.image().rect(), Qt::red), 1000);
  window.setPixel(0, 0, MakeRgb(255, 0, 0));
  window.setPixel(800, 0, MakeRgb(0, 255, 0));
  window.setPixel(0, 599, MakeRgb(0, 0, 255));
  window.setPixel(800, 599, MakeRgb(1, 2, 3));
  type("BMP");  // the design's own name
  EXPECT_TRUE(host.boxes.empty());
  const auto f = Slurp(dir / "chip.BMP");
  const std::uint32_t size = 54 + 2404 * 600;
  ASSERT_EQ(f.size(), size);
  EXPECT_EQ(std::string(f.begin(), f.begin() + 2), "BM");
  const std::pair<int, std::uint32_t> fields[] = {{2, size}, {6, 0},    {10, 54},
                                                  {14, 40},  {18, 801}, {22, 600}};
  for (const auto& [offset, value] : fields)
    EXPECT_EQ(le::getU32(f.data() + offset), value) << offset;
  EXPECT_EQ(le::getU16(f.data() + 26), 1);  // one plane of 24 bits
  EXPECT_EQ(le::getU16(f.data() + 28), 24);
  for (int at = 30; at <= 50; at += 4)
    EXPECT_EQ(le::getU32(f.data() + at), 0u) << at;  // no compression, no palette
  // Rows bottom-up, blue-green-red: the marks in the corners show a row or a colour out of place.
  int differing = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 801; ++x) differing += FilePixel(f, x, y) != window.pixel(x, y);
  EXPECT_EQ(differing, 0);
  // The padding byte of every row is zero.
  for (int r = 0; r < 600; ++r) EXPECT_EQ(f[54 + std::size_t(r) * 2404 + 2403], 0) << r;
}

// Whatever the case of its name (one of the same case is refused in the batch tests).
TEST_F(BitmapExportTest, AnExistingFileIsNeverTouched) {
  write("keep/PLAN.Bmp", "old picture");
  type("BMP keep/plan.cad");
  EXPECT_TRUE(OneBox(host, "同名のファイル keep/plan.BMP が在ります。", "Error"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "keep"), fs::directory_iterator()), 1);
  EXPECT_EQ(read("keep/PLAN.Bmp"), "old picture");
}

TEST_F(BitmapExportTest, AFailedCreateOrWriteLeavesNoFileWithoutAWindowTheClientAreaIsWritten) {
  struct Case {
    const char* what;
    const char* name;
    BitmapWriteCall write;
  } cases[] = {{"no such folder", "nofolder/plan", {}},
               {"disk full after a part", "full",
                [n = 0](int fd, const std::uint8_t* data, std::size_t size) mutable -> long {
                  if (n++ == 0) return ::write(fd, data, std::min<std::size_t>(size, 4096));
                  errno = ENOSPC;
                  return -1;
                }}};
  for (const auto& c : cases) {
    const auto done = ExportBitmap(app, c.name, c.write);
    EXPECT_EQ(done.result, BitmapResult::CannotCreate) << c.what;
    EXPECT_FALSE(fs::exists(dir / BitmapFileName(c.name))) << c.what;
  }
  // Through the command: the box the user sees.
  host.boxes.clear();
  type("BMP nofolder/plan");
  EXPECT_TRUE(OneBox(host, "ファイルが作成できません。", "エラー", Icon::Information));
  EXPECT_GT(app.dispatch.errorsReported, 0);

  // Without a window the image is the empty client area; without a design there is none.
  app.display.target = nullptr;
  app.display.view.clientWidth = 3;
  app.display.view.clientHeight = 2;
  type("BMP tiny");
  const auto f = Slurp(dir / "tiny.BMP");
  ASSERT_EQ(f.size(), 54u + 12u * 2u);  // 9 bytes a row, padded to 12
  EXPECT_EQ(FilePixel(f, 2, 1), MakeRgb(255, 255, 255));
  type("CLOSE 0");
  host.boxes.clear();
  type("BMP other");
  EXPECT_TRUE(OneBox(host, "ファイルはまだ開かれていません"));
  EXPECT_FALSE(fs::exists(dir / "other.BMP"));
}

}  // namespace
}  // namespace lav::display
