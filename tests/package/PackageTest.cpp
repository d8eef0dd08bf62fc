// The Debian package as a user and a packager meet it, unpacked into a
// throw-away root: what dpkg reads of it, where its files lie (where the
// settings' defaults look), lintian's verdict, and the packaged programs
// started from there. Installing it for real, with its maintainer scripts,
// is scripts/check-package.sh's job.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <memory>

#include "DefaultPaths.h"
#include "PackageRoot.h"
#include "SettingsStore.h"

namespace {

using orba::settings::kDefaultDataDrive;
using orba::settings::kDefaultProgramDrive;

const QString kPackage = QStringLiteral(ORBA_PACKAGE_FILE);

class Package : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { unpacked_ = new PackageRoot(kPackage); }
  static void TearDownTestSuite() {
    delete unpacked_;
    unpacked_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(unpacked_->error().isEmpty()) << unpacked_->error().toStdString(); }

  static const PackageRoot& pkg() { return *unpacked_; }
  static QString programDir() { return pkg().path(kDefaultProgramDrive + QStringLiteral("/Orba/bin")); }
  static QString languagesDir() {
    return pkg().path(kDefaultProgramDrive + QStringLiteral("/Orba/languages"));
  }

  // A settings file for the unpacked program: the package's own, with the
  // roots moved into the throw-away folder.
  static QString settingsFor(const QString& dataRoot) {
    const QString file = pkg().scratch() + QStringLiteral("/orba.ini");
    QString text = readText(pkg().path(QStringLiteral(ORBA_SETTINGS_FILE)));
    text.replace(QRegularExpression(QStringLiteral("(?m)^pgmdrive=.*$")),
                 QStringLiteral("pgmdrive=") + pkg().path(kDefaultProgramDrive));
    text.replace(QRegularExpression(QStringLiteral("(?m)^datadrive=.*$")),
                 QStringLiteral("datadrive=") + dataRoot);
    QFile out(file);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(text.toUtf8());
    return file;
  }

  // The packaged tools and the desktop found along a PATH that starts with
  // the package's usr/bin, as they would be with /usr/bin.
  static QProcessEnvironment packagedPath(
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) {
    env.insert(QStringLiteral("PATH"),
               pkg().path(QStringLiteral("/usr/bin:")) + env.value(QStringLiteral("PATH")));
    return env;
  }

  static QProcessEnvironment startupProbe(QProcessEnvironment env) {
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ORBA_STARTUP_PROBE"), QStringLiteral("1"));
    return env;
  }

  // Files of the program's own tree changed since `since`.
  static QStringList changedSince(const QDateTime& since) {
    QStringList changed;
    for (const QString& file : pkg().files())
      if (file.startsWith(QStringLiteral("/usr/")) && QFileInfo(pkg().path(file)).lastModified() > since)
        changed << file;
    return changed;
  }

 private:
  static PackageRoot* unpacked_;
};
PackageRoot* Package::unpacked_ = nullptr;

bool isExecutable(const QString& path) {
  struct stat st;
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111);
}

TEST_F(Package, ControlNamesTheDependenciesAndDescribesWithin80Columns) {
  EXPECT_EQ(pkg().field("Package"), ORBA_PACKAGE_NAME);
  EXPECT_EQ(pkg().field("Version"), ORBA_VERSION);
  const QString depends = pkg().field("Depends");
  for (const char* needed : {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6printsupport6",
                             "qt6-qpa-plugins", "qt6-translations-l10n", "adduser"})
    EXPECT_TRUE(depends.contains(QString::fromLatin1(needed))) << needed << " in " << depends.toStdString();
  const QStringList description = pkg().field("Description").split(QLatin1Char('\n'));
  ASSERT_GT(description.size(), 2);
  for (const QString& line : description)
    EXPECT_LE(line.size(), 80) << "a description line too long: " << line.toStdString();

  EXPECT_EQ(
      readText(pkg().control() + QStringLiteral("/conffiles")).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
      QStringList{QStringLiteral(ORBA_SETTINGS_FILE)});
  for (const char* script : {"postinst", "postrm"}) {
    const QString path = pkg().control() + QLatin1Char('/') + QString::fromLatin1(script);
    EXPECT_TRUE(isExecutable(path)) << script;
    EXPECT_TRUE(readText(path).startsWith(QStringLiteral("#!/bin/sh\n"))) << script;
    const ProcessRun syntax = runProcess(QStringLiteral("sh"), {QStringLiteral("-n"), path});
    EXPECT_EQ(syntax.exitCode, 0) << script << ": " << syntax.describe().toStdString();
  }
  // The group the package makes is the one its scripts and documents name.
  EXPECT_TRUE(readText(pkg().control() + QStringLiteral("/postinst"))
                  .contains(QStringLiteral("group=" ORBA_OFFICE_GROUP "\n")));
}

