#include <QGuiApplication>
#include <QScreen>

#include "ShellFixture.h"

using orba::shell::OrbaApplication;

class WindowPlacementTest : public ShellFixture {};

TEST_F(WindowPlacementTest, FirstRunIsCentredAndCloseSavesThePlacement) {
  writeSettings();
  OrbaApplication app(options());
  app.start();
  auto* window = app.mainWindow();
  window->show();
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(window->size(), QSize(750, 520));
  EXPECT_EQ(window->pos(), QPoint(area.x() + (area.width() - 750) / 2, area.y() + (area.height() - 520) / 2));
  window->move(33, 44);
  window->resize(700, 500);
  window->close();
  EXPECT_TRUE(readSettingsFile().contains("Form=500,33,44,700,Y\n")) << readSettingsFile().toStdString();
}

TEST_F(WindowPlacementTest, LaterRunOpensAtTheSavedPlace) {
  writeSettings("Form=480,12,34,640,Y\n");
  OrbaApplication app(options());
  app.start();
  auto* window = app.mainWindow();
  window->show();
  EXPECT_EQ(window->pos(), QPoint(12, 34));
  EXPECT_EQ(window->size(), QSize(640, 480));
  window->close();
  EXPECT_TRUE(readSettingsFile().contains("Form=480,12,34,640,Y\n"));
}

TEST_F(WindowPlacementTest, MalformedPlacementOpensTheDefaultWindow) {
  writeSettings("Form=big,window\n");
  OrbaApplication app(options());
  app.start();
  auto* window = app.mainWindow();
  window->show();
  EXPECT_EQ(window->size(), QSize(750, 520));
  window->close();
  EXPECT_TRUE(
      readSettingsFile().contains(QString("Form=520,%1,%2,750,Y\n").arg(window->x()).arg(window->y())));
}

TEST_F(WindowPlacementTest, QuitClosesTheWindowAndWritesThePlacement) {
  writeSettings();
  OrbaApplication app(options());
  app.start();
  auto* window = app.mainWindow();
  window->show();
  window->move(21, 32);
  window->resize(710, 505);
  window->MainMenu->find("Quit1")->click();
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(readSettingsFile().contains("Form=505,21,32,710,Y\n")) << readSettingsFile().toStdString();
}
