// Where a Tools entry's external program is looked for: its working folder,
// the program folder, the search path, never the current folder.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ToolProgram.h"

using orba::dispatch::findToolProgram;

namespace {

class ToolProgramTest : public ::testing::Test {
 protected:
  QTemporaryDir root;
  QString previous = QDir::currentPath();
  QString folder(const QString& name) {
    QDir().mkpath(root.filePath(name));
    return root.filePath(name);
  }
  QString program(const QString& dir, const QString& name, bool executable = true) {
    const QString path = QDir(dir).filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nexit 0\n");
    f.close();
    f.setPermissions(executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                : QFile::ReadOwner | QFile::WriteOwner);
    return path;
  }
  void TearDown() override { QDir::setCurrent(previous); }
};

TEST_F(ToolProgramTest, WorkingFolderThenProgramFolderThenSearchPath) {
  const QString work = folder("work"), pgm = folder("pgm"), path1 = folder("path1");
  const QString inPath = program(path1, "report");
  EXPECT_EQ(findToolProgram("report", work, pgm, path1), inPath);
  const QString inProgram = program(pgm, "report");
  EXPECT_EQ(findToolProgram("report", work, pgm, path1), inProgram);
  const QString inWork = program(work, "report");
  EXPECT_EQ(findToolProgram("report", work, pgm, path1), inWork);
  // No working folder: the program folder first.
  EXPECT_EQ(findToolProgram("report", QString(), pgm, path1), inProgram);
}

TEST_F(ToolProgramTest, NeverTheCurrentFolder) {
  const QString here = folder("here"), pgm = folder("pgm");
  program(here, "evil");
  program(here, "bin/evil");
  QDir::setCurrent(here);
  // Not as a bare name, not through "." or an empty entry of the search
  // path, not as a relative name with a folder.
  EXPECT_EQ(findToolProgram("evil", QString(), pgm, ".::" + pgm), QString());
  EXPECT_EQ(findToolProgram("./evil", QString(), pgm, "/usr/bin"), QString());
  EXPECT_EQ(findToolProgram("bin/evil", QString(), pgm, "/usr/bin"), QString());
  EXPECT_EQ(findToolProgram("evil", "relative", pgm, "/usr/bin"), QString());
  // A relative name with a folder is found under the program folder.
  const QString mine = program(pgm, "bin/evil");
  EXPECT_EQ(findToolProgram("bin/evil", QString(), pgm, "/usr/bin"), mine);
}

TEST_F(ToolProgramTest, OnlyExecutableRegularFiles) {
  const QString pgm = folder("pgm");
  program(pgm, "notes", false);
  folder("pgm/tool");
  EXPECT_EQ(findToolProgram("notes", QString(), pgm, QString()), QString());
  EXPECT_EQ(findToolProgram("tool", QString(), pgm, QString()), QString());
  const QString absolute = program(folder("elsewhere"), "abs");
  EXPECT_EQ(findToolProgram(absolute, QString(), pgm, QString()), absolute);
  EXPECT_EQ(findToolProgram(QString(), QString(), pgm, QString()), QString());
}

}  // namespace