TEST_F(Package, TheProgramFolderAndLanguageTablesLieWhereTheDefaultsLook) {
  for (const char* name : {"orba", "loadingdlg.so", "creco.so", "mcomp.so", "ut03.so", "mtools.so", "ar01.so",
                           "Cast32.jpg", "sysedit.bmp", "Help/contents.html", "Helpfr/contents.html"})
    EXPECT_TRUE(QFileInfo::exists(programDir() + QLatin1Char('/') + QString::fromLatin1(name))) << name;
  EXPECT_TRUE(isExecutable(programDir() + QStringLiteral("/orba")));
  for (const char* table : {"MainMenuen.db", "MainMenuen.px", "MainMenufr.db", "MainMenufr.px"})
    EXPECT_TRUE(QFileInfo::exists(languagesDir() + QLatin1Char('/') + QString::fromLatin1(table))) << table;
  // Stripped, but with the version record the status bar and the about box read.
  EXPECT_TRUE(readText(programDir() + QStringLiteral("/orba")).contains(QStringLiteral("ORBAVER")));

  for (const QString& file : pkg().files()) {
    EXPECT_FALSE(file.startsWith(QStringLiteral("/opt/")) || file.startsWith(QStringLiteral("/var/")))
        << file.toStdString() << ": the data folder is made at installation, and nothing goes in /opt";
    EXPECT_FALSE(file.endsWith(QStringLiteral(".lock"))) << file.toStdString();
  }
  for (const char* stray : {"sample.so", "samplemtools.so", "testmodule.so", "testmtools.so", "testcreco.so"})
    EXPECT_FALSE(QFileInfo::exists(programDir() + QLatin1Char('/') + QString::fromLatin1(stray))) << stray;
}

TEST_F(Package, EveryProgramOnThePathHasItsManualPageAndOrbaLeadsIntoTheProgramFolder) {
  const QDir bin(pkg().path(QStringLiteral("/usr/bin")));
  const QStringList programs = bin.entryList(QDir::Files | QDir::System);
  EXPECT_EQ(programs, (QStringList{"orba", "orba-make-demo", "orba-stream", "pdxtool"}));
  for (const QString& program : programs) {
    const QString page = readText(pkg().path(QStringLiteral("/usr/share/man/man1/%1.1.gz").arg(program)));
    EXPECT_TRUE(page.contains(QStringLiteral("\n.TH %1 1 ").arg(program.toUpper()))) << program.toStdString();
  }
  // Both under /usr: a relative link, which stays whole under any root.
  const QFileInfo link(bin.filePath(QStringLiteral("orba")));
  ASSERT_TRUE(link.isSymLink());
  char target[4096] = {};
  ASSERT_GT(::readlink(QFile::encodeName(link.filePath()).constData(), target, sizeof target - 1), 0);
  EXPECT_TRUE(QDir::isRelativePath(QFile::decodeName(target))) << target;
  EXPECT_EQ(link.canonicalFilePath(), QFileInfo(programDir() + QStringLiteral("/orba")).canonicalFilePath());
}

