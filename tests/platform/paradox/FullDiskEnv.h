// FullDiskEnv: an Env over another that holds at most `capacity` bytes in
// all its files together, as a small disk does. A write that would go past
// the capacity writes what fits and fails with "No space left on device";
// removing, renaming over and truncating files frees space again.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "paradox/Env.h"

namespace orba::pdx::testing {

class FullDiskEnv : public Env {
 public:
  FullDiskEnv(Env* base, uint64_t capacity) : base_(base), capacity_(capacity) {}
  void set_capacity(uint64_t capacity) { capacity_ = capacity; }
  // Counts a file that was there before this Env was.
  void track(const std::string& path);
  // Bytes in all files now.
  uint64_t used() const;

  Status OpenRandomAccess(const std::string& p, std::unique_ptr<RandomAccessFile>* f) override {
    return base_->OpenRandomAccess(p, f);
  }
  Status OpenWritable(const std::string& p, bool truncate, std::unique_ptr<WritableFile>* f) override;
  Status Rename(const std::string& from, const std::string& to) override;
  Status Remove(const std::string& p) override;
  bool Exists(const std::string& p) override { return base_->Exists(p); }
  Status ListDir(const std::string& d, std::vector<std::string>* n) override { return base_->ListDir(d, n); }
  Status SyncDir(const std::string& d) override { return base_->SyncDir(d); }
  Status CopyAccess(const std::string& m, const std::string& p) override { return base_->CopyAccess(m, p); }
  Status Lock(const std::string& p, const LockOptions& o, std::unique_ptr<FileLock>* l) override {
    return base_->Lock(p, o, l);
  }

  // Room left for a file growing from `size` to `end`; false when none.
  uint64_t room() const { return used() >= capacity_ ? 0 : capacity_ - used(); }
  void resized(const std::string& path, uint64_t size) { sizes_[path] = size; }

 private:
  Env* base_;
  uint64_t capacity_;
  std::map<std::string, uint64_t> sizes_;
};

}  // namespace orba::pdx::testing
