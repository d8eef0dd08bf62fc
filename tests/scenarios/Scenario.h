#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "Driver.h"
#include "Installation.h"
#include "OrbaApplication.h"

class XServer;

// One scenario: an installation in a folder of its own (settings, language
// tables, the program's own module libraries and the sample module in the
// program folder), the whole program started on it under the X server, and
// steps that drive it through real input from a thread of their own.
class Scenario : public ::testing::Test {
 public:
  // The X server of the test program; set by main() before the tests run.
  static XServer* server;

 protected:
  QTemporaryDir dir;
  std::unique_ptr<Installation> install;

  void SetUp() override;
  void TearDown() override;

  QString programDir() const { return dir.path() + "/Orba/bin"; }
  QString dataDir() const { return install->dataDir(); }
  // The machine-wide settings; pgmdrive and datadrive point into dir.
  void writeSettings(const QString& extraOrbaLines = QStringLiteral("ShowWelcome=N\n"));
  // Languages, company 1 and an empty desktop table: what a working office
  // has before its users log in.
  void standardData();

  // Starts the program, runs `steps` on their own thread, and ends the run:
  // when the steps leave the program open, its windows are closed for them.
  // Returns true when the main window closed by itself (Quit, a failed
  // login), as the process would end.
  bool run(const std::function<void(Driver&)>& steps);

  // Valid while run() runs (on the program's thread).
  orba::shell::OrbaApplication* app() const { return app_.get(); }
  orba::shell::TLogoAppForm* mainWindow() const;

  // Waits for the desktop to be ready (its status bar shows once the login
  // is over), logging in with the password when the program asks for one;
  // `window` is the main window from then on. On the steps' thread.
  bool logIn(Driver& d, const QString& password = {});
  // Chooses Quit on the menu bar and waits until the main window is gone,
  // so the program is seen ending by itself, not by the scenario's end.
  bool quitByMenu(Driver& d);
  orba::shell::TLogoAppForm* window = nullptr;

 private:
  std::unique_ptr<orba::shell::OrbaApplication> app_;
  bool settingsWritten_ = false;
};