TEST_F(Package, CopyrightChangelogAndTheAdministratorsPageAreShipped) {
  const QString doc = pkg().path(QStringLiteral("/usr/share/doc/" ORBA_PACKAGE_NAME));
  EXPECT_TRUE(readText(doc + QStringLiteral("/copyright"))
                  .startsWith(QStringLiteral(
                      "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n")));
  EXPECT_TRUE(readText(doc + QStringLiteral("/changelog.gz"))
                  .startsWith(QStringLiteral(ORBA_PACKAGE_NAME " (" ORBA_VERSION ") ")));
  const QString administration = readText(doc + QStringLiteral("/administration.md"));
  EXPECT_TRUE(administration.contains(QStringLiteral("adduser ACCOUNT " ORBA_OFFICE_GROUP)))
      << "how to let an account use the program";
}

TEST_F(Package, TheSettingsFileNamesTheProgramsOwnDefaults) {
  orba::settings::SettingsStore shipped({pkg().path(QStringLiteral(ORBA_SETTINGS_FILE)), QString()});
  EXPECT_TRUE(shipped.problems().empty());
  EXPECT_EQ(shipped.value("Orba", "pgmdrive", {}), kDefaultProgramDrive);
  EXPECT_EQ(shipped.value("Orba", "datadrive", {}), kDefaultDataDrive);
  // The packaged program says the same, and needs no display to say it.
  const ProcessRun help =
      runProcess(programDir() + QStringLiteral("/orba"), {QStringLiteral("--help")}, withoutDisplay());
  ASSERT_EQ(help.exitCode, 0) << help.describe().toStdString();
  EXPECT_TRUE(help.out.contains(QStringLiteral("(default %1)").arg(kDefaultProgramDrive)));
  EXPECT_TRUE(help.out.contains(QStringLiteral("(default %1)").arg(kDefaultDataDrive)));
  const ProcessRun version = runProcess(pkg().path(QStringLiteral("/usr/bin/orba")),
                                        {QStringLiteral("--version")}, withoutDisplay());
  EXPECT_EQ(version.exitCode, 0) << version.describe().toStdString();
  EXPECT_EQ(version.out, QStringLiteral("orba (Castellan/Orba) " ORBA_VERSION "\n"));
}

TEST_F(Package, TheDesktopEntryStartsTheProgramOnANewInstallation) {
  const QString entry = pkg().path(QStringLiteral("/usr/share/applications/ca.castellan.Orba.desktop"));
  const QRegularExpressionMatch exec =
      QRegularExpression(QStringLiteral("(?m)^Exec=(.*)$")).match(readText(entry));
  ASSERT_TRUE(exec.hasMatch());
  QStringList command =
      QProcess::splitCommand(exec.captured(1).remove(QRegularExpression(QStringLiteral("%[fFuUick]"))));
  ASSERT_FALSE(command.isEmpty());

  // The data folder as the package's postinst leaves it: empty, the
  // group's at every level.
  const QString dataRoot = pkg().scratch() + QStringLiteral("/new-installation");
  ASSERT_TRUE(QDir().mkpath(dataRoot + QStringLiteral("/Orba/data")));
  for (const char* level : {"/Orba", "/Orba/data"})
    ASSERT_EQ(::chmod(QFile::encodeName(dataRoot + QString::fromLatin1(level)).constData(), 02770), 0);
  QProcessEnvironment env = startupProbe(packagedPath());
  env.insert(QStringLiteral("ORBA_SETTINGS"), settingsFor(dataRoot));
  env.insert(QStringLiteral("ORBA_USER_SETTINGS"), pkg().scratch() + QStringLiteral("/user.ini"));

  const QDateTime before = QDateTime::currentDateTime();
  const QString program = command.takeFirst();
  const ProcessRun run =
      runProcess(QStringLiteral("/bin/sh"),
                 QStringList{QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$@\""), program} + command,
                 env, QDir::rootPath(), 60000);
  EXPECT_TRUE(run.finished);
  EXPECT_TRUE(run.out.contains(QRegularExpression(QStringLiteral("(?m)^main-window-shown [0-9]+$"))))
      << run.describe().toStdString();
  EXPECT_FALSE(run.err.contains(QStringLiteral("Not found"))) << run.describe().toStdString();
  EXPECT_EQ(changedSince(before), QStringList()) << "the program wrote into its own tree";
}

