#include "interchange/tree_report.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>

#include "console/command_steps.h"
#include "console/command_window.h"
#include "db/cell_directory.h"
#include "db/design_files.h"
#include "db/directory_walk.h"
#include "db/messages.h"
#include "db/safe_write.h"
#include "display/cell_walk.h"
#include "display/redraw.h"
#include "interchange/exchange_state.h"
#include "interchange/tree_lines.h"
#include "interchange/tree_messages.h"
#include "platform/null_surface.h"
#include "platform/paths.h"
#include "platform/sjis.h"

namespace lav::interchange {
namespace {

namespace fs = std::filesystem;
constexpr int kLastReportNumber = 999;

// Only files: a folder that happens to carry a work file's name is not ours to delete.
void removeWorkFile(const char* name) {
  std::error_code ec;
  if (!fs::is_directory(name, ec)) fs::remove(name, ec);
}

void removeWorkFiles() {
  removeWorkFile(kTreeRawFile);
  removeWorkFile(kTreeUniqueFile);
}

// The raw lines as the walk reports them, appended to "TREE.$$$"; every write is checked.
class RawTreeFile {
 public:
  bool create() {
    file_ = std::fopen(kTreeRawFile, "wb");
    ok_ = file_ != nullptr;
    return ok_;
  }
  bool write(std::string_view line) {
    if (!ok_) return false;
    ok_ = std::fwrite(line.data(), 1, line.size(), file_) == line.size() &&
          std::fputc('\n', file_) != EOF;
    return ok_;
  }
  bool close() {
    if (!file_) return false;
    const bool flushed = std::fflush(file_) == 0 && !std::ferror(file_);
    ok_ = std::fclose(file_) == 0 && flushed && ok_;
    file_ = nullptr;
    return ok_;
  }
  ~RawTreeFile() {
    if (file_) std::fclose(file_);
  }
  RawTreeFile() = default;
  RawTreeFile(const RawTreeFile&) = delete;
  RawTreeFile& operator=(const RawTreeFile&) = delete;

 private:
  std::FILE* file_ = nullptr;
  bool ok_ = false;
};

bool writeLines(const std::string& path, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const auto& l : lines) {
    bytes += l;
    bytes += '\n';
  }
  std::string error;
  const auto span = std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return db::WriteFileSafely(path, span, {}, error) == db::SafeWriteResult::Written;
}

std::size_t longestCellName(const db::DesignImage& image) {
  std::size_t longest = 0;
  for (const std::int32_t slot : db::DirectorySlots(image)) {
    const db::CellEntry e = db::ReadCellEntry(image, slot);
    if (e.isFree()) break;
    if (e.isLive()) longest = std::max(longest, e.nameText().size());
  }
  return longest;
}

// The first report name not in use, from the counter on (and then from 0 up to it).
std::optional<int> freeReportNumber(int from) {
  if (from < 0 || from > kLastReportNumber) from = 0;
  for (int i = 0; i <= kLastReportNumber; ++i) {
    const int n = (from + i) % (kLastReportNumber + 1);
    std::error_code ec;
    if (!paths::findCaseInsensitive(TreeReportName(n)) && !fs::exists(TreeReportName(n), ec))
      return n;
  }
  return std::nullopt;
}

void showFailure(ExchangeState& app, const char* utf8, std::string_view file = {}) {
  ShowRefusalBox(app.host, db::FormatMessage(utf8, file), sjis::fromUtf8(treemsg::kCaptionError));
}

// The settings and modes the run changes, put back however it ends.
class TreeModeScope {
 public:
  explicit TreeModeScope(ExchangeState& app)
      : app_(app), scell_(app.settings.showScell), acell_(app.settings.showAcell) {
    app.display.treeMode = 1;
    app.tree.run = TreeRun::Writing;
    app.settings.showScell = 1;
    app.settings.showAcell = 1;
  }
  ~TreeModeScope() {
    app_.settings.showScell = scell_;
    app_.settings.showAcell = acell_;
    app_.display.treeMode = 0;
    if (app_.tree.run == TreeRun::Writing) app_.tree.run = TreeRun::Off;
  }
  TreeModeScope(const TreeModeScope&) = delete;
  TreeModeScope& operator=(const TreeModeScope&) = delete;

