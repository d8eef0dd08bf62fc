#include "paradox/Env.h"

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>

namespace orba::pdx {

std::string DirName(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithExtension(const std::string& path, std::string_view ext) {
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = path.size();
  std::string out = path.substr(0, dot);
  out.push_back('.');
  out.append(ext);
  return out;
}

namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

std::string FindCompanion(Env* env, const std::string& path, std::string_view ext) {
  std::string wanted = BaseName(WithExtension(path, ext));
  std::string dir = DirName(path);
  std::string exact = WithExtension(path, ext);
  if (env->Exists(exact)) return exact;
  std::vector<std::string> names;
  if (!env->ListDir(dir, &names).ok()) return {};
  std::sort(names.begin(), names.end());  // deterministic when several match
  for (const std::string& name : names) {
    if (EqualsIgnoreCase(name, wanted)) return path.find('/') == std::string::npos ? name : dir + "/" + name;
  }
  return {};
}

namespace {

struct MemState {
  std::mutex mu;
  std::condition_variable cv;
  std::map<std::string, std::shared_ptr<std::string>> files;
  std::set<std::string> locks;
};

class MemRandomAccessFile final : public RandomAccessFile {
 public:
  explicit MemRandomAccessFile(std::shared_ptr<std::string> data) : data_(std::move(data)) {}
  Status Read(uint64_t offset, size_t n, std::string* out) override {
    out->clear();
    if (offset >= data_->size()) return Status::OK();
    size_t avail = data_->size() - static_cast<size_t>(offset);
    out->assign(*data_, static_cast<size_t>(offset), std::min(n, avail));
    return Status::OK();
  }
  uint64_t Size() const override { return data_->size(); }

 private:
  // Shares the bytes with writers of the same file, and keeps them when the
  // name is renamed over or removed, as an open descriptor does on POSIX.
  std::shared_ptr<std::string> data_;
};

class MemWritableFile final : public WritableFile {
 public:
  explicit MemWritableFile(std::shared_ptr<std::string> data) : data_(std::move(data)) {}
  Status Write(uint64_t offset, std::string_view d) override {
    size_t off = static_cast<size_t>(offset);
    if (data_->size() < off + d.size()) data_->resize(off + d.size());
    std::copy(d.begin(), d.end(), data_->begin() + static_cast<long>(off));
    return Status::OK();
  }
  Status Truncate(uint64_t size) override {
    data_->resize(static_cast<size_t>(size));
    return Status::OK();
  }
  Status Sync() override { return Status::OK(); }
  uint64_t Size() const override { return data_->size(); }

 private:
  std::shared_ptr<std::string> data_;
};

class MemFileLock final : public FileLock {
 public:
  MemFileLock(std::shared_ptr<MemState> state, std::string path)
      : state_(std::move(state)), path_(std::move(path)) {}
  ~MemFileLock() override {
    std::lock_guard<std::mutex> l(state_->mu);
    state_->locks.erase(path_);
    state_->cv.notify_all();
  }

 private:
  std::shared_ptr<MemState> state_;
  std::string path_;
};

class MemEnv final : public Env {
 public:
  Status OpenRandomAccess(const std::string& path, std::unique_ptr<RandomAccessFile>* file) override {
    std::lock_guard<std::mutex> l(s_->mu);
    auto it = s_->files.find(path);
    if (it == s_->files.end()) return Status::NotFound(path, "cannot open: no such file");
    file->reset(new MemRandomAccessFile(it->second));
    return Status::OK();
  }
  Status OpenWritable(const std::string& path, bool truncate, std::unique_ptr<WritableFile>* file) override {
    std::lock_guard<std::mutex> l(s_->mu);
    auto& slot = s_->files[path];
    if (!slot) slot = std::make_shared<std::string>();
    if (truncate) slot->clear();
    file->reset(new MemWritableFile(slot));
    return Status::OK();
  }
  Status Rename(const std::string& from, const std::string& to) override {
    std::lock_guard<std::mutex> l(s_->mu);
    auto it = s_->files.find(from);
    if (it == s_->files.end()) return Status::NotFound(from, "cannot rename: no such file");
    s_->files[to] = it->second;
    s_->files.erase(it);
    return Status::OK();
  }
  Status Remove(const std::string& path) override {
    std::lock_guard<std::mutex> l(s_->mu);
    if (s_->files.erase(path) == 0) return Status::NotFound(path, "cannot remove: no such file");
    return Status::OK();
  }
  bool Exists(const std::string& path) override {
    std::lock_guard<std::mutex> l(s_->mu);
    return s_->files.count(path) != 0;
  }
  Status ListDir(const std::string& dir, std::vector<std::string>* names) override {
    std::lock_guard<std::mutex> l(s_->mu);
    names->clear();
    for (const auto& [path, data] : s_->files) {
      if (DirName(path) == dir) names->push_back(BaseName(path));
    }
    return Status::OK();
  }
  Status SyncDir(const std::string&) override { return Status::OK(); }
  Status CopyAccess(const std::string&, const std::string& path) override {
    std::lock_guard<std::mutex> l(s_->mu);
    if (s_->files.count(path) == 0) return Status::NotFound(path, "cannot stat: no such file");
    return Status::OK();
  }
  Status Lock(const std::string& path, const LockOptions& options, std::unique_ptr<FileLock>* lock) override {
    const auto deadline = std::chrono::steady_clock::now() + options.wait;
    std::unique_lock<std::mutex> l(s_->mu);
    while (s_->locks.count(path) != 0) {
      if (s_->cv.wait_until(l, deadline) == std::cv_status::timeout && s_->locks.count(path) != 0)
        return Status::Locked("", "table " + BaseName(path) + " is in use by another program or workstation");
    }
    s_->locks.insert(path);
    lock->reset(new MemFileLock(s_, path));
    return Status::OK();
  }

 private:
  std::shared_ptr<MemState> s_ = std::make_shared<MemState>();
};

}  // namespace

std::unique_ptr<Env> NewMemEnv() { return std::make_unique<MemEnv>(); }

Status Env::CreateWritable(const std::string& path, const std::string& model,
                           std::unique_ptr<WritableFile>* file) {
  if (Exists(path)) return Status::IOError(path, "cannot create: something of that name is there already");
  Status s = OpenWritable(path, true, file);
  if (s.ok()) s = CopyAccess(model, path);
  if (!s.ok()) file->reset();
  return s;
}

bool Env::IsLink(const std::string&) { return false; }

}  // namespace orba::pdx
