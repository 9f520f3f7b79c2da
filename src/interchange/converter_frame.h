// The frame every converter (GDSIN, GDSOUT, DXFIN, DXFOUT) runs in: the choice of its file and
// its log, the prompt line while it runs, the end of the log, the merge of the warnings kept
// apart during the run, the discard of a new design that an input could not fill, and the end
// of the command.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/conversion_log.h"

namespace lav {
struct LocalTime;
}  // namespace lav

namespace lav::interchange {

struct ExchangeState;

struct InputFileKind {
  const char* dialogTitle;       // UTF-8
  const char* filter;            // "Files(*.X)|*.X|" form
  const char* defaultExtension;  // added when the name has none
  const char* notFound;          // message with one %s for the name
};

struct ConverterFile {
  std::string path;  // an input as found on disk (letter case ignored); an output as formed
  int column = 0;    // the log's sort column
};

// The file an input reads: the first word of the arguments or, without one, the file-open
// dialog; the second word is the log's sort column. Nothing when the dialog was cancelled or
// the file is missing (the message box was shown).
std::optional<ConverterFile> ChooseInputFile(ExchangeState& app, std::string_view arguments,
                                             const InputFileKind& kind);

// The file an output writes: the first word of the arguments or the open design's path, with
// its extension replaced; the second word is the log's sort column. Nothing (with the box shown)
// when a file of that name exists: existing files are never overwritten.
std::optional<ConverterFile> ChooseOutputFile(ExchangeState& app, std::string_view arguments,
                                              std::string_view extension);

// True when the design's and the stream's database units agree, or the user goes on anyway.
bool ConfirmUnits(ExchangeState& app, long cadUnit, long gdsUnit);

// The log beside a converter's file: its extension replaced by ".txt", never the file itself.
std::string LogPathFor(const std::string& path);

// Shows a converter's state ("実行中", the end lines; UTF-8) in the command window's prompt line.
void ShowRunPrompt(ExchangeState& app, const char* utf8);

// Shows the run's end ("----- nomal end -----" or "----- Error end -----") in the prompt line.
void ShowEndPrompt(ExchangeState& app, bool normalEnd);

// Writes the log's end line, closes the log and sorts its cell lines.
void EndLog(LogFile& log, const std::string& logPath, int headerLines, int column, bool normalEnd);

// Appends the warnings kept apart during a run to its log: a file (removed afterwards) or lines.
void MergeWarnings(const std::string& logPath, const std::string& warningFile);
void MergeWarnings(const std::string& logPath, const std::vector<std::string>& lines);

// The clock as the date of a log line or a new cell.
gds::DateTime ClockDate(const LocalTime& t);

// While an input runs, placements are not expanded (the cells are still arriving) and the view
// is the fixed one of a new design; restore() (or the end of its life) gives back the settings.
class ImportDisplay {
 public:
  explicit ImportDisplay(ExchangeState& app);
  ImportDisplay(const ImportDisplay&) = delete;
  ImportDisplay& operator=(const ImportDisplay&) = delete;
  ~ImportDisplay() { restore(); }
  void restore();

 private:
  ExchangeState& app_;
  std::int32_t saved_[4];
  bool restored_ = false;
};

// Closes, without writing, the new design that an input could not fill.
void DiscardNewDesign(ExchangeState& app);

// Ends a converter command: a run stopped by Escape prints "*** Abortion ***" and counts as the
// command's error.
void EndConverterCommand(ExchangeState& app, bool stopped);

}  // namespace lav::interchange
