// A file system that fails on purpose: every change (opening a file for
// writing, a write, a truncation, a sync, a rename, a removal, a folder sync,
// copying access) counts as one operation, and the one numbered fail_at
// returns an I/O error without doing anything. Everything else goes to the
// system's files.
#pragma once

#include <memory>
#include <string>

#include "paradox/Env.h"

class FailingEnv : public orba::pdx::Env {
 public:
  explicit FailingEnv(int fail_at = 0) : fail_at_(fail_at) {}

  // 1-based; 0 never fails.
  void fail_at(int n) {
    fail_at_ = n;
    count_ = 0;
    failed_ = false;
  }
  int operations() const { return count_; }
  bool failed() const { return failed_; }

  orba::pdx::Status OpenRandomAccess(const std::string& p,
                                     std::unique_ptr<orba::pdx::RandomAccessFile>* f) override {
    return base()->OpenRandomAccess(p, f);
  }
  orba::pdx::Status OpenWritable(const std::string& p, bool truncate,
                                 std::unique_ptr<orba::pdx::WritableFile>* f) override {
    if (strike("open " + p)) return error_;
    std::unique_ptr<orba::pdx::WritableFile> file;
    orba::pdx::Status s = base()->OpenWritable(p, truncate, &file);
    if (s.ok()) *f = std::make_unique<File>(this, std::move(file), p);
    return s;
  }
  orba::pdx::Status Rename(const std::string& from, const std::string& to) override {
    return strike("rename " + to) ? error_ : base()->Rename(from, to);
  }
  orba::pdx::Status Remove(const std::string& p) override {
    return strike("remove " + p) ? error_ : base()->Remove(p);
  }
  bool Exists(const std::string& p) override { return base()->Exists(p); }
  orba::pdx::Status ListDir(const std::string& d, std::vector<std::string>* n) override {
    return base()->ListDir(d, n);
  }
  orba::pdx::Status SyncDir(const std::string& d) override {
    return strike("sync " + d) ? error_ : base()->SyncDir(d);
  }
  orba::pdx::Status CopyAccess(const std::string& m, const std::string& p) override {
    return strike("access " + p) ? error_ : base()->CopyAccess(m, p);
  }
  orba::pdx::Status Lock(const std::string& p, const orba::pdx::LockOptions& o,
                         std::unique_ptr<orba::pdx::FileLock>* l) override {
    return base()->Lock(p, o, l);
  }

 private:
  class File : public orba::pdx::WritableFile {
   public:
    File(FailingEnv* env, std::unique_ptr<orba::pdx::WritableFile> base, std::string path)
        : env_(env), base_(std::move(base)), path_(std::move(path)) {}
    orba::pdx::Status Write(uint64_t offset, std::string_view data) override {
      return env_->strike("write " + path_) ? env_->error_ : base_->Write(offset, data);
    }
    orba::pdx::Status Truncate(uint64_t size) override {
      return env_->strike("truncate " + path_) ? env_->error_ : base_->Truncate(size);
    }
    orba::pdx::Status Sync() override { return env_->strike("sync " + path_) ? env_->error_ : base_->Sync(); }
    uint64_t Size() const override { return base_->Size(); }

   private:
    FailingEnv* env_;
    std::unique_ptr<orba::pdx::WritableFile> base_;
    std::string path_;
  };

  static orba::pdx::Env* base() { return orba::pdx::Env::Default(); }
  bool strike(const std::string& what) {
    if (++count_ != fail_at_) return false;
    failed_ = true;
    error_ = orba::pdx::Status::IOError(what, "injected failure");
    return true;
  }

  int fail_at_;
  int count_ = 0;
  bool failed_ = false;
  orba::pdx::Status error_;
};
