// PowerLossEnv: an in-memory file system that models what a power cut
// leaves on a disk.
//
// Every file has the bytes a reader sees now and the bytes that are durable
// (as of its last Sync); every folder has the names visible now and the
// names that are durable (as of its last SyncDir). At the chosen mutating
// operation (a write, truncate, sync, rename, remove or folder sync) the
// power goes: that operation and every one after it fail. Recover() then
// gives what the disk holds afterwards: the durable names, each file's
// durable bytes and, when reordering is asked for, a random subset of the
// writes that were not yet synced, applied in a random order (as a disk
// cache may flush them; a write of several 512-byte sectors may be torn,
// only some of its sectors reaching the disk), and a random subset of the folder changes
// (creations, renames, removals) made since the folder's last sync, each of
// which may or may not have reached the disk: POSIX orders none of them
// without a folder sync, so a writer may count on none.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "paradox/Env.h"

namespace orba::pdx::testing {

class PowerLossEnv : public Env {
 public:
  // Files as they are on the disk when the machine starts.
  using Disk = std::map<std::string, std::string>;

  // cut_at: the 1-based mutating operation at which the power goes; 0: never.
  explicit PowerLossEnv(const Disk& disk, int cut_at = 0, bool reorder = false, uint32_t seed = 1);

  // Mutating operations so far (the last one being the cut, once it came).
  int operations() const { return operations_; }
  bool power_lost() const { return lost_; }
  // What the disk holds after the cut (or now, when there was none: every
  // pending write and name then counts as durable only if synced).
  Disk Recover();
  // Everything as a reader sees it now, synced or not.
  Disk Current() const;

  Status OpenRandomAccess(const std::string& path, std::unique_ptr<RandomAccessFile>* file) override;
  Status OpenWritable(const std::string& path, bool truncate, std::unique_ptr<WritableFile>* file) override;
  Status Rename(const std::string& from, const std::string& to) override;
  Status Remove(const std::string& path) override;
  bool Exists(const std::string& path) override;
  Status ListDir(const std::string& dir, std::vector<std::string>* names) override;
  Status SyncDir(const std::string& dir) override;
  Status CopyAccess(const std::string& model, const std::string& path) override;
  Status Lock(const std::string& path, const LockOptions& options, std::unique_ptr<FileLock>* lock) override;

  struct Inode {
    std::string current;
    std::string durable;
    // Unsynced changes since `durable`: a write (offset, bytes) or, with
    // truncate set, a truncation to `offset`.
    struct Change {
      uint64_t offset;
      std::string data;
      bool truncate;
    };
    std::vector<Change> pending;
  };
  // True when the operation may go ahead; false once the power is gone.
  bool Step();

 private:
  int cut_at_;
  bool reorder_;
  std::mt19937 random_;
  int operations_ = 0;
  bool lost_ = false;
  std::map<std::string, std::shared_ptr<Inode>> names_;    // visible now
  std::map<std::string, std::shared_ptr<Inode>> durable_;  // as of each folder's last sync
  // Folder changes since their folder's last sync, in order.
  struct NameChange {
    enum Kind { kCreate, kRename, kRemove } kind;
    std::string path, to;
    std::shared_ptr<Inode> inode;
  };
  std::vector<NameChange> pending_names_;
};

}  // namespace orba::pdx::testing
