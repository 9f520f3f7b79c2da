#include "qt/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace lav::qt {

QTranslator* InstallQtJapanese() {
  auto* translator = new QTranslator(QCoreApplication::instance());
  // The program speaks Japanese whatever the user's locale is.
  if (!translator->load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return nullptr;
  }
  return translator;
}

}  // namespace lav::qt
