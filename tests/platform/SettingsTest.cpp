#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "IniDocument.h"
#include "SettingsStore.h"
#include "StorageSettings.h"

using orba::settings::IniDocument;
using orba::settings::SettingsStore;

namespace {

QString readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void writeAll(const QString& path, const QString& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text.toUtf8());
}

}  // namespace

TEST(IniDocument, SectionAndValueNamesIgnoreLetterCase) {
  const auto doc = IniDocument::parse(QStringLiteral("[ORba]\nLanguage=2\n[Settings]\nIntl=y\n"));
  EXPECT_EQ(doc.value("Orba", "language"), QStringLiteral("2"));
  EXPECT_EQ(doc.value("orba", "LANGUAGE"), QStringLiteral("2"));
  EXPECT_EQ(doc.value("settings", "intl"), QStringLiteral("y"));
  EXPECT_FALSE(doc.value("Orba", "intl").has_value()) << "values belong to their own section";
}

TEST(IniDocument, ValuesKeepSpacesEqualsSignsAndEmptiness) {
  const auto doc = IniDocument::parse(QStringLiteral("[Orba]\r\ncustomer= A=B \r\nForm=\n"));
  EXPECT_EQ(doc.value("Orba", "customer"), QStringLiteral(" A=B "));
  ASSERT_TRUE(doc.value("Orba", "Form").has_value());
  EXPECT_EQ(*doc.value("Orba", "Form"), QString());
}

TEST(IniDocument, RewriteKeepsCommentsSpellingAndOtherValues) {
  auto doc = IniDocument::parse(
      QStringLiteral("; written by the installer\n[Orba]\nForm=1,2,3,4,N\ncustomer=X\n[Settings]\nintl=N\n"));
  doc.setValue("orba", "FORM", "9,8,7,6,Y");
  doc.setValue("SETTINGS", "CurrAlign", "R");
  doc.setValue("New", "a", "b");
  EXPECT_EQ(doc.serialize(), QStringLiteral("; written by the installer\n[Orba]\nForm=9,8,7,6,Y\ncustomer=X\n"
                                            "[Settings]\nintl=N\nCurrAlign=R\n[New]\na=b\n"));
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString machine() const { return dir.filePath("etc/orba.ini"); }
  QString user() const { return dir.filePath("home/orba.ini"); }
};

TEST_F(SettingsStoreTest, MissingFilesGiveDefaults) {
  SettingsStore store({machine(), user()});
  EXPECT_FALSE(store.value("Orba", "language").has_value());
  EXPECT_EQ(store.value("Orba", "language", "1"), QStringLiteral("1"));
}

TEST_F(SettingsStoreTest, WriteChangesOneValueAndKeepsTheRest) {
  QDir().mkpath(dir.filePath("etc"));
  writeAll(machine(), "[Orba]\npgmdrive=/srv\nForm=520,20,36,750,N\n[Settings]\nDateFmt=YYYY-MM-DD\n");
  SettingsStore store({machine(), user()});
  ASSERT_TRUE(store.setValue("Orba", "form", "600,10,10,800,Y"));
  EXPECT_EQ(readAll(machine()),
            "[Orba]\npgmdrive=/srv\nForm=600,10,10,800,Y\n[Settings]\nDateFmt=YYYY-MM-DD\n");
  EXPECT_FALSE(QFile::exists(user())) << "the machine-wide file was writable";
  SettingsStore again({machine(), user()});
  EXPECT_EQ(again.value("Orba", "Form"), QStringLiteral("600,10,10,800,Y"));
}

TEST_F(SettingsStoreTest, WritesMergeWithChangesMadeByAnotherProcess) {
  SettingsStore first({machine(), user()});
  SettingsStore second({machine(), user()});
  ASSERT_TRUE(first.setValue("Orba", "ShowWelcome", "N"));
  ASSERT_TRUE(second.setValue("Orba", "Form", "1,2,3,4,Y"));
  SettingsStore fresh({machine(), user()});
  EXPECT_EQ(fresh.value("Orba", "ShowWelcome"), QStringLiteral("N"));
  EXPECT_EQ(fresh.value("Orba", "Form"), QStringLiteral("1,2,3,4,Y"));
}

TEST_F(SettingsStoreTest, UserWhoCannotWriteTheMachineFileWritesHisOwn) {
  // A machine-wide file under a path that cannot hold it stands for one the
  // user may not write (even root cannot create a file below a plain file).
  writeAll(dir.filePath("etc"), "not a folder");
  SettingsStore store({machine(), user()});
  ASSERT_TRUE(store.setValue("Orba", "Form", "1,2,3,4,Y"));
  EXPECT_EQ(SettingsStore({machine(), user()}).value("Orba", "Form"), QStringLiteral("1,2,3,4,Y"));
  EXPECT_TRUE(QFile::exists(user()));
}

TEST_F(SettingsStoreTest, NeitherFileWritableIsReported) {
  writeAll(dir.filePath("etc"), "not a folder");
  writeAll(dir.filePath("home"), "not a folder either");
  SettingsStore store({machine(), user()});
  QString error;
  EXPECT_FALSE(store.setValue("Orba", "Form", "1,2,3,4,Y", &error));
  EXPECT_TRUE(error.contains("orba.ini")) << error.toStdString();
}

TEST_F(SettingsStoreTest, ValueInTheUserFileHidesTheMachineValueAndReceivesWrites) {
  QDir().mkpath(dir.filePath("etc"));
  QDir().mkpath(dir.filePath("home"));
  writeAll(machine(), "[Orba]\nShowWelcome=Y\n");
  writeAll(user(), "[orba]\nshowwelcome=N\n");
  SettingsStore store({machine(), user()});
  EXPECT_EQ(store.value("Orba", "ShowWelcome"), QStringLiteral("N"));
  ASSERT_TRUE(store.setValue("Orba", "ShowWelcome", "Y"));
  EXPECT_EQ(readAll(user()), "[orba]\nshowwelcome=Y\n");
}

TEST_F(SettingsStoreTest, LineBreaksAreRefusedAndNothingIsWritten) {
  SettingsStore store({machine(), user()});
  QString error;
  EXPECT_FALSE(store.setValue("Orba", "customer", "two\nlines", &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(QFile::exists(machine()));
}

// The desktop and every module library wait as long for a table in use and
// take their locks in the same folder: one reading of those two settings.
TEST_F(SettingsStoreTest, TheDataRootAndTheLockWaitAreReadOnceForEveryProcess) {
  const auto read = [&](const QString& lines) {
    QDir().mkpath(dir.filePath("etc"));
    writeAll(machine(), "[Orba]\n" + lines);
    return orba::settings::readStorageSettings(SettingsStore({machine(), user()}));
  };
  const auto none = read("");
  EXPECT_EQ(none.dataDrive, "/var/lib/castellan") << "where the package puts the data";
  EXPECT_EQ(none.lockWaitSeconds, 5);
  EXPECT_EQ(read("DATADRIVE=/srv/data/\n").dataDrive, "/srv/data/") << "as written, separator and all";
  struct Case {
    const char* value;
    int seconds;
  };
  for (const Case& c : {Case{"0", 0}, Case{"600", 600}, Case{" 12 ", 12}, Case{"601", 5}, Case{"-1", 5},
                        Case{"ten", 5}, Case{"", 5}, Case{"0x10", 5}})
    EXPECT_EQ(read(QString("lockwait=%1\n").arg(c.value)).lockWaitSeconds, c.seconds) << c.value;
}
