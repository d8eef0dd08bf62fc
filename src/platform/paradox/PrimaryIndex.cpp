#include "paradox/PrimaryIndex.h"

#include <algorithm>
#include <cstring>

#include "paradox/Coding.h"
#include "paradox/Format.h"

namespace orba::pdx {

namespace f = format;

namespace {

// The last of an index block's n entries (each rs bytes from `first`) whose
// key is <= key, or the first one when none is: entries are in key order, so
// a binary search finds it.
size_t LastEntryAtMost(const char* first, size_t n, size_t rs, const char* key, size_t klen) {
  size_t lo = 1, hi = n;
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    if (std::memcmp(first + mid * rs, key, klen) <= 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo - 1;
}

}  // namespace

PrimaryIndex::PrimaryIndex(std::unique_ptr<RandomAccessFile> file, std::string name, TableHeader header,
                           size_t key_size)
    : file_(std::move(file)), name_(std::move(name)), header_(std::move(header)), key_size_(key_size) {
  const uint64_t bs = header_.block_size();
  const uint64_t fsize = file_->Size();
  const uint64_t blocks = fsize > header_.header_size ? (fsize - header_.header_size + bs - 1) / bs : 0;
  cache_.resize(static_cast<size_t>(std::min<uint64_t>(blocks, f::kMaxBlockNumber)));
}

Status PrimaryIndex::Open(std::unique_ptr<RandomAccessFile> file, const std::string& name,
                          const TableHeader& table, std::unique_ptr<PrimaryIndex>* index, HeaderKind kind) {
  TableHeader h;
  Status s = ReadTableHeader(file.get(), name, kind, &h);
  if (!s.ok()) return s;
  if (h.field_count != table.key_field_count)
    return Status::Corruption(name, "index has " + std::to_string(h.field_count) + " key fields, the table " +
                                        std::to_string(table.key_field_count));
  size_t key_size = 0;
  for (size_t i = 0; i < h.field_count; ++i) {
    if (h.fields[i].type != table.fields[i].type || h.fields[i].size != table.fields[i].size)
      return Status::Corruption(name, "key field " + std::to_string(i + 1) + " differs from the table's");
    key_size += PhysicalSize(h.fields[i]);
  }
  if (h.index_levels == 0 || h.index_levels > 8)
    return Status::Corruption(name, "impossible number of index levels " + std::to_string(h.index_levels));
  const uint32_t per_block = static_cast<uint32_t>((h.block_size() - f::kBlockHeaderSize) / h.record_size);
  index->reset(new PrimaryIndex(std::move(file), name, std::move(h), key_size));
  (*index)->entries_per_block_ = std::max<uint32_t>(1, per_block);
  if (table.record_size > 0)
    (*index)->records_per_data_block_ = std::max<uint32_t>(
        1, static_cast<uint32_t>((table.block_size() - f::kBlockHeaderSize) / table.record_size));
  return Status::OK();
}

Status PrimaryIndex::ReadBlock(uint16_t block, const std::string** data, size_t* entries) {
  if (block == 0 || block > cache_.size())
    return Status::Corruption(name_, "index block " + std::to_string(block) + " is outside the file");
  CachedBlock& cb = cache_[block - 1u];
  if (cb.loaded) {
    *data = &cb.data;
    *entries = cb.entries;
    return Status::OK();
  }
  const size_t bs = header_.block_size();
  const uint64_t off = header_.header_size + static_cast<uint64_t>(block - 1) * bs;
  std::string d;
  ++reads_;
  Status s = file_->Read(off, bs, &d);
  if (!s.ok()) return s;
  if (d.size() < f::kBlockHeaderSize)
    return Status::Corruption(name_, "index block " + std::to_string(block) + " is cut off");
  size_t n = 0;
  const int16_t last = static_cast<int16_t>(GetU16(d.data() + f::kBlockLastOffset));
  if (last >= 0) {
    const size_t rs = header_.record_size;
    if (static_cast<size_t>(last) % rs != 0 ||
        f::kBlockHeaderSize + static_cast<size_t>(last) + rs > d.size())
      return Status::Corruption(name_, "index block " + std::to_string(block) +
                                           ": impossible last entry offset " + std::to_string(last));
    n = static_cast<size_t>(last) / rs + 1;
  }
  cb.data = std::move(d);
  cb.entries = n;
  cb.loaded = true;
  *data = &cb.data;
  *entries = n;
  return Status::OK();
}

Status PrimaryIndex::FindBlock(std::string_view key, uint16_t* data_block) {
  std::vector<std::pair<uint16_t, uint16_t>> path;
  return PathOfKey(key, &path, data_block);
}

namespace {

// The block and count words of an entry: S-encoded, read unsigned, as a
// writer stores values up to 65535 in them.
uint16_t EntryWord(const uint8_t* p) { return static_cast<uint16_t>(((p[0] << 8) | p[1]) ^ 0x8000); }

}  // namespace

Status PrimaryIndex::EntryRecords(uint16_t block, int level, size_t slot, uint32_t* records) {
  const std::string* data = nullptr;
  size_t n = 0;
  Status s = ReadBlock(block, &data, &n);
  if (!s.ok()) return s;
  if (slot >= n) return Status::Corruption(name_, "index block " + std::to_string(block) + " is too short");
  const uint8_t* e = reinterpret_cast<const uint8_t*>(data->data()) + f::kBlockHeaderSize +
                     slot * header_.record_size + key_size_;
  const uint32_t stored = EntryWord(e + 2);
  if (level == 1) {
    if (stored == 0 || stored > records_per_data_block_)
      return Status::Corruption(name_, "index block " + std::to_string(block) + ": an entry counts " +
                                           std::to_string(stored) + " records in one data block");
    *records = stored;
    return Status::OK();
  }
  // A sum is exact when the subtree below cannot hold more than 65535
  // records; otherwise the 16-bit field may have wrapped and the child is
  // counted instead.
  uint64_t bound = records_per_data_block_;
  for (int l = 1; l < level && bound <= 0xFFFF; ++l) bound *= entries_per_block_;
  if (bound <= 0xFFFF) {
    *records = stored;
    return Status::OK();
  }
  const uint16_t child = EntryWord(e);
  if (child == 0) return Status::Corruption(name_, "index entry with impossible block number");
  return SubtreeRecords(child, level - 1, records);
}

Status PrimaryIndex::SubtreeRecords(uint16_t block, int level, uint32_t* records) {
  const std::string* data = nullptr;
  size_t n = 0;
  Status s = ReadBlock(block, &data, &n);
  if (!s.ok()) return s;
  CachedBlock& cb = cache_[block - 1u];
  if (cb.counted) {
    *records = cb.records;
    return Status::OK();
  }
  if (n == 0) return Status::Corruption(name_, "empty index block " + std::to_string(block));
  uint64_t sum = 0;
  for (size_t i = 0; i < n; ++i) {
    uint32_t c = 0;
    s = EntryRecords(block, level, i, &c);
    if (!s.ok()) return s;
    sum += c;
  }
  if (sum > UINT32_MAX) return Status::Corruption(name_, "index counts more records than a table can hold");
  cb.counted = true;
  cb.records = static_cast<uint32_t>(sum);
  *records = cb.records;
  return Status::OK();
}

Status PrimaryIndex::RecordCount(uint32_t* total) {
  return SubtreeRecords(header_.index_root, header_.index_levels, total);
}

Status PrimaryIndex::MakeLeaf(uint16_t block, size_t slot, uint32_t first_record, Leaf* leaf) {
  const std::string* data = nullptr;
  size_t n = 0;
  Status s = ReadBlock(block, &data, &n);
  if (!s.ok()) return s;
  const char* e = data->data() + f::kBlockHeaderSize + slot * header_.record_size;
  const uint8_t* words = reinterpret_cast<const uint8_t*>(e) + key_size_;
  leaf->block = EntryWord(words);
  leaf->records = EntryWord(words + 2);
  leaf->first_record = first_record;
  leaf->key.assign(e, key_size_);
  if (leaf->block == 0) return Status::Corruption(name_, "index entry with impossible block number");
  return Status::OK();
}

Status PrimaryIndex::LeafOfRecord(uint32_t record, Leaf* leaf) {
  leaf->path.clear();
  uint16_t block = header_.index_root;
  uint32_t base = 0;
  for (int level = header_.index_levels; level >= 1;) {
    const std::string* data = nullptr;
    size_t n = 0;
    Status s = ReadBlock(block, &data, &n);
    if (!s.ok()) return s;
    bool descended = false;
    for (size_t i = 0; i < n && !descended; ++i) {
      uint32_t c = 0;
      s = EntryRecords(block, level, i, &c);
      if (!s.ok()) return s;
      if (record - base >= c) {
        base += c;
        continue;
      }
      leaf->path.emplace_back(block, static_cast<uint16_t>(i));
      if (level == 1) return MakeLeaf(block, i, base, leaf);
      const uint8_t* e = reinterpret_cast<const uint8_t*>(data->data()) + f::kBlockHeaderSize +
                         i * header_.record_size + key_size_;
      block = EntryWord(e);
      if (block == 0) return Status::Corruption(name_, "index entry with impossible block number");
      --level;
      descended = true;
    }
    if (!descended)
      return Status::Corruption(name_,
                                "index counts fewer records than record " + std::to_string(record + 1));
  }
  return Status::Corruption(name_, "index has no levels");
}

Status PrimaryIndex::PathOfKey(std::string_view key, std::vector<std::pair<uint16_t, uint16_t>>* path,
                               uint16_t* data_block) {
  path->clear();
  uint16_t block = header_.index_root;
  const size_t klen = std::min(key.size(), key_size_);
  const size_t rs = header_.record_size;
  for (int level = header_.index_levels; level >= 1; --level) {
    const std::string* data = nullptr;
    size_t n = 0;
    Status s = ReadBlock(block, &data, &n);
    if (!s.ok()) return s;
    if (n == 0) return Status::Corruption(name_, "empty index block " + std::to_string(block));
    const char* first = data->data() + f::kBlockHeaderSize;
    const size_t chosen = LastEntryAtMost(first, n, rs, key.data(), klen);
    path->emplace_back(block, static_cast<uint16_t>(chosen));
    block = EntryWord(reinterpret_cast<const uint8_t*>(first) + chosen * rs + key_size_);
    if (block == 0) return Status::Corruption(name_, "index entry with impossible block number");
  }
  *data_block = block;
  return Status::OK();
}

Status PrimaryIndex::LeafOfKey(std::string_view key, Leaf* leaf) {
  uint16_t data_block = 0;
  Status s = PathOfKey(key, &leaf->path, &data_block);
  if (!s.ok()) return s;
  // The leaf's first record: the records under every entry left of the path.
  uint32_t base = 0;
  for (size_t d = 0; d < leaf->path.size(); ++d) {
    const auto [block, slot] = leaf->path[d];
    const int level = header_.index_levels - static_cast<int>(d);
    for (size_t i = 0; i < slot; ++i) {
      uint32_t c = 0;
      s = EntryRecords(block, level, i, &c);
      if (!s.ok()) return s;
      base += c;
    }
  }
  const auto [block, slot] = leaf->path.back();
  return MakeLeaf(block, slot, base, leaf);
}

Status PrimaryIndex::LeafEntries(std::vector<std::pair<uint16_t, uint16_t>>* entries,
                                 std::vector<std::string>* keys) {
  entries->clear();
  if (keys) keys->clear();
  // Walk down the first entries to the leftmost leaf, then along the leaves.
  uint16_t block = header_.index_root;
  const std::string* data = nullptr;
  size_t n = 0;
  for (int level = header_.index_levels; level > 1; --level) {
    Status s = ReadBlock(block, &data, &n);
    if (!s.ok()) return s;
    if (n == 0) return Status::Corruption(name_, "empty index block");
    auto next =
        DecodeInt(reinterpret_cast<const uint8_t*>(data->data()) + f::kBlockHeaderSize + key_size_, 2);
    if (!next || *next <= 0) return Status::Corruption(name_, "impossible block number");
    block = static_cast<uint16_t>(*next);
  }
  std::vector<bool> seen(f::kMaxBlockNumber + 1);
  while (block != 0) {
    if (seen[block]) return Status::Corruption(name_, "index block chain loops");
    seen[block] = true;
    Status s = ReadBlock(block, &data, &n);
    if (!s.ok()) return s;
    const size_t rs = header_.record_size;
    for (size_t i = 0; i < n; ++i) {
      const uint8_t* e =
          reinterpret_cast<const uint8_t*>(data->data()) + f::kBlockHeaderSize + i * rs + key_size_;
      auto b = DecodeInt(e, 2), c = DecodeInt(e + 2, 2);
      entries->emplace_back(static_cast<uint16_t>(b.value_or(0)), static_cast<uint16_t>(c.value_or(0)));
      if (keys) keys->emplace_back(reinterpret_cast<const char*>(e) - key_size_, key_size_);
    }
    if (header_.index_levels == 1) break;
    block = GetU16(data->data() + f::kBlockNext);
  }
  return Status::OK();
}

Status PrimaryIndex::ChangedBlocks(const std::vector<LeafChange>& changes,
                                   std::map<uint16_t, std::string>* blocks) {
  const size_t rs = header_.record_size;
  for (const LeafChange& change : changes) {
    if (change.path.size() != header_.index_levels || change.first_key.size() != key_size_)
      return Status::InvalidArgument(name_, "an index change that does not fit the index");
    // The leaf entry's key is its data block's first key; an entry above
    // holds the first key of its child, so a new key climbs as long as it
    // is its block's first entry.
    bool heads = true;
    for (size_t d = change.path.size(); d-- > 0;) {
      const auto [block, slot] = change.path[d];
      auto it = blocks->find(block);
      if (it == blocks->end()) {
        const std::string* data = nullptr;
        size_t n = 0;
        Status s = ReadBlock(block, &data, &n);
        if (!s.ok()) return s;
        if (slot >= n)
          return Status::Corruption(name_, "index block " + std::to_string(block) + " is too short");
        it = blocks->emplace(block, *data).first;
      }
      auto* e = reinterpret_cast<uint8_t*>(it->second.data()) + f::kBlockHeaderSize + slot * rs;
      if (heads) std::memcpy(e, change.first_key.data(), key_size_);
      // Sums are 16-bit fields; a reader recounts those that may have wrapped.
      const int32_t count = static_cast<int32_t>(EntryWord(e + key_size_ + 2)) + change.records_added;
      EncodeInt(e + key_size_ + 2, 2, static_cast<int32_t>(static_cast<uint32_t>(count) & 0xFFFF));
      heads = heads && slot == 0;
    }
  }
  return Status::OK();
}

namespace {

void PutEntry(std::string* block, size_t slot, size_t rs, const std::string& key, uint16_t child,
              uint32_t count) {
  uint8_t* e = reinterpret_cast<uint8_t*>(block->data()) + f::kBlockHeaderSize + slot * rs;
  std::memcpy(e, key.data(), key.size());
  EncodeInt(e + key.size(), 2, child);
  // A 16-bit field: upper-level sums above 65535 cannot be represented and
  // wrap; readers only add up the leaf counts, which always fit.
  EncodeInt(e + key.size() + 2, 2, static_cast<int32_t>(count & 0xFFFF));
  EncodeInt(e + key.size() + 4, 2, 0);
}

}  // namespace

IndexTree LayOutIndexTree(const std::vector<std::string>& first_keys, const std::vector<uint16_t>& blocks,
                          const std::vector<uint16_t>& counts, size_t key_size, size_t block_size) {
  const size_t rs = key_size + f::kIndexEntryTrailer;
  const size_t per_block = (block_size - f::kBlockHeaderSize) / rs;
  struct Entry {
    std::string key;
    uint16_t child;
    uint32_t count;
  };
  std::vector<std::vector<Entry>> levels;  // levels[0] = leaf entries
  levels.emplace_back();
  for (size_t i = 0; i < blocks.size(); ++i) levels[0].push_back({first_keys[i], blocks[i], counts[i]});

  // Group each level into blocks; build the level above until one block.
  std::vector<std::vector<std::vector<Entry>>> grouped;
  for (;;) {
    auto& lvl = levels.back();
    std::vector<std::vector<Entry>> groups;
    for (size_t i = 0; i < lvl.size(); i += per_block)
      groups.emplace_back(lvl.begin() + static_cast<long>(i),
                          lvl.begin() + static_cast<long>(std::min(lvl.size(), i + per_block)));
    if (groups.empty()) groups.emplace_back();
    grouped.push_back(groups);
    if (groups.size() == 1) break;
    std::vector<Entry> up;
    for (auto& g : groups) {
      uint32_t sum = 0;
      for (auto& e : g) sum += e.count;
      up.push_back({g.front().key, 0, sum});
    }
    levels.push_back(std::move(up));
  }
  // Physical order: root level first, then each lower level.
  std::vector<std::vector<Entry>*> order;
  std::vector<uint16_t> first_number(grouped.size());
  uint16_t next_number = 1;
  for (size_t lv = grouped.size(); lv-- > 0;) {
    first_number[lv] = next_number;
    for (auto& g : grouped[lv]) {
      order.push_back(&g);
      ++next_number;
    }
  }
  // Upper entries point at their child's block number.
  for (size_t lv = 1; lv < grouped.size(); ++lv) {
    uint16_t child = first_number[lv - 1];
    for (auto& g : grouped[lv])
      for (auto& e : g) e.child = child++;
  }

  IndexTree tree;
  tree.levels = static_cast<uint8_t>(grouped.size());
  for (auto* g : order) tree.entries += static_cast<uint32_t>(g->size());
  if (blocks.empty()) return tree;  // no block at all, as in an empty table
  const uint16_t nblocks = static_cast<uint16_t>(order.size());
  tree.block_count = nblocks;
  tree.blocks.assign(static_cast<size_t>(nblocks) * block_size, '\0');
  for (uint16_t n = 1; n <= nblocks; ++n) {
    std::string blk(block_size, '\0');
    const auto& g = *order[n - 1];
    PutU16(blk.data() + f::kBlockNext, n < nblocks ? n + 1 : 0);
    PutU16(blk.data() + f::kBlockPrev, n - 1);
    PutU16(
        blk.data() + f::kBlockLastOffset,
        static_cast<uint16_t>(static_cast<int16_t>((static_cast<int>(g.size()) - 1) * static_cast<int>(rs))));
    for (size_t i = 0; i < g.size(); ++i) PutEntry(&blk, i, rs, g[i].key, g[i].child, g[i].count);
    std::memcpy(tree.blocks.data() + (n - 1) * block_size, blk.data(), block_size);
  }
  return tree;
}

void PutIndexTreeHeader(uint8_t* h, const IndexTree& tree, uint8_t stamp) {
  const uint16_t used = tree.block_count;
  PutU32(h + f::kRecordCount, tree.entries);
  PutU16(h + f::kUsedBlocks, used);
  PutU16(h + f::kFileBlocks, used);
  PutU16(h + f::kFirstBlock, used == 0 ? 0 : 1);
  PutU16(h + f::kLastBlock, used);
  PutU16(h + f::kMaxBlocks, used);
  PutU16(h + f::kFirstFreeBlock, 0);
  PutU16(h + f::kIndexRoot, 1);
  h[f::kIndexLevels] = tree.levels;
  h[f::kIndexStamp] = stamp;
}

uint8_t IndexTreeBlockSizeCode(uint8_t code, size_t entry_size, size_t min_entries) {
  while (code < 32 && (code * 1024u - f::kBlockHeaderSize) / entry_size < min_entries) code *= 2;
  return code;
}

std::string NewIndexTreeHeader(const TableHeader& over, size_t key_fields, uint8_t file_type, uint8_t code,
                               const std::string& file_name) {
  const size_t k = key_fields;
  size_t key_size = 0;
  for (size_t i = 0; i < k; ++i) key_size += PhysicalSize(over.fields[i]);
  const size_t name_len = over.version >= f::kVersion7 ? f::kTableNameLength7 : f::kTableNameLength3to5;
  const size_t real_end = f::kFixedHeaderEnd + 2u * k + 4 + name_len;
  const size_t hs = over.header_size % 2048 == 0 ? 2048 * ((real_end + 2047) / 2048) : real_end;
  std::string out(hs, '\0');
  uint8_t* h = reinterpret_cast<uint8_t*>(out.data());
  PutU16(h + f::kRecordSize, static_cast<uint16_t>(key_size + f::kIndexEntryTrailer));
  PutU16(h + f::kHeaderSize, static_cast<uint16_t>(hs));
  h[f::kFileType] = file_type;
  h[f::kBlockSizeCode] = code;
  PutU16(h + f::kUnknown12, 17);
  PutU16(h + f::kFieldCount, static_cast<uint16_t>(k));
  h[f::kSortOrder] = over.sort_order;
  h[f::kFileVersion] = over.version;
  PutU16(h + f::kRealHeaderSize, over.version == f::kVersion30 ? 0 : static_cast<uint16_t>(real_end));
  for (size_t i = 0; i < k; ++i) {
    h[f::kFixedHeaderEnd + 2 * i] = static_cast<uint8_t>(over.fields[i].type);
    h[f::kFixedHeaderEnd + 2 * i + 1] = over.fields[i].size;
  }
  std::string tname = file_name;
  if (tname.size() >= name_len) tname.resize(name_len - 1);
  std::memcpy(h + f::kFixedHeaderEnd + 2 * k + 4, tname.data(), tname.size());
  return out;
}

std::string BuildPrimaryIndex(const TableHeader& table, const std::vector<std::string>& first_keys,
                              const std::vector<uint16_t>& blocks, const std::vector<uint16_t>& counts,
                              uint8_t stamp) {
  const size_t k = table.key_field_count;
  size_t key_size = 0;
  for (size_t i = 0; i < k; ++i) key_size += PhysicalSize(table.fields[i]);
  // Smallest block size that keeps the tree within a few levels.
  const uint8_t code = IndexTreeBlockSizeCode(table.block_size_code, key_size + f::kIndexEntryTrailer, 8);
  std::string tname = table.table_name;
  size_t dot = tname.rfind('.');
  if (dot != std::string::npos) tname = tname.substr(0, dot);
  std::string out = NewIndexTreeHeader(table, k, f::kFileTypePrimaryIndex, code, tname + ".PX");
  const IndexTree tree = LayOutIndexTree(first_keys, blocks, counts, key_size, code * 1024u);
  PutIndexTreeHeader(reinterpret_cast<uint8_t*>(out.data()), tree, stamp);
  return out + tree.blocks;
}

}  // namespace orba::pdx
