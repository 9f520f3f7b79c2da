#include "command/tree_dialogs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "command/cell_dialogs.h"
#include "command/dispatcher.h"
#include "command/window_input.h"
#include "console/command_file.h"
#include "console/command_window.h"
#include "console/line_editor.h"
#include "db/design_files.h"
#include "db/messages.h"
#include "interchange/tree_lines.h"
#include "interchange/tree_messages.h"
#include "interchange/tree_report.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::interchange {
namespace {

namespace fs = std::filesystem;
constexpr std::int32_t kOpenCellCommand = 7;
constexpr std::size_t kChooserLineBytes = 199;

void box(AppState& app, const char* utf8, Icon icon, std::string_view arg = {}) {
  // Only the exclamation boxes are refusals; the others tell what was done.
  if (icon == Icon::Exclamation)
    ShowRefusalBox(app.host, db::FormatMessage(utf8, arg), sjis::fromUtf8(treemsg::kCaptionError));
  else
    app.host.messageBox(db::FormatMessage(utf8, arg), sjis::fromUtf8(treemsg::kCaptionError), icon,
                        Buttons::Ok);
}

// While a dialog of this program is up no second one starts.
class DialogGuard {
 public:
  explicit DialogGuard(AppState& app) : app_(app), was_(app.dispatch.dialogOpen) {
    app.dispatch.dialogOpen = true;
  }
  ~DialogGuard() { app_.dispatch.dialogOpen = was_; }
  DialogGuard(const DialogGuard&) = delete;
  DialogGuard& operator=(const DialogGuard&) = delete;

 private:
  AppState& app_;
  bool was_;
};

// "TREEnnn.TXT" without regard to case; the number of a report, or nullopt for other names.
std::optional<int> reportNumberOf(const std::string& name) {
  if (name.size() != 11) return std::nullopt;
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper.compare(0, 4, "TREE") != 0 || upper.compare(7, 4, ".TXT") != 0) return std::nullopt;
  int n = 0;
  for (int i = 4; i < 7; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(upper[i]))) return std::nullopt;
    n = n * 10 + (upper[i] - '0');
  }
  return n;
}

}  // namespace

// --- the tree dialog ---

TreeDialog::TreeDialog(AppState& app, int number)
    : title(sjis::fromUtf8(treemsg::kTitleTree)), reportName(TreeReportName(number)), app_(app) {
  auto report = ReadTreeFileLines(reportName);
  if (!report) return;
  loaded_ = true;
  std::size_t tabColumn = std::string::npos;
  for (std::size_t i = 0; i < report->size(); ++i) {
    std::string line = (*report)[i];
    if (i == 0) firstLine_ = line;
    if (i == 1) {
      // The blank before the root's depth number; later lines have theirs in the same column.
      const std::size_t at = line.find(" 0(");
      if (at != std::string::npos) tabColumn = at;
    }
    if (i >= 1 && tabColumn < line.size() && line[tabColumn] == ' ') line[tabColumn] = '\t';
    lines.push_back(std::move(line));
  }
  lines.push_back(db::ListFrameLine(db::msg::kListTrailer, {}));
}

void TreeDialog::selectLine(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= lines.size()) {
    selected = -1;
    selectedName.clear();
    return;
  }
  selected = index;
  selectedName = TreeLineCellName(lines[static_cast<std::size_t>(index)]);
}

bool TreeDialog::reportIsOfOpenDesign() const {
  // The path may hold blanks, so the whole of it is compared, up to the blank after it.
  const std::string& path = app_.design.path;
  if (path.empty()) return false;
  const std::string head = " ------ " + path + " ";
  return firstLine_.compare(0, head.size(), head) == 0;
}

void TreeDialog::pressOpenCell() {
  if (!reportIsOfOpenDesign()) return;
  if (selectedName.empty()) {
    box(app_, treemsg::kSelectFirst, Icon::Information);
    return;
  }
  if (selectedName.front() == '-') return;  // the first or the END line
  auto& w = app_.window;
  if (app_.dispatch.current > command::kIdle) {
    // Another command waits for an answer: the name is its answer, if it fits.
    if (w.prompt.size() + w.input.size() + selectedName.size() <= command::kInputLineMax)
      command::AppendToInput(app_, selectedName);
    return;
  }
  const std::string name = command::CommandName(w.commands, kOpenCellCommand);
  w.input.clear();
  w.caret = 0;
  if (!name.empty() && command::AppendToInput(app_, name)) {
    command::TypeCharacter(app_, '\r');
  } else {
    // A command file without the command: it is started by its number.
    app_.dispatch.current = kOpenCellCommand;
    command::StartCommand(app_, std::to_string(kOpenCellCommand));
  }
  if (app_.dispatch.current == kOpenCellCommand && command::AppendToInput(app_, selectedName))
    enterAfterClose = true;
  finished = true;
}

// --- the chooser ---

TreeFileChooser::TreeFileChooser(AppState& app)
    : title(sjis::fromUtf8(treemsg::kTitleChooser)), app_(app) {
  std::vector<std::pair<std::string, int>> reports;
  std::error_code ec;
  for (fs::directory_iterator it(".", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const auto n = reportNumberOf(name);
    if (n && it->is_regular_file(ec)) reports.emplace_back(name, *n);
  }
  std::sort(reports.begin(), reports.end());
  for (const auto& [name, n] : reports) {
    if (numbers.size() == kMaxReports) break;
    auto text = ReadTreeFileLines(name);
    if (!text) continue;
    for (std::size_t i = 0; i < 2; ++i) {
      const std::string line = i < text->size() ? (*text)[i] : std::string();
      lines.emplace_back(sjis::cutAt(line, kChooserLineBytes));
    }
    numbers.push_back(n);
  }
}

bool TreeFileChooser::pressChoose() {
  if (selected < 0 || static_cast<std::size_t>(selected) >= lines.size()) {
    box(app_, treemsg::kSelectFirst, Icon::Exclamation);
    return false;
  }
  chosen = numbers[static_cast<std::size_t>(selected) / 2];
  finished = true;
  return true;
}

// --- commands ---

void RunTreeDialog(AppState& app, int number) {
  TreeDialog dialog(app, number);
  if (!dialog.loaded()) {
    box(app, treemsg::kCannotRead, Icon::Exclamation, dialog.reportName);
    return;
  }
  {
    DialogGuard guard(app);
    app.host.runDialog(dialog);
  }
  if (dialog.enterAfterClose) command::TypeCharacter(app, '\r');
}

void RunEarlierTreeReport(AppState& app) {
  TreeFileChooser chooser(app);
  {
    DialogGuard guard(app);
    app.host.runDialog(chooser);
  }
  if (!chooser.chosen) return;
  app.tree.reportNumber = *chooser.chosen;
  RunTreeDialog(app, *chooser.chosen);
}

}  // namespace lav::interchange
