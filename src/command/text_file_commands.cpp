#include "command/text_file_commands.h"

#include <cstdio>
#include <optional>
#include <string>

#include "command/dispatcher.h"
#include "command/line_expansion.h"
#include "console/tokens.h"
#include "macro/preprocess.h"
#include "macro/variables.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::command {
namespace {

constexpr std::size_t kFileNameLimit = 130;
constexpr std::size_t kLineLimit = 300;
constexpr std::size_t kShortLine = 199;

// "$" or "$n" with n 0..2 names a slot; no word means slot 0; anything else is no slot.
std::optional<int> slotOf(std::string_view word) {
  if (word.empty()) return 0;
  if (word.front() != '$') return std::nullopt;
  word.remove_prefix(1);
  if (word.empty()) return 0;
  if (word.size() == 1 && word[0] >= '0' && word[0] <= '2') return word[0] - '0';
  return std::nullopt;
}

void reportResult(AppState& app, bool ok) {
  ExpandLine(app, ok ? "&ERR = 0" : "&ERR = -1");
}

std::string_view rest(std::string_view text, std::string_view word) {
  auto pos = text.find(word);
  std::string_view r = text.substr(pos + word.size());
  while (!r.empty() && (r.front() == ' ' || r.front() == '\t')) r.remove_prefix(1);
  return r;
}

bool holdsWord(std::string_view line) {
  auto hash = line.find('#');
  if (hash != std::string_view::npos) line = line.substr(0, hash);
  return !SplitWords(line).empty();
}

}  // namespace

void RunTextFileName(AppState& app, std::string_view arguments) {
  auto words = SplitWords(arguments);
  std::optional<int> slot = words.size() >= 2 ? slotOf(words[1]) : 0;
  if (words.empty() || !slot || words[0].size() > kFileNameLimit) {
    reportResult(app, false);
    return;
  }
  auto& s = app.dispatch.textSlots[*slot];
  s.fileName = std::string(words[0]);
  s.readPosition = 0;
  reportResult(app, true);
}

void RunTextFileRead(AppState& app, std::string_view arguments) {
  auto words = SplitWords(arguments);
  std::optional<int> slot = words.size() >= 2 ? slotOf(words[1]) : 0;
  if (words.empty() || !slot || words[0].front() != '&' || words[0].size() < 2 ||
      words[0].size() > 31) {
    reportResult(app, false);
    return;
  }
  auto& s = app.dispatch.textSlots[*slot];
  std::FILE* f = s.fileName.empty() ? nullptr : std::fopen(s.fileName.c_str(), "rb");
  if (!f) {
    reportResult(app, false);
    return;
  }
  bool assigned = false;
  if (std::fseek(f, s.readPosition, SEEK_SET) == 0) {
    char buf[kLineLimit];
    const std::size_t room = kLineLimit - words[0].size() - 4;  // room for "&VAR = "
    while (std::fgets(buf, static_cast<int>(room), f)) {
      std::string line(buf);
      bool whole = !line.empty() && line.back() == '\n';
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
      if (!whole) {  // a longer line: its rest is skipped, never read as the next line
        int c;
        while ((c = std::fgetc(f)) != EOF && c != '\n') {
        }
      }
      s.readPosition = std::ftell(f);
      if (!holdsWord(line)) continue;
      assigned = AssignVariable(app, words[0], line);
      break;
    }
  }
  std::fclose(f);
  reportResult(app, assigned);
}

void RunTextFileWrite(AppState& app, std::string_view arguments) {
  auto words = SplitWords(arguments);
  int slot = 0;
  std::string_view text = arguments;
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  if (!words.empty() && words[0].front() == '$') {
    auto s = slotOf(words[0]);
    if (!s) {
      ShowRefusalBox(app.host, sjis::fromUtf8("ファイルを開くことが出来ませんでした。"), "Lavinor",
                     Icon::Information);
      reportResult(app, false);
      return;
    }
    slot = *s;
    text = rest(arguments, words[0]);
  }
  const auto& name = app.dispatch.textSlots[slot].fileName;
  std::FILE* f = name.empty() ? nullptr : std::fopen(name.c_str(), "a");
  bool ok = f != nullptr;
  if (f) {
    ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (ok && text.size() < kShortLine) ok = std::fputc('\n', f) != EOF;
    ok = std::fclose(f) == 0 && ok;
  }
  reportResult(app, ok);
}

}  // namespace lav::command
