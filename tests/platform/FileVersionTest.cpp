#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "FileVersion.h"

using orba::version::GetFileVersionText;

TEST(FileVersion, CountSelectsLeadingPartsAndOutOfRangeMeansAll) {
  EXPECT_EQ(GetFileVersionText(VERSIONED_FIXTURE, 2), "3.5");
  EXPECT_EQ(GetFileVersionText(VERSIONED_FIXTURE, 1), "3");
  EXPECT_EQ(GetFileVersionText(VERSIONED_FIXTURE, 3), "3.5.0");
  EXPECT_EQ(GetFileVersionText(VERSIONED_FIXTURE, 4), "3.5.0.9");
  EXPECT_EQ(GetFileVersionText(VERSIONED_FIXTURE, 0), "3.5.0.9");
  EXPECT_EQ(GetFileVersionText(VERSIONED_FIXTURE, 7), "3.5.0.9");
  EXPECT_EQ(GetFileVersionText(VERSIONED_FIXTURE, -1), "3.5.0.9");
}

TEST(FileVersion, LargestPartIsWrittenInFull) {
  EXPECT_EQ(GetFileVersionText(VERSIONED_MAX_FIXTURE, 4), "65535.0.1.65535");
}

TEST(FileVersion, FilesWithoutARecordGiveEmptyText) {
  QTemporaryDir dir;
  const QString text = dir.filePath("notes.txt");
  QFile f(text);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("just some text, long enough to look like a header of something....");
  f.close();
  EXPECT_EQ(GetFileVersionText(text.toStdString(), 4), "");
  EXPECT_EQ(GetFileVersionText((dir.path() + "/missing").toStdString(), 4), "");
  // The test program itself is an ELF file without a version record.
  EXPECT_EQ(GetFileVersionText("/proc/self/exe", 4), "");
}

TEST(FileVersion, DamagedFilesNeverReadOutsideThemselves) {
  QFile original(VERSIONED_FIXTURE);
  ASSERT_TRUE(original.open(QIODevice::ReadOnly));
  const QByteArray bytes = original.readAll();
  QTemporaryDir dir;
  // Cut at many points, and with the section table pointer thrown far away.
  for (qsizetype cut : {qsizetype(16), qsizetype(64), bytes.size() / 2, bytes.size() - 1}) {
    const QString path = dir.filePath(QStringLiteral("cut%1").arg(cut));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.left(cut));
    f.close();
    EXPECT_EQ(GetFileVersionText(path.toStdString(), 4), "") << cut;
  }
  QByteArray bad = bytes;
  for (int i = 0x28; i < 0x30; ++i) bad[i] = char(0xff);  // section header offset
  const QString path = dir.filePath("bad");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bad);
  f.close();
  EXPECT_EQ(GetFileVersionText(path.toStdString(), 4), "");
}