TEST_F(Package, TheDemoToolsCommandStartsThePackagedProgramAsPrinted) {
  const QString demo = pkg().scratch() + QStringLiteral("/demo");
  const ProcessRun made = runProcess(pkg().path(QStringLiteral("/usr/bin/orba-make-demo")), {demo});
  ASSERT_EQ(made.exitCode, 0) << made.describe().toStdString();
  EXPECT_FALSE(made.out.contains(QStringLiteral("does not hold the program"))) << made.out.toStdString();
  const QRegularExpressionMatch printed =
      QRegularExpression(QStringLiteral("Start the desktop on it with:\n  (.*)\n")).match(made.out);
  ASSERT_TRUE(printed.hasMatch()) << made.out.toStdString();
  const QString command = printed.captured(1);
  EXPECT_TRUE(command.endsWith(QLatin1Char(' ') + pkg().path(QStringLiteral("/usr/bin/orba"))))
      << command.toStdString();
  // The demo holds its data only; the program is the installed one.
  EXPECT_FALSE(QFileInfo::exists(demo + QStringLiteral("/Orba/bin")));

  const QDateTime before = QDateTime::currentDateTime();
  const ProcessRun run =
      runProcess(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command},
                 startupProbe(QProcessEnvironment::systemEnvironment()), QDir::rootPath(), 60000);
  EXPECT_TRUE(run.finished);
  EXPECT_TRUE(run.out.contains(QRegularExpression(QStringLiteral("(?m)^main-window-shown [0-9]+$"))))
      << run.describe().toStdString();
  EXPECT_FALSE(run.err.contains(QStringLiteral("Not found"))) << run.describe().toStdString();
  EXPECT_EQ(changedSince(before), QStringList()) << "the program wrote into its own tree";
}

TEST_F(Package, DesktopEntryAndAppStreamDataAreValid) {
  const ProcessRun entry =
      runProcess(QStringLiteral("desktop-file-validate"),
                 {pkg().path(QStringLiteral("/usr/share/applications/ca.castellan.Orba.desktop"))});
  const ProcessRun appstream =
      runProcess(QStringLiteral("appstreamcli"),
                 {QStringLiteral("validate"), QStringLiteral("--no-net"),
                  pkg().path(QStringLiteral("/usr/share/metainfo/ca.castellan.Orba.metainfo.xml"))});
  if (!entry.finished && !appstream.finished)
    GTEST_SKIP() << "neither desktop-file-validate nor appstreamcli is installed "
                    "(scripts/install-deps.sh --package installs them)";
  if (entry.finished) {
    EXPECT_EQ(entry.exitCode, 0) << entry.describe().toStdString();
  }
  if (appstream.finished) {
    EXPECT_EQ(appstream.exitCode, 0) << appstream.describe().toStdString();
  }
}

TEST_F(Package, LintianFindsNoErrorAndNoWarning) {
  const ProcessRun version = runProcess(QStringLiteral("lintian"), {QStringLiteral("--version")});
  if (!version.finished)
    GTEST_SKIP() << "lintian is not installed (scripts/install-deps.sh --package installs it)";
  const ProcessRun run =
      runProcess(QStringLiteral("lintian"),
                 {QStringLiteral("--display-info"), QStringLiteral("--show-overrides"), kPackage},
                 QProcessEnvironment::systemEnvironment(), {}, 300000);
  ASSERT_TRUE(run.finished) << run.describe().toStdString();
  QStringList faults;
  for (const QString& line : run.out.split(QLatin1Char('\n')))
    if (line.startsWith(QStringLiteral("E: ")) || line.startsWith(QStringLiteral("W: "))) faults << line;
  EXPECT_EQ(faults, QStringList()) << run.out.toStdString();
  // The informational tags left are the explained overrides only.
  for (const QString& line : run.out.split(QLatin1Char('\n')))
    EXPECT_FALSE(line.startsWith(QStringLiteral("I: "))) << line.toStdString();
}

}  // namespace
