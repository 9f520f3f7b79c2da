// What the core needs of the platform: message boxes, the file-open dialog, modal dialogs (each a
// data model the core fills and reads back), window titles, the shared message step and the clock.
// The Qt host implements it on widgets, the batch host on standard streams, tests on scripts.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/printer.h"

namespace lav {

enum class Icon { None, Exclamation, Information, Question, Warning };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

// Local clock reading; year is the full year.
struct LocalTime {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// The system file-open dialog. Filter is the program's "Files(*.CAD)|*.CAD|" form.
struct FileDialogRequest {
  std::string title;    // UTF-8; empty = the platform's default title
  std::string filter;   // "Name|pattern|Name|pattern|"
  int filterIndex = 1;  // 1-based, as the filter pairs are counted
  bool mustExist = true;
};

// Base of every modal dialog model. The core builds the model, the host shows it and relays the
// user's actions to the model's own operations until the model says it is finished.
class DialogModel {
 public:
  virtual ~DialogModel() = default;
  // A short stable name ("cell-copy", "cell-list", ...), used by hosts and test scripts.
  virtual std::string_view kind() const = 0;
  bool finished = false;

  // A dialog can also be answered with words, so that it can be scripted: typed after its
  // command's name, or read one per field by the batch runner. How many fields it takes that
  // way; 0 for a dialog that has no such form.
  virtual std::size_t wordFields() const { return 0; }
  // Fills field index (Shift-JIS) as if typed or picked there.
  virtual void setWordField(std::size_t index, std::string_view word) {
    (void)index;
    (void)word;
  }
  // Presses the button that acts on the fields; the dialog's rules and messages apply.
  virtual void pressWordButton() {}
  // How many fields were filled from words before the dialog was shown.
  std::size_t wordsGiven = 0;
};

using DialogWords = std::vector<std::string>;

// Windows the core can ask to be redrawn or retitled.
enum class Window { Command, Graphics, Status, Toolbar };

// The small top-most windows beside the main ones, and what is asked of one.
enum class ToolWindow { Toolbar, Palette };
enum class ToolWindowState { Hidden, Shown, Focused };

class Host {
 public:
  virtual ~Host() = default;

  // Where the refusals shown through ShowRefusalBox are counted: the error count of the
  // commands that the state using this host runs (the batch runner's exit status reads it).
  long* errorCount = nullptr;

  // Task-modal message box. Text and caption are Shift-JIS.
  virtual Answer messageBox(std::string_view text, std::string_view caption, Icon icon,
                            Buttons buttons) = 0;

  // Shows the open-file dialog. On OK returns the chosen file's name without folder (Shift-JIS)
  // and makes the file's folder the current directory; nullopt on cancel.
  virtual std::optional<std::string> openFileDialog(const FileDialogRequest& request) = 0;

  // Runs a modal dialog over its model until the model is finished or the user closes it.
  virtual void runDialog(DialogModel& model) = 0;
  // The same from words: when they fill every field, the dialog's button is pressed and no
  // window shows; otherwise the fields given are preset and the dialog is run for the rest.
  void runDialogWithWords(DialogModel& model, const DialogWords& words) {
    const std::size_t n = model.wordFields();
    for (std::size_t i = 0; i < words.size() && i < n; ++i) model.setWordField(i, words[i]);
    model.wordsGiven = words.size() < n ? words.size() : n;
    if (n > 0 && words.size() >= n) {
      model.pressWordButton();
      model.finished = true;
      return;
    }
    runDialog(model);
  }

  // Title of the Command Window (Shift-JIS).
  virtual void setTitle(std::string_view title) = 0;

  // Asks a window to be drawn again.
  virtual void invalidate(Window window) { (void)window; }

  // The shared message step: processes the pending window events once. Escape clears
  // continueFlag; a nested repaint of the Graphics Window is dropped.
  virtual void messageStep(bool& continueFlag) = 0;

  virtual LocalTime now() = 0;

  // Opens a file (the help page) with the platform's default handler.
  virtual void openWithDefaultHandler(const std::string& path) { (void)path; }

  // The modeless coordinate window: created the first time, then shows the text (Shift-JIS).
  // False where the platform has no such window; the text then goes to the command line.
  virtual bool showCoordinates(std::string_view text) {
    (void)text;
    return false;
  }
  virtual void closeCoordinateWindow() {}

  // Confines the pointer to the Graphics Window, captures the mouse and hides the system
  // pointer (on), or ends all three (off): the keyboard cursor and the zoom rectangle.
  virtual void capturePointer(bool on) { (void)on; }

  // Hides a tool window, or shows it (the Toolbar is created when it does not exist) and, when
  // asked, gives it the focus. False when the platform has no such window (the batch runner).
  virtual bool showToolWindow(ToolWindow window, ToolWindowState state) {
    (void)window;
    (void)state;
    return false;
  }

  // The default printer's profile entry "device,driver,port" (Shift-JIS); empty when there is
  // none.
  virtual std::string defaultPrinter() { return {}; }
  // A device for the printer; null when it cannot be had.
  virtual std::unique_ptr<PrinterDevice> openPrinter(const PrinterName& name) {
    (void)name;
    return nullptr;
  }
};

// The one way a refusal is shown: a box with the OK button (the exclamation icon unless the
// message has its own), counted once as an error. Text and caption are Shift-JIS.
inline void ShowRefusalBox(Host& host, std::string_view text, std::string_view caption,
                           Icon icon = Icon::Exclamation) {
  if (host.errorCount) ++*host.errorCount;
  host.messageBox(text, caption, icon, Buttons::Ok);
}

}  // namespace lav
