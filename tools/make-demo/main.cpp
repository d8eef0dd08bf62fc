// Prepares a demo installation in a folder:
//
//   orba-make-demo [--group=GROUP] [--program=ROOT] DIR
//
// DIR/orba.ini          the settings: the data root DIR, the program root
//                       ROOT (pgmdrive), by default the installed program
//                       this tool belongs to
// DIR/Orba/data         the system tables: users, languages, companies, desktops
// DIR/Orba/data1, data2 the tables of companies 1 and 2 (the data folder's path
//                       followed by the company number, as the desktop builds it)
//
// When the program root is DIR itself (no installed program, or
// --program=DIR), DIR also gets the program folder DIR/Orba/bin, with the
// wallpaper and shortcut pictures, and DIR/Orba/languages, to be filled
// with the program's files.
//
// An existing settings file keeps its values and existing tables are left as
// they are (they may hold what someone typed into the demo since); only
// what is missing is made. Pictures are rewritten, identically. The tool
// ends by printing the command that starts the desktop on the demo.

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
#include <vector>

#include "DemoPictures.h"
#include "DemoProgram.h"
#include "DemoTables.h"
#include "SettingsStore.h"
#include "ToolOptions.h"

namespace {
std::string usage() {
  const QString installed = orba::demo::installedProgramRoot();
  return std::string(
             "usage: orba-make-demo [--group=GROUP] [--program=ROOT] DIR\n"
             "Makes a demo installation in DIR, or completes one that is there:\n"
             "  DIR/orba.ini         the settings: the program root ROOT (pgmdrive), the data root DIR\n"
             "  DIR/Orba/data        the system tables: users, languages, companies, desktops\n"
             "  DIR/Orba/data1, 2    the tables of the two demo companies\n"
             "ROOT is by default the installed program this tool belongs to (") +
         (installed.isEmpty() ? std::string("none here") : installed.toStdString()) +
         "), whose program\n"
         "folder is ROOT/Orba/bin. Without one, or with --program=DIR, DIR holds its own:\n"
         "  DIR/Orba/bin         the program folder, with the wallpaper and shortcut pictures\n"
         "  DIR/Orba/languages   the folder of the language tables\n"
         "which must then receive the program, its libraries and the language tables.\n"
         "Existing tables and settings values are kept. The data folders are made for one group,\n"
         "as an office shares them: folders 2770 (the group's, set-group-ID), files 0660; the group\n"
         "is GROUP, or the primary group of the account that runs the tool.\n"
         "At the end it prints the command that starts the desktop on the demo:\n"
         "  ORBA_SETTINGS=DIR/orba.ini ORBA_USER_SETTINGS=DIR/user.ini PROGRAM\n";
}

// Sets a folder up for the group: the folder 2770 (what is made in it takes
// its group). Returns false with the reason.
bool shareFolder(const QString& folder, gid_t group, QString* error) {
  const QByteArray path = QFile::encodeName(folder);
  if (::chown(path.constData(), static_cast<uid_t>(-1), group) != 0 ||
      ::chmod(path.constData(), 02770) != 0) {
    *error = folder + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  return true;
}

// Gives a data folder and its files to the group: the folder 2770 (new files
// take its group), the files 0660. Returns false with the reason.
bool shareWithGroup(const QString& folder, gid_t group, QString* error) {
  if (!shareFolder(folder, group, error)) return false;
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
  // --group and --program are this tool's own options; the rest are every
  // tool's.
  gid_t group = getgid();
  QString programOption;
  std::vector<char*> rest = {argv[0]};
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--group=", 8) == 0) {
      const struct group* g = getgrnam(argv[i] + 8);
      if (!g) {
        std::fprintf(stderr, "orba-make-demo: no group named %s\n", argv[i] + 8);
        return 2;
      }
      group = g->gr_gid;
    } else if (std::strncmp(argv[i], "--program=", 10) == 0 && argv[i][10] != '\0') {
      programOption = QDir(QString::fromLocal8Bit(argv[i] + 10)).absolutePath();
    } else {
      rest.push_back(argv[i]);
    }
  }
  const std::string text = usage();
  if (const int status = orba::tools::checkToolOptions(static_cast<int>(rest.size()), rest.data(),
                                                       "orba-make-demo", text.c_str());
      status >= 0)
    return status;
  if (rest.size() != 2) {
    std::fputs(text.c_str(), stderr);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString root = QDir(QString::fromLocal8Bit(rest[1])).absolutePath();
  QString programRoot = programOption;
  if (programRoot.isEmpty()) programRoot = orba::demo::installedProgramRoot();
  if (programRoot.isEmpty()) programRoot = root;
  const QString dataDir = root + QStringLiteral("/Orba/data");
  QStringList dirs = {dataDir};
  for (const orba::demo::DemoCompany& company : orba::demo::demoCompanies())
    dirs << dataDir + QString::number(company.code);
  // A program folder of the demo's own, to be filled with the program.
  const QString programDir = root + QStringLiteral("/Orba/bin");
  const bool ownProgramFolder = programRoot == root;
  if (ownProgramFolder) dirs << programDir << root + QStringLiteral("/Orba/languages");
  for (const QString& dir : dirs) {
    if (!QDir().mkpath(dir)) {
      std::fprintf(stderr, "orba-make-demo: cannot create %s\n", qPrintable(dir));
      return 1;
    }
  }

  if (ownProgramFolder &&
      (!orba::demo::wallpaperTile().save(programDir + QStringLiteral("/Cast32.jpg"), "JPG", 90) ||
       !orba::demo::shortcutPicture().save(programDir + QStringLiteral("/sysedit.bmp"), "BMP"))) {
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

  const QString settingsFile = root + QStringLiteral("/orba.ini");
  orba::settings::SettingsStore settings({settingsFile, QString()});
  const QString section = QStringLiteral("Orba");
  const struct {
    const char* name;
    QString value;
  } defaults[] = {
      {"pgmdrive", programRoot},
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
  // Company creation makes its folders beside the data folder: the Orba
  // folder is the group's too.
  QString error;
  if (!shareFolder(root + QStringLiteral("/Orba"), group, &error)) {
    std::fprintf(stderr, "orba-make-demo: cannot share the data folders: %s\n", qPrintable(error));
    return 1;
  }
  QStringList dataDirs = {dataDir};
  for (const orba::demo::DemoCompany& company : orba::demo::demoCompanies())
    dataDirs << dataDir + QString::number(company.code);
  for (const QString& folder : dataDirs) {
    if (!shareWithGroup(folder, group, &error)) {
      std::fprintf(stderr, "orba-make-demo: cannot share the data folders: %s\n", qPrintable(error));
      return 1;
    }
  }
  const struct group* named = getgrgid(group);
  std::printf("data folders shared by the group %s: folders 2770, files 0660 (see administration.md)\n",
              named ? named->gr_name : std::to_string(group).c_str());
  std::printf("demo installation ready in %s\n", qPrintable(root));

  // The settings say which program runs the demo: the one this run chose,
  // or the one an earlier run wrote and that was kept.
  const QString pgmdrive = settings.value(section, QStringLiteral("pgmdrive"), programRoot);
  const QStringList missing = orba::demo::missingProgramFiles(pgmdrive);
  if (!missing.isEmpty()) {
    std::printf(
        "the program folder %s/Orba/bin does not hold the program yet: put the program, its\n"
        "libraries and the language tables there (missing: %s), or make the demo with\n"
        "--program=ROOT for a program installed under ROOT\n",
        qPrintable(pgmdrive), qPrintable(missing.join(QStringLiteral(", "))));
  }
  std::printf("Start the desktop on it with:\n  %s\n",
              qPrintable(orba::demo::startCommand(settingsFile, root + QStringLiteral("/user.ini"),
                                                  orba::demo::programToStart(pgmdrive))));
  return 0;
}
