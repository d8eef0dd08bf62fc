// Translating the main window (several hundred components), opening and
// closing the language table each time, as every call does.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "LogoAppForm.h"
#include "Messages.h"
#include "PrinterCatalog.h"
#include "SetCaptions.h"

static void BM_TranslateMainWindow(benchmark::State& state) {
  // An installation of its own: the program folder (pgmdrive/Orba/bin)
  // with the language tables beside it.
  QTemporaryDir root;
  QDir().mkpath(root.path() + "/Orba/bin");
  QDir().mkpath(root.path() + "/Orba/languages");
  for (const QString& f : QDir(ORBA_LANGUAGES_DIR).entryList(QDir::Files))
    QFile::copy(QString(ORBA_LANGUAGES_DIR) + "/" + f, root.path() + "/Orba/languages/" + f);
  QFile ini(root.filePath("orba.ini"));
  if (!ini.open(QIODevice::WriteOnly) ||
      ini.write(QString("[Orba]\npgmdrive=%1\ndatadrive=%1\n").arg(root.path()).toUtf8()) < 0) {
    state.SkipWithError("cannot write the settings file");
    return;
  }
  ini.close();
  QDir::setCurrent(root.path() + "/Orba/bin");
  orba::controls::Messages::setInterceptor([](auto, const QString&) {});
  orba::printers::PrinterCatalog::setInstance(
      std::make_unique<orba::printers::FixedPrinterCatalog>(QStringList{"P"}));
  orba::settings::SettingsStore settings({root.filePath("orba.ini"), QString()});
  orba::shell::TLogoAppForm window(settings);
  const auto components = window.components().components().size();
  bool french = false;
  for (auto _ : state) {
    window.translate(french ? "MainMenufr" : "MainMenuen");
    french = !french;
  }
  state.counters["components"] = static_cast<double>(components);
}
BENCHMARK(BM_TranslateMainWindow)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
