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

// Whether a face on the machine goes by `family` as its first name: the names Qt's font database
// lists.
bool Present(const QString& family) {
  const QByteArray name = family.toUtf8();
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.constData()));
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
  bool present = false;
  for (int i = 0; fonts != nullptr && i < fonts->nfont && !present; ++i) {
    FcChar8* first = nullptr;
    present = FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &first) == FcResultMatch &&
              QString::fromUtf8(reinterpret_cast<const char*>(first)).compare(family, Qt::CaseInsensitive) == 0;
  }
  if (fonts != nullptr) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return present;
}

// The named face if the machine has it, else the first stand-in it has. Asking for a present face
// by name also spares Qt a search for fallback faces at every new font size.
QString PresentFamily(const char* named) {
  QString family = QString::fromUtf8(named);
  if (Present(family)) return family;
  for (const QString& face : JapaneseGothic()) {
    if (Present(face)) return face;
  }
  return family;  // the substitutions still apply
}

// Written by the loader's thread before Wait() returns, read after.
QString uiFamily, systemFamily;

}  // namespace

TFontConfigLoader::TFontConfigLoader() {
  chosen_ = chosenPromise_.get_future();
  thread_ = std::thread([this, fill = fill_.get_future()]() mutable {
    FcInit();
    uiFamily = PresentFamily(kUiFontFamily);
    systemFamily = PresentFamily(kSystemFontFamily);
    chosenPromise_.set_value();
    if (fill.get()) QFontDatabase::families();
  });
}

TFontConfigLoader::~TFontConfigLoader() {
  Finish();
}

void TFontConfigLoader::Wait() {
  if (waited_) return;
  waited_ = true;
  chosen_.wait();
  fill_.set_value(true);
}

void TFontConfigLoader::Finish() {
  if (!waited_) {
    waited_ = true;
    fill_.set_value(false);
  }
  if (thread_.joinable()) thread_.join();
}

void InstallFonts() {
  // fontconfig maps neither name to a Japanese face; without this, Latin text would take DejaVu
  // Sans and Japanese glyphs a monospaced fallback.
  QFont::insertSubstitutions(QString::fromUtf8(kUiFontFamily), JapaneseGothic());
  QFont::insertSubstitutions(QString::fromUtf8(kSystemFontFamily), JapaneseGothic());
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
