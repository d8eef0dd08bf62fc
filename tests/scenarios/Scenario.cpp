#include "Scenario.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QStatusBar>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "LinkRecord.h"
#include "LogoAppForm.h"
#include "OrbaApplication.h"
#include "PrinterCatalog.h"
#include "XServer.h"

XServer* Scenario::server = nullptr;

namespace {

// Longer than any scenario needs on a busy machine.
constexpr int kScenarioSeconds = 240;

// The program's own modules, installed under their option codes.
const char* const kSystemModules[] = {"creco", "mcomp", "ar01", "ap01",  "gl01",
                                      "pa101", "iv01",  "ut03", "mtools"};
// The sample module stands in for the accounting modules.
const char* const kSampleOptions[] = {"gl03", "gl04", "gl18", "gl19", "ar04", "ar05",
                                      "ar06", "ap03", "fa02", "fa03", "iv02", "ut02"};

void copyFolder(const QString& from, const QString& to) {
  QDir().mkpath(to);
  for (const QString& name : QDir(from).entryList(QDir::Files))
    QFile::copy(from + "/" + name, to + "/" + name);
  for (const QString& name : QDir(from).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
    copyFolder(from + "/" + name, to + "/" + name);
}

}  // namespace

void Scenario::SetUp() {
  if (!server || !server->running())
    GTEST_SKIP() << "no X server with a window manager: " << (server ? server->error() : "not started");
  ASSERT_TRUE(dir.isValid());
  install = std::make_unique<Installation>(dir.path());
  QDir().mkpath(programDir());
  copyFolder(ORBA_LANGUAGES_DIR, dir.path() + "/Orba/languages");
  for (const char* book : {"Help", "Helpfr", "images"})
    copyFolder(QStringLiteral(ORBA_HELP_DIR "/") + book, programDir() + "/" + book);
  for (const char* module : kSystemModules)
    QFile::copy(QStringLiteral(ORBA_RUNTIME_DIR "/%1.so").arg(module), programDir() + "/" + module + ".so");
  for (const char* option : kSampleOptions)
    QFile::copy(QStringLiteral(ORBA_RUNTIME_DIR "/sample.so"), programDir() + "/" + option + ".so");
  QFile::copy(QStringLiteral(ORBA_RUNTIME_DIR "/loadingdlg.so"), programDir() + "/loadingdlg.so");
  QImage tile(64, 64, QImage::Format_RGB32);
  tile.fill(QColor(40, 70, 110));
  tile.save(programDir() + "/Cast32.jpg", "JPG");
  // The program runs from its folder: the language tables are ../languages.
  QDir::setCurrent(programDir());
  orba::printers::PrinterCatalog::setInstance(
      std::make_unique<orba::printers::FixedPrinterCatalog>(QStringList{"Laser", "Cheques", "PDF"}, 0));
  using F = orba::dispatch::LinkRecord::Field;
  for (F field : {F::LoginName, F::UserName, F::CompanyNumber, F::CompanyName, F::OptionContext})
    orba::dispatch::LinkRecord::instance().set(field, QString());
}

void Scenario::TearDown() { app_.reset(); }

void Scenario::writeSettings(const QString& extraOrbaLines) {
  QFile f(dir.filePath("orba.ini"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QString("[Orba]\npgmdrive=%1\ndatadrive=%1\n%2").arg(dir.path(), extraOrbaLines).toUtf8());
  settingsWritten_ = true;
}

void Scenario::standardData() {
  install->addLanguages();
  install->addCompany(1, QStringLiteral("Les Entreprises Tremblay Ltée"));
  install->ensureDesktops();
}

orba::shell::TLogoAppForm* Scenario::mainWindow() const { return app_ ? app_->mainWindow() : nullptr; }

bool Scenario::logIn(Driver& d, const QString& password) {
  if (!d.waitUntil([&] {
        window = mainWindow();
        return d.window("PasswordDlg") != nullptr || (window && window->StatusBar->isVisible());
      }))
    return false;
  if (d.gui([&] { return d.window("PasswordDlg") != nullptr; })) {
    // The window manager gives the dialog the keyboard; on a busy machine
    // that may come after it is shown, so the field is clicked when it has
    // not got it.
    if (!d.waitUntil([&] { return d.window("PasswordDlg")->isActiveWindow(); }, 3000))
      d.click("PasswordDlg", "Password");
    d.type(password);
    if (!d.waitUntil([&] {
          auto* field = qobject_cast<QLineEdit*>(d.child("PasswordDlg", "Password"));
          return field && field->text().size() == password.size();
        }))
      return false;
    d.key("Return");
  }
  return d.waitUntil([&] { return window->StatusBar->isVisible() && !QApplication::activeModalWidget(); });
}

bool Scenario::quitByMenu(Driver& d) {
  if (!d.chooseMenu({QStringLiteral("Quit1")})) return false;
  return d.waitUntil([&] { return !app_->mainWindow()->isVisible(); });
}

bool Scenario::run(const std::function<void(Driver&)>& steps) {
  if (!settingsWritten_) writeSettings();
  orba::shell::OrbaApplication::Options options;
  options.settings = {dir.filePath("orba.ini"), dir.filePath("user.ini")};
  options.progressLibraries = {};
  app_ = std::make_unique<orba::shell::OrbaApplication>(options);
  app_->start();
  orba::shell::TLogoAppForm* window = app_->mainWindow();

  QEventLoop loop;
  bool closedByItself = false;
  std::atomic<bool> stepsDone{false};
  QObject::connect(window, &orba::shell::TLogoAppForm::closed, &loop, [&] {
    if (!stepsDone) closedByItself = true;
    loop.quit();
  });
  // When the steps are over and the program is still open, close what is
  // on screen, the innermost window first, until the main window is gone.
  QTimer closer;
  closer.setInterval(200);
  QObject::connect(&closer, &QTimer::timeout, &loop, [&] {
    if (QWidget* popup = QApplication::activePopupWidget())
      popup->close();
    else if (QWidget* modal = QApplication::activeModalWidget())
      modal->close();
    else if (window->isVisible())
      window->close();
    else
      loop.quit();
  });

  const QString shots = QStringLiteral(ORBA_SCREENSHOT_DIR "/") +
                        QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::thread driver([&] {
    Driver d(shots);
    steps(d);
    stepsDone = true;
    QMetaObject::invokeMethod(&loop, [&] { closer.start(); });
  });
  // A scenario that hangs (a window nobody answers, a lock) ends the test
  // program with what was on screen, rather than waiting for the test
  // runner's timeout.
  std::atomic<bool> finished{false};
  std::thread watchdog([&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kScenarioSeconds);
    while (!finished && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (finished) return;
    std::fprintf(stderr, "The scenario %s did not end within %d seconds; it is stopped.\n",
                 ::testing::UnitTest::GetInstance()->current_test_info()->name(), kScenarioSeconds);
    std::fflush(stderr);
    std::_Exit(3);
  });
  window->show();
  loop.exec();
  // Steps that go on after the program closed still look at it through
  // gui(): keep answering them until they end.
  while (!stepsDone) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  driver.join();
  finished = true;
  watchdog.join();
  return closedByItself;
}
