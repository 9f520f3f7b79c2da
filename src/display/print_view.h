// Printing the view: the default printer, the print area and magnification, and the page drawn
// by the same hierarchy walk as the Graphics Window, at the printer's resolution.
#pragma once

#include <optional>
#include <string_view>

#include "display/print_state.h"
#include "display/view_state.h"
#include "platform/printer.h"

namespace lav {
struct Settings;
}  // namespace lav

namespace lav::display {

struct SceneState;

// The profile entry "device,driver,port" (at most 130 bytes; blanks after a comma skipped);
// nullopt for an empty entry.
std::optional<PrinterName> ParsePrinterEntry(std::string_view entry);

// An unset print area becomes the view window, at the magnification that prints the view as
// many printer dots wide as the Graphics Window is pixels wide (rounded to 5 decimals), scaled
// to the chosen unit; no unit chosen yet makes it um.
void DerivePrintArea(PrintState& print, Settings& settings, const ViewState& view,
                     int dotsPerInchX);

// The view of the printed page: the print area with its corners ordered, as many dots as the
// magnification gives, limited to a page of pageWidth x pageHeight dots (what lies beyond the
// paper is not drawn). nullopt when the area or the page size is empty.
std::optional<ViewState> PageView(const PrintState& print, const Settings& settings,
                                  const ViewState& screen, int dotsPerInchX, int dotsPerInchY,
                                  int pageWidth, int pageHeight);

// Command 111 and the menu item: prints the view on the default printer after the print
// settings dialog. Every way out ends the document and clears `Printing`.
void PrintView(SceneState& app);

}  // namespace lav::display