 private:
  ExchangeState& app_;
  int scell_, acell_;
};

// The walk over the open cell, each placement it expands written as a raw line. False when a
// write failed.
bool collectRawLines(ExchangeState& app) {
  RawTreeFile raw;
  if (!raw.create()) return false;
  const auto& design = app.design;
  const std::size_t column = longestCellName(design.image) + kTreeNameColumnExtra;
  bool written = raw.write(TreeFirstLine(design.path)) &&
                 raw.write(TreeRootLine(design.current.entry.nameText(), column, app.host.now(),
                                        app.settings.nest));
  if (written) {
    display::ViewState view = app.display.view;
    NullSurface blank(view.clientWidth, view.clientHeight);
    display::DrawContext ctx(app, blank, view);
    display::PrintUndefinedPlacements(ctx);
    ctx.placementVisited = [&](bool array, std::string_view name, bool defined, int depth) {
      if (!raw.write(TreePlacementLine(array, defined, name, depth, column))) {
        written = false;
        app.continueFlag = false;  // ends the walk
      }
    };
    display::DrawTopCell(ctx);
  }
  if (written && !app.continueFlag) written = raw.write(TreeInterruptedLine());
  return raw.close() && written;
}

}  // namespace

std::optional<std::vector<std::string>> ReadTreeFileLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  if (in.bad()) return std::nullopt;
  return lines;
}

TreeOutcome WriteTreeReport(ExchangeState& app) {
  auto& design = app.design;
  if (!design.isOpen() || !design.hasCell()) {
    removeWorkFiles();
    app.tree.run = TreeRun::NoDesign;
    return TreeOutcome::Failed;
  }
  app.host.setTitle(sjis::fromUtf8(treemsg::kRunning));
  app.continueFlag = true;
  const auto step = [&app] {
    app.host.messageStep(app.continueFlag);
    return app.continueFlag;
  };
  auto finish = [&](TreeOutcome outcome, const char* failure = nullptr,
                    std::string_view file = {}) {
    if (outcome != TreeOutcome::Written) {
      removeWorkFiles();
      app.continueFlag = false;
      app.tree.run = TreeRun::Aborted;
    }
    app.host.setTitle(db::FormatMessage(db::msg::kTitleOpen, design.path));
    if (failure) showFailure(app, failure, file);
    return outcome;
  };

  {
    TreeModeScope scope(app);
    const bool written = collectRawLines(app);
    if (!written) return finish(TreeOutcome::Failed, treemsg::kWriteFailed, kTreeRawFile);
  }
  if (!app.continueFlag) return finish(TreeOutcome::Stopped);

  const auto raw = ReadTreeFileLines(kTreeRawFile);
  if (!raw) return finish(TreeOutcome::Failed, treemsg::kCannotRead, kTreeRawFile);
  const auto unique = RemoveRepeatedSiblings(*raw, step);
  if (!unique) return finish(TreeOutcome::Stopped);
  if (!writeLines(kTreeUniqueFile, *unique))
    return finish(TreeOutcome::Failed, treemsg::kWriteFailed, kTreeUniqueFile);
  removeWorkFile(kTreeRawFile);

  const auto again = ReadTreeFileLines(kTreeUniqueFile);
  if (!again) return finish(TreeOutcome::Failed, treemsg::kCannotRead, kTreeUniqueFile);
  const auto report = DrawTreeConnectors(*again, step);
  if (!report) return finish(TreeOutcome::Stopped);
  const auto number = freeReportNumber(app.tree.reportNumber);
  if (!number) return finish(TreeOutcome::Failed, treemsg::kNoFreeNumber);
  const std::string name = TreeReportName(*number);
  if (report->size() < 2 || !writeLines(name, *report))
    return finish(TreeOutcome::Failed, treemsg::kWriteFailed, name);
  removeWorkFile(kTreeUniqueFile);
  app.tree.reportNumber = *number;
  app.tree.run = TreeRun::Off;
  return finish(TreeOutcome::Written);
}

}  // namespace lav::interchange
