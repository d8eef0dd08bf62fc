// The desktop workspace on a demo installation: logging in to a stored
// desktop with six panels open and thirty icons, one step of a panel drag
// with the whole window repainted at 1920 x 1080, and saving that desktop.
//
//   build-bench/bin/bench_workspace [benchmark flags]
//
// The installation is made once by orba-make-demo in a temporary folder.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <cstdio>
#include <memory>

#include "DataModules.h"
#include "DesktopPanels.h"
#include "Dialogs.h"
#include "ListPanel.h"
#include "LogoAppForm.h"
#include "Messages.h"
#include "OrbaApplication.h"
#include "PasswordDlg.h"
#include "PrinterCatalog.h"
#include "ShortcutIcons.h"
#include "TransparentButton.h"
#include "Wallpaper.h"

namespace {

using orba::shell::OrbaApplication;
using orba::shell::PanelId;

QString g_root;

OrbaApplication::Options options() {
  OrbaApplication::Options o;
  o.settings = {g_root + "/orba.ini", g_root + "/user.ini"};
  o.progressLibraries = {};
  return o;
}

// The program started, its windows created, nobody logged in yet.
std::unique_ptr<OrbaApplication> startProgram() {
  orba::controls::Dialogs::setInterceptor([](QDialog& dialog) {
    if (auto* password = qobject_cast<orba::shell::TPasswordDlg*>(&dialog)) {
      password->Password->setText("ADMIN");
      password->DesktopCheckBox->setChecked(false);
      return static_cast<int>(QDialog::Accepted);
    }
    return static_cast<int>(QDialog::Rejected);
  });
  auto app = std::make_unique<OrbaApplication>(options());
  app->start();
  return app;
}

// The administrator logged in (the password typed into the dialog at once).
std::unique_ptr<OrbaApplication> login() {
  auto app = startProgram();
  app->mainWindow()->FormActivate();
  return app;
}

int openPanels(orba::shell::TLogoAppForm& window) {
  int open = 0;
  for (int i = 0; i < orba::shell::kPanelCount; ++i)
    open += window.panels().panel(static_cast<PanelId>(i))->tag == 1;
  return open;
}

// The stored desktop: every panel open, thirty icons (the demo's six panel
// icons and 24 option icons with a 32 x 32 glyph).
bool prepareDesktop() {
  auto app = login();
  orba::shell::TLogoAppForm& window = *app->mainWindow();
  for (int i = 0; i < orba::shell::kPanelCount; ++i) {
    const auto id = static_cast<PanelId>(i);
    if (window.panels().panel(id)->tag != 1) window.panels().toggle(id);
  }
  QImage glyph(32, 32, QImage::Format_RGB32);
  glyph.fill(Qt::darkGreen);
  for (int i = 0; i < 24; ++i) {
    orba::desktop::TTransparentButton* icon = window.icons().createForRestore();
    icon->setObjectName(QStringLiteral("opt%1S").arg(i));
    icon->setCaption(QStringLiteral("Option %1").arg(i));
    icon->setGlyph(glyph);
    icon->setGeometry(110 + (i % 10) * 90, 40 + (i / 10) * 90, 89, 89);
    icon->setTag(1);
    window.icons().bind(icon);
    icon->show();
  }
  window.Save_Desktop();
  const int open = openPanels(window);
  window.close();
  app.reset();
  auto check = login();
  const bool ok = openPanels(*check->mainWindow()) == 6 && check->mainWindow()->icons().icons().size() == 30;
  if (!ok)
    std::fprintf(
        stderr,
        "bench_workspace: the stored desktop did not come back (%d panels open, then %d and %zu icons)\n",
        open, openPanels(*check->mainWindow()), check->mainWindow()->icons().icons().size());
  check->mainWindow()->close();
  return ok;
}

void BM_LoginToStoredDesktop(benchmark::State& state) {
  int panels = 0;
  size_t icons = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto app = startProgram();
    state.ResumeTiming();
    app->mainWindow()->FormActivate();
    // Painted once, as the user first sees it.
    benchmark::DoNotOptimize(app->mainWindow()->grab());
    state.PauseTiming();
    panels = openPanels(*app->mainWindow());
    icons = app->mainWindow()->icons().icons().size();
    app->mainWindow()->close();
    app.reset();
    state.ResumeTiming();
  }
  state.counters["panels_open"] = panels;
  state.counters["icons"] = static_cast<double>(icons);
}
BENCHMARK(BM_LoginToStoredDesktop)->Unit(benchmark::kMillisecond);

void BM_PanelDragStep(benchmark::State& state) {
  auto app = login();
  orba::shell::TLogoAppForm& window = *app->mainWindow();
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) state.SkipWithError("the window was not shown");
  window.setGeometry(0, 0, 1920, 1080);
  QApplication::processEvents();
  // Every step repaints the whole window, the wallpaper included.
  struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++paints;
      return false;
    }
  } counter;
  window.Wallpaper1->installEventFilter(&counter);
  orba::desktop::TListPanel* panel = window.panels().panel(PanelId::Client);
  panel->raise();
  const QPoint grab(100, 5);
  QMouseEvent press(QEvent::MouseButtonPress, grab, panel->mapToGlobal(grab), Qt::LeftButton, Qt::LeftButton,
                    {});
  QApplication::sendEvent(panel, &press);
  int direction = 1;
  const QPoint start = panel->pos();
  for (auto _ : state) {
    const QPoint to = grab + QPoint(direction, 0);
    QMouseEvent move(QEvent::MouseMove, to, panel->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(panel, &move);
    direction = -direction;
  }
  if (panel->pos() != start && panel->pos() != start + QPoint(1, 0))
    state.SkipWithError("the panel did not follow");
  state.counters["wallpaper_paints_per_step"] =
      benchmark::Counter(counter.paints, benchmark::Counter::kAvgIterations);
  state.counters["width"] = window.width();
  window.close();
}
BENCHMARK(BM_PanelDragStep)->Unit(benchmark::kMillisecond);

void BM_SaveDesktop(benchmark::State& state) {
  auto app = login();
  orba::shell::TLogoAppForm& window = *app->mainWindow();
  for (auto _ : state) window.Save_Desktop();
  state.counters["icons"] = static_cast<double>(window.icons().icons().size());
  window.close();
}
BENCHMARK(BM_SaveDesktop)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qapp(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  QTemporaryDir temporary;
  g_root = temporary.path();
  if (QProcess::execute(ORBA_MAKE_DEMO, {g_root}) != 0) {
    std::fprintf(stderr, "bench_workspace: orba-make-demo failed\n");
    return 1;
  }
  // All modules installed, so that every panel may open.
  QFile settings(g_root + "/orba.ini");
  if (!settings.open(QIODevice::Append)) return 1;
  settings.write("payroll=Y\ntracker=Y\nJobCost=Y\nShowWelcome=N\n");
  settings.close();
  QDir().mkpath(g_root + "/Orba/languages");
  for (const QString& f : QDir(ORBA_LANGUAGES_DIR).entryList(QDir::Files))
    QFile::copy(QString(ORBA_LANGUAGES_DIR) + "/" + f, g_root + "/Orba/languages/" + f);
  QDir::setCurrent(g_root + "/Orba/bin");
  orba::controls::Messages::setInterceptor(
      [](auto, const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });
  orba::printers::PrinterCatalog::setInstance(
      std::make_unique<orba::printers::FixedPrinterCatalog>(QStringList{"Laser"}));
  if (!prepareDesktop()) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
