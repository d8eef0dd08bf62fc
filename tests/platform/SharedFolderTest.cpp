// Folders made in the shared data folder take its group and permissions.

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <string>

#include "SharedFolder.h"

using orba::files::makeSharedFolder;
using orba::files::shareLikeParent;

namespace {

struct stat statOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st;
}

// A group other than the process's own that it may give its files: any
// group as root, a supplementary group otherwise.
gid_t otherGroup() {
  if (geteuid() == 0) {
    if (const group* g = getgrnam("nogroup")) return g->gr_gid;
    return 65534;
  }
  gid_t groups[64];
  const int n = getgroups(64, groups);
  for (int i = 0; i < n; ++i)
    if (groups[i] != getegid()) return groups[i];
  return static_cast<gid_t>(-1);
}

TEST(SharedFolder, TakesTheGroupAndBitsOfASetGroupIdParent) {
  const gid_t office = otherGroup();
  if (office == static_cast<gid_t>(-1)) GTEST_SKIP() << "the account belongs to one group only";
  QTemporaryDir dir;
  const std::string data = dir.path().toStdString() + "/data";
  ASSERT_EQ(mkdir(data.c_str(), 0700), 0);
  ASSERT_EQ(chown(data.c_str(), static_cast<uid_t>(-1), office), 0);
  ASSERT_EQ(chmod(data.c_str(), 02770), 0);

  const std::string company = data + "/data2/sub";
  ASSERT_EQ(makeSharedFolder(company), "");
  for (const std::string& made : {data + "/data2", company}) {
    const struct stat st = statOf(made);
    EXPECT_EQ(st.st_gid, office) << made;
    EXPECT_EQ(st.st_mode & 07777, 02770u) << made;
  }
  // A folder already there is left as it is.
  ASSERT_EQ(chmod(company.c_str(), 0700), 0);
  EXPECT_EQ(makeSharedFolder(company), "");
  EXPECT_EQ(statOf(company).st_mode & 07777, 0700u);
}

TEST(SharedFolder, APrivateScratchFolderBecomesSharedLikeItsParent) {
  QTemporaryDir dir;
  const std::string parent = dir.path().toStdString();
  ASSERT_EQ(chmod(parent.c_str(), 0750), 0);
  std::string scratch = parent + "/data1.new-XXXXXX";
  ASSERT_NE(mkdtemp(scratch.data()), nullptr);
  EXPECT_EQ(statOf(scratch).st_mode & 07777, 0700u);
  EXPECT_EQ(shareLikeParent(scratch), "");
  EXPECT_EQ(statOf(scratch).st_mode & 07777, 0750u) << "other accounts get no more than the parent gives";
}

TEST(SharedFolder, NeverFollowsALinkAndNamesWhatFailed) {
  QTemporaryDir dir;
  const std::string base = dir.path().toStdString();
  const std::string victim = base + "/private";
  ASSERT_EQ(mkdir(victim.c_str(), 0700), 0);
  ASSERT_EQ(symlink(victim.c_str(), (base + "/planted").c_str()), 0);
  EXPECT_NE(shareLikeParent(base + "/planted"), "");
  EXPECT_EQ(statOf(victim).st_mode & 07777, 0700u);
  EXPECT_EQ(makeSharedFolder(base + "/planted"), "not a folder: " + base + "/planted");
  EXPECT_EQ(shareLikeParent(base + "/missing"),
            "cannot open the folder " + base + "/missing: No such file or directory");
}

}  // namespace
