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

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "DemoPictures.h"
#include "DemoTables.h"
#include "SettingsStore.h"
#include "ToolOptions.h"

namespace {
const char kUsage[] =
    "usage: orba-make-demo [--group=GROUP] DIR\n"
    "Makes a demo installation in DIR, or completes one that is there:\n"
    "  DIR/orba.ini         the settings, with the program and data roots in DIR\n"
    "  DIR/Orba/bin         the program folder, with the wallpaper and shortcut pictures\n"
    "  DIR/Orba/data        the system tables: users, languages, companies, desktops\n"
    "  DIR/Orba/data1, 2    the tables of the two demo companies\n"
    "  DIR/Orba/languages   the folder of the language tables\n"
    "Existing tables and settings values are kept. The data folders are made for one group,\n"
    "as an office shares them: folders 2770 (the group's, set-group-ID), files 0660; the group\n"
    "is GROUP, or the primary group of the account that runs the tool.\n"
    "Start the desktop on it with ORBA_SETTINGS=DIR/orba.ini.\n";

// Gives a data folder and its files to the group: the folder 2770 (new files
// take its group), the files 0660. Returns false with the reason.
bool shareWithGroup(const QString& folder, gid_t group, QString* error) {
  const QByteArray path = QFile::encodeName(folder);
  if (::chown(path.constData(), static_cast<uid_t>(-1), group) != 0 ||
      ::chmod(path.constData(), 02770) != 0) {
    *error = folder + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
    const QByteArray file = QFile::encodeName(folder + QLatin1Char('/') + name);
    if (::chown(file.constData(), static_cast<uid_t>(-1), group) != 0 ||
        ::chmod(file.constData(), 0660) != 0) {
      *error = folder + QLatin1Char('/') + name + QStringLiteral(": ") +
               QString::fromLocal8Bit(std::strerror(errno));
      return false;
    }
  }
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  // --group=GROUP is this tool's own option; the rest are every tool's.
  gid_t group = getgid();
  if (argc >= 2 && std::strncmp(argv[1], "--group=", 8) == 0) {
    const struct group* g = getgrnam(argv[1] + 8);
    if (!g) {
      std::fprintf(stderr, "orba-make-demo: no group named %s\n", argv[1] + 8);
      return 2;
    }
    group = g->gr_gid;
    ++argv;
    --argc;
  }
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
  QStringList dataDirs = {dataDir};
  for (const orba::demo::DemoCompany& company : orba::demo::demoCompanies())
    dataDirs << dataDir + QString::number(company.code);
  for (const QString& folder : dataDirs) {
    QString error;
    if (!shareWithGroup(folder, group, &error)) {
      std::fprintf(stderr, "orba-make-demo: cannot share the data folders: %s\n", qPrintable(error));
      return 1;
    }
  }
  const struct group* named = getgrgid(group);
  std::printf("data folders shared by the group %s: folders 2770, files 0660 (see docs/administration.md)\n",
              named ? named->gr_name : std::to_string(group).c_str());
  std::printf("demo installation ready in %s\n", qPrintable(root));
  return 0;
}
