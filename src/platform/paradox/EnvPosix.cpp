#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <thread>
#include <utility>

#include "paradox/Env.h"

namespace orba::pdx {
namespace {

Status PosixError(const std::string& path, const char* what, int err) {
  std::string msg = std::string(what) + ": " + std::strerror(err);
  if (err == ENOENT) return Status::NotFound(path, msg);
  return Status::IOError(path, msg);
}

// The message for an open that met a symbolic link where O_NOFOLLOW forbids
// one: the engine never writes through a link, which in a shared folder may
// have been planted by another account to point at a file of the writer's.
Status LinkRefused(const std::string& path) {
  return Status::IOError(path, "is a symbolic link, which is never written through");
}

// Checks that an open descriptor is a regular file (so a link is judged by
// what it points to) and puts it back in blocking mode for the reads and
// writes; closes it otherwise.
Status CheckRegular(const std::string& path, int fd, struct stat* st) {
  if (::fstat(fd, st) != 0) {
    const int err = errno;
    ::close(fd);
    return PosixError(path, "cannot stat", err);
  }
  if (!S_ISREG(st->st_mode)) {
    ::close(fd);
    const char* kind = S_ISDIR(st->st_mode)                           ? "a directory"
                       : S_ISFIFO(st->st_mode)                        ? "a FIFO"
                       : S_ISCHR(st->st_mode) || S_ISBLK(st->st_mode) ? "a device"
                       : S_ISSOCK(st->st_mode)                        ? "a socket"
                                                                      : "not a regular file";
    return Status::IOError(path, std::string("not a regular file (") + kind + ")");
  }
  const int fl = ::fcntl(fd, F_GETFL);
  if (fl >= 0) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
  return Status::OK();
}

// Opens a file that must be regular, without ever blocking on a FIFO or a
// device: O_NONBLOCK for the open itself, the type checked on the open
// descriptor.
Status OpenRegular(const std::string& path, int flags, mode_t mode, const char* what, int* fd_out,
                   struct stat* st) {
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
  if (fd < 0) {
    const int err = errno;
    if (err == ELOOP && (flags & O_NOFOLLOW)) return LinkRefused(path);
    return PosixError(path, what, err);
  }
  Status s = CheckRegular(path, fd, st);
  if (!s.ok()) return s;
  *fd_out = fd;
  return Status::OK();
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
  bool Acquire(Key key, std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> l(mu_);
    while (held_.count(key) != 0) {
      if (cv_.wait_until(l, deadline) == std::cv_status::timeout && held_.count(key) != 0) return false;
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

// The process-wide objects are never destroyed, so that a lock released
// during exit still finds them; they live in the library's own storage rather
// than on the heap, because a module carries its own copy of the engine and is
// unloaded after each call, which would leave a heap copy behind at every call.
template <class T>
T& Immortal() {
  alignas(T) static unsigned char storage[sizeof(T)];
  static T* object = new (storage) T();
  return *object;
}

// Only its set of held keys uses the heap, and that is empty once every lock
// is released.
InProcessLocks& ProcessLocks() { return Immortal<InProcessLocks>(); }

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
    int fd = -1;
    struct stat st;
    Status s = OpenRegular(path, O_RDONLY, 0, "cannot open", &fd, &st);
    if (!s.ok()) return s;
    file->reset(new PosixRandomAccessFile(path, fd, static_cast<uint64_t>(st.st_size)));
    return Status::OK();
  }

  Status OpenWritable(const std::string& path, bool truncate, std::unique_ptr<WritableFile>* file) override {
    // O_TRUNC waits until the file is known to be regular: a device or FIFO
    // is never truncated.
    int fd = -1;
    struct stat st;
    // A new file is private until its access is given (CopyAccess): a
    // table's copy must not be readable by everyone, even for a moment.
    Status s = OpenRegular(path, O_RDWR | O_CREAT | O_NOFOLLOW, 0600, "cannot open for writing", &fd, &st);
    if (!s.ok()) return s;
    if (truncate && st.st_size != 0) {
      if (::ftruncate(fd, 0) != 0) {
        const int err = errno;
        ::close(fd);
        return PosixError(path, "cannot empty", err);
      }
      st.st_size = 0;
    }
    file->reset(new PosixWritableFile(path, fd, static_cast<uint64_t>(st.st_size)));
    return Status::OK();
  }

  Status CreateWritable(const std::string& path, const std::string& model,
                        std::unique_ptr<WritableFile>* file) override {
    struct stat want;
    if (!model.empty()) {
      Status s = ModelAccess(model, &want);
      if (!s.ok()) return s;
    }
    // O_EXCL with O_NOFOLLOW: whatever is at the name, a link above all, is
    // neither followed nor opened. Callers remove a leftover of their own
    // first, by unlink, which never follows a link either.
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
      const int err = errno;
      if (err == EEXIST)
        return Status::IOError(path,
                               "cannot create: something of that name is there already (a file or a link)");
      return PosixError(path, "cannot create", err);
    }
    struct stat st;
    Status s = CheckRegular(path, fd, &st);
    if (!s.ok()) return s;
    s = model.empty() ? FolderDefaults(fd, path) : GiveAccess(fd, path, want, want.st_mode & 07777);
    if (!s.ok()) {
      ::close(fd);
      ::unlink(path.c_str());
      return s;
    }
    file->reset(new PosixWritableFile(path, fd, 0));
    return Status::OK();
  }

  bool IsLink(const std::string& path) override {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
  }

