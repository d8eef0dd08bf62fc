// Helpers shared by the engine's tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "paradox/Env.h"
#include "paradox/SecondaryIndex.h"
#include "paradox/Table.h"

namespace orba::pdx::testing {

// $ORBA_TESTDATA/paradox, or "" when the shared tables are not available.
std::string ParadoxTestData();
// $ORBA_TESTDATA/paradox-secondary (tables with secondary indexes), or "".
std::string SecondaryIndexTestData();

// A fresh directory under /tmp, removed with its files on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& data);
// Copies every file of the table `db_name` in `from` (same base name, any
// extension) into the folder `to`, keeping names, writable by the owner.
// Returns the names copied.
std::vector<std::string> CopyTable(const std::string& from, const std::string& db_name,
                                   const std::string& to);

// Copies files from one Env to another (a snapshot of a table).
void CopyFiles(Env* from, Env* to, const std::vector<std::string>& paths);
// The size of a file, 0 when it is missing.
uint64_t FileSize(Env* env, const std::string& path);
// A file's bytes through an Env, empty when it is missing.
std::string ReadFileIn(Env* env, const std::string& path);

// Every record's bytes (*raws, by position) and where it lies, in chain
// order: what BuildSecondaryIndex takes. False when one cannot be read.
bool PlaceRecords(Table* table, std::vector<std::string>* raws, std::vector<PlacedRecord>* placed);

// What is wrong with the links of a table's (or X file's) block chain: each
// block's link back names the block before it (0 for the first), and the
// header's last block is the chain's. Empty when nothing is.
std::string ChainLinkFaults(Table* table);

// Reads every record; fails the calling test on error.
std::vector<Record> ReadAll(const std::string& path, Env* env = nullptr);

// Wraps an Env and fails (after writing half the bytes, as a torn write
// does) at the n-th mutating operation: write, truncate, sync or rename.
// Everything after the failure fails too, as after a crash.
class FailingEnv : public Env {
 public:
  FailingEnv(Env* base, int fail_at) : base_(base), fail_at_(fail_at) {}
  bool failed() const { return count_ >= fail_at_; }
  bool at_failure() const { return count_ == fail_at_; }
  int operations() const { return count_; }

  Status OpenRandomAccess(const std::string& p, std::unique_ptr<RandomAccessFile>* f) override;
  Status OpenWritable(const std::string& p, bool t, std::unique_ptr<WritableFile>* f) override;
  Status Rename(const std::string& from, const std::string& to) override;
  Status Remove(const std::string& p) override;
  bool Exists(const std::string& p) override { return base_->Exists(p); }
  Status ListDir(const std::string& d, std::vector<std::string>* n) override { return base_->ListDir(d, n); }
  Status SyncDir(const std::string& d) override;
  Status CopyAccess(const std::string& model, const std::string& p) override;
  Status Lock(const std::string& p, const LockOptions& o, std::unique_ptr<FileLock>* l) override {
    return base_->Lock(p, o, l);
  }
  // true when the operation may go ahead.
  bool Step() { return ++count_ < fail_at_; }

 private:
  Env* base_;
  int fail_at_;
  int count_ = 0;
};

}  // namespace orba::pdx::testing
