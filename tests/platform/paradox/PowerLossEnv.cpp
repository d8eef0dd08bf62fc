#include "PowerLossEnv.h"

#include <algorithm>

namespace orba::pdx::testing {

namespace {

Status PowerGone(const std::string& path) { return Status::IOError(path, "power lost"); }

void Apply(std::string* bytes, const PowerLossEnv::Inode::Change& c) {
  if (c.truncate) {
    bytes->resize(static_cast<size_t>(c.offset));
    return;
  }
  const size_t end = static_cast<size_t>(c.offset) + c.data.size();
  if (bytes->size() < end) bytes->resize(end);
  std::copy(c.data.begin(), c.data.end(), bytes->begin() + static_cast<long>(c.offset));
}

class File final : public RandomAccessFile, public WritableFile {
 public:
  File(PowerLossEnv* env, std::shared_ptr<PowerLossEnv::Inode> inode, std::string path)
      : env_(env), inode_(std::move(inode)), path_(std::move(path)) {}
  Status Read(uint64_t offset, size_t n, std::string* out) override {
    out->clear();
    const std::string& b = inode_->current;
    if (offset >= b.size()) return Status::OK();
    out->assign(b, static_cast<size_t>(offset), std::min(n, b.size() - static_cast<size_t>(offset)));
    return Status::OK();
  }
  Status Write(uint64_t offset, std::string_view data) override {
    if (!env_->Step()) return PowerGone(path_);
    PowerLossEnv::Inode::Change c{offset, std::string(data), false};
    Apply(&inode_->current, c);
    inode_->pending.push_back(std::move(c));
    return Status::OK();
  }
  Status Truncate(uint64_t size) override {
    if (!env_->Step()) return PowerGone(path_);
    PowerLossEnv::Inode::Change c{size, {}, true};
    Apply(&inode_->current, c);
    inode_->pending.push_back(std::move(c));
    return Status::OK();
  }
  Status Sync() override {
    if (!env_->Step()) return PowerGone(path_);
    inode_->durable = inode_->current;
    inode_->pending.clear();
    return Status::OK();
  }
  uint64_t Size() const override { return inode_->current.size(); }

 private:
  PowerLossEnv* env_;
  std::shared_ptr<PowerLossEnv::Inode> inode_;
  std::string path_;
};

// The Env hands out the reading or the writing side of one file.
class ReadHandle final : public RandomAccessFile {
 public:
  explicit ReadHandle(std::shared_ptr<File> file) : file_(std::move(file)) {}
  Status Read(uint64_t offset, size_t n, std::string* out) override { return file_->Read(offset, n, out); }
  uint64_t Size() const override { return file_->Size(); }

 private:
  std::shared_ptr<File> file_;
};

class WriteHandle final : public WritableFile {
 public:
  explicit WriteHandle(std::shared_ptr<File> file) : file_(std::move(file)) {}
  Status Write(uint64_t offset, std::string_view data) override { return file_->Write(offset, data); }
  Status Truncate(uint64_t size) override { return file_->Truncate(size); }
  Status Sync() override { return file_->Sync(); }
  uint64_t Size() const override { return file_->Size(); }

