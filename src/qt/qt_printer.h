// Printers on Qt. Which printer prints:
//  - LAVINOR_PRINT_PDF=path in the environment: always that PDF file;
//  - otherwise the windowed program prints on the system's default printer, or, where none is
//    installed, into "Lavinor.pdf" in the current directory;
//  - the batch program always prints into "Lavinor.pdf" in the current directory (or the
//    LAVINOR_PRINT_PDF file).
// A PDF file printer writes one A4 page at 300 dots per inch, and the file appears only when
// the document is complete.
#pragma once

#include <memory>
#include <string>

#include "platform/printer.h"

namespace lav::qt {

// The profile-style entry of the printer (Shift-JIS "device,driver,port").
std::string PrinterEntry(bool systemPrinters);
// A device for the named printer; null when it cannot be had.
std::unique_ptr<PrinterDevice> OpenPrinter(const PrinterName& name);

}  // namespace lav::qt
