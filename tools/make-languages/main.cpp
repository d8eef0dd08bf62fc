// Builds the language tables from the texts:
//
//   orba-make-languages TEXTS.tsv DIR
//
// writes DIR/MainMenuen.db and DIR/MainMenufr.db.

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "LanguageTexts.h"
#include "ToolOptions.h"

namespace {
const char kUsage[] =
    "usage: orba-make-languages TEXTS.tsv DIR\n"
    "Builds the language tables DIR/MainMenuen.db and DIR/MainMenufr.db from the window\n"
    "texts (one row per component: form, component, kind, captions, hints and lines in\n"
    "English and French, tab-separated).\n";
}  // namespace

int main(int argc, char** argv) {
  if (const int status = orba::tools::checkToolOptions(argc, argv, "orba-make-languages", kUsage);
      status >= 0)
    return status;
  if (argc != 3) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  QCoreApplication app(argc, argv);
  QFile file(QString::fromLocal8Bit(argv[1]));
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "orba-make-languages: %s: %s\n", argv[1], qPrintable(file.errorString()));
    return 1;
  }
  QString error;
  const auto rows = orba::localization::parseLanguageTexts(QString::fromUtf8(file.readAll()), &error);
  if (rows.empty()) {
    std::fprintf(stderr, "orba-make-languages: %s: %s\n", argv[1],
                 qPrintable(error.isEmpty() ? QStringLiteral("no rows") : error));
    return 1;
  }
  const QString dir = QString::fromLocal8Bit(argv[2]);
  using orba::localization::Language;
  for (auto [language, name] :
       {std::pair{Language::English, "MainMenuen.db"}, std::pair{Language::French, "MainMenufr.db"}}) {
    if (!orba::localization::writeLanguageTable(dir + QLatin1Char('/') + QLatin1String(name), rows, language,
                                                &error)) {
      std::fprintf(stderr, "orba-make-languages: %s\n", qPrintable(error));
      return 1;
    }
  }
  std::printf("%zu rows written to %s\n", rows.size(), qPrintable(dir));
  return 0;
}
