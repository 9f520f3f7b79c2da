// The cell dialogs as data models: a sorted list of cell names between a header and a trailer
// line, the dialog's name fields and its button. The host shows a model and relays the user's
// actions to these operations; each action applies its rules and shows its own messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"

namespace lav {
struct AppState;
}

namespace lav::db {

struct DesignImage;

// Longest text a name field holds.
inline constexpr std::size_t kFieldLimit = 100;
// Width the list's header and trailer are filled to with '-'.
inline constexpr std::size_t kFrameWidth = 75;

// A field's text as the dialog keeps it: at most 100 bytes, never half a two-byte character.
std::string ClipFieldText(std::string_view text);
// The cell name a field stands for: its text up to the first blank.
std::string FieldCellName(std::string_view field);
// A header or trailer line: the pattern with the path for %s, filled with '-' to 75 characters.
std::string ListFrameLine(const char* utf8Pattern, std::string_view path);

class CellListDialog : public DialogModel {
 public:
  std::string title;               // Shift-JIS
  std::vector<std::string> lines;  // header, sorted names, trailer (Shift-JIS)
  int selected = -1;               // index into lines, -1: none

  // Selects a cell line; the header and trailer cannot be selected (false).
  virtual bool selectLine(int index);
  void close() { finished = true; }
  // The slot of a cell line (0 for header and trailer).
  std::int32_t slotOfLine(int index) const;
  // Selects the cell line that reads text; false (nothing selected) when there is none.
  bool selectText(std::string_view text);

 protected:
  // Lists the slots of image that pass the filter, each as lineText(entry name bytes).
  CellListDialog(AppState& app, const char* titleUtf8, const char* headerUtf8, bool deleted,
                 const DesignImage& image);
  bool hasSelection() const { return slotOfLine(selected) != 0; }
  std::string selectedName() const;
  void removeLine(int index);
  int insertLine(std::string text, std::int32_t slot);  // keeps the order; returns the index
  // Messages of the dialog's actions; the dialog stays open.
  void refuse(const char* utf8, std::string_view arg = {});
  void askToSelect();

  AppState& app_;

 private:
  std::vector<std::int32_t> slots_;  // parallel to lines
};

// "セルのコピーを作る" (command 8), or out of another design (command 15, fromSource).
class CellCopyDialog : public CellListDialog {
 public:
  CellCopyDialog(AppState& app, bool fromSource);
  std::string_view kind() const override { return "cell-copy"; }
  bool selectLine(int index) override;  // fills the source field
  void setSourceName(std::string_view text) { sourceName = ClipFieldText(text); }
  void setNewName(std::string_view text) { newName = ClipFieldText(text); }
  // "作成": true when a cell was made.
  bool pressCreate();
  // Words: the source name, then the new name.
  std::size_t wordFields() const override { return 2; }
  void setWordField(std::size_t index, std::string_view word) override;
  void pressWordButton() override { pressCreate(); }

  std::string sourceName;  // field "コピー元の名前"
  std::string newName;     // field "新しい名前"

 private:
  bool fromSource_;
};

// "セル名の変更" (command 9).
class CellRenameDialog : public CellListDialog {
 public:
  explicit CellRenameDialog(AppState& app);
  std::string_view kind() const override { return "cell-rename"; }
  bool selectLine(int index) override;  // fills the old-name field
  void setOldName(std::string_view text) { oldName = ClipFieldText(text); }
  void setNewName(std::string_view text) { newName = ClipFieldText(text); }
  // "変更": true when a cell was renamed.
  bool pressChange();
  // Words: the old name, then the new name.
  std::size_t wordFields() const override { return 2; }
  void setWordField(std::size_t index, std::string_view word) override;
  void pressWordButton() override { pressChange(); }

  std::string oldName;  // field "元の名前"
  std::string newName;  // field "新しい名前"
};

// "セルの削除" (command 10).
class CellDeleteDialog : public CellListDialog {
 public:
  explicit CellDeleteDialog(AppState& app);
  std::string_view kind() const override { return "cell-delete"; }
  // "削除": marks the selected cell deleted; true when one was.
  bool pressDelete();
  // Word: the name of the cell to delete.
  std::size_t wordFields() const override { return 1; }
  void setWordField(std::size_t, std::string_view word) override;
  void pressWordButton() override;

 private:
  std::string wordName_;  // the cell the word named
};

// "消したセルの復活" (command 11): the deleted slots, each shown as '?' and name bytes 2..32.
class CellRestoreDialog : public CellListDialog {
 public:
  explicit CellRestoreDialog(AppState& app);
  std::string_view kind() const override { return "cell-restore"; }
  bool selectLine(int index) override;  // copies the line into the field
  void setRestoredName(std::string_view text) { restoredName = ClipFieldText(text); }
  // "復活": gives the selected slot the field's name; true when a cell came back.
  bool pressRestore();
  // Word: the name the deleted cell had; it comes back under that name.
  std::size_t wordFields() const override { return 1; }
  void setWordField(std::size_t, std::string_view word) override;
  void pressWordButton() override;

  std::string restoredName;  // field "復活後の名前"
};

// "セル名の一覧" (command 12).
class CellNamesDialog : public CellListDialog {
 public:
  explicit CellNamesDialog(AppState& app);
  std::string_view kind() const override { return "cell-list"; }
  // "選択": ends the dialog with the selected name in chosen.
  bool pressSelect();
  // Word: the name to pick.
  std::size_t wordFields() const override { return 1; }
  void setWordField(std::size_t, std::string_view word) override;
  void pressWordButton() override;

  std::string chosen;

 private:
  std::string wordName_;
};

enum class CellDialogResult : std::uint8_t {
  Done,     // the dialog ran (whatever the user did in it)
  Refused,  // no design open, or the source file could not be read: the message was shown
  Busy,     // another cell dialog is open: nothing happens
};

CellDialogResult RunCellCopyDialog(AppState& app);     // command 8
CellDialogResult RunCellRenameDialog(AppState& app);   // command 9
CellDialogResult RunCellDeleteDialog(AppState& app);   // command 10
CellDialogResult RunCellRestoreDialog(AppState& app);  // command 11
CellDialogResult RunCopyFromDesign(AppState& app);     // command 15

// The same with the words typed after the command: all fields given, the dialog acts at once
// without showing; fewer, it shows with them filled in. For command 15 the first word names the
// design file (no file dialog) and each further word a cell copied under its own name.
CellDialogResult RunCellCopyDialog(AppState& app, const DialogWords& words);
CellDialogResult RunCellRenameDialog(AppState& app, const DialogWords& words);
CellDialogResult RunCellDeleteDialog(AppState& app, const DialogWords& words);
CellDialogResult RunCellRestoreDialog(AppState& app, const DialogWords& words);
CellDialogResult RunCopyFromDesign(AppState& app, const DialogWords& words);

// Command 12. With a command waiting for a name the picked name is handed back to it
// (HandToCommand); otherwise command 7 should open it (OpenCell).
struct CellListChoice {
  enum class Action : std::uint8_t { None, HandToCommand, OpenCell } action = Action::None;
  std::string name;  // Shift-JIS
  CellDialogResult result = CellDialogResult::Done;
};
CellListChoice RunCellNamesDialog(AppState& app, bool commandWaitsForName,
                                  const DialogWords& words = {});

}  // namespace lav::db
