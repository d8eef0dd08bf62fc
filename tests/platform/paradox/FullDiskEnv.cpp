#include "FullDiskEnv.h"

namespace orba::pdx::testing {

namespace {

class Limited final : public WritableFile {
 public:
  Limited(FullDiskEnv* env, std::unique_ptr<WritableFile> base, std::string path)
      : env_(env), base_(std::move(base)), path_(std::move(path)) {}
  Status Write(uint64_t offset, std::string_view data) override {
    const uint64_t size = base_->Size();
    const uint64_t end = offset + data.size();
    const uint64_t growth = end > size ? end - size : 0;
    if (growth > env_->room()) {
      // What fits is written, as a full disk does.
      const uint64_t fits = size + env_->room() > offset ? size + env_->room() - offset : 0;
      if (fits > 0) base_->Write(offset, data.substr(0, static_cast<size_t>(fits)));
      env_->resized(path_, base_->Size());
      return Status::IOError(path_, "write failed: No space left on device");
    }
    Status s = base_->Write(offset, data);
    env_->resized(path_, base_->Size());
    return s;
  }
  Status Truncate(uint64_t size) override {
    Status s = base_->Truncate(size);
    env_->resized(path_, base_->Size());
    return s;
  }
  Status Sync() override { return base_->Sync(); }
  uint64_t Size() const override { return base_->Size(); }

 private:
  FullDiskEnv* env_;
  std::unique_ptr<WritableFile> base_;
  std::string path_;
};

}  // namespace

void FullDiskEnv::track(const std::string& path) {
  std::unique_ptr<RandomAccessFile> f;
  if (base_->OpenRandomAccess(path, &f).ok()) sizes_[path] = f->Size();
}

uint64_t FullDiskEnv::used() const {
  uint64_t total = 0;
  for (const auto& entry : sizes_) total += entry.second;
  return total;
}

Status FullDiskEnv::OpenWritable(const std::string& p, bool truncate, std::unique_ptr<WritableFile>* f) {
  std::unique_ptr<WritableFile> base;
  Status s = base_->OpenWritable(p, truncate, &base);
  if (!s.ok()) return s;
  sizes_[p] = base->Size();
  f->reset(new Limited(this, std::move(base), p));
  return Status::OK();
}

Status FullDiskEnv::Rename(const std::string& from, const std::string& to) {
  Status s = base_->Rename(from, to);
  if (s.ok()) {
    sizes_[to] = sizes_[from];
    sizes_.erase(from);
  }
  return s;
}

Status FullDiskEnv::Remove(const std::string& p) {
  Status s = base_->Remove(p);
  if (s.ok()) sizes_.erase(p);
  return s;
}

}  // namespace orba::pdx::testing
