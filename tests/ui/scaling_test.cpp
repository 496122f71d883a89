// The window on screens that scale by 1, 1.5 and 2 (the offscreen screens of tests/ui/screens.json):
// the same client area in logical pixels and its size rule, the artwork at the screen's device
// pixels.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <cmath>

#include "test_form.h"
#include "ui_test_support.h"

namespace kx71 {
namespace {

QScreen* ScreenAt(double ratio) {
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen->devicePixelRatio() == ratio) return screen;
  }
  return nullptr;
}

QSize Device(QSize logical, double ratio) {
  return {static_cast<int>(std::ceil(logical.width() * ratio)), static_cast<int>(std::ceil(logical.height() * ratio))};
}

class WindowAtScale : public testing::TestWithParam<double> {};

TEST_P(WindowAtScale, KeepsItsFittedSizeAndShowsArtAtDevicePixels) {
  const double ratio = GetParam();
  QScreen* screen = ScreenAt(ratio);
  ASSERT_NE(screen, nullptr) << "no offscreen screen at this ratio";
  test::TTestForm form;
  form.setScreen(screen);
  ASSERT_TRUE(test::ShowActive(form));
  ASSERT_EQ(form.screen(), screen);
  EXPECT_EQ(form.devicePixelRatioF(), ratio);

  // 310 x 416 logical pixels, that times the ratio on the screen; centred on that screen.
  EXPECT_EQ(form.size(), QSize(310, 416));
  EXPECT_EQ(form.grab().size(), Device(QSize(310, 416), ratio));
  EXPECT_TRUE(screen->availableGeometry().contains(form.geometry()));
  // A size given from outside is undone; showing a hidden panel fits the window to it.
  form.windowHandle()->resize(500, 600);
  EXPECT_TRUE(test::WaitUntil([&] { return form.size() == QSize(310, 416); }));
  form.Logic().Panel5.SetVisible(true);
  EXPECT_EQ(form.size(), QSize(310, 441));
  form.Logic().Panel5.SetVisible(false);
  EXPECT_EQ(form.size(), QSize(310, 416));

  // The picture and the button pictures as painted: one device pixel to one.
  const QImage& picture = form.Image1->Shown();
  EXPECT_EQ(picture.devicePixelRatio(), ratio);
  EXPECT_EQ(picture.size(), Device(form.Image1->size(), ratio));
  for (QPushButton* button : {form.PROGRAM_BTN, form.READ_BTN, form.EXIT_BTN}) {
    const QPixmap glyph = button->icon().pixmap(button->iconSize(), button->devicePixelRatioF());
    EXPECT_EQ(glyph.devicePixelRatio(), ratio) << button->objectName().toStdString();
    EXPECT_EQ(glyph.size(), Device(button->iconSize(), ratio));
  }
}

INSTANTIATE_TEST_SUITE_P(Screens, WindowAtScale, testing::Values(1.0, 1.5, 2.0));

}  // namespace
}  // namespace kx71
