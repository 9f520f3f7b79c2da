#include "app/batch_host.h"

#include <cctype>
#include <cstdio>
#include <ctime>

#include "app/stop_signals.h"
#include "display/print_dialog.h"
#include "qt/qt_printer.h"

namespace lav::app {
namespace {

const char* answerName(Answer a) {
  switch (a) {
    case Answer::Ok:
      return "OK";
    case Answer::Cancel:
      return "Cancel";
    case Answer::Yes:
      return "Yes";
    case Answer::No:
      return "No";
  }
  return "?";
}

bool toAnswer(const std::string& w, Answer& a) {
  if (w == "yes" || w == "y")
    a = Answer::Yes;
  else if (w == "no" || w == "n")
    a = Answer::No;
  else if (w == "ok")
    a = Answer::Ok;
  else if (w == "cancel")
    a = Answer::Cancel;
  else
    return false;
  return true;
}

}  // namespace

bool ParseAnswerList(const std::string& list, std::vector<std::string>& words, std::string& bad) {
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    std::string w = list.substr(start, comma - start);
    for (auto& c : w) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    Answer a;
    if (!w.empty()) {
      if (!toAnswer(w, a)) {
        bad = w;
        return false;
      }
      words.push_back(w);
    }
    start = comma + 1;
  }
  return true;
}

BatchHost::BatchHost(const std::vector<std::string>& answerWords) {
  for (const auto& w : answerWords) {
    Answer a;
    if (toAnswer(w, a)) answers.push_back(a);
  }
  // Printing goes into a PDF file, with the print settings as the dialog shows them.
  printerEntry = qt::PrinterEntry(false);
  printerFactory = [](const PrinterName& name) { return qt::OpenPrinter(name); };
  dialogHandlers["print-settings"] = [](DialogModel& m) {
    if (auto* print = dynamic_cast<display::PrintDialog*>(&m)) print->pressExecute();
  };
  dialogHandlers["cell-tree"] = [](DialogModel&) {};  // it only shows the report just written
  onBox = [this](const RecordedBox& box) {
    std::fprintf(stderr, "[%s] %s -> %s\n", box.caption.c_str(), box.text.c_str(),
                 answerName(box.answer));
  };
}

void BatchHost::messageStep(bool& continueFlag) {
  if (StopSignal() != 0) continueFlag = false;
  ScriptedHost::messageStep(continueFlag);
}

std::optional<std::string> BatchHost::takeLine() {
  return nextLine ? nextLine() : std::nullopt;
}

void BatchHost::runDialog(DialogModel& model) {
  const std::string kind(model.kind());
  if (dialogHandlers.count(kind) != 0) return ScriptedHost::runDialog(model);
  dialogsRun.push_back(kind);
  model.finished = true;
  const std::size_t fields = model.wordFields();
  if (fields == 0) {
    ++unansweredDialogs;
    std::fprintf(stderr,
                 "lavinor: the dialog \"%s\" cannot be answered in a batch run; "
                 "the command did nothing\n",
                 kind.c_str());
    return;
  }
  for (std::size_t i = model.wordsGiven; i < fields; ++i) {
    auto line = takeLine();
    if (!line) {
      ++unansweredDialogs;
      std::fprintf(stderr,
                   "lavinor: the input ended before the fields of the dialog \"%s\"; "
                   "the command did nothing\n",
                   kind.c_str());
      return;
    }
    model.setWordField(i, *line);
  }
  model.pressWordButton();
}

std::optional<std::string> BatchHost::openFileDialog(const FileDialogRequest& request) {
  fileRequests.push_back(request);
  auto line = takeLine();
  if (line) {
    const auto first = line->find_first_not_of(" \t");
    *line = first == std::string::npos
                ? std::string()
                : line->substr(first, line->find_last_not_of(" \t") + 1 - first);
  }
  if (!line || line->empty()) {
    ++unansweredDialogs;
    std::fprintf(stderr,
                 "lavinor: no file name followed for the file dialog; nothing was opened\n");
    return std::nullopt;
  }
  return line;
}

LocalTime BatchHost::now() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  if (!localtime_r(&t, &local)) return clock;
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace lav::app
