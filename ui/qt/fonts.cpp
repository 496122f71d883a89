#include "ui/qt/fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>

#include <fontconfig/fontconfig.h>

namespace kx71 {

namespace {

// The faces that stand in for the named ones, best first.
const QStringList& JapaneseGothic() {
  static const QStringList faces{"IPAPGothic", "Noto Sans CJK JP", "IPAGothic"};
  return faces;
}

// The named face if the machine has it, else the first stand-in it has. Asking for a present face
// by name also spares Qt a search for fallback faces at every new font size.
QString PresentFamily(const char* named) {
  // The list of installed families, not hasFamily: that asks fontconfig to resolve each name.
  const QStringList present = QFontDatabase::families();
  QString family = QString::fromUtf8(named);
  if (present.contains(family, Qt::CaseInsensitive)) return family;
  for (const QString& face : JapaneseGothic()) {
    if (present.contains(face, Qt::CaseInsensitive)) return face;
  }
  return family;  // the substitutions below still apply
}

QString uiFamily, systemFamily;

}  // namespace

TFontConfigLoader::TFontConfigLoader() : thread_([] { FcInit(); }) {}

TFontConfigLoader::~TFontConfigLoader() {
  Wait();
}

void TFontConfigLoader::Wait() {
  if (thread_.joinable()) thread_.join();
}

void InstallFonts() {
  // fontconfig maps neither name to a Japanese face; without this, Latin text would take DejaVu
  // Sans and Japanese glyphs a monospaced fallback.
  QFont::insertSubstitutions(QString::fromUtf8(kUiFontFamily), JapaneseGothic());
  QFont::insertSubstitutions(QString::fromUtf8(kSystemFontFamily), JapaneseGothic());
  uiFamily = PresentFamily(kUiFontFamily);
  systemFamily = PresentFamily(kSystemFontFamily);
  QApplication::setFont(UiFont());
}

QFont UiFont(int pixels, bool bold) {
  QFont font(uiFamily.isEmpty() ? QString::fromUtf8(kUiFontFamily) : uiFamily);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QFont SystemFont(int pixels, bool bold) {
  QFont font(systemFamily.isEmpty() ? QString::fromUtf8(kSystemFontFamily) : systemFamily);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

}  // namespace kx71
