// Qt's own texts (the file dialog, the standard buttons of boxes and dialogs) in Japanese, like
// the rest of the program.
#pragma once

class QTranslator;

namespace lav::qt {

// Loads Qt's Japanese catalogue from the system's Qt translations and installs it in the
// application; null when the catalogue is not installed (Qt's texts then stay English).
QTranslator* InstallQtJapanese();

}  // namespace lav::qt
