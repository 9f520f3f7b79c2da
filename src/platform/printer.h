// What printing needs of the platform: the default printer's name and a device that brackets
// documents and pages and draws each page on a surface. The Qt layer implements it on QPrinter
// (or a PDF file where no printer is installed); tests implement it on an image.
#pragma once

#include <string>
#include <string_view>

#include "platform/surface.h"

namespace lav {

// The default printer as the profile entry names it: device, driver and port (Shift-JIS).
struct PrinterName {
  std::string device, driver, port;
};

class PrinterDevice {
 public:
  virtual ~PrinterDevice() = default;

  // Printer dots per inch, horizontally and vertically.
  virtual int dotsPerInchX() const = 0;
  virtual int dotsPerInchY() const = 0;
  // A number that identifies the device in the print-error message.
  virtual int handle() const = 0;

  // Starts the document; a positive job number, else a failure.
  virtual int startDocument(std::string_view name) = 0;
  // Starts a page; a positive value on success.
  virtual int startPage() = 0;
  // The page being drawn (the paper at dotsPerInch); valid between startPage and endPage.
  virtual Surface& page() = 0;
  // Positive on success.
  virtual int endPage() = 0;
  // Finishes the document: the pages go to the printer. Positive on success.
  virtual int endDocument() = 0;
  // Drops a started document: nothing is printed.
  virtual void abortDocument() = 0;
};

}  // namespace lav
