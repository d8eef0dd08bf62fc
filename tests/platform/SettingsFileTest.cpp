// Settings files that exist but cannot be used: each is named with what is
// wrong, its values take their defaults, nothing blocks or aborts, and a
// file that holds something else is never overwritten by a write.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "SettingsStore.h"

using orba::settings::SettingsProblem;
using orba::settings::SettingsStore;
using Kind = SettingsProblem::Kind;

namespace {

void write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// Reads the store in a child with an alarm, so that a hang or an abort
// fails the test rather than the run; returns the problems' kinds, and the
// language the store gave, as text.
std::string ReadInChild(const SettingsStore::Paths& paths) {
  int out[2];
  if (pipe(out) != 0) return "pipe failed";
  const pid_t pid = fork();
  if (pid == 0) {
    ::alarm(10);
    SettingsStore store(paths);
    std::string result;
    for (const SettingsProblem& p : store.problems())
      result += std::to_string(static_cast<int>(p.kind)) + ":" + p.describe().toStdString() + "\n";
    result += "language=" + store.value("Orba", "language", "default").toStdString();
    if (::write(out[1], result.data(), result.size()) < 0) _exit(2);
    _exit(0);
  }
  ::close(out[1]);
  std::string result;
  char buf[4096];
  for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;) result.append(buf, static_cast<size_t>(n));
  ::close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  return result;
}

}  // namespace

TEST(SettingsFile, NonRegularFilesAreNamedAndNeverBlockOrAbort) {
  QTemporaryDir dir;
  const QString settings = dir.filePath("orba.ini");
  const QString user = dir.filePath("user.ini");
  struct Case {
    const char* what;
    std::function<void(const QString&)> plant;
    const char* says;
  };
  const Case cases[] = {
      {"FIFO", [](const QString& p) { ASSERT_EQ(::mkfifo(p.toLocal8Bit().constData(), 0666), 0); }, "a FIFO"},
      {"directory", [](const QString& p) { ASSERT_TRUE(QDir().mkpath(p)); }, "a directory"},
      {"/dev/zero", [](const QString& p) { ASSERT_TRUE(QFile::link("/dev/zero", p)); }, "a device"},
      {"link to a FIFO",
       [&](const QString& p) {
         ASSERT_EQ(::mkfifo(dir.filePath("fifo").toLocal8Bit().constData(), 0666), 0);
         ASSERT_TRUE(QFile::link(dir.filePath("fifo"), p));
       },
       "a FIFO"},
      {"link to a directory",
       [&](const QString& p) {
         ASSERT_TRUE(QDir().mkpath(dir.filePath("folder")));
         ASSERT_TRUE(QFile::link(dir.filePath("folder"), p));
       },
       "a directory"},
  };
  for (const Case& c : cases) {
    for (const QString& target : {settings, user}) {
      QFile::remove(settings);
      QFile::remove(user);
      QDir(settings).removeRecursively();
      QDir(user).removeRecursively();
      QFile::remove(dir.filePath("fifo"));
      QDir(dir.filePath("folder")).removeRecursively();
      c.plant(target);
      const std::string result = ReadInChild({settings, user});
      EXPECT_NE(result.find("is not a file (" + std::string(c.says) + ")"), std::string::npos)
          << c.what << " as " << target.toStdString() << ": " << result;
      EXPECT_NE(result.find(target.toStdString()), std::string::npos) << "the file is named";
      EXPECT_NE(result.find("language=default"), std::string::npos) << c.what;
    }
  }
}

TEST(SettingsFile, ContentsThatAreNotSettingsAreNamedWithWhatIsWrong) {
  QTemporaryDir dir;
  const QString path = dir.filePath("orba.ini");
  struct Case {
    QByteArray bytes;
    Kind kind;
  };
  QByteArray utf16 = QByteArray("\xFF\xFE");
  for (char c : QByteArray("[Orba]\r\nlanguage=2\r\n")) utf16 += QByteArray(1, c) + QByteArray(1, '\0');
  const Case cases[] = {
      {QByteArray(), Kind::Empty},
      {QByteArray("\x7F"
                  "ELF\x02\x01\x01\0\0\0",
                  10),
       Kind::Binary},
      {utf16, Kind::Utf16},
      {QByteArray("[Orba]\nlanguage=2\ncustomer=Soci\xE9t\xE9\n"), Kind::NotUtf8},
      {QByteArray("language=2\n"), Kind::NoSection},
      {QByteArray(1024 * 1024 + 1, 'a'), Kind::TooLarge},
  };
  for (const Case& c : cases) {
    write(path, c.bytes);
    SettingsStore store({path, QString()});
    ASSERT_EQ(store.problems().size(), 1u) << static_cast<int>(c.kind);
    EXPECT_EQ(store.problems()[0].kind, c.kind);
    EXPECT_EQ(store.problems()[0].file, path);
    EXPECT_FALSE(store.value("Orba", "language").has_value()) << "defaults are used";
  }
  // A byte-order mark and CR LF line ends are fine.
  write(path, "\xEF\xBB\xBF[Orba]\r\nlanguage=2\r\n");
  SettingsStore fine({path, QString()});
  EXPECT_TRUE(fine.problems().empty());
  EXPECT_EQ(fine.value("Orba", "language"), QStringLiteral("2"));
}

TEST(SettingsFile, AFileThatHoldsSomethingElseIsNotOverwritten) {
  QTemporaryDir dir;
  const QString machine = dir.filePath("orba.ini");
  const QString user = dir.filePath("user.ini");
  const QByteArray binary("\x00\x01\x02 not settings", 17);
  write(machine, binary);
  SettingsStore store({machine, user});
  QString error;
  ASSERT_TRUE(store.setValue("Orba", "Form", "520,20,36,750,Y", &error)) << error.toStdString();
  QFile f(machine);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), binary) << "the machine-wide file keeps what it held";
  EXPECT_EQ(SettingsStore({QString(), user}).value("Orba", "Form"), QStringLiteral("520,20,36,750,Y"))
      << "the value went to the per-user file";
}

TEST(SettingsFile, AFileTheAccountMayNotReadIsNamed) {
  QTemporaryDir dir;
  const QString path = dir.filePath("orba.ini");
  write(path, "[Orba]\nlanguage=2\n");
  ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), 0), 0);
  // Root reads every file: as root, the reading is done by "nobody".
  if (geteuid() == 0) {
    const pid_t pid = fork();
    if (pid == 0) {
      if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
      SettingsStore store({path, QString()});
      const bool named = store.problems().size() == 1 && store.problems()[0].kind == Kind::Unreadable &&
                         store.problems()[0].describe().contains("Permission denied");
      _exit(named ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return;
  }
  SettingsStore store({path, QString()});
  ASSERT_EQ(store.problems().size(), 1u);
  EXPECT_EQ(store.problems()[0].kind, Kind::Unreadable);
  EXPECT_TRUE(store.problems()[0].describe().contains("Permission denied"));
}
