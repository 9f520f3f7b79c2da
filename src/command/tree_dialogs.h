// The two dialogs of the cell tree report as data models: the tree dialog ("セルの木構造") over
// one report, with its open-cell button, and the chooser of an earlier report
// ("以前の木構造ファイルを選択"). The host shows a model and relays the user's actions to it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"

namespace lav {
struct AppState;
}

namespace lav::interchange {

class TreeDialog : public DialogModel {
 public:
  // Reads the report TREE%03d.TXT of number from the current directory; loaded() tells whether
  // it could be read.
  TreeDialog(AppState& app, int number);
  std::string_view kind() const override { return "cell-tree"; }
  bool loaded() const { return loaded_; }

  static constexpr int kList = 511;
  static constexpr int kOpenCellButton = 512;
  static constexpr int kOpenChildButton = 513;  // always disabled
  // Tab stops of the list in dialog units: 20, 25, ... 65.
  static constexpr int kTabStops[] = {20, 25, 30, 35, 40, 45, 50, 55, 60, 65};

  std::string title;               // Shift-JIS
  std::string reportName;          // TREE%03d.TXT
  std::vector<std::string> lines;  // the report, depth column as a tab, then the END line
  int selected = -1;
  std::string selectedName;  // the cell the selected line stands for
  // Set by the open-cell button: Enter is to be pressed on the input line once the dialog closed.
  bool enterAfterClose = false;

  // Picks a line; an index out of range (-1) leaves nothing picked.
  void selectLine(int index);
  // "ｾﾙ ｵｰﾌﾟﾝ": opens the selected cell through command 7, or hands the name to the waiting
  // command.
  void pressOpenCell();
  void pressClose() { finished = true; }

 private:
  bool reportIsOfOpenDesign() const;

  AppState& app_;
  bool loaded_ = false;
  std::string firstLine_;
};

class TreeFileChooser : public DialogModel {
 public:
  // Lists the reports TREE???.TXT of the current directory, at most 48.
  explicit TreeFileChooser(AppState& app);
  std::string_view kind() const override { return "tree-files"; }

  static constexpr int kList = 511;
  static constexpr int kChooseButton = 512;
  static constexpr std::size_t kMaxReports = 48;

  std::string title;               // Shift-JIS
  std::vector<std::string> lines;  // two per report: its first two lines
  std::vector<int> numbers;        // the report number of each pair
  int selected = -1;               // index into lines
  std::optional<int> chosen;

  // "選択": the selected pair's report becomes the chosen one and the dialog ends.
  bool pressChoose();
  void pressClose() { finished = true; }

 private:
  AppState& app_;
};

// Shows the tree dialog over report number (a box when it cannot be read), pressing Enter after
// it when its open-cell button asked for that.
void RunTreeDialog(AppState& app, int number);

// Command 14: the chooser, then the tree dialog for the chosen report.
void RunEarlierTreeReport(AppState& app);

}  // namespace lav::interchange
