// Lavinor: the program's entry. "--batch FILE" (or "--batch -" for standard input) runs command
// lines without windows; the windowed program starts otherwise.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "app/batch_host.h"
#include "app/batch_runner.h"
#include "app/stop_signals.h"
#include "console/command_file.h"
#include "console/command_window.h"
#include "db/safe_write.h"
#include "platform/paths.h"
#include "platform/sjis.h"
#include "qt/main_windows.h"
#include "shell/startup.h"
#include "state/app_state.h"

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: lavinor [/W|/B] [/S] [FILE.CAD]\n"
               "       lavinor --batch FILE|- [--answer yes,no,ok,cancel,...]\n"
               "       lavinor --version | --help\n"
               "  /W, /B         white or black background (kept for the next start)\n"
               "  /S             start even when another instance is marked running\n"
               "  --batch FILE   run the command lines of FILE (Shift-JIS or UTF-8)\n"
               "  --batch -      read command lines from standard input\n"
               "  --batch F.MAC  run the macro file F.MAC (INKEY$ answers from standard input)\n"
               "  --answer LIST  answers for the boxes that ask (Yes/No, OK/Cancel), in order\n"
               "                 (default: each box's first button; OK-only boxes take none)\n"
               "  --no-auto-macro        do not run AUTO.MAC before the batch work\n"
               "  --max-macro-lines N    stop a macro after N lines (an endless loop ends)\n"
               "  --max-macro-seconds S  stop a macro after S seconds\n"
               "Exit status: 0 when every command ran, 1 when a command reported an error,\n"
               "2 for a usage or start-up error.\n");
}

std::string executableDirectory(const char* argv0) {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  std::string path = n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string(argv0);
  auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

int main(int argc, char** argv) {
  // Work files that killed programs left in this folder are of no use to anyone.
  lav::db::RemoveStaleWorkFiles(".");
  bool windowed = true;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    // Answered before anything else, so that it works without a display and without data.
    if (a == "--version") {
      std::printf("Lavinor %s\n", LAVINOR_VERSION);
      return 0;
    }
    if (a == "--batch" || a == "--answer" || a == "--help" || a == "-h") windowed = false;
  }
  const std::string dataDir = lav::shell::DataDirectory(executableDirectory(argv[0]));
  // Without --batch the windows start; the other arguments are switches and design files.
  if (windowed) return lav::qt::RunWindowedProgram(argc, argv, dataDir);

  std::string batchFile;
  bool batch = false;
  std::vector<std::string> answers;
  lav::app::BatchOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--batch" && i + 1 < argc) {
      batch = true;
      batchFile = argv[++i];
    } else if (a == "--answer" && i + 1 < argc) {
      std::string bad;
      if (!lav::app::ParseAnswerList(argv[++i], answers, bad)) {
        std::fprintf(stderr, "lavinor: unknown answer '%s'\n", bad.c_str());
        return 2;
      }
    } else if (a == "--no-auto-macro") {
      options.autoMacro = false;
    } else if ((a == "--max-macro-lines" || a == "--max-macro-seconds") && i + 1 < argc) {
      char* end = nullptr;
      const double v = std::strtod(argv[++i], &end);
      if (end == argv[i] || *end != '\0' || !(v > 0) || v > 1e12) {
        std::fprintf(stderr, "lavinor: %s needs a positive number, not '%s'\n", a.c_str(), argv[i]);
        return 2;
      }
      if (a == "--max-macro-lines")
        options.maxMacroLines = static_cast<long>(v);
      else
        options.maxMacroSeconds = v;
    } else if (a == "--help" || a == "-h") {
      usage();
      return 0;
    } else {
      std::fprintf(stderr, "lavinor: unknown argument '%s'\n", a.c_str());
      usage();
      return 2;
    }
  }
  if (!batch) {
    usage();
    return 2;
  }

  lav::app::BatchHost host(answers);
  lav::AppState app(host);
  app.programDir = dataDir;
  if (!lav::command::LoadCommandFile(app)) {
    std::fprintf(stderr, "lavinor: the command file Lavinor.cmd is missing or unreadable in %s\n",
                 app.programDir.c_str());
    return 2;
  }
  app.window.transcript.onLine = [](std::string_view line) {
    std::string text = lav::sjis::toUtf8(std::string(line));
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
  };

  // No Escape key here: SIGINT and SIGTERM stop the run instead of killing it.
  lav::app::CatchStopSignals();
  lav::app::BatchResult result;
  if (batchFile == "-") {
    result = lav::app::RunBatch(app, std::cin, options);
  } else if (lav::app::IsMacroFileName(batchFile)) {
    // A macro file runs as a macro; its INKEY$ answers come from standard input.
    auto found = lav::paths::findCaseInsensitive(batchFile);
    if (!found || !std::ifstream(*found, std::ios::binary)) {
      std::fprintf(stderr, "lavinor: cannot open %s\n", batchFile.c_str());
      return 2;
    }
    result = lav::app::RunBatchMacro(app, lav::paths::absolute(*found), std::cin, options);
  } else {
    auto found = lav::paths::findCaseInsensitive(batchFile);
    std::ifstream in(found ? *found : batchFile, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "lavinor: cannot open %s\n", batchFile.c_str());
      return 2;
    }
    result = lav::app::RunBatch(app, in, options);
  }
  std::fflush(stdout);
  const long errors = result.errors + host.unansweredDialogs;
  if (errors > 0) {
    std::fprintf(stderr, "lavinor: %ld line(s), %ld error(s)\n", result.lines, errors);
    return 1;
  }
  return 0;
}
