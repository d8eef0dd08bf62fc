// Prepares a demo installation in a folder:
//
//   orba-make-demo DIR
//
// DIR/orba.ini          the settings, with the program and data roots in DIR
// DIR/Orba/bin          the program folder: wallpaper and shortcut pictures
// DIR/Orba/data         the system tables: users, languages, companies, desktops
// DIR/Orba/data1, data2 the tables of companies 1 and 2 (the data folder's path
//                       followed by the company number, as the desktop builds it)
// DIR/Orba/languages    the language tables' folder
//
// An existing settings file keeps its values and existing tables are left as
// they are (they may hold what someone typed into the demo since); only
// what is missing is made. Pictures are rewritten, identically.

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "DemoPictures.h"
#include "DemoTables.h"
#include "SettingsStore.h"
#include "ToolOptions.h"

namespace {
const char kUsage[] =
    "usage: orba-make-demo DIR\n"
    "Makes a demo installation in DIR, or completes one that is there:\n"
    "  DIR/orba.ini         the settings, with the program and data roots in DIR\n"
    "  DIR/Orba/bin         the program folder, with the wallpaper and shortcut pictures\n"
    "  DIR/Orba/data        the system tables: users, languages, companies, desktops\n"
    "  DIR/Orba/data1, 2    the tables of the two demo companies\n"
    "  DIR/Orba/languages   the folder of the language tables\n"
    "Existing tables and settings values are kept. Start the desktop on it with\n"
    "ORBA_SETTINGS=DIR/orba.ini.\n";
}  // namespace

int main(int argc, char** argv) {
  if (const int status = orba::tools::checkToolOptions(argc, argv, "orba-make-demo", kUsage); status >= 0)
    return status;
  if (argc != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString root = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  const QString programDir = root + QStringLiteral("/Orba/bin");
  const QString dataDir = root + QStringLiteral("/Orba/data");
  QStringList dirs = {programDir, dataDir, root + QStringLiteral("/Orba/languages")};
  for (const orba::demo::DemoCompany& company : orba::demo::demoCompanies())
    dirs << dataDir + QString::number(company.code);
  for (const QString& dir : dirs) {
    if (!QDir().mkpath(dir)) {
      std::fprintf(stderr, "orba-make-demo: cannot create %s\n", qPrintable(dir));
      return 1;
    }
  }

  if (!orba::demo::wallpaperTile().save(programDir + QStringLiteral("/Cast32.jpg"), "JPG", 90) ||
      !orba::demo::shortcutPicture().save(programDir + QStringLiteral("/sysedit.bmp"), "BMP")) {
    std::fprintf(stderr, "orba-make-demo: cannot write the pictures in %s\n", qPrintable(programDir));
    return 1;
  }

  orba::demo::MadeLog made;
  orba::pdx::Status s = orba::demo::makeSystemTables(dataDir.toStdString(), &made);
  for (const orba::demo::DemoCompany& company : orba::demo::demoCompanies()) {
    if (s.ok())
      s = orba::demo::makeCompanyTables((dataDir + QString::number(company.code)).toStdString(), company,
                                        &made);
  }
  for (const auto& [path, outcome] : made)
    std::printf("%s %s\n", outcome == orba::demo::TableOutcome::kCreated ? "created" : "kept   ",
                path.c_str());
  if (!s.ok()) {
    std::fprintf(stderr, "orba-make-demo: %s\n", s.ToString().c_str());
    return 1;
  }

  orba::settings::SettingsStore settings({root + QStringLiteral("/orba.ini"), QString()});
  const QString section = QStringLiteral("Orba");
  const struct {
    const char* name;
    QString value;
  } defaults[] = {
      {"pgmdrive", root},
      {"datadrive", root},
      {"language", QStringLiteral("1")},
      {"customer", QStringLiteral("Demo")},
      // The welcome window has nothing to say on a demo yet.
      {"ShowWelcome", QStringLiteral("N")},
  };
  for (const auto& d : defaults) {
    const QString name = QString::fromLatin1(d.name);
    QString error;
    if (!settings.value(section, name) && !settings.setValue(section, name, d.value, &error)) {
      std::fprintf(stderr, "orba-make-demo: %s\n", qPrintable(error));
      return 1;
    }
  }
  std::printf("demo installation ready in %s\n", qPrintable(root));
  return 0;
}
