#include "command/cell_dialogs.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "db/cad_file.h"
#include "db/cell_copy.h"
#include "db/cell_directory.h"
#include "db/design_files.h"
#include "db/design_header.h"
#include "db/directory_walk.h"
#include "db/messages.h"
#include "platform/paths.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::db {
namespace {

// The name bytes of a slot as the restore list shows them: bytes 2..32 behind a '?'.
std::string deletedLine(const CellEntry& e) {
  std::string s = "?";
  for (std::size_t i = 1; i < kNameBytes && e.name[i] != 0; ++i)
    s.push_back(static_cast<char>(e.name[i]));
  return s;
}

void showBox(AppState& app, const char* utf8, std::string_view arg, Icon icon) {
  // Only the exclamation boxes are refusals; the others tell what was done.
  if (icon == Icon::Exclamation)
    ShowRefusalBox(app.host, FormatMessage(utf8, arg), sjis::fromUtf8(msg::kCaptionError));
  else
    app.host.messageBox(FormatMessage(utf8, arg), sjis::fromUtf8(msg::kCaptionError), icon,
                        Buttons::Ok);
}

// While a cell dialog is up no second one starts.
class DialogOpenMark {
 public:
  explicit DialogOpenMark(DesignState& d) : d_(d) { d_.cellDialogOpen = true; }
  ~DialogOpenMark() { d_.cellDialogOpen = false; }
  DialogOpenMark(const DialogOpenMark&) = delete;
  DialogOpenMark& operator=(const DialogOpenMark&) = delete;

 private:
  DesignState& d_;
};

// Commands 8 to 12 and 15 need a design and no other cell dialog.
CellDialogResult mayStart(AppState& app) {
  if (app.design.cellDialogOpen) return CellDialogResult::Busy;
  if (!app.design.isOpen()) {
    showBox(app, msg::kNoFileForCellNames, {}, Icon::Exclamation);
    return CellDialogResult::Refused;
  }
  return CellDialogResult::Done;
}

template <typename Dialog>
CellDialogResult runSimple(AppState& app, const DialogWords& words) {
  if (auto r = mayStart(app); r != CellDialogResult::Done) return r;
  DialogOpenMark mark(app.design);
  Dialog dialog(app);
  app.host.runDialogWithWords(dialog, words);
  return CellDialogResult::Done;
}

// A design named by a word without extension is a .CAD file, as for the open command.
std::string designFileName(std::string name) {
  const std::size_t slash = name.find_last_of('/');
  if (name.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos)
    name += ".CAD";
  return name;
}

}  // namespace

std::string ClipFieldText(std::string_view text) {
  std::size_t n = 0;
  while (n < text.size()) {
    const std::size_t step =
        sjis::isLeadByte(static_cast<unsigned char>(text[n])) && n + 1 < text.size() ? 2 : 1;
    if (n + step > kFieldLimit) break;
    n += step;
  }
  return std::string(text.substr(0, n));
}

std::string FieldCellName(std::string_view field) {
  return CutCellName(field.substr(0, std::min(field.find(' '), field.size())));
}

std::string ListFrameLine(const char* utf8Pattern, std::string_view path) {
  std::string line = FormatMessage(utf8Pattern, path);
  if (line.size() < kFrameWidth) line.append(kFrameWidth - line.size(), '-');
  return line;
}

// --- the list ---

CellListDialog::CellListDialog(AppState& app, const char* titleUtf8, const char* headerUtf8,
                               bool deleted, const DesignImage& image)
    : title(sjis::fromUtf8(titleUtf8)), app_(app) {
  std::vector<std::pair<std::string, std::int32_t>> cells;
  for (const std::int32_t off : DirectorySlots(image)) {
    const CellEntry e = ReadCellEntry(image, off);
    if (e.isFree()) break;
    if (e.isDeleted() == deleted) cells.emplace_back(deleted ? deletedLine(e) : e.nameText(), off);
  }
  // Byte order of the names; equal texts (two deleted "TOP"s) keep their slot order.
  std::stable_sort(cells.begin(), cells.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  lines.push_back(ListFrameLine(headerUtf8, app.design.path));
  slots_.push_back(0);
  for (auto& [text, off] : cells) {
    lines.push_back(std::move(text));
    slots_.push_back(off);
  }
  lines.push_back(ListFrameLine(msg::kListTrailer, {}));
  slots_.push_back(0);
}

std::int32_t CellListDialog::slotOfLine(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= slots_.size()) return 0;
  return slots_[static_cast<std::size_t>(index)];
}

