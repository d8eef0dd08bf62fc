// A disk that fills up during a commit: every failure is reported as not
// stored with the table unchanged and its blob file no bigger, and a retry
// once there is room succeeds. First through the Env seam, at every size
// that matters; then on a real small tmpfs when one can be mounted here.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "FullDiskEnv.h"
#include "TestSupport.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {
namespace {

using testing::FullDiskEnv;
using testing::ReadAll;

std::vector<FieldDef> Fields() {
  return {FieldDef::Long("Id"), FieldDef::Alpha("Name", 20), FieldDef::Memo("Note", 10),
          FieldDef::Binary("Scan", 0)};
}

Record Row(int id, size_t note, size_t scan) {
  return {Value::Int(id), Value::Text("row " + std::to_string(id)),
          note ? Value::Text(std::string(note, 'n')) : Value(),
          scan ? Value::Blob(std::string(scan, 's')) : Value()};
}

Status InsertOne(Env* env, const std::string& path, int id) {
  WriteOptions wo;
  wo.env = env;
  std::unique_ptr<TableWriter> w;
  Status s = TableWriter::Open(path, wo, &w);
  if (s.ok()) s = w->Insert(Row(id, 700, 3000));
  if (s.ok()) s = w->Commit();
  return s;
}

bool Holds(const std::vector<Record>& rows, int id) {
  for (const Record& r : rows)
    if (r[0] == Value::Int(id)) return true;
  return false;
}

TEST(FullDisk, ThroughTheEnvEveryFailureIsNotStoredAndARetrySucceeds) {
  const std::string path = "/t/notes.db";
  const std::vector<std::string> files = {"/t/notes.db", "/t/notes.px", "/t/notes.mb"};
  auto base = NewMemEnv();
  CreateOptions co;
  co.env = base.get();
  co.key_field_count = 1;
  ASSERT_TRUE(CreateTable(path, Fields(), co).ok());
  for (int id = 1; id <= 20; ++id) ASSERT_TRUE(InsertOne(base.get(), path, id * 10).ok());
  const std::vector<Record> before = ReadAll(path, base.get());

  int not_stored = 0;
  for (uint64_t room = 0;; room += 256) {
    auto disk = NewMemEnv();
    testing::CopyFiles(base.get(), disk.get(), files);
    FullDiskEnv full(disk.get(), 0);
    for (const std::string& f : files) full.track(f);
    full.set_capacity(full.used() + room);
    const uint64_t mb = testing::FileSize(disk.get(), "/t/notes.mb");

    const Status s = InsertOne(&full, path, 5);
    const std::vector<Record> now = ReadAll(path, disk.get());
    if (s.ok()) {
      EXPECT_TRUE(Holds(now, 5)) << "room " << room;
      break;
    }
    ++not_stored;
    EXPECT_NE(s.ToString().find("No space left on device"), std::string::npos) << s.ToString();
    EXPECT_EQ(now, before) << "room " << room << ": " << s.ToString();
    EXPECT_EQ(testing::FileSize(disk.get(), "/t/notes.mb"), mb) << "room " << room << ": the blob file grew";
    EXPECT_FALSE(disk->Exists("/t/notes.db.pdxtmp")) << "room " << room;
    EXPECT_FALSE(disk->Exists("/t/notes.px.pdxtmp")) << "room " << room;
    // Not stored: the same change goes through once there is room.
    full.set_capacity(UINT64_MAX);
    ASSERT_TRUE(InsertOne(&full, path, 5).ok()) << "room " << room;
    EXPECT_TRUE(Holds(ReadAll(path, disk.get()), 5));
    ASSERT_LT(room, 64 * 1024u) << "the change should fit long before";
  }
  EXPECT_GT(not_stored, 20) << "every step of the commit met a full disk";
}

// A real tmpfs of a few pages, filled with a file of its own; the filler
// shrinks a page at a time until the change fits.
TEST(FullDisk, OnARealSmallFilesystem) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  testing::TempDir dir;
  if (::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=512k,mode=0700") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
  } unmount{dir.path()};

  const std::string path = dir.File("notes.db");
  CreateOptions co;
  co.key_field_count = 1;
  ASSERT_TRUE(CreateTable(path, Fields(), co).ok());
  for (int id = 1; id <= 20; ++id) ASSERT_TRUE(InsertOne(Env::Default(), path, id * 10).ok());
  const std::vector<Record> before = ReadAll(path);
  const std::string filler = dir.File("filler");
  auto fill = [&](size_t bytes) {
    std::ofstream out(filler, std::ios::binary | std::ios::trunc);
    const std::string page(4096, 'f');
    for (size_t done = 0; done < bytes && out; done += page.size()) out.write(page.data(), page.size());
  };
  fill(512 * 1024);  // as much as fits
  std::ifstream measure(filler, std::ios::binary | std::ios::ate);
  size_t filled = static_cast<size_t>(measure.tellg());

  int not_stored = 0;
  for (;;) {
    const uint64_t mb = testing::FileSize(Env::Default(), dir.File("notes.mb"));
    const Status s = InsertOne(Env::Default(), path, 5);
    const std::vector<Record> now = ReadAll(path);
    if (s.ok()) {
      EXPECT_TRUE(Holds(now, 5));
      break;
    }
    ++not_stored;
    EXPECT_EQ(now, before) << s.ToString();
    EXPECT_EQ(testing::FileSize(Env::Default(), dir.File("notes.mb")), mb) << "the blob file grew";
    ASSERT_GE(filled, 4096u) << "the change never fitted: " << s.ToString();
    filled -= 4096;
    fill(filled);
  }
  EXPECT_GT(not_stored, 0);
}

}  // namespace
}  // namespace orba::pdx
