#include "paradox/Journal.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <thread>

#include "paradox/Coding.h"
#include "paradox/Format.h"
#include "paradox/SecondaryIndex.h"

namespace orba::pdx {

namespace {

namespace f = format;

constexpr char kMagic[8] = {'P', 'D', 'X', 'J', 'R', 'N', 'L', '1'};
constexpr char kEndMagic[8] = {'P', 'D', 'X', 'J', 'E', 'N', 'D', '1'};
constexpr size_t kHeaderBytes = 24;
constexpr size_t kImageHeaderBytes = 16;
constexpr size_t kTrailerBytes = 16;
constexpr const char* kSuffix = ".pdxjournal";
// Image kinds: bytes to write, the file's new size, the name of a file.
constexpr uint8_t kWrite = 0, kResize = 1, kName = 2;
// More images than any commit of a table of 65535 blocks writes.
constexpr uint32_t kMaxImages = 1u << 20;

uint32_t Crc32(std::string_view bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void PutU64(char* p, uint64_t v) {
  PutU32(p, static_cast<uint32_t>(v));
  PutU32(p + 4, static_cast<uint32_t>(v >> 32));
}

uint64_t GetU64(const char* p) { return GetU32(p) | (static_cast<uint64_t>(GetU32(p + 4)) << 32); }

// `s` said again about `file`, keeping its kind (a full disk stays an I/O
// error, a held lock stays Locked).
Status Restate(const Status& s, const std::string& file, const std::string& msg) {
  switch (s.code()) {
    case Status::Code::kNotFound:
      return Status::NotFound(file, msg);
    case Status::Code::kCorruption:
      return Status::Corruption(file, msg);
    case Status::Code::kNotSupported:
      return Status::NotSupported(file, msg);
    case Status::Code::kInvalidArgument:
      return Status::InvalidArgument(file, msg);
    case Status::Code::kLocked:
      return Status::Locked(file, msg);
    default:
      return Status::IOError(file, msg);
  }
}

// The .DB's change counter as it stands.
Status ReadChangeCounter(Env* env, const std::string& db_path, uint8_t* counter) {
  std::unique_ptr<RandomAccessFile> file;
  Status s = env->OpenRandomAccess(db_path, &file);
  std::string byte;
  if (s.ok()) s = file->Read(f::kChangeCount1, 1, &byte);
  if (!s.ok()) return s;
  if (byte.size() != 1) return Status::Corruption(BaseName(db_path), "header is cut off");
  *counter = static_cast<uint8_t>(byte[0]);
  return Status::OK();
}

}  // namespace

std::string JournalPath(const std::string& db_path) { return db_path + kSuffix; }

std::string EncodeJournal(const Journal& journal) {
  std::string out(kHeaderBytes, '\0');
  std::memcpy(out.data(), kMagic, 8);
  const uint32_t count = static_cast<uint32_t>(journal.named.size() + journal.images.size());
  PutU32(out.data() + 8, count);
  out[12] = static_cast<char>(journal.before);
  out[13] = static_cast<char>(journal.after);
  auto append = [&](uint8_t file, uint8_t kind, uint64_t offset, const std::string& data) {
    char head[kImageHeaderBytes] = {};
    head[0] = static_cast<char>(file);
    head[1] = static_cast<char>(kind);
    PutU32(head + 4, static_cast<uint32_t>(data.size()));
    PutU64(head + 8, offset);
    out.append(head, sizeof head);
    out += data;
  };
  // The names first: an image refers to its file by number.
  for (size_t i = 0; i < journal.named.size(); ++i)
    append(static_cast<uint8_t>(JournalImage::kFirstNamed + i), kName, 0, journal.named[i]);
  for (const JournalImage& image : journal.images)
    append(image.file, image.resize ? kResize : kWrite, image.offset, image.data);
  // Total length is known now: it lets a reader tell a cut-off journal.
  PutU64(out.data() + 16, out.size() + kTrailerBytes);
  char trailer[kTrailerBytes] = {};
  std::memcpy(trailer, kEndMagic, 8);
  PutU32(trailer + 8, Crc32(out));
  PutU32(trailer + 12, count);
  out.append(trailer, sizeof trailer);
  return out;
}

Status DecodeJournal(const std::string& bytes, Journal* journal) {
  const std::string name = "journal";
  if (bytes.size() < kHeaderBytes + kTrailerBytes || std::memcmp(bytes.data(), kMagic, 8) != 0)
    return Status::Corruption(name, "not a whole journal");
  const uint32_t count = GetU32(bytes.data() + 8);
  if (GetU64(bytes.data() + 16) != bytes.size()) return Status::Corruption(name, "cut off");
  const char* trailer = bytes.data() + bytes.size() - kTrailerBytes;
  if (std::memcmp(trailer, kEndMagic, 8) != 0 || GetU32(trailer + 12) != count ||
      GetU32(trailer + 8) != Crc32(std::string_view(bytes).substr(0, bytes.size() - kTrailerBytes)))
    return Status::Corruption(name, "its commit mark is missing or does not match");
  if (count > kMaxImages) return Status::Corruption(name, "impossible number of images");
  journal->before = static_cast<uint8_t>(bytes[12]);
  journal->after = static_cast<uint8_t>(bytes[13]);
  journal->images.clear();
  journal->named.clear();
  size_t at = kHeaderBytes;
  const size_t end = bytes.size() - kTrailerBytes;
  for (uint32_t i = 0; i < count; ++i) {
    if (end - at < kImageHeaderBytes) return Status::Corruption(name, "image header cut off");
    JournalImage image;
    const uint8_t file = static_cast<uint8_t>(bytes[at]);
    const uint8_t kind = static_cast<uint8_t>(bytes[at + 1]);
    const uint32_t length = GetU32(bytes.data() + at + 4);
    image.offset = GetU64(bytes.data() + at + 8);
    at += kImageHeaderBytes;
    if (end - at < length || (kind == kResize && length != 0))
      return Status::Corruption(name, "image cut off");
    if (kind == kName) {
      // Files are named in order, once, before any image of theirs.
      const std::string_view named(bytes.data() + at, length);
      if (file != JournalImage::kFirstNamed + journal->named.size() || image.offset != 0 || named.empty() ||
          named.find('/') != std::string_view::npos || named.find('\0') != std::string_view::npos)
        return Status::Corruption(name, "a file named out of order or impossibly");
      journal->named.emplace_back(named);
      at += length;
      continue;
    }
    if (kind > kResize) return Status::Corruption(name, "image of an unknown kind");
    if (file >= JournalImage::kFirstNamed + journal->named.size())
      return Status::Corruption(name, "image of an unknown file");
    image.file = static_cast<JournalImage::File>(file);
    image.resize = kind == kResize;
    image.data.assign(bytes, at, length);
    at += length;
    journal->images.push_back(std::move(image));
  }
  if (at != end) return Status::Corruption(name, "bytes after the last image");
  return Status::OK();
}

Status WriteJournal(Env* env, const std::string& db_path, const Journal& journal, bool* left_whole) {
  *left_whole = false;
  const std::string path = JournalPath(db_path);
  std::unique_ptr<WritableFile> file;
  Status s = env->CreateWritable(path, db_path, &file);
  bool whole = false;
  if (s.ok()) {
    s = file->Write(0, EncodeJournal(journal));
    whole = s.ok();
  }
  if (s.ok()) s = file->Sync();
  // Its name must be on disk before any file of the table changes: a
  // journal lost with its folder entry could not complete the change.
  if (s.ok()) s = env->SyncDir(DirName(db_path));
  if (!s.ok()) {
    // Not stored: a whole journal left behind would be applied by the next
    // opener, so it is emptied before it is removed. A journal cut short
    // has no commit mark and never counts.
    bool taken_back = !whole;
    if (file && file->Truncate(0).ok()) {
      taken_back = true;
      file->Sync();
    }
    file.reset();
    const Status removed = env->Remove(path);
    if (removed.ok() || removed.IsNotFound()) taken_back = true;
    *left_whole = !taken_back;
    return s;
  }
  return Status::OK();
}

std::string JournalFilePath(const std::string& db_path, const std::string& px_path, const Journal& journal,
                            JournalImage::File file) {
  if (file == JournalImage::kData) return db_path;
  if (file == JournalImage::kPrimaryIndex) return px_path;
  const size_t i = file - JournalImage::kFirstNamed;
  if (i >= journal.named.size()) return {};
  // Only ever an index file of this table, beside it.
  const std::string& name = journal.named[i];
  if (SecondaryIndexFileKind(BaseName(db_path), name) == 0) return {};
  return db_path.find('/') == std::string::npos ? name : DirName(db_path) + "/" + name;
}

Status ApplyJournal(Env* env, const std::string& db_path, const std::string& px_path,
                    const Journal& journal) {
  std::vector<std::unique_ptr<WritableFile>> files(JournalImage::kFirstNamed + journal.named.size());
  Status s;
  for (const JournalImage& image : journal.images) {
    std::unique_ptr<WritableFile>& file = files.at(image.file);
    if (!file) {
      const std::string path = JournalFilePath(db_path, px_path, journal, image.file);
      if (path.empty())
        return Status::Corruption(BaseName(db_path),
                                  "its journal changes a file that is not one of the table's");
      // Never created here: the files are the table's, which exist.
      if (!env->Exists(path))
        return Status::NotFound(BaseName(path), "missing while its table's change is completed");
      s = env->OpenWritable(path, false, &file);
      if (!s.ok()) return s;
    }
    s = image.resize ? file->Truncate(image.offset) : file->Write(image.offset, image.data);
    if (!s.ok()) return s;
  }
  for (auto& file : files) {
    if (file) s = file->Sync();
    if (!s.ok()) return s;
  }
  // Retired: the images are durable in the files. A removal that does not
  // reach the disk leaves a journal that is applied once more, harmlessly.
  s = env->Remove(JournalPath(db_path));
  return s.IsNotFound() ? Status::OK() : s;
}

Status ReadCommittedJournal(Env* env, const std::string& db_path, Journal* journal, bool* found) {
  *found = false;
  const std::string path = JournalPath(db_path);
  // A link is never ours: a journal is always a file of its own.
  if (!env->Exists(path) || env->IsLink(path)) return Status::OK();
  std::unique_ptr<RandomAccessFile> file;
  Status s = env->OpenRandomAccess(path, &file);
  if (!s.ok()) return s.IsNotFound() ? Status::OK() : s;
  std::string bytes;
  s = file->Read(0, file->Size(), &bytes);
  if (!s.ok()) return s;
  if (!DecodeJournal(bytes, journal).ok()) return Status::OK();
  // Naming a file that is not one of this table's: never a journal of ours.
  for (const std::string& named : journal->named)
    if (SecondaryIndexFileKind(BaseName(db_path), named) == 0) return Status::OK();
  uint8_t counter = 0;
  s = ReadChangeCounter(env, db_path, &counter);
  if (!s.ok()) return s;
  // Written for another .DB (one a whole rewrite put in place since): its
  // change is in that file's history already.
  *found = counter == journal->before || counter == journal->after;
  return Status::OK();
}

namespace {

class JournalOverlay final : public RandomAccessFile {
 public:
  JournalOverlay(std::unique_ptr<RandomAccessFile> base, const Journal& journal, JournalImage::File which)
      : base_(std::move(base)), size_(base_->Size()) {
    for (const JournalImage& image : journal.images) {
      if (image.file != which) continue;
      if (image.resize) {
        size_ = image.offset;
        for (JournalImage& kept : images_)
          if (kept.offset + kept.data.size() > size_)
            kept.data.resize(kept.offset < size_ ? size_ - kept.offset : 0);
      } else {
        size_ = std::max<uint64_t>(size_, image.offset + image.data.size());
        images_.push_back(image);
      }
    }
  }
  Status Read(uint64_t offset, size_t n, std::string* out) override {
    out->clear();
    if (offset >= size_) return Status::OK();
    n = static_cast<size_t>(std::min<uint64_t>(n, size_ - offset));
    Status s = base_->Read(offset, n, out);
    if (!s.ok()) return s;
    out->resize(n, '\0');
    for (const JournalImage& image : images_) {
      const uint64_t from = std::max(offset, image.offset);
      const uint64_t to = std::min<uint64_t>(offset + n, image.offset + image.data.size());
      if (from < to)
        std::memcpy(out->data() + (from - offset), image.data.data() + (from - image.offset), to - from);
    }
    return Status::OK();
  }
  uint64_t Size() const override { return size_; }