bool CellListDialog::selectText(std::string_view text) {
  for (std::size_t i = 1; i + 1 < lines.size(); ++i)
    if (lines[i] == text) return selectLine(static_cast<int>(i));
  selected = -1;
  return false;
}

bool CellListDialog::selectLine(int index) {
  // The header and trailer are known by position, so a cell named "-A" can still be picked.
  if (slotOfLine(index) == 0) return false;
  selected = index;
  return true;
}

std::string CellListDialog::selectedName() const {
  return hasSelection() ? lines[static_cast<std::size_t>(selected)] : std::string();
}

void CellListDialog::removeLine(int index) {
  lines.erase(lines.begin() + index);
  slots_.erase(slots_.begin() + index);
  if (selected == index)
    selected = -1;
  else if (selected > index)
    --selected;
}

int CellListDialog::insertLine(std::string text, std::int32_t slot) {
  auto pos = std::upper_bound(lines.begin() + 1, lines.end() - 1, text);
  const auto index = pos - lines.begin();
  lines.insert(pos, std::move(text));
  slots_.insert(slots_.begin() + index, slot);
  if (selected >= index) ++selected;
  return static_cast<int>(index);
}

void CellListDialog::refuse(const char* utf8, std::string_view arg) {
  showBox(app_, utf8, arg, Icon::Exclamation);
}

void CellListDialog::askToSelect() {
  showBox(app_, msg::kSelectFirst, {}, Icon::Information);
}

// --- copy ---

CellCopyDialog::CellCopyDialog(AppState& app, bool fromSource)
    : CellListDialog(app, msg::kTitleCellCopy, msg::kListHeaderWide, false,
                     fromSource ? app.design.source : app.design.image),
      fromSource_(fromSource) {}

bool CellCopyDialog::selectLine(int index) {
  if (!CellListDialog::selectLine(index)) return false;
  sourceName = ClipFieldText(selectedName());
  return true;
}

bool CellCopyDialog::pressCreate() {
  auto& d = app_.design;
  const std::string from = FieldCellName(sourceName);
  const std::string to = FieldCellName(newName);
  if (from.empty() || to.empty() || (!fromSource_ && from == to)) return false;
  const DesignImage& source = fromSource_ ? d.source : d.image;
  const CopyOutcome out =
      CopyCell(source, from, d.image, d.version, to, &app_.host, &app_.continueFlag);
  switch (out.result) {
    case CopyResult::Copied:
      break;
    case CopyResult::NameTaken:
      refuse(msg::kSameCellExists);
      return false;
    case CopyResult::NotFound:
      refuse(msg::kCellNotFound, from);
      return false;
    case CopyResult::NoSlot:
      refuse(msg::kTooManyCells);
      return false;
    case CopyResult::TooLarge:
      refuse(msg::kOutOfMemory);
      return false;
    case CopyResult::Damaged:
      refuse(msg::kDamaged, d.path);
      return false;
    case CopyResult::Stopped:
      app_.continueFlag = true;  // Escape stopped this copy only; the dialog goes on
      return false;
  }
  if (fromSource_) {
    // The copied source cell leaves the list.
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
      if (lines[i] == from) {
        removeLine(static_cast<int>(i));
        break;
      }
  } else {
    selected = insertLine(to, out.slotOffset);
  }
  return true;
}

void CellCopyDialog::setWordField(std::size_t index, std::string_view word) {
  (index == 0 ? sourceName : newName) = ClipFieldText(word);
}

// --- rename ---

CellRenameDialog::CellRenameDialog(AppState& app)
    : CellListDialog(app, msg::kTitleCellRename, msg::kListHeaderWide, false, app.design.image) {}

bool CellRenameDialog::selectLine(int index) {
  if (!CellListDialog::selectLine(index)) return false;
  oldName = ClipFieldText(selectedName());
  return true;
}

