// Env: the only way the engine touches files.
//
// Every read, write, rename and lock goes through an Env so that tests and
// the fuzzer can substitute an in-memory file system or a device that fails
// or truncates at a chosen point. Env::Default() is the POSIX implementation.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/Status.h"

namespace orba::pdx {

// A file opened for positioned reads. Implementations are not required to be
// thread-safe.
class RandomAccessFile {
 public:
  virtual ~RandomAccessFile() = default;
  // Reads up to n bytes at offset into *out (replacing its contents). A read
  // that reaches end of file returns fewer bytes and OK; the caller decides
  // whether the shortfall is corruption.
  virtual Status Read(uint64_t offset, size_t n, std::string* out) = 0;
  virtual uint64_t Size() const = 0;
};

// A file opened for positioned writes (created if missing).
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual Status Write(uint64_t offset, std::string_view data) = 0;
  virtual Status Truncate(uint64_t size) = 0;
  // Makes everything written so far durable.
  virtual Status Sync() = 0;
  virtual uint64_t Size() const = 0;
};

// An exclusive advisory lock; released when the object is destroyed.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

struct LockOptions {
  // How long to wait while another holder (another process, or another
  // writer of this process) has the lock; zero: not at all. Waits are always
  // bounded, so that a frozen workstation cannot freeze this one.
  std::chrono::milliseconds wait{0};
  // A file (the table) whose permission bits and group a lock file created
  // now takes, so that every account that may write the table may lock it.
  // Empty: the defaults of the folder.
  std::string like;
};

class Env {
 public:
  virtual ~Env() = default;

  // The process-wide POSIX Env. Never deleted.
  static Env* Default();

  // NotFound when the file does not exist; IOError when it is not a regular
  // file (see OpenWritable).
  virtual Status OpenRandomAccess(const std::string& path, std::unique_ptr<RandomAccessFile>* file) = 0;
  // Opens a file for writing, creating it if missing (the engine itself
  // creates files only with CreateWritable); empties it first when truncate
  // is true. Only regular files are opened, for reading and writing: a FIFO,
  // a device or a directory is refused without blocking on it, and a
  // symbolic link is never written through.
  virtual Status OpenWritable(const std::string& path, bool truncate,
                              std::unique_ptr<WritableFile>* file) = 0;
  // Creates `path` as a new, empty file for writing. Whatever is at that
  // name already (a file, or a link planted by another account) makes it
  // fail: nothing there is opened, followed or changed. The new file is
  // private until it is given, through the open file and never by its name,
  // the access of `model` (see CopyAccess; empty: the folder's defaults).
  // A model that is a symbolic link is refused. The default implementation,
  // for test environments, is Exists + OpenWritable + CopyAccess.
  virtual Status CreateWritable(const std::string& path, const std::string& model,
                                std::unique_ptr<WritableFile>* file);
  // True when `path` itself is a symbolic link (whatever it points to).
  virtual bool IsLink(const std::string& path);
  // Atomically replaces `to` with `from`.
  virtual Status Rename(const std::string& from, const std::string& to) = 0;
  virtual Status Remove(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
  // Names (not paths) of the entries of a directory.
  virtual Status ListDir(const std::string& dir, std::vector<std::string>* names) = 0;
  // Makes renames and creations inside dir durable.
  virtual Status SyncDir(const std::string& dir) = 0;
  // Gives `path` the permission bits and the group of `model`, and its owner
  // where the process may: a file that replaces another keeps what an
  // administrator set on the one it replaces. Fails when the group cannot be
  // kept (other accounts would lose their access).
  virtual Status CopyAccess(const std::string& model, const std::string& path) = 0;
  // Takes an exclusive lock tied to `path` (created if missing). Returns
  // Locked, naming the table, when another holder keeps it beyond the wait.
  virtual Status Lock(const std::string& path, const LockOptions& options,
                      std::unique_ptr<FileLock>* lock) = 0;
};

// An Env whose files live in memory: for tests and the fuzzer. Thread-safe.
std::unique_ptr<Env> NewMemEnv();

// Path helpers shared by the reader and the writer.
std::string DirName(const std::string& path);
std::string BaseName(const std::string& path);
// Replaces the extension of path (text after the last '.' of the base name).
std::string WithExtension(const std::string& path, std::string_view ext);
// The existing file in path's directory whose name equals path's base name
// with extension `ext`, ignoring letter case (Paradox files come as .DB/.db,
// .MB/.mb, .PX/.px in any mix). Empty when there is none.
std::string FindCompanion(Env* env, const std::string& path, std::string_view ext);

}  // namespace orba::pdx
