// The batch runner: command lines from a file or standard input go through the same dispatcher
// as typed lines; the transcript goes to standard output and message boxes to standard error.
#pragma once

#include <istream>
#include <string>

namespace lav {
struct AppState;
}

namespace lav::app {

// What a batch run does besides its lines.
struct BatchOptions {
  bool autoMacro = true;       // run AUTO.MAC first, as the windowed program does at start
  long maxMacroLines = 0;      // a macro stops after this many lines (0: no limit)
  double maxMacroSeconds = 0;  // a macro stops after this many seconds (0: no limit)
};

struct BatchResult {
  long lines = 0;
  long errors = 0;  // refusals, error lines and lines that could not be run
};

// Feeds every line of in to the Command Window as if typed and entered; a macro waiting at an
// INKEY$ line takes the next line as its answer. At the end of the input an open design is
// closed as the exit command does (asking whether to write it).
BatchResult RunBatch(AppState& app, std::istream& in, const BatchOptions& options = {});

// Runs the macro file at path through the macro runner; its INKEY$ lines read their answers
// from the lines of answers. Then ends as RunBatch does.
BatchResult RunBatchMacro(AppState& app, const std::string& path, std::istream& answers,
                          const BatchOptions& options = {});

// True for a --batch file that is run as a macro (its name ends in .MAC in any case).
bool IsMacroFileName(const std::string& name);

// A line of the input as the program's Shift-JIS text: valid UTF-8 with non-ASCII characters is
// converted, anything else is taken as Shift-JIS bytes already.
std::string InputLineToSjis(const std::string& line);

}  // namespace lav::app