bool CellRenameDialog::pressChange() {
  auto& d = app_.design;
  const std::string from = FieldCellName(oldName);
  const std::string to = FieldCellName(newName);
  if (from.empty() || to.empty() || from == to) return false;
  if (FindCell(d.image, to).result == FindResult::Found) {
    refuse(msg::kSameCellExists);
    return false;
  }
  const FindOutcome found = FindCell(d.image, from);
  if (found.result != FindResult::Found) {
    refuse(msg::kCellNotFound, from);
    return false;
  }
  CellEntry e = ReadCellEntry(d.image, found.slotOffset);
  e.setName(to);
  WriteCellEntry(d.image, found.slotOffset, e);
  if (d.hasCell() && d.current.slotOffset == found.slotOffset) {
    // The working copy is written back on every append: it must carry the new name too.
    d.current.name = to;
    d.current.entry.setName(to);
    app_.host.invalidate(Window::Status);
  }
  for (std::size_t i = 1; i + 1 < lines.size(); ++i)
    if (slotOfLine(static_cast<int>(i)) == found.slotOffset) {
      removeLine(static_cast<int>(i));
      break;
    }
  selected = insertLine(to, found.slotOffset);
  return true;
}

void CellRenameDialog::setWordField(std::size_t index, std::string_view word) {
  (index == 0 ? oldName : newName) = ClipFieldText(word);
}

// --- delete ---

CellDeleteDialog::CellDeleteDialog(AppState& app)
    : CellListDialog(app, msg::kTitleCellDelete, msg::kListHeaderNarrow, false, app.design.image) {}

bool CellDeleteDialog::pressDelete() {
  if (!hasSelection()) {
    askToSelect();
    return false;
  }
  auto& d = app_.design;
  const std::int32_t slot = slotOfLine(selected);
  MarkCellDeleted(d.image, slot);
  if (d.hasCell() && d.current.slotOffset == slot) {
    ClearCurrent(d);
    app_.host.invalidate(Window::Status);
  }
  removeLine(selected);
  return true;
}

void CellDeleteDialog::setWordField(std::size_t, std::string_view word) {
  wordName_ = FieldCellName(ClipFieldText(word));
  selectText(wordName_);
}

void CellDeleteDialog::pressWordButton() {
  if (!hasSelection() && !wordName_.empty()) return refuse(msg::kCellNotFound, wordName_);
  pressDelete();
}

// --- restore ---

CellRestoreDialog::CellRestoreDialog(AppState& app)
    : CellListDialog(app, msg::kTitleCellRestore, msg::kListHeaderWide, true, app.design.image) {}

bool CellRestoreDialog::selectLine(int index) {
  if (!CellListDialog::selectLine(index)) return false;
  restoredName = ClipFieldText(selectedName());
  return true;
}

bool CellRestoreDialog::pressRestore() {
  const std::string name = FieldCellName(restoredName);
  if (name.empty() || name[0] == '?') return false;
  if (!hasSelection()) {
    askToSelect();
    return false;
  }
  auto& d = app_.design;
  if (FindCell(d.image, name).result == FindResult::Found) {
    refuse(msg::kSameCellExists);
    return false;
  }
  // The slot of the selected line: two deleted cells may show the same line.
  const std::int32_t slot = slotOfLine(selected);
  CellEntry e = ReadCellEntry(d.image, slot);
  e.setName(name);
  WriteCellEntry(d.image, slot, e);
  removeLine(selected);
  return true;
}

void CellRestoreDialog::setWordField(std::size_t, std::string_view word) {
  // The list shows a deleted cell by its name with the first byte as '?'; selecting a line
  // fills the field with it, so the field is set afterwards.
  const std::string name = FieldCellName(ClipFieldText(word));
  if (!name.empty()) selectText("?" + name.substr(1));
  restoredName = ClipFieldText(word);
}

void CellRestoreDialog::pressWordButton() {
  const std::string name = FieldCellName(restoredName);
  if (!hasSelection() && !name.empty()) return refuse(msg::kCellNotFound, name);
  pressRestore();
}

// --- list ---

CellNamesDialog::CellNamesDialog(AppState& app)
    : CellListDialog(app, msg::kTitleCellList, msg::kListHeaderNarrow, false, app.design.image) {}

bool CellNamesDialog::pressSelect() {
  if (!hasSelection()) {
    askToSelect();
    return false;
  }
  chosen = selectedName();
  finished = true;
  return true;
}

void CellNamesDialog::setWordField(std::size_t, std::string_view word) {
  wordName_ = FieldCellName(ClipFieldText(word));
  selectText(wordName_);
}

void CellNamesDialog::pressWordButton() {
  if (!hasSelection() && !wordName_.empty()) return refuse(msg::kCellNotFound, wordName_);
  pressSelect();
}

