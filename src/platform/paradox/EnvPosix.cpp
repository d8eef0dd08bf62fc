#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <set>
#include <utility>

#include "paradox/Env.h"

namespace orba::pdx {
namespace {

Status PosixError(const std::string& path, const char* what, int err) {
  std::string msg = std::string(what) + ": " + std::strerror(err);
  if (err == ENOENT) return Status::NotFound(path, msg);
  return Status::IOError(path, msg);
}

class PosixRandomAccessFile final : public RandomAccessFile {
 public:
  PosixRandomAccessFile(std::string path, int fd, uint64_t size)
      : path_(std::move(path)), fd_(fd), size_(size) {}
  ~PosixRandomAccessFile() override { ::close(fd_); }

  Status Read(uint64_t offset, size_t n, std::string* out) override {
    if (offset >= size_) {
      out->clear();
      return Status::OK();
    }
    if (n > size_ - offset) n = static_cast<size_t>(size_ - offset);
    // Callers reuse their buffers (a table reads every block into the same
    // one); growing only when needed spares zeroing the bytes pread overwrites.
    if (out->size() < n) out->resize(n);
    size_t done = 0;
    while (done < n) {
      ssize_t r = ::pread(fd_, out->data() + done, n - done, static_cast<off_t>(offset + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        return PosixError(path_, "read failed", errno);
      }
      if (r == 0) break;
      done += static_cast<size_t>(r);
    }
    out->resize(done);
    return Status::OK();
  }
  uint64_t Size() const override { return size_; }

 private:
  std::string path_;
  int fd_;
  uint64_t size_;
};

class PosixWritableFile final : public WritableFile {
 public:
  PosixWritableFile(std::string path, int fd, uint64_t size) : path_(std::move(path)), fd_(fd), size_(size) {}
  ~PosixWritableFile() override { ::close(fd_); }

  Status Write(uint64_t offset, std::string_view data) override {
    size_t done = 0;
    while (done < data.size()) {
      ssize_t r = ::pwrite(fd_, data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        return PosixError(path_, "write failed", errno);
      }
      done += static_cast<size_t>(r);
    }
    if (offset + data.size() > size_) size_ = offset + data.size();
    return Status::OK();
  }
  Status Truncate(uint64_t size) override {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return PosixError(path_, "truncate failed", errno);
    size_ = size;
    return Status::OK();
  }
  Status Sync() override {
    if (::fdatasync(fd_) != 0) return PosixError(path_, "sync failed", errno);
    return Status::OK();
  }
  uint64_t Size() const override { return size_; }

 private:
  std::string path_;
  int fd_;
  uint64_t size_;
};

// fcntl locks belong to the process, so two writers inside one process would
// not exclude each other; this registry adds the exclusion between threads.
class InProcessLocks {
 public:
  using Key = std::pair<dev_t, ino_t>;
  bool Acquire(Key key, bool wait) {
    std::unique_lock<std::mutex> l(mu_);
    while (held_.count(key) != 0) {
      if (!wait) return false;
      cv_.wait(l);
    }
    held_.insert(key);
    return true;
  }
  void Release(Key key) {
    std::lock_guard<std::mutex> l(mu_);
    held_.erase(key);
    cv_.notify_all();
  }

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  std::set<Key> held_;
};

InProcessLocks& ProcessLocks() {
  static InProcessLocks* locks = new InProcessLocks();
  return *locks;
}

class PosixFileLock final : public FileLock {
 public:
  PosixFileLock(int fd, InProcessLocks::Key key) : fd_(fd), key_(key) {}
  ~PosixFileLock() override {
    ::close(fd_);  // closing drops the fcntl lock
    ProcessLocks().Release(key_);
  }

 private:
  int fd_;
  InProcessLocks::Key key_;
};

class PosixEnv final : public Env {
 public:
  Status OpenRandomAccess(const std::string& path, std::unique_ptr<RandomAccessFile>* file) override {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return PosixError(path, "cannot open", errno);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
      int err = errno;
      ::close(fd);
      return PosixError(path, "cannot stat", err);
    }
    if (!S_ISREG(st.st_mode)) {
      ::close(fd);
      return Status::IOError(path, "not a regular file");
    }
    file->reset(new PosixRandomAccessFile(path, fd, static_cast<uint64_t>(st.st_size)));
    return Status::OK();
  }

  Status OpenWritable(const std::string& path, bool truncate, std::unique_ptr<WritableFile>* file) override {
    int flags = O_RDWR | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : 0);
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) return PosixError(path, "cannot open for writing", errno);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
      int err = errno;
      ::close(fd);
      return PosixError(path, "cannot stat", err);
    }
    file->reset(new PosixWritableFile(path, fd, static_cast<uint64_t>(st.st_size)));
    return Status::OK();
  }

  Status Rename(const std::string& from, const std::string& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0)
      return PosixError(from, ("cannot rename to " + to).c_str(), errno);
    return Status::OK();
  }

  Status Remove(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return PosixError(path, "cannot remove", errno);
    return Status::OK();
  }

  bool Exists(const std::string& path) override { return ::access(path.c_str(), F_OK) == 0; }

  Status ListDir(const std::string& dir, std::vector<std::string>* names) override {
    names->clear();
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr) return PosixError(dir, "cannot list directory", errno);
    while (struct dirent* e = ::readdir(d)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") names->push_back(std::move(name));
    }
    ::closedir(d);
    return Status::OK();
  }

  Status SyncDir(const std::string& dir) override {
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return PosixError(dir, "cannot open directory", errno);
    int rc = ::fsync(fd);
    int err = errno;
    ::close(fd);
    if (rc != 0) return PosixError(dir, "cannot sync directory", err);
    return Status::OK();
  }

  Status Lock(const std::string& path, bool wait, std::unique_ptr<FileLock>* lock) override {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return PosixError(path, "cannot open lock file", errno);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
      int err = errno;
      ::close(fd);
      return PosixError(path, "cannot stat lock file", err);
    }
    InProcessLocks::Key key{st.st_dev, st.st_ino};
    if (!ProcessLocks().Acquire(key, wait)) {
      ::close(fd);
      return Status::Locked(path, "table is locked by another writer");
    }
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    for (;;) {
      if (::fcntl(fd, wait ? F_SETLKW : F_SETLK, &fl) == 0) break;
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      ProcessLocks().Release(key);
      if (err == EACCES || err == EAGAIN) return Status::Locked(path, "table is locked by another process");
      return PosixError(path, "cannot lock", err);
    }
    lock->reset(new PosixFileLock(fd, key));
    return Status::OK();
  }
};

}  // namespace

Env* Env::Default() {
  static PosixEnv* env = new PosixEnv();
  return env;
}

}  // namespace orba::pdx
