// The data folder at the first start, on real folders: made below the
// folder the settings name, shared as that folder is; never made when that
// folder is missing; a file in the way or a folder closed to the account
// said as such.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "DataFolder.h"

using orba::shell::DataFolderState;
using orba::shell::prepareDataFolder;
using Kind = DataFolderState::Kind;

namespace {

mode_t modeOf(const QString& path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(DataFolder, AMissingDataFolderIsMadeSharedLikeTheFolderThatHoldsIt) {
  QTemporaryDir root;
  const QString drive = root.filePath("office");
  ASSERT_TRUE(QDir().mkpath(drive));
  ASSERT_EQ(::chmod(QFile::encodeName(drive).constData(), 02770), 0);
  const QString data = drive + "/Orba/data";

  const DataFolderState made = prepareDataFolder(drive, data);
  EXPECT_EQ(made.kind, Kind::Made) << made.detail.toStdString();
  EXPECT_EQ(modeOf(drive + "/Orba"), 02770u);
  EXPECT_EQ(modeOf(data), 02770u);
  EXPECT_EQ(prepareDataFolder(drive, data).kind, Kind::Ready);
}

// A folder its group may write in, but without set-group-ID: the folders
// made below it are set-group-ID, so that what any account of the group
// makes there takes the group. A folder only its owner writes stays so.
TEST(DataFolder, TheDataFolderKeepsTheGroupOfAFolderItsGroupWrites) {
  QTemporaryDir root;
  for (const auto& [mode, expected] : {std::pair{0770u, 02770u}, std::pair{0755u, 0755u}}) {
    const QString drive = root.filePath(QString::number(mode, 8));
    ASSERT_TRUE(QDir().mkpath(drive));
    ASSERT_EQ(::chmod(QFile::encodeName(drive).constData(), mode), 0);
    ASSERT_EQ(prepareDataFolder(drive, drive + "/Orba/data").kind, Kind::Made);
    EXPECT_EQ(modeOf(drive + "/Orba"), expected) << std::oct << mode;
    EXPECT_EQ(modeOf(drive + "/Orba/data"), expected) << std::oct << mode;
    EXPECT_EQ(modeOf(drive), mode) << "the folder the settings name is left as it is";
  }
}

TEST(DataFolder, TheFolderTheSettingsNameIsNeverMade) {
  QTemporaryDir root;
  const QString drive = root.filePath("mnt/office");
  const DataFolderState state = prepareDataFolder(drive, drive + "/Orba/data");
  EXPECT_EQ(state.kind, Kind::MissingRoot);
  EXPECT_EQ(state.folder, drive);
  EXPECT_FALSE(QFile::exists(root.filePath("mnt")));
  EXPECT_EQ(prepareDataFolder("", "/Orba/data").kind, Kind::MissingRoot);
}

TEST(DataFolder, AFileInTheWayIsNoDataFolder) {
  QTemporaryDir root;
  QFile orba(root.filePath("Orba"));
  ASSERT_TRUE(orba.open(QIODevice::WriteOnly));
  orba.close();
  const DataFolderState state = prepareDataFolder(root.path(), root.filePath("Orba/data"));
  EXPECT_EQ(state.kind, Kind::CannotMake);
  EXPECT_TRUE(state.detail.contains(root.filePath("Orba"))) << state.detail.toStdString();
  EXPECT_TRUE(QFileInfo(root.filePath("Orba")).isFile());
}

// An account that may not write where the data folder belongs (root may
// write anywhere: the two-account test checks it as an office's account).
TEST(DataFolder, AFolderClosedToTheAccountIsSaidSo) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write in any folder";
  QTemporaryDir root;
  const QString drive = root.filePath("office");
  ASSERT_TRUE(QDir().mkpath(drive));
  ASSERT_EQ(::chmod(QFile::encodeName(drive).constData(), 0555), 0);
  const DataFolderState state = prepareDataFolder(drive, drive + "/Orba/data");
  EXPECT_EQ(state.kind, Kind::NotWritable);
  EXPECT_EQ(state.folder, drive);
  ::chmod(QFile::encodeName(drive).constData(), 0755);
}

}  // namespace