// --- commands ---

CellDialogResult RunCellCopyDialog(AppState& app, const DialogWords& words) {
  if (auto r = mayStart(app); r != CellDialogResult::Done) return r;
  DialogOpenMark mark(app.design);
  CellCopyDialog dialog(app, false);
  app.host.runDialogWithWords(dialog, words);
  return CellDialogResult::Done;
}

CellDialogResult RunCellRenameDialog(AppState& app, const DialogWords& words) {
  return runSimple<CellRenameDialog>(app, words);
}
CellDialogResult RunCellDeleteDialog(AppState& app, const DialogWords& words) {
  return runSimple<CellDeleteDialog>(app, words);
}
CellDialogResult RunCellRestoreDialog(AppState& app, const DialogWords& words) {
  return runSimple<CellRestoreDialog>(app, words);
}

CellDialogResult RunCellCopyDialog(AppState& app) {
  return RunCellCopyDialog(app, {});
}
CellDialogResult RunCellRenameDialog(AppState& app) {
  return RunCellRenameDialog(app, {});
}
CellDialogResult RunCellDeleteDialog(AppState& app) {
  return RunCellDeleteDialog(app, {});
}
CellDialogResult RunCellRestoreDialog(AppState& app) {
  return RunCellRestoreDialog(app, {});
}
CellDialogResult RunCopyFromDesign(AppState& app) {
  return RunCopyFromDesign(app, {});
}

CellListChoice RunCellNamesDialog(AppState& app, bool commandWaitsForName,
                                  const DialogWords& words) {
  CellListChoice choice;
  choice.result = mayStart(app);
  if (choice.result != CellDialogResult::Done) return choice;
  DialogOpenMark mark(app.design);
  CellNamesDialog dialog(app);
  app.host.runDialogWithWords(dialog, words);
  if (!dialog.chosen.empty()) {
    choice.name = dialog.chosen;
    choice.action = commandWaitsForName ? CellListChoice::Action::HandToCommand
                                        : CellListChoice::Action::OpenCell;
  }
  return choice;
}

CellDialogResult RunCopyFromDesign(AppState& app, const DialogWords& words) {
  if (auto r = mayStart(app); r != CellDialogResult::Done) return r;
  auto& d = app.design;
  std::optional<std::string> chosen;
  if (!words.empty()) {
    chosen = words[0];
  } else {
    FileDialogRequest request;
    request.title = msg::kTitleCopySourceFile;
    request.filter = msg::kFilterCad;
    chosen = app.host.openFileDialog(request);
  }
  if (!chosen) return CellDialogResult::Done;
  const auto found = paths::findCaseInsensitive(designFileName(*chosen));
  if (!found) {
    showBox(app, msg::kCannotOpen, *chosen, Icon::Exclamation);
    return CellDialogResult::Refused;
  }
  const std::string full = paths::absolute(*found);
  const LoadError err = LoadCadFile(full, d.source, &app.host, &app.continueFlag);
  if (err == LoadError::None && HeaderVersion(d.source) >= kFirstUnreadableVersion) {
    d.source = {};
    showBox(app, msg::kNewerVersion, {}, Icon::Exclamation);
    return CellDialogResult::Refused;
  }
  if (err != LoadError::None) {
    d.source = {};
    if (err == LoadError::TooLarge) showBox(app, msg::kOutOfMemory, {}, Icon::Exclamation);
    if (err == LoadError::Damaged) showBox(app, msg::kDamaged, full, Icon::Exclamation);
    if (err == LoadError::CannotOpen) showBox(app, msg::kCannotOpen, full, Icon::Exclamation);
    return CellDialogResult::Refused;
  }
  // While the dialog is up the current path names the source (its header shows it).
  DialogOpenMark mark(d);
  const std::string ownPath = std::exchange(d.path, full);
  d.sourcePath = full;
  {
    CellCopyDialog dialog(app, true);
    if (words.size() < 2) app.host.runDialog(dialog);
    for (std::size_t i = 1; i < words.size(); ++i) {
      dialog.setWordField(0, words[i]);
      dialog.setWordField(1, words[i]);
      dialog.pressCreate();
    }
  }
  d.path = ownPath;
  d.sourcePath.clear();
  d.source = {};
  return CellDialogResult::Done;
}

}  // namespace lav::db
