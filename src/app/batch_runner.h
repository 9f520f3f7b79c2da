// The batch runner: command lines from a file or standard input go through the same dispatcher
// as typed lines; the transcript goes to standard output and message boxes to standard error.
#pragma once

#include <istream>
#include <string>

namespace lav {
struct AppState;
}

namespace lav::app {

struct BatchResult {
  long lines = 0;
  long errors = 0;  // refusals, error lines and lines that could not be run
};

// Feeds every line of in to the Command Window as if typed and entered. At the end of the input
// an open design is closed as the exit command does (asking whether to write it).
BatchResult RunBatch(AppState& app, std::istream& in);

// A line of the input as the program's Shift-JIS text: valid UTF-8 with non-ASCII characters is
// converted, anything else is taken as Shift-JIS bytes already.
std::string InputLineToSjis(const std::string& line);

}  // namespace lav::app
