#include "ui/fonts.h"

#include <QApplication>
#include <QStringList>

namespace kx71 {

void InstallFonts() {
  // fontconfig maps neither name to a Japanese face; without this, Latin text would take DejaVu
  // Sans and Japanese glyphs a monospaced fallback.
  const QStringList japaneseGothic{"IPAPGothic", "IPA Pゴシック", "Noto Sans CJK JP", "IPAGothic"};
  QFont::insertSubstitutions(QString::fromUtf8(kUiFontFamily), japaneseGothic);
  QFont::insertSubstitutions(QString::fromUtf8(kSystemFontFamily), japaneseGothic);
  QApplication::setFont(UiFont());
}

QFont UiFont(int pixels, bool bold) {
  QFont font(QString::fromUtf8(kUiFontFamily));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QFont SystemFont(int pixels, bool bold) {
  QFont font(QString::fromUtf8(kSystemFontFamily));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

}  // namespace kx71
