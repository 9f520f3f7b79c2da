#include "qt/qt_printer.h"

#include <unistd.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "db/safe_write.h"
#include "platform/sjis.h"
#include "qt/qt_host.h"
#include "qt/qt_surface.h"

namespace lav::qt {
namespace {

constexpr const char* kPdfDevice = "PDF";
constexpr const char* kPdfDriver = "Lavinor";
constexpr const char* kDefaultPdf = "Lavinor.pdf";
constexpr int kDotsPerInch = 300;

// The batch program has no application object: painting, fonts and the PDF writer need one.
void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "lavinor";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);  // lives until the program ends
}

QString FromSjis(const std::string& s) {
  return QString::fromStdString(sjis::toUtf8(s));
}

// The page is drawn on an image at the printer's resolution and handed to the printer whole,
// so that the picture has the same pixels as on the screen.
class QtPrinterDevice : public PrinterDevice {
 public:
  // A PDF file printer when pdfPath is not empty, else the system printer of that name.
  QtPrinterDevice(const QString& pdfPath, const QString& printerName) : pdfPath_(pdfPath) {
    if (!pdfPath.isEmpty()) {
      // A work file of the design's kind, so that one left by a killed run is cleaned away.
      partPath_ = QFile::decodeName(
          db::SafeWriteTempName(QFile::encodeName(pdfPath).toStdString()).c_str());
      auto pdf = std::make_unique<QPdfWriter>(partPath_);
      pdf->setResolution(kDotsPerInch);
      pdf->setPageLayout(
          QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
      pdf->setCreator("Lavinor");
      device_ = std::move(pdf);
    } else {
      auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
      printer->setPrinterName(printerName);
      printer->setResolution(kDotsPerInch);
      valid_ = printer->isValid();
      device_ = std::move(printer);
    }
  }
  ~QtPrinterDevice() override { abortDocument(); }

  bool valid() const { return valid_; }
  int dotsPerInchX() const override { return kDotsPerInch; }
  int dotsPerInchY() const override { return kDotsPerInch; }
  int handle() const override { return static_cast<int>(reinterpret_cast<std::uintptr_t>(this)); }

  int startDocument(std::string_view name) override {
    if (painter_.isActive()) return 0;
    if (auto* pdf = dynamic_cast<QPdfWriter*>(device_.get()))
      pdf->setTitle(FromSjis(std::string(name)));
    if (auto* printer = dynamic_cast<QPrinter*>(device_.get()))
      printer->setDocName(FromSjis(std::string(name)));
    if (!painter_.begin(device_.get())) {
      if (!partPath_.isEmpty()) QFile::remove(partPath_);
      return 0;
    }
    // Line art: JPEG would blur every one-dot line.
    painter_.setRenderHint(QPainter::LosslessImageRendering);
    return 1;
  }

  int startPage() override {
    if (!painter_.isActive()) return 0;
    // The printable area in dots: the page's origin is its top-left corner.
    const int w = device_->width(), h = device_->height();
    if (w < 1 || h < 1) return 0;
    image_ = QImage(w, h, QImage::Format_RGB32);
    if (image_.isNull()) return 0;
    image_.fill(Qt::white);
    surface_ = std::make_unique<QtSurface>(image_);
    return 1;
  }

  Surface& page() override { return *surface_; }

  int endPage() override {
    if (!painter_.isActive() || !surface_) return 0;
    painter_.drawImage(QPoint(0, 0), image_);
    surface_.reset();
    image_ = QImage();
    return 1;
  }

  int endDocument() override {
    if (!painter_.isActive()) return 0;
    const bool ended = painter_.end();
    if (partPath_.isEmpty()) return ended ? 1 : 0;
    device_.reset();  // closes the file
    // The finished file takes the old one's place in one step.
    const bool moved = ended && std::rename(QFile::encodeName(partPath_).constData(),
                                            QFile::encodeName(pdfPath_).constData()) == 0;
    if (!moved) QFile::remove(partPath_);
    partPath_.clear();
    return moved ? 1 : 0;
  }

  void abortDocument() override {
    if (painter_.isActive()) {
      if (auto* printer = dynamic_cast<QPrinter*>(device_.get())) printer->abort();
      painter_.end();
    }
    surface_.reset();
    device_.reset();
    if (!partPath_.isEmpty()) QFile::remove(partPath_);
    partPath_.clear();
  }

 private:
  QString pdfPath_, partPath_;
  std::unique_ptr<QPagedPaintDevice> device_;
  bool valid_ = true;
  QPainter painter_;
  QImage image_;
  std::unique_ptr<QtSurface> surface_;
};

std::string PdfEntry() {
  const char* env = std::getenv("LAVINOR_PRINT_PDF");
  const std::string path = env && *env ? env : kDefaultPdf;
  return std::string(kPdfDevice) + "," + kPdfDriver + "," + sjis::fromUtf8(path);
}

}  // namespace

std::string PrinterEntry(bool systemPrinters) {
  const char* env = std::getenv("LAVINOR_PRINT_PDF");
  if (!systemPrinters || (env && *env)) return PdfEntry();
  EnsureGuiApplication();
  const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
  if (printer.isNull() || printer.printerName().isEmpty()) return PdfEntry();
  return sjis::fromUtf8(printer.printerName().toStdString()) + ",CUPS," +
         sjis::fromUtf8(printer.location().toStdString());
}

std::unique_ptr<PrinterDevice> OpenPrinter(const PrinterName& name) {
  EnsureGuiApplication();
  std::unique_ptr<QtPrinterDevice> device;
  if (name.device == kPdfDevice && name.driver == kPdfDriver) {
    if (name.port.empty()) return nullptr;
    device = std::make_unique<QtPrinterDevice>(FromSjis(name.port), QString());
  } else {
    device = std::make_unique<QtPrinterDevice>(QString(), FromSjis(name.device));
  }
  if (!device->valid()) return nullptr;
  return device;
}

std::string QtHost::defaultPrinter() {
  return PrinterEntry(true);
}

std::unique_ptr<PrinterDevice> QtHost::openPrinter(const PrinterName& name) {
  return OpenPrinter(name);
}

}  // namespace lav::qt