 private:
  std::shared_ptr<File> file_;
};

class NoLock final : public FileLock {};

}  // namespace

PowerLossEnv::PowerLossEnv(const Disk& disk, int cut_at, bool reorder, uint32_t seed)
    : cut_at_(cut_at), reorder_(reorder), random_(seed) {
  for (const auto& [path, bytes] : disk) {
    auto inode = std::make_shared<Inode>();
    inode->current = inode->durable = bytes;
    names_[path] = inode;
  }
  durable_ = names_;
}

bool PowerLossEnv::Step() {
  if (lost_) return false;
  ++operations_;
  if (cut_at_ > 0 && operations_ >= cut_at_) {
    lost_ = true;
    return false;
  }
  return true;
}

namespace {
constexpr uint64_t kSector = 512;
}  // namespace

PowerLossEnv::Disk PowerLossEnv::Recover() {
  Disk disk;
  std::map<std::string, std::shared_ptr<Inode>> names = durable_;
  if (reorder_) {
    for (const NameChange& c : pending_names_) {
      if (random_() % 2 == 0) continue;
      switch (c.kind) {
        case NameChange::kCreate:
          names[c.path] = c.inode;
          break;
        case NameChange::kRename: {
          auto it = names.find(c.path);
          if (it != names.end() && it->second == c.inode) names.erase(it);
          names[c.to] = c.inode;
          break;
        }
        case NameChange::kRemove: {
          auto it = names.find(c.path);
          if (it != names.end() && it->second == c.inode) names.erase(it);
          break;
        }
      }
    }
  }
  for (const auto& [path, inode] : names) {
    std::string bytes = inode->durable;
    if (reorder_ && !inode->pending.empty()) {
      std::vector<Inode::Change> chosen;
      for (const Inode::Change& c : inode->pending) {
        if (random_() % 2 == 0) continue;
        if (c.truncate || c.data.size() <= kSector || random_() % 2 == 0) {
          chosen.push_back(c);
          continue;
        }
        // Torn: a write of several sectors may reach the disk in part.
        for (uint64_t at = c.offset; at < c.offset + c.data.size();) {
          const uint64_t end = std::min<uint64_t>((at / kSector + 1) * kSector, c.offset + c.data.size());
          if (random_() % 2) chosen.push_back({at, c.data.substr(at - c.offset, end - at), false});
          at = end;
        }
      }
      std::shuffle(chosen.begin(), chosen.end(), random_);
      for (const Inode::Change& c : chosen) Apply(&bytes, c);
    }
    disk[path] = std::move(bytes);
  }
  return disk;
}

PowerLossEnv::Disk PowerLossEnv::Current() const {
  Disk disk;
  for (const auto& [path, inode] : names_) disk[path] = inode->current;
  return disk;
}

Status PowerLossEnv::OpenRandomAccess(const std::string& path, std::unique_ptr<RandomAccessFile>* file) {
  auto it = names_.find(path);
  if (it == names_.end()) return Status::NotFound(path, "cannot open: no such file");
  file->reset(new ReadHandle(std::make_shared<File>(this, it->second, path)));
  return Status::OK();
}

Status PowerLossEnv::OpenWritable(const std::string& path, bool truncate,
                                  std::unique_ptr<WritableFile>* file) {
  auto& slot = names_[path];
  if (!slot) {
    // A new name lives in the folder only: durable at the folder's next sync.
    if (!Step()) {
      names_.erase(path);
      return PowerGone(path);
    }
    slot = std::make_shared<Inode>();
    pending_names_.push_back({NameChange::kCreate, path, {}, slot});
  }
  auto f = std::make_shared<File>(this, slot, path);
  if (truncate && !slot->current.empty()) {
    Status s = f->Truncate(0);
    if (!s.ok()) return s;
  }
  file->reset(new WriteHandle(f));
  return Status::OK();
}

Status PowerLossEnv::Rename(const std::string& from, const std::string& to) {
  if (!Step()) return PowerGone(from);
  auto it = names_.find(from);
  if (it == names_.end()) return Status::NotFound(from, "cannot rename: no such file");
  pending_names_.push_back({NameChange::kRename, from, to, it->second});
  names_[to] = it->second;
  names_.erase(it);
  return Status::OK();
}

Status PowerLossEnv::Remove(const std::string& path) {
  if (!Step()) return PowerGone(path);
  auto it = names_.find(path);
  if (it == names_.end()) return Status::NotFound(path, "cannot remove: no such file");
  pending_names_.push_back({NameChange::kRemove, path, {}, it->second});
  names_.erase(it);
  return Status::OK();
}

bool PowerLossEnv::Exists(const std::string& path) { return names_.count(path) != 0; }

Status PowerLossEnv::ListDir(const std::string& dir, std::vector<std::string>* names) {
  names->clear();
  for (const auto& entry : names_)
    if (DirName(entry.first) == dir) names->push_back(BaseName(entry.first));
  return Status::OK();
}

Status PowerLossEnv::SyncDir(const std::string& dir) {
  if (!Step()) return PowerGone(dir);
  for (auto it = durable_.begin(); it != durable_.end();)
    it = DirName(it->first) == dir ? durable_.erase(it) : std::next(it);
  for (const auto& [path, inode] : names_)
    if (DirName(path) == dir) durable_[path] = inode;
  std::erase_if(pending_names_, [&](const NameChange& c) { return DirName(c.path) == dir; });
  return Status::OK();
}

Status PowerLossEnv::CopyAccess(const std::string&, const std::string& path) {
  return Exists(path) ? Status::OK() : Status::NotFound(path, "no such file");
}

Status PowerLossEnv::Lock(const std::string&, const LockOptions&, std::unique_ptr<FileLock>* lock) {
  lock->reset(new NoLock);
  return Status::OK();
}

}  // namespace orba::pdx::testing
