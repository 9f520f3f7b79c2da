#include "db/design_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "db/cell_commands.h"
#include "db/element_stream.h"
#include "platform/scripted_host.h"
#include "state/app_state.h"
#include "support/short_forms.h"

namespace lav::db {
namespace {

namespace fs = std::filesystem;

class DesignFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    root = lav::testing::EnterTestFolder("files", old);
    dir = root / "work";
  }
  void TearDown() override {
    ::chmod(dir.c_str(), 0755);
    lav::testing::LeaveTestFolder(root, old);
  }
  static std::string fileBytes(const fs::path& p) { return lav::testing::ReadFile(p); }
  void addSquare() {
    std::vector<Vertex> v = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
    ASSERT_EQ(AppendElement(app.design, EncodeArea(ElementType::Polygon, 1, v), host.now()),
              AppendResult::Appended);
  }
  fs::path root, dir, old;
  ScriptedHost host;
  AppState app{host};
};

TEST_F(DesignFiles, NewDesignNames) {
  struct Case {
    const char* typed;
    const char* created;  // null: nothing is created
  } cases[] = {
      {"work", "work.cad"}, {"plan.old", "plan.cad"}, {".x", nullptr}, {"a.b.c", "a.b.cad"}};
  for (const auto& c : cases) {
    ASSERT_FALSE(app.design.isOpen());
    const bool made = NewDesign(app, c.typed);
    EXPECT_EQ(made, c.created != nullptr) << c.typed;
    if (made) {
      EXPECT_EQ(app.design.path, (dir / c.created).string()) << c.typed;
      ASSERT_TRUE(CloseDesign(app, true));
      EXPECT_TRUE(fs::exists(dir / c.created));
      EXPECT_TRUE(fs::exists(dir / "plan.cad") || std::string(c.typed) != "plan.old");
    }
  }
}

TEST_F(DesignFiles, OpenNameChecks) {
  ASSERT_TRUE(NewDesign(app, "test"));
  ASSERT_TRUE(CloseDesign(app, true));
  std::ofstream("junk.cad") << "not a design at all, longer than forty-two bytes....";
  struct Case {
    const char* typed;
    OpenResult result;
    const char* box;  // start of the message, or null
  } cases[] = {{"test", OpenResult::Opened, nullptr},
               {"TeSt.CaD", OpenResult::Opened, nullptr},
               {"test.dat", OpenResult::Refused, "ファイルの拡張子名が .CAD でありません"},
               {"a.b.cad", OpenResult::Refused, "ファイルの拡張子名が .CAD でありません"},
               {"missing", OpenResult::Refused, "ファイル MISSING.CAD を開くことが出来ません。"},
               {"junk", OpenResult::Refused, " ファイル "}};
  for (const auto& c : cases) {
    host.boxes.clear();
    EXPECT_EQ(OpenDesign(app, c.typed), c.result) << c.typed;
    if (c.box) {
      ASSERT_EQ(host.boxes.size(), 1u) << c.typed;
      EXPECT_EQ(host.boxes[0].text.rfind(c.box, 0), 0u) << host.boxes[0].text;
    }
    if (app.design.isOpen()) CloseDesign(app, false);
  }
}

TEST_F(DesignFiles, ClosedAndReopenedDesignIsIdentical) {
  ASSERT_TRUE(NewDesign(app, "round"));
  ASSERT_TRUE(CreateCell(app, "TOP"));
  addSquare();
  app.settings.nest = 7;
  auto image = app.design.image.bytes;
  ASSERT_TRUE(CloseDesign(app, true));
  EXPECT_FALSE(fs::exists("BUF$BUFF.88B." + std::to_string(::getpid())));
  app.settings.nest = 11;
  ASSERT_EQ(OpenDesign(app, "round"), OpenResult::Opened);
  EXPECT_EQ(app.settings.nest, 7);
  bool needsName = false;
  ASSERT_TRUE(OpenCell(app, "TOP", needsName));
  EXPECT_EQ(app.design.current.entry.dataSize, 46);
  ASSERT_TRUE(CloseDesign(app, true));
  // Once the header's values are in their ranges, open and close leave the file unchanged.
  const auto second = fileBytes("round.cad");
  ASSERT_EQ(OpenDesign(app, "round"), OpenResult::Opened);
  ASSERT_TRUE(CloseDesign(app, true));
  EXPECT_EQ(fileBytes("round.cad"), second);
}

TEST_F(DesignFiles, FailedOrStoppedWriteKeepsTheDesignAndTheOldFile) {
  ASSERT_TRUE(NewDesign(app, "keep"));
  ASSERT_TRUE(CloseDesign(app, true));
  const auto original = fileBytes("keep.cad");
  ASSERT_EQ(OpenDesign(app, "keep"), OpenResult::Opened);
  ASSERT_TRUE(CreateCell(app, "NEW"));
  addSquare();
  // Escape during the write.
  host.onMessageStep = [](bool& flag) { flag = false; };
  EXPECT_FALSE(CloseDesign(app, true));
  EXPECT_TRUE(app.design.isOpen());
  EXPECT_EQ(fileBytes("keep.cad"), original);
  host.onMessageStep = nullptr;
  app.continueFlag = true;
  // A folder the program may not write into (root ignores permissions: skip then).
  if (::geteuid() != 0) {
    ::chmod(dir.c_str(), 0555);
    host.boxes.clear();
    EXPECT_FALSE(CloseDesign(app, true));
    EXPECT_TRUE(app.design.isOpen());
    ASSERT_TRUE(lav::testing::OneBox(host, "ファイルのクローズに失敗しました"));
    ::chmod(dir.c_str(), 0755);
  }
  // The design file's folder vanished: the write fails and nothing is lost.
  app.design.path = (dir / "gone" / "keep.cad").string();
  host.boxes.clear();
  EXPECT_FALSE(CloseDesign(app, true));
  EXPECT_TRUE(app.design.isOpen());
  ASSERT_TRUE(lav::testing::OneBox(host, "ファイルのクローズに失敗しました"));
  // The exit question "Yes" then does not end the program.
  host.answers.push_back(Answer::Yes);
  EXPECT_FALSE(EndProgram(app));
  EXPECT_TRUE(app.design.isOpen());
  EXPECT_EQ(fileBytes("keep.cad"), original);
}

TEST_F(DesignFiles, OpenCountAndCellRefusals) {
  ASSERT_TRUE(NewDesign(app, "count"));
  ASSERT_TRUE(CreateCell(app, "abc"));
  EXPECT_TRUE(CreateCell(app, "ABC"));  // case matters
  host.boxes.clear();
  EXPECT_FALSE(CreateCell(app, "abc"));
  ASSERT_TRUE(lav::testing::OneBox(host, "同名のセルが在りますので出来ません。"));
  EXPECT_EQ(app.design.current.name, "ABC");  // the check did not change the current cell
  app.continueFlag = true;
  ASSERT_TRUE(CloseDesign(app, true));
  app.design.auxCounter = 100;
  host.boxes.clear();
  EXPECT_EQ(OpenDesign(app, "count"), OpenResult::Failed);
  EXPECT_EQ(host.boxes.size(), 1u);  // never silent
}

}  // namespace
}  // namespace lav::db
