// Every command-line tool answers --help with its usage and refuses an
// option it does not know instead of taking it for a file or folder.

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Outcome {
  int status;
  QString out, err;
};

Outcome run(const QString& program, const QStringList& arguments, const QString& folder) {
  QProcess p;
  p.setWorkingDirectory(folder);
  p.start(program, arguments);
  EXPECT_TRUE(p.waitForFinished(30000)) << program.toStdString();
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace

TEST(ToolOptions, HelpPrintsTheUsageAndUnknownOptionsAreRefused) {
  for (const char* tool : {MAKE_DEMO, PDXTOOL, MAKE_LANGUAGES, ORBA_STREAM}) {
    QTemporaryDir dir;
    for (const char* help : {"--help", "-h"}) {
      const Outcome r = run(tool, {help}, dir.path());
      EXPECT_EQ(r.status, 0) << tool << " " << help;
      EXPECT_TRUE(r.out.startsWith("usage: ")) << tool << " " << r.out.toStdString();
      EXPECT_TRUE(r.err.isEmpty()) << tool;
    }
    const Outcome r = run(tool, {"--demo-dir", "x"}, dir.path());
    EXPECT_EQ(r.status, 2) << tool;
    EXPECT_TRUE(r.err.contains("unknown option --demo-dir")) << tool << " " << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("usage: ")) << tool;
    EXPECT_TRUE(QDir(dir.path()).isEmpty()) << tool << ": nothing was made";
    const Outcome none = run(tool, {}, dir.path());
    EXPECT_EQ(none.status, 2) << tool << " without its arguments";
  }
}
