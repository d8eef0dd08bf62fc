// The desktop's process entry. It answers --help and --version before the
// application object exists, so that they need no display; every other
// argument is Qt's.
//
// With ORBA_STARTUP_PROBE set, the program prints the monotonic clock at the
// moment the main window is first exposed ("main-window-shown <ns>") and
// quits: the start-up benchmark measures against the time it launched us.

#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <ctime>

#include "CommandLine.h"
#include "LogoAppForm.h"
#include "OrbaApplication.h"
#include "castellan/version_section.h"

// This executable's own version record (see cmake/VersionSection.cmake).
extern "C" const struct OrbaVersionSection orba_version_section;

namespace {

class ExposeProbe : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && !done_) {
      auto* window = static_cast<QWindow*>(watched);
      if (window->isExposed()) {
        done_ = true;
        // Let the first paint through before taking the time.
        QTimer::singleShot(0, [] {
          timespec now;
          clock_gettime(CLOCK_MONOTONIC, &now);
          std::printf("main-window-shown %lld\n",
                      static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
          std::fflush(stdout);
          QCoreApplication::exit(0);
        });
      }
    }
    return false;
  }

 private:
  bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (const auto status = orba::shell::answerCommandLine(
          argc, argv, orba::shell::versionText(orba_version_section.numbers), stdout))
    return *status;
  // The application object comes first: the progress dialog is a window too.
  QApplication app(argc, argv);
  orba::shell::OrbaApplication orba({});
  orba.start();

  orba::shell::TLogoAppForm* window = orba.mainWindow();
  if (qEnvironmentVariableIsSet("ORBA_STARTUP_PROBE")) {
    window->winId();  // creates the QWindow to watch
    window->windowHandle()->installEventFilter(new ExposeProbe(window));
  }
  window->show();
  QObject::connect(window, &orba::shell::TLogoAppForm::closed, &app, &QApplication::quit);
  return app.exec();
}
