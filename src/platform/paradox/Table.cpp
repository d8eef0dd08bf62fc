#include "paradox/Table.h"

#include <algorithm>
#include <cstring>

#include "paradox/Coding.h"
#include "paradox/Format.h"
#include "paradox/Journal.h"
#include "paradox/RecordCodec.h"

namespace orba::pdx {

namespace f = format;

Table::~Table() = default;
Table& Table::operator=(Table&&) = default;

Status Table::Open(const std::string& path, const OpenOptions& options, std::unique_ptr<Table>* out) {
  return OpenFile(path, options, HeaderKind::kTable, out);
}

Status Table::OpenIndexData(const std::string& path, const OpenOptions& options,
                            std::unique_ptr<Table>* out) {
  return OpenFile(path, options, HeaderKind::kSecondaryIndex, out);
}

Status Table::OpenFile(const std::string& path, const OpenOptions& options, HeaderKind kind,
                       std::unique_ptr<Table>* out) {
  std::unique_ptr<Table> t(new Table());
  t->path_ = path;
  t->name_ = BaseName(path);
  t->env_ = options.env ? options.env : Env::Default();
  t->options_ = options;
  t->kind_ = kind;
  // A change left in a journal by a writer that stopped is completed (or,
  // when it never reached its commit point, discarded) before anything is
  // read, when no writer holds the table. Otherwise (a writer is applying
  // it, or the folder refuses writes) the table is read as the journal
  // makes it when the journal counts, as the files are when it does not:
  // before its commit point a journal's files are untouched.
  Status s =
      kind == HeaderKind::kTable ? SettleJournal(t->env_, path, std::chrono::milliseconds(0)) : Status::OK();
  std::shared_ptr<Journal> through;
  if (!s.ok()) {
    auto journal = std::make_shared<Journal>();
    bool counts = false;
    t->journal_seen_ = JournalSignature(t->env_, path);
    Status r = ReadCommittedJournal(t->env_, path, journal.get(), &counts);
    if (!r.ok()) return r;
    if (counts) through = std::move(journal);
  }
  s = t->env_->OpenRandomAccess(path, &t->file_);
  if (s.ok() && through) t->file_ = ReadThroughJournal(std::move(t->file_), *through, JournalImage::kData);
  // Index files a journal changes are not read through it: until it is
  // completed its indexes are out of date, and lookups read the table.
  t->indexes_in_journal_ = through && !through->named.empty();
  if (!s.ok()) return s;
  s = ReadTableHeader(t->file_.get(), t->name_, kind, &t->header_);
  if (!s.ok()) return s;
  const TableHeader& h = t->header_;
  if (h.encryption_key != 0)
    return Status::NotSupported(t->name_,
                                "table is password-protected (encrypted); encrypted tables "
                                "cannot be read");

  uint16_t cp = h.code_page;
  if (cp == 0) cp = h.sort_order == 0xC0 ? 866 : options.fallback_code_page;
  t->codec_ = std::make_unique<TextCodec>(cp);

  t->fields_ = h.fields;
  size_t off = 0;
  for (size_t i = 0; i < t->fields_.size(); ++i) {
    t->fields_[i].name = t->codec_->Decode(t->fields_[i].name);
    t->offsets_.push_back(off);
    off += PhysicalSize(t->fields_[i]);
    if (i < h.key_field_count) t->key_size_ = off;
  }

  {
    const uint64_t fsize = t->file_->Size();
    const size_t bs = h.block_size();
    t->blocks_in_file_ = fsize > h.header_size ? (fsize - h.header_size + bs - 1) / bs : 0;
  }
  if (kind != HeaderKind::kTable) {
    // An X file: no blobs, and its key is searched through its own order.
    s = t->WalkChain();
    if (!s.ok()) return s;
    *out = std::move(t);
    return Status::OK();
  }

  bool has_blobs = std::any_of(t->fields_.begin(), t->fields_.end(),
                               [](const FieldDef& fd) { return IsBlobType(fd.type); });
  if (has_blobs) {
    std::string mb = FindCompanion(t->env_, path, "mb");
    if (mb.empty())
      return Status::NotFound(BaseName(WithExtension(path, "mb")),
                              "blob file missing (the table has memo or blob fields)");
    std::unique_ptr<RandomAccessFile> mbf;
    s = t->env_->OpenRandomAccess(mb, &mbf);
    if (!s.ok()) return s;
    t->blob_ = std::make_unique<BlobFileReader>(std::move(mbf), BaseName(mb));
  }

  std::string px;
  if (h.keyed()) {
    px = FindCompanion(t->env_, path, "px");
    if (px.empty()) {
      t->index_status_ = Status::NotFound(BaseName(WithExtension(path, "px")), "primary index missing");
    } else {
      std::unique_ptr<RandomAccessFile> pxf;
      s = t->env_->OpenRandomAccess(px, &pxf);
      if (s.ok() && through) pxf = ReadThroughJournal(std::move(pxf), *through, JournalImage::kPrimaryIndex);
      if (s.ok()) s = PrimaryIndex::Open(std::move(pxf), BaseName(px), h, &t->index_);
      t->index_status_ = s;
    }
  }
  s = t->PlaceBlocks(px);
  if (!s.ok()) return s;
  *out = std::move(t);
  return Status::OK();
}

namespace {

// A replacement of `path` that waits beside it, written for the table's
// change counter `stamp`: what a commit leaves when it cannot complete.
bool ReplacementWaits(Env* env, const std::string& path, uint8_t stamp) {
  const std::string waiting = path + f::kReplacementSuffix;
  return env->Exists(waiting) && IndexFileStamp(env, waiting) == stamp;
}

}  // namespace

Status Table::PlaceBlocks(const std::string& px_path) {
  const TableHeader& h = header_;
  // The .PX places the blocks only when it was written with this .DB: the
  // writer gives both the same change counter, and a replacement waiting
  // beside the .PX means the commit that wrote the .DB did not finish.
  bool usable = index_ && h.record_count > 0 && h.first_block != 0 &&
                index_->header().index_stamp == h.change_count &&
                !ReplacementWaits(env_, px_path, h.change_count);
  if (usable) {
    uint32_t total = 0;
    usable = index_->RecordCount(&total).ok() && total == h.record_count;
  }
  if (!usable) return WalkChain();
  record_count_ = h.record_count;
  checked_.assign(static_cast<size_t>(f::kMaxBlockNumber) + 1, false);
  return Status::OK();
}

const std::vector<Table::Block>& Table::blocks() {
  if (!walked_ && !WalkChain().ok()) blocks_.clear();
  return blocks_;
}

Status Table::IndexDisagrees(Status why) {
  if (why.code() == Status::Code::kIOError) return why;
  index_disagrees_ = true;
  return why;
}

template <class Op>
Status Table::WithChainFallback(Op op) {
  Status s = op();
  if (s.ok() || walked_ || !index_disagrees_) return s;
  // The .PX does not describe the .DB: the chain decides, with the walk's
  // own checks and messages.
  s = WalkChain();
  if (!s.ok()) return s;
  return op();
}

Status Table::Locate(uint32_t record, Block* b) {
  if (walked_) {
    *b = blocks_[BlockOf(record)];
    return LoadBlock(*b);
  }
  // A scan reads a block's records one after the other: the block in hand
  // needs no descent of the index.
  if (cached_block_ != 0 && located_.number == cached_block_ && record >= located_.first_record &&
      record - located_.first_record < located_.records) {
    *b = located_;
    return Status::OK();
  }
  PrimaryIndex::Leaf leaf;
  Status s = index_->LeafOfRecord(record, &leaf);
  if (!s.ok()) return IndexDisagrees(s);
  *b = Block{leaf.block, leaf.records, leaf.first_record};
  if (leaf.block > blocks_in_file_)
    return IndexDisagrees(Status::Corruption(
        name_, "index names block " + std::to_string(leaf.block) + " beyond the end of the file"));
  s = LoadBlock(*b);
  if (!s.ok()) return IndexDisagrees(s);
  if (checked_[leaf.block]) {
    located_ = *b;
    return Status::OK();
  }
  s = CheckPlacedBlock(*b, leaf.key);
  if (!s.ok()) return IndexDisagrees(s);
  checked_[leaf.block] = true;
  located_ = *b;
  return Status::OK();
}

Status Table::CheckPlacedBlock(const Block& b, const std::string& first_key) {
  // What the walk checks of a block: its record count (from the last
  // record's offset), that its records lie in the file (LoadBlock read
  // them whole), and its place in the chain: the first block is the
  // header's, and each one links to the block the index places next.
  const std::string where = name_ + ": block " + std::to_string(b.number);
  const int16_t last = static_cast<int16_t>(GetU16(block_data_.data() + f::kBlockLastOffset));
  if (last != static_cast<int32_t>(b.records - 1u) * header_.record_size)
    return Status::Corruption(where, "holds another number of records than its index says");
  if (std::memcmp(block_data_.data() + f::kBlockHeaderSize, first_key.data(), key_size_) != 0)
    return Status::Corruption(where, "does not start with the key its index gives");
  if (b.first_record == 0 && header_.first_block != b.number)
    return Status::Corruption(where, "is first in the index but not in the chain");
  const uint16_t next = GetU16(block_data_.data() + f::kBlockNext);
  const uint32_t end = b.first_record + b.records;
  uint16_t expected = 0;
  if (end < record_count_) {
    PrimaryIndex::Leaf leaf;
    Status s = index_->LeafOfRecord(end, &leaf);
    if (!s.ok()) return s;
    expected = leaf.block;
  }
  if (next != expected) return Status::Corruption(where, "links to another block than its index places next");
  return Status::OK();
}

Status Table::WalkChain() {
  const TableHeader& h = header_;
  const uint64_t fsize = file_->Size();
  const size_t bs = h.block_size();
  const uint64_t present = blocks_in_file_;
  blocks_.clear();
  block_pos_.clear();
  cached_block_ = 0;
  ++reads_;
  if (h.first_block == 0) {
    if (h.record_count != 0)
      return Status::Corruption(name_, "header counts " + std::to_string(h.record_count) +
                                           " records but the table has no data blocks");
    record_count_ = 0;
    return Status::OK();
  }
  // Block numbers are 16-bit: a larger file cannot chain more blocks.
  const size_t slots = static_cast<size_t>(std::min<uint64_t>(present, 0xFFFF)) + 1;
  std::vector<bool> seen(slots, false);
  block_pos_.assign(slots, kNoBlock);
  uint32_t total = 0;
  uint16_t block = h.first_block;
  uint16_t previous = 0;
  // A table written in one go chains its blocks in file order: while the
  // chain runs on to the next block in the file, the headers are taken from
  // a window read ahead (one read per 64 blocks rather than one per block,
  // which is what makes opening a large table slow). Where the chain jumps,
  // a header is read by itself, so a scattered chain reads no more than it
  // needs.
  constexpr size_t kWindowBlocks = 64;
  std::string window;
  uint64_t window_start = 0;
  std::string single;
  while (block != 0) {
    if (block > present)
      return Status::Corruption(name_, "block chain points to block " + std::to_string(block) +
                                           " beyond the end of the file (" + std::to_string(present) +
                                           " blocks)");
    if (seen[block])
      return Status::Corruption(name_, "block chain loops back to block " + std::to_string(block));
    seen[block] = true;
    const uint64_t off = h.header_size + static_cast<uint64_t>(block - 1) * bs;
    const char* head = nullptr;
    if (off >= window_start && off + f::kBlockHeaderSize <= window_start + window.size()) {
      head = window.data() + (off - window_start);
    } else if (block == previous + 1) {
      Status s = file_->Read(off, kWindowBlocks * bs, &window);
      if (!s.ok()) return s;
      window_start = off;
      if (window.size() >= f::kBlockHeaderSize) head = window.data();
    } else {
      Status s = file_->Read(off, f::kBlockHeaderSize, &single);
      if (!s.ok()) return s;
      if (single.size() >= f::kBlockHeaderSize) head = single.data();
    }
    if (head == nullptr) return Status::Corruption(name_, "block " + std::to_string(block) + " is cut off");
    const int16_t last = static_cast<int16_t>(GetU16(head + f::kBlockLastOffset));
    uint16_t n = 0;
    if (last >= 0) {
      if (last % h.record_size != 0 || static_cast<size_t>(last) + h.record_size + f::kBlockHeaderSize > bs)
        return Status::Corruption(name_, "block " + std::to_string(block) +
                                             ": impossible last record offset " + std::to_string(last));
      n = static_cast<uint16_t>(last / h.record_size + 1);
      const uint64_t end = off + f::kBlockHeaderSize + static_cast<uint64_t>(n) * h.record_size;
      if (end > fsize)
        return Status::Corruption(
            name_, "block " + std::to_string(block) + ": records run past the end of the file");
    }
    if (n > 0) {
      block_pos_[block] = static_cast<uint32_t>(blocks_.size());
      blocks_.push_back(Block{block, n, total});
    }
    total += n;
    previous = block;
    block = GetU16(head + f::kBlockNext);
  }
  if (total != h.record_count)
    return Status::Corruption(name_, "header counts " + std::to_string(h.record_count) +
                                         " records but the data blocks hold " + std::to_string(total));
  record_count_ = total;
  walked_ = true;
  return Status::OK();
}

std::string Table::table_name() const { return codec_->Decode(header_.table_name); }

int Table::FieldIndex(std::string_view name) const {
  for (size_t i = 0; i < fields_.size(); ++i)
    if (fields_[i].name == name) return static_cast<int>(i);
  return -1;
}

Status Table::LoadBlock(const Block& b) {
  if (cached_block_ == b.number) return Status::OK();
  const uint64_t off = header_.header_size + static_cast<uint64_t>(b.number - 1) * header_.block_size();
  const size_t len = f::kBlockHeaderSize + static_cast<size_t>(b.records) * header_.record_size;
  cached_block_ = 0;
  ++reads_;
  Status s = file_->Read(off, len, &block_data_);
  if (!s.ok()) return s;
  if (block_data_.size() != len)
    return Status::Corruption(name_, "block " + std::to_string(b.number) + " is cut off");
  cached_block_ = b.number;
  return Status::OK();
}

size_t Table::BlockOf(uint32_t index) const {
  auto it = std::upper_bound(blocks_.begin(), blocks_.end(), index,
                             [](uint32_t i, const Block& b) { return i < b.first_record; });
  return static_cast<size_t>(it - blocks_.begin()) - 1;
}

Status Table::CompareAt(uint32_t record, const std::string& key, int* c) {
  Block b;
  Status s = Locate(record, &b);
  if (!s.ok()) return s;
  *c = std::memcmp(block_data_.data() + f::kBlockHeaderSize +
                       static_cast<size_t>(record - b.first_record) * header_.record_size,
                   key.data(), key_size_);
  return Status::OK();
}

uint64_t Table::FileReads() const {
  uint64_t n = reads_ + (index_ ? index_->reads() : 0);
  for (const Secondary& sec : secondary_)
    if (sec.data) n += sec.data->FileReads();
  return n;
}

Status Table::StillCurrent(bool* current) {
  // Every in-place change is written while its journal exists and changes
  // the header's change counter (and counts), so bytes read while neither
  // happened belong to the table this object describes.
  *current = false;
  // A journal other than the one this object read the table through (or
  // around) may be being applied.
  if (env_->Exists(JournalPath(path_)) && JournalSignature(env_, path_) != journal_seen_) return Status::OK();
  const size_t n = std::min<size_t>(header_.raw.size(), f::kExtendedHeaderEnd);
  std::string now;
  Status s = file_->Read(0, n, &now);
  if (!s.ok()) return s;
  *current = now.size() == n && header_.raw.compare(0, n, now) == 0;
  return Status::OK();
}

Status Table::Reload() {
  std::unique_ptr<Table> fresh;
  Status s = OpenFile(path_, options_, kind_, &fresh);
  if (!s.ok()) return s;
  *this = std::move(*fresh);
  return Status::OK();
}

template <class Op>
Status Table::Consistent(Op op) {
  for (int attempt = 0;; ++attempt) {
    const uint64_t before = FileReads();
    Status s = op();
    // Served from what was read and checked before: nothing new to check.
    if (FileReads() == before) return s;
    bool current = false;
    Status c = StillCurrent(&current);
    if (!c.ok()) return c;
    if (current) return s;
    // Another program changed the table in place meanwhile: what this
    // object read before is dropped and the table read again as it is now.
    if (attempt == 3)
      return Status::Locked(name_, "is being changed by another program or workstation; try again");
    c = Reload();
    if (!c.ok()) return c;
  }
}

Status Table::ReadRawRecord(uint32_t index, std::string* raw) {
  return Consistent([&] {
    if (index >= record_count_)
      return Status::InvalidArgument(name_, "record " + std::to_string(index) + " does not exist (" +
                                                std::to_string(record_count_) + " records)");
    return WithChainFallback([&] { return ReadRawRecordOnce(index, raw); });
  });
}

Status Table::ReadBlockBytes(uint16_t number, size_t length, std::string* bytes) {
  const uint64_t off = header_.header_size + static_cast<uint64_t>(number - 1) * header_.block_size();
  Status s = file_->Read(off, length, bytes);
  if (s.ok() && bytes->size() != length)
    return Status::Corruption(name_, "block " + std::to_string(number) + " is cut off");
  return s;
}

Status Table::ReadRawRecordOnce(uint32_t index, std::string* raw) {
  Block b;
  Status s = Locate(index, &b);
  if (!s.ok()) return s;
  const size_t within = index - b.first_record;
  raw->assign(block_data_, f::kBlockHeaderSize + within * header_.record_size, header_.record_size);
  return Status::OK();
}

Status Table::ReadRecord(uint32_t index, Record* record) {
  std::string raw;
  Status s = ReadRawRecord(index, &raw);
  if (!s.ok()) return s;
  s = DecodeRecord(raw, record);
  if (!s.ok())
    return Status(s.code() == Status::Code::kCorruption
                      ? Status::Corruption(s.message(), "in record " + std::to_string(index))
                      : s);
  return Status::OK();
}

Status Table::DecodeRecord(std::string_view raw, Record* record) {
  if (raw.size() != header_.record_size) return Status::InvalidArgument(name_, "record has the wrong size");
  record->assign(fields_.size(), Value());
  const auto* p = reinterpret_cast<const uint8_t*>(raw.data());
  for (size_t i = 0; i < fields_.size(); ++i) {
    const uint8_t* fp = p + offsets_[i];
    if (IsBlobType(fields_[i].type)) {
      Status s = ReadBlobField(i, fp, 0, &(*record)[i]);
      if (!s.ok()) return s;
    } else {
      (*record)[i] = DecodeField(fields_[i], fp, codec_.get());
    }
  }
  return Status::OK();
}

Status Table::ReadBlobField(size_t field, const uint8_t* p, uint32_t, Value* out) {
  const FieldDef& fd = fields_[field];
  const size_t leader = BlobLeader(fd);
  const BlobDescriptor d = DecodeBlobDescriptor(p + leader);
  std::string data;
  if (d.length == 0) {
    *out = Value::Null();
    return Status::OK();
  }
  if (d.location == 0) {
    if (d.length > leader)
      return Status::Corruption(name_, "field '" + fd.name + "': in-record value of " +
                                           std::to_string(d.length) + " bytes exceeds the in-record part");
    data.assign(reinterpret_cast<const char*>(p), d.length);
  } else {
    if (!blob_) return Status::NotFound(name_, "blob file missing");
    Status s = blob_->Read(d.location, d.length, &data);
    if (!s.ok()) return Status(Status::Corruption(s.message(), "field '" + fd.name + "'"));
  }
  switch (fd.type) {
    case FieldType::kMemo:
      *out = Value::Text(codec_->Decode(data));
      break;
    case FieldType::kGraphic:
      // Graphics carry an 8-byte prefix whose second word is the picture's
      // length; the program wants the picture.
      if (data.size() >= f::kGraphicPrefix && std::memcmp(data.data(), f::kGraphicPrefixBytes, 4) == 0 &&
          GetU32(data.data() + 4) == data.size() - f::kGraphicPrefix)
        data.erase(0, f::kGraphicPrefix);
      *out = Value::Blob(std::move(data));
      break;
    default:
      *out = Value::Blob(std::move(data));
      break;
  }
  return Status::OK();
}

Status Table::EncodeKey(const std::vector<Value>& key, std::string* bytes) {
  if (key.size() != header_.key_field_count)
    return Status::InvalidArgument(name_, "key needs " + std::to_string(header_.key_field_count) +
                                              " values, got " + std::to_string(key.size()));
  bytes->assign(key_size_, '\0');
  for (size_t i = 0; i < key.size(); ++i) {
    Status s =
        EncodeField(fields_[i], key[i], codec_.get(), reinterpret_cast<uint8_t*>(bytes->data()) + offsets_[i],
                    name_ + ": field '" + fields_[i].name + "'");
    if (!s.ok()) return s;
  }
  return Status::OK();
}

Status Table::Find(const std::vector<Value>& key, uint32_t* index, bool* found) {
  *found = false;
  *index = 0;
  if (!header_.keyed()) return Status::InvalidArgument(name_, "table has no primary key");
  std::string k;
  Status s = EncodeKey(key, &k);
  if (!s.ok()) return s;
  return FindStoredKey(k, index, found);
}

Status Table::FindStoredKey(const std::string& k, uint32_t* index, bool* found) {
  *found = false;
  *index = 0;
  if (!header_.keyed()) return Status::InvalidArgument(name_, "table has no primary key");
  if (k.size() != key_size_) return Status::InvalidArgument(name_, "key of the wrong size");
  return Consistent([&] {
    *found = false;
    *index = 0;
    if (record_count_ == 0) return Status::OK();
    return WithChainFallback([&] {
      *found = false;
      *index = 0;
      return FindStoredKeyOnce(k, index, found);
    });
  });
}

Status Table::FindStoredKeyOnce(const std::string& k, uint32_t* index, bool* found) {
  Status s;
  // Lowest record whose key is >= k, within records [lo, hi) of the table.
  auto search = [&](uint32_t lo, uint32_t hi) -> Status {
    while (lo < hi) {
      const uint32_t mid = lo + (hi - lo) / 2;
      int c = 0;
      Status st = CompareAt(mid, k, &c);
      if (!st.ok()) return st;
      if (c < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    *index = lo;
    if (lo < record_count_) {
      int c = 0;
      Status st = CompareAt(lo, k, &c);
      if (!st.ok()) return st;
      *found = c == 0;
    }
    return Status::OK();
  };

  // The index names the block whose first key is the greatest <= k. On a
  // walked chain it is only a hint (it may be stale or damaged), so the
  // block's neighbours confirm it before the search is narrowed to it.
  Block b;
  if (walked_) {
    uint16_t number = 0;
    if (!index_ || !index_->FindBlock(k, &number).ok() || number >= block_pos_.size() ||
        block_pos_[number] == kNoBlock)
      return search(0, record_count_);
    b = blocks_[block_pos_[number]];
  } else {
    PrimaryIndex::Leaf leaf;
    s = index_->LeafOfKey(k, &leaf);
    if (!s.ok()) return IndexDisagrees(s);
    // Placing the block checks it against the chain and its first key.
    s = Locate(leaf.first_record, &b);
    if (!s.ok()) return s;
    if (b.number != leaf.block)
      return IndexDisagrees(Status::Corruption(name_, "its index places a key in two blocks"));
  }
  int c_first = 0, c_last = 0;
  s = CompareAt(b.first_record, k, &c_first);
  if (s.ok()) s = CompareAt(b.first_record + b.records - 1u, k, &c_last);
  if (!s.ok()) return s;
  const uint32_t end = b.first_record + b.records;
  if (c_first > 0) {
    // Only the first block may start above the key without the index being wrong.
    return b.first_record == 0 ? search(0, 0) : search(0, b.first_record);
  }
  if (c_last >= 0) return search(b.first_record, end);
  // The key sorts after this block: it belongs at the start of the next one.
  if (end == record_count_) return search(end, end);
  int c_next = 0;
  s = CompareAt(end, k, &c_next);
  if (!s.ok()) return s;
  if (c_next >= 0) {
    *index = end;
    *found = c_next == 0;
    return Status::OK();
  }
  return search(end, record_count_);
}

// ---------------------------------------------------------------------------
// Secondary indexes

Status Table::CurrentIndexCheck(const SecondaryIndex& index) {
  const std::string xn = BaseName(index.files.x);
  if (indexes_in_journal_)
    return Status::Corruption(xn, "out of date: a change to it is still being completed");
  if (index.x.record_count != record_count_)
    return Status::Corruption(xn, "out of date: it lists " + std::to_string(index.x.record_count) +
                                      " records, the table holds " + std::to_string(record_count_));
  if (header_.keyed()) {
    if (!index_) return Status::NotFound(xn, "cannot tell whether it is current: " + index_status_.message());
    if (index.primary_stamp() != index_->header().index_stamp)
      return Status::Corruption(xn, "out of date: built with another primary index (stamp " +
                                        std::to_string(index.primary_stamp()) + ", the primary index's " +
                                        std::to_string(index_->header().index_stamp) + ")");
    const std::string px = FindCompanion(env_, path_, "px");
    if (!px.empty() && ReplacementWaits(env_, px, header_.change_count))
      return Status::Corruption(xn, "out of date: the primary index is still to be replaced after a change");
  } else if (index.primary_stamp() != header_.change_count) {
    return Status::Corruption(xn,
                              "cannot tell whether it is current: it was not built with this table's change "
                              "counter");
  }
  if (ReplacementWaits(env_, index.files.x, header_.change_count))
    return Status::Corruption(xn, "out of date: its replacement from an interrupted change is waiting");
  if (index.letter_case == LetterCase::kUnknown)
    for (const IndexedField& fl : index.fields)
      if (fields_[fl.field].type == FieldType::kAlpha)
        return Status::NotSupported(xn, "whether it ignores letter case is not known from its header");
  return Status::OK();
}

void Table::LoadSecondaryIndexes() {
  if (secondary_loaded_) return;
  secondary_loaded_ = true;
  std::vector<SecondaryIndexFiles> files;
  if (header_.file_type != f::kFileTypeKeyed && header_.file_type != f::kFileTypeUnkeyed) return;
  if (!FindSecondaryIndexFiles(env_, path_, &files).ok()) return;
  for (const SecondaryIndexFiles& fl : files) {
    if (fl.x.empty()) continue;  // a tree alone indexes nothing
    Secondary sec;
    SecondaryIndexInfo info;
    info.file = BaseName(fl.x);
    info.status = ReadSecondaryIndex(env_, fl, header_, &sec.index);
    if (info.status.ok()) {
      info.name = codec_->Decode(sec.index.x.index_name);
      info.fields = sec.index.fields;
      info.letter_case = sec.index.letter_case;
      info.layout = sec.index.layout;
      info.status = CurrentIndexCheck(sec.index);
    }
    secondary_.push_back(std::move(sec));
    secondary_info_.push_back(std::move(info));
  }
}

const std::vector<SecondaryIndexInfo>& Table::secondary_indexes() {
  LoadSecondaryIndexes();
  return secondary_info_;
}

Status Table::LookUpInIndex(size_t which, const std::string& key, size_t nfields,
                            std::vector<uint32_t>* positions) {
  Secondary& sec = secondary_[which];
  const SecondaryIndex& index = sec.index;
  const std::string xn = BaseName(index.files.x);
  if (!sec.data) {
    OpenOptions o;
    o.env = env_;
    Status s = OpenIndexData(index.files.x, o, &sec.data);
    if (!s.ok()) return s;
  }
  Table& x = *sec.data;
  // The file is opened on first use: it must still be the one whose header
  // was found current, not a writer's newer one.
  if (x.header().raw != index.x.raw) return Status::Corruption(xn, "replaced since the table was opened");
  if (x.record_count() != record_count_) return Status::Corruption(xn, "its records do not match its header");
  // The first entry whose key is >= key: entries are in index order.
  auto compare = [&](uint32_t i, int* c) {
    std::string e;
    Status s = x.ReadRawRecord(i, &e);
    if (s.ok()) *c = CompareIndexKeys(index, header_, e, key, nfields);
    return s;
  };
  uint32_t lo = 0, hi = x.record_count();
  while (lo < hi) {
    const uint32_t mid = lo + (hi - lo) / 2;
    int c = 0;
    Status s = compare(mid, &c);
    if (!s.ok()) return s;
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  const size_t key_size = index.key_size();
  std::string entry, raw;
  for (uint32_t i = lo; i < x.record_count(); ++i) {
    Status s = x.ReadRawRecord(i, &entry);
    if (!s.ok()) return s;
    if (CompareIndexKeys(index, header_, entry, key, nfields) != 0) break;
    // Each entry names its record; the record must say the same.
    uint32_t pos = 0;
    if (index.layout == IndexLayout::kPrimaryKey) {
      bool found = false;
      const std::string pk = entry.substr(key_size, key_size_);
      s = WithChainFallback([&] { return FindStoredKeyOnce(pk, &pos, &found); });
      if (!s.ok()) return s;
      if (!found) return Status::Corruption(xn, "names a record the table does not hold");
    } else {
      auto tup = DecodeInt(reinterpret_cast<const uint8_t*>(entry.data()) + key_size, 4);
      if (!tup || *tup < 1 || static_cast<uint32_t>(*tup) > record_count_)
        return Status::Corruption(xn, "names a record number the table does not have");
      pos = static_cast<uint32_t>(*tup - 1);
    }
    s = WithChainFallback([&] { return ReadRawRecordOnce(pos, &raw); });
    if (!s.ok()) return s;
    if (IndexKey(index, header_, raw, nfields) != key)
      return Status::Corruption(xn, "names record " + std::to_string(pos) + ", whose values differ");
    positions->push_back(pos);
  }
  std::sort(positions->begin(), positions->end());
  if (std::adjacent_find(positions->begin(), positions->end()) != positions->end())
    return Status::Corruption(xn, "lists a record twice");
  return Status::OK();
}

Status Table::FindEqual(size_t which, const std::vector<Value>& values, std::vector<uint32_t>* positions,
                        bool* used_index) {
  // One consistent version of the table and its index files: a change made
  // in place meanwhile makes the whole lookup run again on the new one.
  return Consistent([&] { return FindEqualOnce(which, values, positions, used_index); });
}

Status Table::FindEqualOnce(size_t which, const std::vector<Value>& values, std::vector<uint32_t>* positions,
                            bool* used_index) {
  positions->clear();
  if (used_index) *used_index = false;
  LoadSecondaryIndexes();
  if (which >= secondary_.size())
    return Status::InvalidArgument(name_, "no secondary index " + std::to_string(which));
  SecondaryIndexInfo& info = secondary_info_[which];
  if (info.fields.empty()) return info.status;  // not even its header could be read
  const SecondaryIndex& index = secondary_[which].index;
  if (values.empty() || values.size() > index.fields.size())
    return Status::InvalidArgument(name_, "index " + info.file + " has " +
                                              std::to_string(index.fields.size()) + " fields, " +
                                              std::to_string(values.size()) + " values given");
  // The values as a record would hold them, then as the index stores them.
  std::string record(header_.record_size, '\0');
  for (size_t i = 0; i < values.size(); ++i) {
    const FieldDef& fd = fields_[index.fields[i].field];
    Status s =
        EncodeField(fd, values[i], codec_.get(), reinterpret_cast<uint8_t*>(record.data()) + index.offsets[i],
                    name_ + ": field '" + fd.name + "'");
    if (!s.ok()) return s;
  }
  const std::string key = IndexKey(index, header_, record, values.size());

  if (info.status.ok()) {
    Status s = LookUpInIndex(which, key, values.size(), positions);
    if (s.ok()) {
      if (used_index) *used_index = true;
      return s;
    }
    // From now on the table is read instead.
    info.status = s;
    positions->clear();
  }
  std::string raw;
  for (uint32_t i = 0; i < record_count_; ++i) {
    Status s = WithChainFallback([&] { return ReadRawRecordOnce(i, &raw); });
    if (!s.ok()) return s;
    if (IndexKey(index, header_, raw, values.size()) == key) positions->push_back(i);
  }
  return Status::OK();
}

}  // namespace orba::pdx
