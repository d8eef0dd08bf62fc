#include "paradox/BlobWriter.h"

#include <cstring>

#include "paradox/Coding.h"
#include "paradox/Format.h"

namespace orba::pdx {

namespace f = format;

std::string BlobFileWriter::EmptyFile() {
  std::string h(f::kMbUnit, '\0');
  auto* p = reinterpret_cast<uint8_t*>(h.data());
  p[0] = f::kMbHeaderBlock;
  PutU16(p + 1, 1);
  PutU16(p + f::kMbHeaderCounter, 1);
  const uint8_t constant[5] = {0x82, 0x73, 0x02, 0x00, 0x29};
  std::memcpy(p + 0x05, constant, sizeof constant);
  PutU16(p + 0x0B, 0x1000);
  PutU16(p + 0x0D, 0x1000);
  p[0x10] = 0x10;
  PutU16(p + 0x11, 0x0040);
  PutU16(p + 0x13, 0x0800);
  PutU16(p + 0x29, 0x02A1);
  return h;
}

Status BlobFileWriter::Open(Env* env, const std::string& path, const std::string& create_like,
                            const CommittedEnd& committed_end, std::unique_ptr<BlobFileWriter>* writer) {
  const bool create = !create_like.empty();
  if (!create && !env->Exists(path)) return Status::NotFound(BaseName(path), "blob file missing");
  std::unique_ptr<WritableFile> file;
  Status s = create ? env->CreateWritable(path, create_like, &file) : env->OpenWritable(path, false, &file);
  if (!s.ok()) return s;
  std::unique_ptr<BlobFileWriter> w(new BlobFileWriter(std::move(file), BaseName(path)));
  if (create) {
    s = w->file_->Write(0, EmptyFile());
    if (s.ok()) s = w->file_->Sync();
  }
  std::unique_ptr<RandomAccessFile> reader;
  if (s.ok()) s = env->OpenRandomAccess(path, &reader);
  if (s.ok()) s = w->Load(reader.get(), committed_end);
  if (!s.ok()) return s;
  *writer = std::move(w);
  return Status::OK();
}

namespace {

// A file's bytes read once, walked in memory.
class StringFile final : public RandomAccessFile {
 public:
  explicit StringFile(std::string bytes) : bytes_(std::move(bytes)) {}
  Status Read(uint64_t offset, size_t n, std::string* out) override {
    *out = offset < bytes_.size() ? bytes_.substr(offset, n) : std::string();
    return Status::OK();
  }
  uint64_t Size() const override { return bytes_.size(); }

