#include "qt/font_faces.h"

#include <QCoreApplication>
#include <QFont>
#include <QString>
#include <QStringList>

namespace lav::qt {

void InstallFaceSubstitutes() {
  // Mincho and Gothic faces become the IPA fonts (fixed and proportional pitch alike), so that a
  // two-byte character is as wide as two one-byte ones, as the text layout expects.
  const QStringList mincho = {"IPAMincho", "IPA明朝", "IPAPMincho", "Noto Serif CJK JP"};
  const QStringList gothic = {"IPAGothic", "IPAゴシック", "IPAPGothic", "Noto Sans CJK JP"};
  QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), mincho);
  QFont::insertSubstitutions(QStringLiteral("MS Mincho"), mincho);
  QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"), mincho);
  QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), gothic);
  QFont::insertSubstitutions(QStringLiteral("MS Gothic"), gothic);
  QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), gothic);
  QFont::insertSubstitutions(QStringLiteral("Arial"),
                             {"Liberation Sans", "DejaVu Sans", "IPAPGothic"});
}

namespace {
void InstallAtStart() {
  InstallFaceSubstitutes();
}
}  // namespace

}  // namespace lav::qt

namespace {
using lav::qt::InstallAtStart;
Q_COREAPP_STARTUP_FUNCTION(InstallAtStart)
}  // namespace
