// The window tests share one application object, created before any test runs.
#include <gtest/gtest.h>

#include "ui/qt/application.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" KX71_TEST_SCREENS);
  kx71::TApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