 private:
  std::unique_ptr<RandomAccessFile> base_;
  uint64_t size_;
  std::vector<JournalImage> images_;
};

}  // namespace

std::unique_ptr<RandomAccessFile> ReadThroughJournal(std::unique_ptr<RandomAccessFile> base,
                                                     const Journal& journal, JournalImage::File which) {
  return std::make_unique<JournalOverlay>(std::move(base), journal, which);
}

Status RecoverJournal(Env* env, const std::string& db_path, std::string* what) {
  if (what) what->clear();
  const std::string path = JournalPath(db_path);
  if (!env->Exists(path) && !env->IsLink(path)) return Status::OK();
  Journal journal;
  bool complete = false;
  Status s = ReadCommittedJournal(env, db_path, &journal, &complete);
  if (!s.ok()) return s;
  if (!complete) {
    // Never reached its commit point: no file of the table was touched.
    s = env->Remove(path);
    if (what) *what = "discarded";
    return s.IsNotFound() ? Status::OK() : s;
  }
  s = ApplyJournal(env, db_path, FindCompanion(env, db_path, "px"), journal);
  if (!s.ok())
    return Restate(s, BaseName(db_path),
                   "an interrupted change could not be completed (" + s.message() + ")");
  if (what) *what = "completed";
  return Status::OK();
}

std::string JournalSignature(Env* env, const std::string& db_path) {
  const std::string path = JournalPath(db_path);
  std::unique_ptr<RandomAccessFile> file;
  if (!env->Exists(path) || !env->OpenRandomAccess(path, &file).ok()) return {};
  const uint64_t size = file->Size();
  std::string tail;
  if (size >= kTrailerBytes) file->Read(size - kTrailerBytes, kTrailerBytes, &tail);
  return std::to_string(size) + ":" + tail;
}

Status SettleJournal(Env* env, const std::string& db_path, std::chrono::milliseconds wait) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + wait;
  const std::string path = JournalPath(db_path);
  LockOptions lo;
  lo.like = db_path;
  for (;;) {
    if (!env->Exists(path)) return Status::OK();
    std::unique_ptr<FileLock> lock;
    Status s = env->Lock(db_path + ".lock", lo, &lock);
    if (s.ok()) return RecoverJournal(env, db_path);
    if (!s.IsLocked() || Clock::now() >= deadline) return s;
    // A writer is applying it: that takes milliseconds.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace orba::pdx
