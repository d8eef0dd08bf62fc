#include "paradox/table.h"

#include <algorithm>
#include <cstring>

#include "paradox/coding.h"
#include "paradox/format.h"
#include "paradox/record_codec.h"

namespace orba::pdx {

namespace f = format;

Table::~Table() = default;

Status Table::Open(const std::string& path, const OpenOptions& options,
                   std::unique_ptr<Table>* out) {
  std::unique_ptr<Table> t(new Table());
  t->path_ = path;
  t->name_ = BaseName(path);
  t->env_ = options.env ? options.env : Env::Default();
  Status s = t->env_->OpenRandomAccess(path, &t->file_);
  if (!s.ok()) return s;
  s = ReadTableHeader(t->file_.get(), t->name_, HeaderKind::kTable, &t->header_);
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

  s = t->WalkChain();
  if (!s.ok()) return s;

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

  if (h.keyed()) {
    std::string px = FindCompanion(t->env_, path, "px");
    if (px.empty()) {
      t->index_status_ = Status::NotFound(BaseName(WithExtension(path, "px")),
                                          "primary index missing");
    } else {
      std::unique_ptr<RandomAccessFile> pxf;
      s = t->env_->OpenRandomAccess(px, &pxf);
      if (s.ok()) s = PrimaryIndex::Open(std::move(pxf), BaseName(px), h, &t->index_);
      t->index_status_ = s;
    }
  }
  *out = std::move(t);
  return Status::OK();
}

Status Table::WalkChain() {
  const TableHeader& h = header_;
  const uint64_t fsize = file_->Size();
  const size_t bs = h.block_size();
  const uint64_t present = fsize > h.header_size ? (fsize - h.header_size + bs - 1) / bs : 0;
  if (h.first_block == 0) {
    if (h.record_count != 0)
      return Status::Corruption(name_, "header counts " + std::to_string(h.record_count) +
                                           " records but the table has no data blocks");
    record_count_ = 0;
    return Status::OK();
  }
  std::vector<bool> seen(present + 1, false);
  uint32_t total = 0;
  uint16_t block = h.first_block;
  std::string head;
  while (block != 0) {
    if (block > present)
      return Status::Corruption(name_, "block chain points to block " + std::to_string(block) +
                                           " beyond the end of the file (" +
                                           std::to_string(present) + " blocks)");
    if (seen[block])
      return Status::Corruption(name_, "block chain loops back to block " +
                                           std::to_string(block));
    seen[block] = true;
    const uint64_t off = h.header_size + static_cast<uint64_t>(block - 1) * bs;
    Status s = file_->Read(off, f::kBlockHeaderSize, &head);
    if (!s.ok()) return s;
    if (head.size() < f::kBlockHeaderSize)
      return Status::Corruption(name_, "block " + std::to_string(block) + " is cut off");
    const int16_t last = static_cast<int16_t>(GetU16(head.data() + f::kBlockLastOffset));
    uint16_t n = 0;
    if (last >= 0) {
      if (last % h.record_size != 0 ||
          static_cast<size_t>(last) + h.record_size + f::kBlockHeaderSize > bs)
        return Status::Corruption(name_, "block " + std::to_string(block) +
                                             ": impossible last record offset " +
                                             std::to_string(last));
      n = static_cast<uint16_t>(last / h.record_size + 1);
      const uint64_t end = off + f::kBlockHeaderSize + static_cast<uint64_t>(n) * h.record_size;
      if (end > fsize)
        return Status::Corruption(name_, "block " + std::to_string(block) +
                                             ": records run past the end of the file");
    }
    if (n > 0) blocks_.push_back(Block{block, n, total});
    total += n;
    block = GetU16(head.data() + f::kBlockNext);
  }
  if (total != h.record_count)
    return Status::Corruption(name_, "header counts " + std::to_string(h.record_count) +
                                         " records but the data blocks hold " +
                                         std::to_string(total));
  record_count_ = total;
  return Status::OK();
}

std::string Table::table_name() const { return codec_->Decode(header_.table_name); }

int Table::FieldIndex(std::string_view name) const {
  for (size_t i = 0; i < fields_.size(); ++i)
    if (fields_[i].name == name) return static_cast<int>(i);
  return -1;
}

Status Table::LoadBlock(size_t pos) {
  if (cached_block_ == pos) return Status::OK();
  const Block& b = blocks_[pos];
  const uint64_t off = header_.header_size +
                       static_cast<uint64_t>(b.number - 1) * header_.block_size();
  const size_t len = f::kBlockHeaderSize + static_cast<size_t>(b.records) * header_.record_size;
  cached_block_ = SIZE_MAX;
  Status s = file_->Read(off, len, &block_data_);
  if (!s.ok()) return s;
  if (block_data_.size() != len)
    return Status::Corruption(name_, "block " + std::to_string(b.number) + " is cut off");
  cached_block_ = pos;
  return Status::OK();
}

Status Table::ReadRawRecord(uint32_t index, std::string* raw) {
  if (index >= record_count_)
    return Status::InvalidArgument(name_, "record " + std::to_string(index) +
                                              " does not exist (" +
                                              std::to_string(record_count_) + " records)");
  auto it = std::upper_bound(blocks_.begin(), blocks_.end(), index,
                             [](uint32_t i, const Block& b) { return i < b.first_record; });
  size_t pos = static_cast<size_t>(it - blocks_.begin()) - 1;
  Status s = LoadBlock(pos);
  if (!s.ok()) return s;
  size_t within = index - blocks_[pos].first_record;
  raw->assign(block_data_, f::kBlockHeaderSize + within * header_.record_size,
              header_.record_size);
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
  if (raw.size() != header_.record_size)
    return Status::InvalidArgument(name_, "record has the wrong size");
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
                                           std::to_string(d.length) +
                                           " bytes exceeds the in-record part");
    data.assign(reinterpret_cast<const char*>(p), d.length);
  } else {
    if (!blob_) return Status::NotFound(name_, "blob file missing");
    Status s = blob_->Read(d.location, d.length, &data);
    if (!s.ok())
      return Status(Status::Corruption(s.message(), "field '" + fd.name + "'"));
  }
  switch (fd.type) {
    case FieldType::kMemo:
      *out = Value::Text(codec_->Decode(data));
      break;
    case FieldType::kGraphic:
      // Graphics carry an 8-byte prefix whose second word is the picture's
      // length; the program wants the picture.
      if (data.size() >= f::kGraphicPrefix &&
          std::memcmp(data.data(), f::kGraphicPrefixBytes, 4) == 0 &&
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
    Status s = EncodeField(fields_[i], key[i], codec_.get(),
                           reinterpret_cast<uint8_t*>(bytes->data()) + offsets_[i],
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
  auto cmp_at = [&](uint32_t i, int* c) {
    std::string raw;
    Status st = ReadRawRecord(i, &raw);
    if (st.ok()) *c = std::memcmp(raw.data(), k.data(), key_size_);
    return st;
  };
  uint32_t lo = 0, hi = record_count_;
  // The index narrows the search to one block when it agrees with the data.
  if (index_) {
    uint16_t number = 0;
    if (index_->FindBlock(k, &number).ok()) {
      for (const Block& b : blocks_) {
        if (b.number != number) continue;
        int c_first = 0, c_last = 0;
        s = cmp_at(b.first_record, &c_first);
        if (!s.ok()) return s;
        s = cmp_at(b.first_record + b.records - 1, &c_last);
        if (!s.ok()) return s;
        if (c_first <= 0 && c_last >= 0) {
          lo = b.first_record;
          hi = b.first_record + b.records;
        }
        break;
      }
    }
  }
  while (lo < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    int c = 0;
    s = cmp_at(mid, &c);
    if (!s.ok()) return s;
    if (c < 0) lo = mid + 1;
    else hi = mid;
  }
  *index = lo;
  if (lo < record_count_) {
    int c = 0;
    s = cmp_at(lo, &c);
    if (!s.ok()) return s;
    *found = c == 0;
  }
  return Status::OK();
}

}  // namespace orba::pdx
