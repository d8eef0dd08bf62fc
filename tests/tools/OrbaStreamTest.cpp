// orba-stream on real files: a demo installation's desktop rows, and the
// shared sample streams when they are present.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "stream/ComponentStream.h"

namespace {

struct Outcome {
  int status;
  QByteArray out;
  QString err;
};

Outcome run(const QStringList& arguments) {
  QProcess p;
  p.start(ORBA_STREAM, arguments);
  EXPECT_TRUE(p.waitForFinished(60000));
  return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
}

QByteArray slurp(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(OrbaStream, ADesktopRowPrintsAsTextAndConvertsBackToItsBytes) {
  QTemporaryDir dir;
  QProcess demo;
  demo.start(MAKE_DEMO, {dir.path()});
  ASSERT_TRUE(demo.waitForFinished(120000));
  ASSERT_EQ(demo.exitCode(), 0);
  const QString desktop = dir.filePath("Orba/data/Desktop.db");
  const Outcome row = run({"row", desktop, "2"});
  ASSERT_EQ(row.status, 0) << row.err.toStdString();
  EXPECT_TRUE(row.out.startsWith("object SupplierBtn: TTransparentButton\n")) << row.out.toStdString();
  EXPECT_TRUE(row.out.contains("  Glyph.Data = {\n"));
  EXPECT_EQ(run({"row", desktop, "2", "desktop_component"}).out, row.out) << "the field in any case";

  // The text back to binary, then that binary as text again: the same.
  QFile text(dir.filePath("row.txt"));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write(row.out);
  text.close();
  ASSERT_EQ(run({"binary", dir.filePath("row.txt"), dir.filePath("row.bin")}).status, 0);
  EXPECT_EQ(run({"text", dir.filePath("row.bin")}).out, row.out);

  struct Case {
    QStringList arguments;
    const char* says;
  };
  const Case cases[] = {
      {{"row", desktop, "0"}, "record 0 does not exist"},
      {{"row", desktop, "2", "Colour"}, "no field Colour"},
      {{"row", desktop, "2", "Desktop_user"}, "is not a blob field"},
      {{"text", dir.filePath("missing")}, "cannot be read"},
      {{"text", desktop}, "offset"},
  };
  for (const Case& c : cases) {
    const Outcome o = run(c.arguments);
    EXPECT_NE(o.status, 0) << c.says;
    EXPECT_TRUE(o.err.contains(c.says)) << o.err.toStdString();
    EXPECT_TRUE(o.out.isEmpty());
  }
  QFile bad(dir.filePath("bad.txt"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("object X: TButton\n  Caption = 'never closed\nend\n");
  bad.close();
  const Outcome o = run({"binary", dir.filePath("bad.txt"), dir.filePath("bad.bin")});
  EXPECT_NE(o.status, 0);
  EXPECT_TRUE(o.err.contains("line 2: string not closed")) << o.err.toStdString();
}

// Every shared sample: its text as the reference shows it, and back.
TEST(OrbaStream, EverySharedStreamMatchesItsReferenceBothWays) {
  const QString root = qEnvironmentVariable("ORBA_TESTDATA") + "/tpf0";
  if (qEnvironmentVariable("ORBA_TESTDATA").isEmpty() || !QDir(root).exists())
    GTEST_SKIP() << "sample files not present ($ORBA_TESTDATA/tpf0)";
  QTemporaryDir dir;
  int files = 0;
  for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
    const QString path = it.next();
    if (path.endsWith(".txt") || path.endsWith(".md") || path.contains("/text-twins/")) continue;
    if (!QFile::exists(path + ".txt")) continue;
    ++files;
    const Outcome text = run({"text", path});
    ASSERT_EQ(text.status, 0) << path.toStdString() << ": " << text.err.toStdString();
    EXPECT_EQ(text.out, slurp(path + ".txt")) << path.toStdString();
    const QString out = dir.filePath(QString::number(files) + ".bin");
    ASSERT_EQ(run({"binary", path + ".txt", out}).status, 0) << path.toStdString();
    // The raw stream: what follows a resource header, when there is one.
    const QByteArray original = slurp(path);
    const auto frame =
        orba::stream::skipResourceHeader(std::string_view(original.constData(), original.size()));
    EXPECT_EQ(slurp(out), original.mid(static_cast<qsizetype>(frame.offset))) << path.toStdString();
  }
  EXPECT_EQ(files, 27);
}