 private:
  std::string bytes_;
};

}  // namespace

Status BlobFileWriter::OpenInPlace(Env* env, const std::string& path, const CommittedEnd& committed_end,
                                   std::unique_ptr<BlobFileWriter>* writer) {
  if (!env->Exists(path)) return Status::NotFound(BaseName(path), "blob file missing");
  std::unique_ptr<RandomAccessFile> reader;
  Status s = env->OpenRandomAccess(path, &reader);
  if (!s.ok()) return s;
  if (reader->Size() <= kWalkedInPlace) {
    // Read at once: the walk then costs no more than the one read.
    std::string bytes;
    s = reader->Read(0, reader->Size(), &bytes);
    if (!s.ok()) return s;
    std::unique_ptr<WritableFile> file;
    s = env->OpenWritable(path, false, &file);
    if (!s.ok()) return s;
    std::unique_ptr<BlobFileWriter> w(new BlobFileWriter(std::move(file), BaseName(path)));
    StringFile in_memory(std::move(bytes));
    s = w->Load(&in_memory, committed_end);
    if (!s.ok()) return s;
    *writer = std::move(w);
    return Status::OK();
  }
  std::unique_ptr<WritableFile> file;
  s = env->OpenWritable(path, false, &file);
  if (!s.ok()) return s;
  std::unique_ptr<BlobFileWriter> w(new BlobFileWriter(std::move(file), BaseName(path)));
  std::string head;
  s = reader->Read(0, f::kMbUnit, &head);
  if (!s.ok()) return s;
  if (head.size() < f::kMbUnit || head[0] != static_cast<char>(f::kMbHeaderBlock))
    return Status::Corruption(w->name_, "not a blob file (bad header block)");
  w->counter_ = w->opened_counter_ = GetU16(head.data() + f::kMbHeaderCounter);
  w->end_ = w->opened_end_ = (reader->Size() + f::kMbUnit - 1) / f::kMbUnit * f::kMbUnit;
  *writer = std::move(w);
  return Status::OK();
}

namespace {

uint16_t NextModNr(uint16_t counter) { return static_cast<uint16_t>(counter == 0xFFFF ? 1 : counter + 1); }

}  // namespace

Status BlobFileWriter::Load(RandomAccessFile* reader, const CommittedEnd& committed_end) {
  const uint64_t size = reader->Size();
  std::string head;
  Status s = reader->Read(0, f::kMbUnit, &head);
  if (!s.ok()) return s;
  if (head.size() < f::kMbUnit || head[0] != static_cast<char>(f::kMbHeaderBlock))
    return Status::Corruption(name_, "not a blob file (bad header block)");
  counter_ = GetU16(head.data() + f::kMbHeaderCounter);
  // Walk the blocks. A block that claims to run past the end of the file is
  // either an append cut short by a crash or damage; anything else
  // unexpected is left alone: we append after it.
  uint64_t off = 0;
  uint64_t cut = size;
  while (off < size) {
    std::string bh;
    s = reader->Read(off, 3, &bh);
    if (!s.ok()) return s;
    if (bh.size() < 3) {
      cut = off;
      break;
    }
    uint8_t type = static_cast<uint8_t>(bh[0]);
    uint16_t units = GetU16(bh.data() + 1);
    if (type > f::kMbFree || type == 1 || units == 0) break;
    if (off + units * f::kMbUnit > size) {
      cut = off;
      break;
    }
    off += units * f::kMbUnit;
  }
  if (cut < size) {
    // Cutting behind a block a committed record points to would take its
    // value (and the values after it) away: only the tail the interrupted
    // append wrote may go.
    Result<uint64_t> floor = committed_end ? committed_end() : Result<uint64_t>(size);
    if (!floor.ok()) return floor.status();
    bool appended = false;
    s = IsInterruptedAppend(reader, cut, &appended);
    if (!s.ok()) return s;
    if (cut < floor.value() || !appended)
      return Status::Corruption(name_,
                                "the block at offset " + std::to_string(cut) +
                                    " claims to run past the end of the file and is not an interrupted "
                                    "append (records point to it or past it): the file is damaged and "
                                    "was not changed");
    s = file_->Truncate(cut);
    if (s.ok()) s = file_->Sync();
    if (!s.ok()) return s;
  }
  end_ = (std::min(cut, size) + f::kMbUnit - 1) / f::kMbUnit * f::kMbUnit;
  opened_end_ = end_;
  opened_counter_ = counter_;
  return Status::OK();
}

Status BlobFileWriter::IsInterruptedAppend(RandomAccessFile* reader, uint64_t offset, bool* yes) const {
  // An append writes its blocks with the next modification number and
  // raises the header's counter to it only once they are durable.
  const uint16_t mod = NextModNr(counter_);
  std::string b;
  Status s = reader->Read(offset, f::kMbUnit, &b);
  if (!s.ok()) return s;
  *yes = true;
  if (b.size() < 3) return Status::OK();
  const auto* p = reinterpret_cast<const uint8_t*>(b.data());
  if (p[0] == f::kMbSingleBlob) {
    *yes = b.size() < f::kMbSingleHeader || GetU16(p + 7) == mod;
  } else if (p[0] == f::kMbSubAllocated) {
    for (size_t e = 0; e < f::kMbSubEntryCount; ++e) {
      const size_t at = f::kMbSubEntries + e * f::kMbSubEntrySize;
      if (at + f::kMbSubEntrySize > b.size()) break;
      if (p[at] != 0 && GetU16(p + at + 2) != mod) *yes = false;
    }
  } else {
    *yes = false;
  }
  return Status::OK();
}

Status BlobFileWriter::Abandon() {
  // A failed write may have put bytes on the disk that the file's size, as
  // last known, does not show: cut back whenever anything was tried.
  if (!appended_) return Status::OK();
  std::string c(2, '\0');
  PutU16(c.data(), opened_counter_);
  Status s = file_->Truncate(opened_end_);
  if (s.ok()) s = file_->Write(f::kMbHeaderCounter, c);
  if (s.ok()) s = file_->Sync();
  if (!s.ok()) return s;
  end_ = opened_end_;
  counter_ = opened_counter_;
  appended_ = false;
  return Status::OK();
}

Status BlobFileWriter::Append(const std::vector<Item>& items, std::vector<BlobDescriptor>* out) {
  out->assign(items.size(), BlobDescriptor());
  if (items.empty()) return Status::OK();
  appended_ = true;
  // One modification number for everything written by this commit; the
  // header counter is kept >= every number in use.
  const uint16_t mod = NextModNr(counter_);
  std::string buf;
  const uint64_t base = end_;

  // Small values share sub-allocated blocks: entries from 63 down, data
  // chunks from 21 up, as Paradox fills them. They go first, then the
  // values that take blocks of their own, so that a commit's small values
  // share as few blocks as they can.
  std::string sub;
  int entry = -1;
  size_t chunk = 0;
  auto flush_sub = [&] {
    if (!sub.empty()) buf += sub;
    sub.clear();
  };
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < items.size(); ++i) {
      const std::string& d = items[i].data;
      if (d.empty()) continue;
      const bool small = !items[i].single && d.size() <= f::kMbSubAllocatedMax;
      if (small != (pass == 0)) continue;
      if (!small) {
        const size_t units = (f::kMbSingleHeader + d.size() + f::kMbUnit - 1) / f::kMbUnit;
        std::string blk(units * f::kMbUnit, '\0');
        auto* p = reinterpret_cast<uint8_t*>(blk.data());
        p[0] = f::kMbSingleBlob;
        PutU16(p + 1, static_cast<uint16_t>(units));
        PutU32(p + 3, static_cast<uint32_t>(d.size()));
        PutU16(p + 7, mod);
        std::memcpy(p + f::kMbSingleHeader, d.data(), d.size());
        (*out)[i] = BlobDescriptor{static_cast<uint32_t>(base + buf.size()) | f::kMbSingleIndex,
                                   static_cast<uint32_t>(d.size()), mod};
        buf += blk;
        continue;
      }
      const size_t chunks = (d.size() + f::kMbChunk - 1) / f::kMbChunk;
      if (sub.empty() || entry < 0 || chunk + chunks > f::kMbUnit / f::kMbChunk) {
        flush_sub();
        sub.assign(f::kMbUnit, '\0');
        sub[0] = static_cast<char>(f::kMbSubAllocated);
        PutU16(sub.data() + 1, 1);
        entry = static_cast<int>(f::kMbSubEntryCount) - 1;
        chunk = f::kMbFirstDataChunk;
      }
      auto* e = reinterpret_cast<uint8_t*>(sub.data()) + f::kMbSubEntries +
                static_cast<size_t>(entry) * f::kMbSubEntrySize;
      e[0] = static_cast<uint8_t>(chunk);
      e[1] = static_cast<uint8_t>(chunks);
      PutU16(e + 2, mod);
      e[4] = static_cast<uint8_t>(d.size() - (chunks - 1) * f::kMbChunk);
      std::memcpy(sub.data() + chunk * f::kMbChunk, d.data(), d.size());
      (*out)[i] = BlobDescriptor{static_cast<uint32_t>(base + buf.size()) | static_cast<uint32_t>(entry),
                                 static_cast<uint32_t>(d.size()), mod};
      chunk += chunks;
      --entry;
    }
    flush_sub();
  }
  if (base + buf.size() > 0xFFFFFF00ull) return Status::NotSupported(name_, "blob file would exceed 4 GiB");

  const std::string first_type = buf.substr(0, 3);
  std::memset(buf.data(), 0, 3);
  Status s = file_->Write(base, buf);
  if (s.ok()) s = file_->Sync();
  if (!s.ok()) return s;
  end_ = base + buf.size();
  std::string c(2, '\0');
  PutU16(c.data(), mod);
  s = file_->Write(base, first_type);
  if (s.ok()) s = file_->Write(f::kMbHeaderCounter, c);
  if (s.ok()) s = file_->Sync();
  if (!s.ok()) return s;
  counter_ = mod;
  return Status::OK();
}

}  // namespace orba::pdx
