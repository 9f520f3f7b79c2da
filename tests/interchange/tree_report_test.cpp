// The cell tree report: its lines byte for byte, the two passes, the run of command 13 with its
// work files and numbering, Escape and failed writes, and the two dialogs of commands 13 and 14.
#include "interchange/tree_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "command/tree_dialogs.h"
#include "db/design_builder.h"
#include "design_dump.h"
#include "interchange/tree_lines.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::interchange {
namespace {

namespace fs = std::filesystem;
using db::testing::AddCell;
using db::testing::Append;
using db::testing::Placed;
using lav::testing::ReadFile;

std::string S(const std::string& utf8) {
  return sjis::fromUtf8(utf8);
}

// The lines (UTF-8) as the report's Shift-JIS text, each ended.
std::string Joined(const std::vector<std::string>& utf8) {
  std::string s;
  for (const auto& l : utf8) s += S(l) + "\n";
  return s;
}

class TreeReportCommand : public lav::testing::TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    host.dialogHandlers["cell-tree"] = [this](DialogModel& m) {
      auto& t = dynamic_cast<TreeDialog&>(m);
      shown.push_back(t.reportName);
      shownLines = t.lines;
      if (onTree) onTree(t);
    };
  }
  // TOP places B twice, C as an array, two missing cells and, far outside the view, D.
  void BuildDesign() {
    auto& d = app.design;
    db::testing::NewImage(d);
    AddCell(d, "E");
    AddCell(d, "D");
    Append(d, db::EncodeSingle(Placed("E", 0, 0)));
    AddCell(d, "C");
    Append(d, db::EncodeSingle(Placed("E", 0, 0)));
    AddCell(d, "B");
    Append(d, db::EncodeSingle(Placed("D", 0, 0)));
    Append(d, db::EncodeArray(array("C")));
    AddCell(d, "TOP");
    Append(d, db::EncodeSingle(Placed("B", 0, 0)));
    Append(d, db::EncodeSingle(Placed("B", 5000, 0)));
    Append(d, db::EncodeArray(array("C")));
    Append(d, db::EncodeSingle(Placed("X", 0, 0)));
    Append(d, db::EncodeArray(array("Y")));
    Append(d, db::EncodeSingle(Placed("D", 90'000'000, 0)));
  }
  static db::Placement array(const std::string& name) {
    return db::testing::Grid(Placed(name, 0, 0), 4, 3, 1000, 1000);
  }
  bool exists(const char* name) const { return fs::exists(dir / name); }

  std::vector<std::string> shown;       // reports the tree dialog showed
  std::vector<std::string> shownLines;  // the last one's list
  std::function<void(TreeDialog&)> onTree;
};

const std::vector<std::string> kExpectedReport = {
    " ------ /nonexistent/test.cad ----" + std::string(41, '-'),
    " TOP                      0(13:45:30 12/06/26) Nest(11)",
    " ├B                      1",
    " │├D                    2",
    " ││└E                  3",
    " │└C                    2(Array)",
    " │  └E                  3",
    " ├C                      1(Array)",
    " │└E                    2",
    " ├X                      1*** WARNING *** Undefind Cell ",
    " ├Y                      1*** WARNING *** Undefind Cell (Array)",
    " └D                      1",
    "   └E                    2"};

