// The program asked for its help or its version where there is no display
// at all: it answers and ends, without starting Qt (which would abort).

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

namespace {

struct Answer {
  int exitCode = -1;
  QProcess::ExitStatus exitStatus = QProcess::CrashExit;
  QString out;
  QString err;
};

Answer ask(const QStringList& arguments) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    env.remove(QString::fromLatin1(name));
  process.setProcessEnvironment(env);
  process.start(QStringLiteral(ORBA_PROGRAM), arguments);
  Answer a;
  if (!process.waitForFinished(30000)) {
    process.kill();
    process.waitForFinished();
    return a;
  }
  a.exitCode = process.exitCode();
  a.exitStatus = process.exitStatus();
  a.out = QString::fromUtf8(process.readAllStandardOutput());
  a.err = QString::fromUtf8(process.readAllStandardError());
  return a;
}

}  // namespace

TEST(CommandLine, VersionIsPrintedWithoutADisplay) {
  const Answer a = ask({QStringLiteral("--version")});
  ASSERT_EQ(a.exitStatus, QProcess::NormalExit) << a.err.toStdString();
  EXPECT_EQ(a.exitCode, 0) << a.err.toStdString();
  EXPECT_EQ(a.out, QStringLiteral("orba (Castellan/Orba) " ORBA_VERSION "\n"));
  EXPECT_EQ(a.err, QString());
}

TEST(CommandLine, HelpIsPrintedWithoutADisplayWhereverItStands) {
  for (const QStringList& arguments :
       {QStringList{QStringLiteral("--help")}, QStringList{QStringLiteral("-h")},
        QStringList{QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("--help")}}) {
    SCOPED_TRACE(arguments.join(' ').toStdString());
    const Answer a = ask(arguments);
    ASSERT_EQ(a.exitStatus, QProcess::NormalExit) << a.err.toStdString();
    EXPECT_EQ(a.exitCode, 0) << a.err.toStdString();
    EXPECT_TRUE(a.out.startsWith(QStringLiteral("usage: orba "))) << a.out.toStdString();
    // The places it names are the ones the program uses.
    EXPECT_TRUE(a.out.contains(QStringLiteral("(default /usr/lib/castellan)"))) << a.out.toStdString();
    EXPECT_TRUE(a.out.contains(QStringLiteral("(default /var/lib/castellan)"))) << a.out.toStdString();
  }
}
