// The Command Window's main menu: its popups and items (Japanese texts), and what choosing an
// item does. Most items type their command as a line; a few are handled by the window.
#pragma once

#include <span>

namespace lav {
struct AppState;
}

namespace lav::shell {

struct MenuEntry {
  int popup;         // index of the popup the item belongs to
  int id;            // item number; 0 is a separator
  const char* text;  // UTF-8
};

// Popup titles (UTF-8), in menu-bar order.
std::span<const char* const> MenuPopups();
// Items in order, each naming its popup; sub-popups are not used.
std::span<const MenuEntry> MenuEntries();

enum class MenuOutcome {
  Typed,    // a command line was entered (or refused with a message)
  Print,    // printing starts directly
  Version,  // the version information dialog
  Help,     // the help file was opened
};

// Item ids with a meaning of their own.
inline constexpr int kMenuPrint = 111;
inline constexpr int kMenuVersion = 1104;
inline constexpr int kMenuHelp = 2002;

// Runs a menu item: the command of the same number, or the argument or other command the
// item stands for; print and version are left to the window.
MenuOutcome RunMenuItem(AppState& app, int id);

}  // namespace lav::shell
