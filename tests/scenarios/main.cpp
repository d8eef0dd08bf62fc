#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "Scenario.h"
#include "XServer.h"

// The scenarios run the program on Qt's X11 platform, on a virtual X server
// of their own with a window manager, started before the application object.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const int width = qEnvironmentVariableIntValue("ORBA_SCENARIO_WIDTH");
  const int height = qEnvironmentVariableIntValue("ORBA_SCENARIO_HEIGHT");
  auto server = std::make_unique<XServer>(width > 0 ? width : 1280, height > 0 ? height : 800);
  Scenario::server = server.get();
  if (!server->running()) return RUN_ALL_TESTS();  // every scenario skips, saying why
  qputenv("QT_QPA_PLATFORM", "xcb");
  int result = 0;
  {
    QApplication app(argc, argv);
    result = RUN_ALL_TESTS();
  }
  return result;
}
