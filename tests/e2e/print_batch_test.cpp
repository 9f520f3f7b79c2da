// Printing and bitmap export in batch runs: the printer is a PDF file, the bitmap the empty
// client area, and neither ever replaces what the user did not ask to replace.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/byte_io.h"
#include "support/batch_program.h"

namespace {

namespace fs = std::filesystem;

class PrintBatch : public lav::testing::BatchProgramTest {
 protected:
  static constexpr const char* kDesign =
      "NEW chip\nMKCELL TOP\nLAYER 4\nETYPE 3\nXY 0 0 10 10\nOUTPUT\nFIT\n";
};

TEST_F(PrintBatch, PrintGoesIntoLavinorPdfAndBmpSavesTheClientArea) {
  const auto r = runBatch("-", std::string(kDesign) + "PRINT 1\nBMP\nCLOSE 0\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  const std::string pdf = slurp(dir / "Lavinor.pdf");
  ASSERT_GT(pdf.size(), 100u) << r.err;
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  const std::string bmp = slurp(dir / "chip.BMP");
  ASSERT_GT(bmp.size(), 54u);
  const auto* b = reinterpret_cast<const std::uint8_t*>(bmp.data());
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(lav::le::getU32(b + 2), bmp.size());
  const std::int32_t w = lav::le::getI32(b + 18), h = lav::le::getI32(b + 22);
  EXPECT_GT(w, 0);
  EXPECT_GT(h, 0);
  EXPECT_EQ(bmp.size(), 54u + std::size_t(((w * 24 + 7) / 8 + 3) / 4 * 4) * std::size_t(h));
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();
}

TEST_F(PrintBatch, TheEnvironmentNamesThePdfAndASecondBmpIsRefused) {
  const auto r = runProgram("LAVINOR_PRINT_PDF=sheet.pdf", "--batch -",
                            std::string(kDesign) + "PRINT\nBMP pic.v1\nBMP pic.cad\nCLOSE 0\n");
  EXPECT_EQ(r.status, 1);  // the refused second bitmap
  EXPECT_TRUE(fs::exists(dir / "sheet.pdf"));
  EXPECT_FALSE(fs::exists(dir / "Lavinor.pdf"));
  EXPECT_TRUE(fs::exists(dir / "pic.BMP"));
  EXPECT_NE(r.err.find("同名のファイル pic.BMP が在ります。"), std::string::npos) << r.err;
}

}  // namespace