  Status CopyAccess(const std::string& model, const std::string& path) override {
    // Through a descriptor opened without following a link, so that a link
    // put at `path` cannot turn this into a chmod or chown of another file.
    int fd = -1;
    struct stat st;
    Status s = OpenRegular(path, O_RDONLY | O_NOFOLLOW, 0, "cannot open", &fd, &st);
    if (!s.ok()) return s;
    struct stat want;
    if (model.empty()) {
      s = FolderDefaults(fd, path);
    } else {
      s = ModelAccess(model, &want);
      if (s.ok()) s = GiveAccess(fd, path, want, want.st_mode & 07777);
    }
    ::close(fd);
    return s;
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

  Status Lock(const std::string& path, const LockOptions& options, std::unique_ptr<FileLock>* lock) override {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + options.wait;
    int fd = -1;
    struct stat st;
    Status s = OpenLockFile(path, options.like, &fd, &st);
    if (!s.ok()) return s;
    InProcessLocks::Key key{st.st_dev, st.st_ino};
    if (!ProcessLocks().Acquire(key, deadline)) {
      ::close(fd);
      return InUse(path);
    }
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    // Another process's lock is polled for, never waited on without limit.
    for (;;) {
      if (::fcntl(fd, F_SETLK, &fl) == 0) break;
      const int err = errno;
      if (err == EINTR) continue;
      if ((err == EACCES || err == EAGAIN) && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        continue;
      }
      ::close(fd);
      ProcessLocks().Release(key);
      if (err == EACCES || err == EAGAIN) return InUse(path);
      return PosixError(path, "cannot lock", err);
    }
    lock->reset(new PosixFileLock(fd, key));
    return Status::OK();
  }

 private:
  // The message for a table held by someone else: the table by name.
  static Status InUse(const std::string& lock_path) {
    std::string table = BaseName(lock_path);
    const std::string suffix = ".lock";
    if (table.size() > suffix.size() &&
        table.compare(table.size() - suffix.size(), suffix.size(), suffix) == 0)
      table.resize(table.size() - suffix.size());
    return Status::Locked("", "table " + table + " is in use by another program or workstation");
  }

  // Opens (creating when missing) a lock file; a new one takes the table's
  // permission bits (without execute) and group, given through its
  // descriptor. A link at the lock file's name is refused, never followed.
  static Status OpenLockFile(const std::string& path, const std::string& like, int* fd, struct stat* st) {
    const int created =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (created >= 0) {
      Status s = CheckRegular(path, created, st);
      if (!s.ok()) return s;
      struct stat model;
      s = !like.empty() && ModelAccess(like, &model).ok()
              ? GiveAccess(created, path, model, model.st_mode & 0666)
              : FolderDefaults(created, path);
      if (!s.ok()) {
        ::close(created);
        return s;
      }
      *fd = created;
      return Status::OK();
    }
    if (errno != EEXIST) return PosixError(path, "cannot create lock file", errno);
    return OpenRegular(path, O_RDWR | O_NOFOLLOW, 0, "cannot open lock file", fd, st);
  }

  // The access a file takes from the table file it replaces or belongs to.
  // That file's own, never what a link in its place points to.
  static Status ModelAccess(const std::string& model, struct stat* want) {
    if (::lstat(model.c_str(), want) != 0) return PosixError(model, "cannot stat", errno);
    if (S_ISLNK(want->st_mode)) return LinkRefused(model);
    return Status::OK();
  }

  // Gives `path` the owner (where the process may) and group of `model`,
  // then `mode`. A group that cannot be kept would lock the other accounts
  // out, so it is an error.
  // Everything through the descriptor (fchown, fchmod): never by name.
  static Status GiveAccess(int fd, const std::string& path, const struct stat& model, mode_t mode) {
    struct stat have;
    if (::fstat(fd, &have) != 0) return PosixError(path, "cannot stat", errno);
    if ((have.st_uid != model.st_uid || have.st_gid != model.st_gid) &&
        ::fchown(fd, model.st_uid, model.st_gid) != 0 && have.st_gid != model.st_gid &&
        ::fchown(fd, static_cast<uid_t>(-1), model.st_gid) != 0) {
      const int err = errno;
      return Status::IOError(path, "cannot give it the group " + std::to_string(model.st_gid) +
                                       " of its table: " + std::strerror(err));
    }
    if ((have.st_mode & 07777) != mode && ::fchmod(fd, mode) != 0)
      return PosixError(path, "cannot give it the permissions of its table", errno);
    return Status::OK();
  }

  // A file new to its folder: in a set-group-ID folder (one shared by the
  // accounts of a group) the folder's read and write bits, the group coming
  // from the folder; elsewhere what the umask allows.
  static Status FolderDefaults(int fd, const std::string& path) {
    struct stat folder;
    mode_t mode = 0666 & ~CurrentUmask();
    if (::stat(DirName(path).c_str(), &folder) == 0 && (folder.st_mode & S_ISGID))
      mode = folder.st_mode & 0666;
    if (::fchmod(fd, mode) != 0) return PosixError(path, "cannot set its permissions", errno);
    return Status::OK();
  }

  // The process's umask, read without changing it (umask() would, for a
  // moment, for every thread).
  static mode_t CurrentUmask() {
    FILE* status = std::fopen("/proc/self/status", "re");
    unsigned mask = 022;
    if (status) {
      char line[256];
      while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "Umask: %o", &mask) == 1) break;
      std::fclose(status);
    }
    return static_cast<mode_t>(mask & 0777);
  }
};

}  // namespace

Env* Env::Default() { return &Immortal<PosixEnv>(); }

}  // namespace orba::pdx