TEST_F(TreeReportCommand, ReportListsTheHierarchyOnceWithConnectorsUnderAFreeNumberToTheNest) {
  // A design without an open cell is refused (without a design the dispatcher refuses:
  // Dispatcher.PreconditionsAndMacroNumbers...).
  db::testing::NewImage(app.design);
  db::ClearCurrent(app.design);
  type("TREE");
  EXPECT_EQ(takeBoxes(),
            std::vector<std::string>{
                "ファイル又はセルは開かれていませんのでセル名の参照はできませんでした"});
  EXPECT_TRUE(shown.empty());
  EXPECT_FALSE(exists("TREE.$$$"));
  BuildDesign();
  app.settings.showScell = 0;
  app.settings.showAcell = 2;
  std::ofstream(dir / "TREE000.TXT") << "someone else's\n";
  std::ofstream(dir / "tree002.txt") << "lower case is in use as well\n";
  type("TREE");
  EXPECT_EQ(ReadFile(dir / "TREE001.TXT"), Joined(kExpectedReport));
  EXPECT_FALSE(exists("TREE.$$$"));
  EXPECT_FALSE(exists("TREE.$1$"));
  EXPECT_EQ(app.settings.showScell, 0) << "restored";
  EXPECT_EQ(app.settings.showAcell, 2) << "restored";
  EXPECT_EQ(app.display.treeMode, 0);
  EXPECT_TRUE(takeBoxes().empty());
  // The walk reports the missing cells in the Command Window as a drawing does.
  EXPECT_NE(std::find(lines.begin(), lines.end(), "*UNDEFIND*( X )SCell"), lines.end());
  ASSERT_FALSE(host.titles.empty());
  EXPECT_EQ(host.titles.front(), "実行中");
  EXPECT_EQ(host.titles.back(), "dravel: /nonexistent/test.cad");
  EXPECT_EQ(prompt(), "? ");
  // The dialog's list: the depth numbers after a tab, and the END line.
  ASSERT_EQ(shownLines.size(), kExpectedReport.size() + 1);
  EXPECT_EQ(shownLines[1], S(" TOP                     \t0(13:45:30 12/06/26) Nest(11)"));
  EXPECT_EQ(shownLines[3], S(" │├D                   \t2"));
  EXPECT_EQ(shownLines.back(), "------ END ----" + std::string(60, '-'));
  typeAll({"TREE", "TREE"});
  EXPECT_EQ(shown, (std::vector<std::string>{"TREE001.TXT", "TREE003.TXT", "TREE004.TXT"}));
  EXPECT_EQ(ReadFile(dir / "TREE000.TXT"), "someone else's\n");
  // The nest limits the depth: the first level of the whole report.
  typeAll({"NEST 1", "TREE"});
  EXPECT_EQ(ReadFile(dir / "TREE005.TXT"),
            Joined({kExpectedReport[0], " TOP                      0(13:45:30 12/06/26) Nest(1)",
                    kExpectedReport[2], kExpectedReport[7], kExpectedReport[9], kExpectedReport[10],
                    kExpectedReport[11]}));
  // A leaf gives two lines.
  typeAll({"OCELL E", "TREE"});
  EXPECT_EQ(ReadFile(dir / "TREE006.TXT"),
            Joined({kExpectedReport[0], " E                        0(13:45:30 12/06/26) Nest(1)"}));
  // C0 places C1, ... C11 places C12; C12 places itself.
  auto& d = app.design;
  db::testing::NewImage(d);
  for (int i = 12; i >= 0; --i) {
    AddCell(d, "C" + std::to_string(i));
    Append(d, db::EncodeSingle(Placed("C" + std::to_string(i == 12 ? 12 : i + 1), 0, 0)));
  }
  typeAll({"NEST 11", "TREE"});
  auto report = ReadTreeFileLines((dir / "TREE007.TXT").string());
  ASSERT_TRUE(report);
  ASSERT_EQ(report->size(), 13u) << "the root and depths 1 to 11";
  EXPECT_EQ((*report)[2], S(" └C1                     1"));
  EXPECT_EQ((*report)[11], S("                   └C10  10"));
  EXPECT_EQ((*report)[12], S("                     └C11 11")) << "past the column: not cut";
  // The cell that places itself is listed once below itself and not entered again.
  typeAll({"OCELL C12", "TREE"});
  EXPECT_EQ(ReadFile(dir / "TREE008.TXT"),
            Joined({kExpectedReport[0], " C12                      0(13:45:30 12/06/26) Nest(11)",
                    " └C12                    1"}));
  // What the reports of command 13 never hold: blank and gapped raw lines, a path past the frame,
  // one line only, a two-byte name after the connectors, and a stop in either pass.
  struct Case {
    const char* what;
    std::vector<std::string> raw, expected;
  } cases[] = {
      {"array and single of one cell are different lines",
       {"H", "T 0", "  B 1", "  B 1(Array)", "  B 1"},
       {"H", " T 0", "   B 1", "   B 1(Array)"}},
      {"blank lines are skipped", {"H", "T 0", "", "   ", "  A 1"}, {"H", " T 0", "   A 1"}},
      {"a line deeper than one level below is dropped",
       {"H", "T 0", "  A 1", "      Z 3", "  B 1"},
       {"H", " T 0", "   A 1", "   B 1"}}};
  for (const auto& c : cases) EXPECT_EQ(RemoveRepeatedSiblings(c.raw, {}), c.expected) << c.what;
  const std::string longPath(90, 'p');
  EXPECT_EQ(TreeFirstLine(longPath), " ------ " + longPath + " ----");
  EXPECT_TRUE(DrawTreeConnectors({"H"}, {})->empty()) << "fewer than 2 lines: nothing";
  EXPECT_EQ(TreeLineCellName(S(" │  └Ｂ 3")), S("Ｂ"));  // not taken for a connector
  EXPECT_EQ(TreeLineCellName(""), "");
  const std::vector<std::string> raw = {"H", "T 0", "  A 1", "  B 1"};
  int steps = 0;
  const auto stopSecond = [&steps] { return ++steps < 2; };
  EXPECT_FALSE(RemoveRepeatedSiblings(raw, stopSecond));
  steps = 0;
  EXPECT_FALSE(DrawTreeConnectors(raw, stopSecond));
}

