// The shell's own texts, sections and keys of Lavinor.ini, as UTF-8. They are converted to
// Shift-JIS where they enter the settings file, a buffer or a message box.
#pragma once

#include "db/messages.h"

namespace lav::shell::msg {

inline constexpr const char* kSectionStart = "起動状態";
inline constexpr const char* kKeyOpen = "OPEN";
inline constexpr const char* kSectionBackground = "BackGround";
inline constexpr const char* kKeyBackground = "背景の色";
inline constexpr const char* kBlack = "黒色";
inline constexpr const char* kWhite = "白色";
inline constexpr const char* kSectionWindowSize = "WindowSize";
inline constexpr const char* kKeyCommandWindow = "Command Window";
inline constexpr const char* kKeyStatusWindow = "Status Window";
inline constexpr const char* kKeyGraphicsWindow = "Graphics Window";
inline constexpr const char* kKeyToolbar = "Toolbar";
inline constexpr const char* kSectionToolbar = "Toolbar";

inline constexpr const char* kAlreadyRunning = "すでに起動されています";
inline constexpr const char* kProgramCaption = "Lavinor";
// A file the program cannot run without is missing; %s is its full path.
inline constexpr const char* kRequiredFileMissing = db::msg::kCannotOpenFile;
inline constexpr const char* kRedrawingPrompt = db::msg::kRedrawing;

inline constexpr const char* kFontFileName = "MOJIDATA.DAT";
inline constexpr const char* kCommandFileName = "Lavinor.cmd";
inline constexpr const char* kAutoMacroName = "AUTO.MAC";

}  // namespace lav::shell::msg
