#include "shell/startup.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "command/handlers.h"
#include "db/design_files.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/sjis.h"
#include "shell/messages.h"
#include "state/app_state.h"

namespace lav::shell {
namespace {

std::string s(const char* utf8) {
  return sjis::fromUtf8(utf8);
}

std::string upper(std::string a) {
  for (char& c : a) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return a;
}

bool readable(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return static_cast<bool>(in);
}

WindowRect rectOf(int x, int y, int w, int h) {
  return {x, y, x + w, y + h};
}

}  // namespace

std::optional<std::string> MissingRequiredFile(const std::string& programDir) {
  for (const char* name : {msg::kFontFileName, msg::kCommandFileName}) {
    const std::string path = paths::join(programDir, name);
    auto found = paths::findCaseInsensitive(path);
    if (!found || !readable(*found)) return path;
  }
  return std::nullopt;
}

std::string DataDirectory(const std::string& executableDir) {
  const auto holdsData = [](const std::string& dir) {
    for (const char* name : {msg::kFontFileName, msg::kCommandFileName})
      if (paths::findCaseInsensitive(paths::join(dir, name))) return true;
    return false;
  };
  if (holdsData(executableDir)) return executableDir;
  const std::string installed =
      std::filesystem::path(paths::join(executableDir, "../share/lavinor")).lexically_normal();
  return holdsData(installed) ? installed : executableDir;
}

bool SkipsInstanceCheck(const std::vector<std::string>& args) {
  for (const auto& a : args)
    if (upper(a) == "/S" || upper(a) == "-S") return true;
  return false;
}

bool SetRunningMark(const std::string& iniPath, const char* value) {
  // The check and the mark are one step under the settings lock: of two programs started
  // together, the second sees the first one's mark.
  std::optional<std::string> before;
  ini::UpdateProfile(iniPath, [&](ini::IniFile& f) {
    before = f.get(s(msg::kSectionStart), s(msg::kKeyOpen));
    f.set(s(msg::kSectionStart), s(msg::kKeyOpen), value);
  });
  return before && *before == "1";
}

bool FixBackground(const std::string& iniPath, const std::vector<std::string>& args) {
  const std::string section = s(msg::kSectionBackground), key = s(msg::kKeyBackground);
  bool white = false;
  ini::UpdateProfile(iniPath, [&](ini::IniFile& f) {
    const auto stored = f.get(section, key);
    white = stored && *stored != s(msg::kBlack);
    for (const auto& a : args) {
      const std::string u = upper(a);
      if (u == "/W" || u == "-W") white = true;
      if (u == "/B" || u == "-B") white = false;
    }
    f.set(section, key, s(white ? msg::kWhite : msg::kBlack));
  });
  return white;
}

std::optional<WindowRect> ReadWindowRect(const std::string& iniPath, const char* key) {
  const auto v = ini::IniFile::load(iniPath).get(s(msg::kSectionWindowSize), s(key));
  if (!v) return std::nullopt;
  // Read wide, so that a number beyond an int is refused rather than wrapped.
  long long n[4];
  if (std::sscanf(v->c_str(), "%lld %lld %lld %lld", &n[0], &n[1], &n[2], &n[3]) != 4)
    return std::nullopt;
  for (long long x : n)
    if (x < INT32_MIN || x > INT32_MAX) return std::nullopt;
  return WindowRect{int(n[0]), int(n[1]), int(n[2]), int(n[3])};
}

bool UsableWindowRect(const WindowRect& r, const std::vector<WindowRect>& screens) {
  // The window system makes no window wider or higher than 32767 pixels.
  if (r.width() <= 0 || r.height() <= 0 || r.width() > 32767 || r.height() > 32767) return false;
  for (const WindowRect& sc : screens) {
    const std::int64_t w = std::min<std::int64_t>(r.right, sc.right) - std::max(r.left, sc.left);
    const std::int64_t h = std::min<std::int64_t>(r.bottom, sc.bottom) - std::max(r.top, sc.top);
    if (w >= kMinVisiblePart && h >= kMinVisiblePart) return true;
  }
  return false;
}

void SaveWindowRect(const std::string& iniPath, const char* key, const WindowRect& r) {
  char text[64];
  std::snprintf(text, sizeof text, "%d %d %d %d", r.left, r.top, r.right, r.bottom);
  ini::WriteProfileString(iniPath, s(msg::kSectionWindowSize), s(key), text);
}

WindowLayout DefaultLayout(int W, int H, int L) {
  const int statusHeight = 9 * L / 2;
  WindowLayout l;
  l.command = rectOf(0, 0, W / 4 + 1, H - 30);
  l.status = rectOf(W / 4, H - statusHeight - 30, 3 * W / 4, statusHeight);
  l.graphics = rectOf(W / 4, 0, 3 * W / 4, H - statusHeight - 29);
  return l;
}

WindowLayout StoredLayout(const std::string& iniPath, int W, int H, int L,
                          std::vector<WindowRect> screens) {
  WindowLayout l = DefaultLayout(W, H, L);
  if (screens.empty()) screens.push_back({0, 0, W, H});
  // A stored rectangle that no one could see or paint gives way to the default, which is
  // written back so that the next start finds a good one.
  const ini::IniFile f = ini::IniFile::load(iniPath);
  auto take = [&](const char* key, WindowRect& slot) {
    if (!f.get(s(msg::kSectionWindowSize), s(key))) return false;
    const auto r = ReadWindowRect(iniPath, key);
    if (!r || !UsableWindowRect(*r, screens)) {
      SaveWindowRect(iniPath, key, slot);
      return false;
    }
    slot = *r;
    return true;
  };
  if (take(msg::kKeyCommandWindow, l.command) && l.command.height() < 40)
    l.command = rectOf(0, 0, W / 4 + 2, H);
  take(msg::kKeyStatusWindow, l.status);
  take(msg::kKeyGraphicsWindow, l.graphics);
  return l;
}

bool ToolbarWanted(const std::string& iniPath) {
  const auto v = ini::IniFile::load(iniPath).get(s(msg::kSectionToolbar), s(msg::kKeyToolbar));
  return !v || *v == "TRUE";
}

void SaveToolbarState(const std::string& iniPath, bool exists) {
  ini::WriteProfileString(iniPath, s(msg::kSectionToolbar), s(msg::kKeyToolbar),
                          exists ? "TRUE" : "FALSE");
}

StartOutcome CheckStart(AppState& app) {
  ShellState& sh = app.shell;
  if (auto missing = MissingRequiredFile(app.programDir)) {
    app.host.messageBox(db::FormatMessage(msg::kRequiredFileMissing, sjis::fromUtf8(*missing)),
                        s(msg::kProgramCaption), Icon::Exclamation, Buttons::Ok);
    return StartOutcome::MissingFile;
  }
  if (!SkipsInstanceCheck(sh.arguments) && SetRunningMark(sh.settingsPath, "1")) {
    app.host.messageBox(s(msg::kAlreadyRunning), s(msg::kProgramCaption), Icon::Information,
                        Buttons::Ok);
    return StartOutcome::AlreadyRunning;
  }
  sh.whiteBackground = FixBackground(sh.settingsPath, sh.arguments);
  return StartOutcome::Run;
}

std::vector<MainWindow> WindowDestroyed(ShellState& shell, MainWindow which) {
  if (which != MainWindow::Command) {
    if (shell.closing != 0) return {};
    shell.closing = which == MainWindow::Status ? kClosingStatusFirst : kClosingGraphicsFirst;
    return {MainWindow::Command};
  }
  const int flag = shell.closing;
  shell.closing |= kClosingCommand;
  if (flag == kClosingStatusFirst) return {MainWindow::Graphics};
  if (flag == kClosingGraphicsFirst) return {MainWindow::Status};
  return {MainWindow::Status, MainWindow::Graphics};
}

bool ConfirmEnd(AppState& app) {
  return command::AskAndCloseDesign(app, Buttons::YesNo);
}

}  // namespace lav::shell