TEST_F(TreeReportCommand, EscapeInAnyPhaseOrABlockedWorkFileLeavesNoFileAndShowsNoReport) {
  BuildDesign();
  // The steps of a whole run: the walk's, then one per line of each pass.
  host.messageSteps = 0;
  type("TREE");
  const long total = host.messageSteps;
  ASSERT_GT(total, 20);
  fs::remove(dir / "TREE000.TXT");
  shown.clear();
  const struct Case {
    long stopAt;
    const char* blocked;  // a folder of a work file's name
  } cases[] = {
      {1, nullptr}, {total / 2, nullptr}, {total - 1, nullptr}, {0, "TREE.$$$"}, {0, "TREE.$1$"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.blocked ? c.blocked : std::to_string(c.stopAt));
    long steps = 0;
    bool inSecondPass = false;
    host.onMessageStep = [&](bool& flag) {
      if (++steps != c.stopAt) return;
      inSecondPass = exists("TREE.$1$");
      flag = false;
    };
    if (c.blocked) fs::create_directory(dir / c.blocked);
    lines.clear();
    type("TREE");
    host.onMessageStep = nullptr;
    if (c.blocked) {
      EXPECT_EQ(takeBoxes(), std::vector<std::string>{"木構造ファイル " + std::string(c.blocked) +
                                                      " を書き込めませんでした。作業ファイルは削"
                                                      "除されました。"});
      EXPECT_TRUE(fs::is_directory(dir / c.blocked)) << "not ours to delete";
      fs::remove(dir / c.blocked);
    } else {
      EXPECT_NE(std::find(lines.begin(), lines.end(), "*** Abortion ***"), lines.end());
      EXPECT_TRUE(c.stopAt != total - 1 || inSecondPass) << "the last step is in the second pass";
    }
    EXPECT_TRUE(fs::is_empty(dir)) << "no work file, no report, no temporary left";
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(app.settings.showScell, 1);
    EXPECT_EQ(app.display.treeMode, 0);
  }
  // A folder of the report's name only uses up its number.
  fs::create_directory(dir / "TREE000.TXT");
  type("TREE");
  EXPECT_TRUE(takeBoxes().empty());
  EXPECT_EQ(shown, std::vector<std::string>{"TREE001.TXT"});
}

TEST_F(TreeReportCommand, TheDialogsOpenTheSelectedCellOfThisDesignAndAnEarlierReport) {
  BuildDesign();
  // With nothing selected each button asks for a line: TreeDialogWidgets.FocusedList...
  onTree = [](TreeDialog& t) {
    t.selectLine(0);
    t.pressOpenCell();
    EXPECT_FALSE(t.finished) << "the first line is no cell";
    t.selectLine(4);  // " ││└E ..."
    EXPECT_EQ(t.selectedName, "E");
    t.pressOpenCell();
    EXPECT_TRUE(t.finished);
  };
  type("TREE");
  EXPECT_TRUE(takeBoxes().empty());
  EXPECT_EQ(app.design.current.entry.nameText(), "E");
  EXPECT_EQ(prompt(), "? ");
  // An earlier report is chosen and shown.
  onTree = nullptr;
  typeAll({"OCELL B", "TREE"});
  shown.clear();
  std::ofstream(dir / "TREEABC.TXT") << "not a report of ours\n";
  host.dialogHandlers["tree-files"] = [](DialogModel& m) {
    auto& c = dynamic_cast<TreeFileChooser&>(m);
    ASSERT_EQ(c.lines.size(), 4u);
    EXPECT_EQ(c.numbers, (std::vector<int>{0, 1}));
    EXPECT_EQ(c.lines[0], kExpectedReport[0]);
    EXPECT_EQ(c.lines[3], " B                        0(13:45:30 12/06/26) Nest(11)");
    c.selected = 1;  // the root line of TREE000.TXT
    EXPECT_TRUE(c.pressChoose());
  };
  type("SHOWTREE");
  EXPECT_EQ(shown, std::vector<std::string>{"TREE000.TXT"});
  EXPECT_EQ(shownLines.size(), kExpectedReport.size() + 1);
  // The chosen number is where the next report's search starts.
  type("TREE");
  EXPECT_EQ(shown.back(), "TREE002.TXT");
  // The report of another design opens no cell of this one.
  app.design.path = "/elsewhere/other.cad";
  onTree = [](TreeDialog& t) {
    t.selectLine(2);
    t.pressOpenCell();
    EXPECT_FALSE(t.finished);
    t.pressClose();
  };
  host.dialogHandlers.erase("tree-files");
  type("SHOWTREE");  // no choice: nothing shown
  EXPECT_EQ(shown.size(), 2u);
  app.tree.reportNumber = 0;
  interchange::RunTreeDialog(app, 0);
  EXPECT_EQ(shown.size(), 3u);
  EXPECT_EQ(app.design.current.entry.nameText(), "B");
  EXPECT_TRUE(takeBoxes().empty());
  // A report that vanished is named in a box.
  interchange::RunTreeDialog(app, 5);
  EXPECT_EQ(takeBoxes(),
            std::vector<std::string>{"木構造ファイル TREE005.TXT を開くことが出来ませんでした。"});
  EXPECT_EQ(shown.size(), 3u);
}

}  // namespace
}  // namespace lav::interchange
