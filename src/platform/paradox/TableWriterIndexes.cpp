// The writer's in-place path for tables with secondary indexes: a commit of
// inserts, updates and deletes keeps each index's X and Y files in step with
// the .DB under the same journal, writing only the blocks that change (see
// TableWriter.h). The entries of updated and deleted records go first (an
// updated record's new entry is placed like a new one's). An X block left
// without entries leaves the chain and goes onto the X file's free list, as
// an emptied .DB block does (the chain's first block, where readers start,
// takes the entries of the block after it, which goes instead); splits take
// free blocks before the file grows.
//
// An X file is a block chain like a .DB, in the index's order: the indexed
// values, ties broken by the primary key (or the record number), which is
// the table's own order. So each new entry has one place, found through the
// Y file's leaves (the first entry of every X block), and goes into that
// block; a block that overflows is split as the .DB's are, into blocks taken
// at the end of the file, linked into the chain right after it. A record
// that a .DB split moved keeps its entry, whose block number (and offset)
// is rewritten. The Y file is laid out again over the new list of X blocks,
// as a whole rewrite lays it out, and only its blocks that differ are
// written. The headers get the counts, block numbers, time and stamps a
// whole rewrite would give them. Along its chain the X file then lists
// exactly the entries BuildSecondaryIndex makes from the same table (only
// its blocks differ: not all full, not in file order), and the Y file is
// the tree a whole rewrite lays out over those blocks.
#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_map>

#include "paradox/Coding.h"
#include "paradox/CommitFreeList.h"
#include "paradox/Format.h"
#include "paradox/Journal.h"
#include "paradox/PrimaryIndex.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {

namespace f = format;

namespace {

// A file already read whole, for PrimaryIndex to parse.
class BytesFile final : public RandomAccessFile {
 public:
  explicit BytesFile(std::shared_ptr<const std::string> data) : data_(std::move(data)) {}
  Status Read(uint64_t offset, size_t n, std::string* out) override {
    out->clear();
    if (offset < data_->size()) out->assign(*data_, offset, n);
    return Status::OK();
  }
  uint64_t Size() const override { return data_->size(); }

 private:
  std::shared_ptr<const std::string> data_;
};

Status ReadWhole(Env* env, const std::string& path, std::string* out) {
  std::unique_ptr<RandomAccessFile> file;
  Status s = env->OpenRandomAccess(path, &file);
  if (s.ok()) s = file->Read(0, file->Size(), out);
  return s;
}

// Opens an index's X file, checks that its header is still the one the
// writer read, and reads its Y file whole (*y) with the leaves it lists:
// each X block in chain order with its entry count and first entry's key.
// Corruption when they do not describe each other.
Status ReadIndexFiles(Env* env, const SecondaryIndex& index, std::unique_ptr<RandomAccessFile>* x,
                      std::shared_ptr<const std::string>* y, std::unique_ptr<PrimaryIndex>* tree,
                      std::vector<std::pair<uint16_t, uint16_t>>* leaves,
                      std::vector<std::string>* first_keys) {
  const std::string xn = BaseName(index.files.x);
  leaves->clear();
  first_keys->clear();
  Status s = env->OpenRandomAccess(index.files.x, x);
  std::string head;
  if (s.ok()) s = (*x)->Read(0, index.x.header_size, &head);
  if (!s.ok()) return s;
  if (head != index.x.raw) return Status::Corruption(xn, "changed since the table was opened");
  auto bytes = std::make_shared<std::string>();
  s = ReadWhole(env, index.files.y, bytes.get());
  if (!s.ok()) return s;
  *y = bytes;
  s = PrimaryIndex::Open(std::make_unique<BytesFile>(*y), BaseName(index.files.y), index.x, tree,
                         HeaderKind::kSecondaryIndexTree);
  if (s.ok()) s = (*tree)->LeafEntries(leaves, first_keys);
  if (!s.ok()) return Status::Corruption(xn, "its tree cannot be read (" + s.message() + ")");
  uint64_t listed = 0;
  for (const auto& [block, count] : *leaves) listed += count;
  if (listed != index.x.record_count || first_keys->size() != leaves->size() || leaves->empty())
    return Status::Corruption(xn, "its tree does not list its entries");
  // Each leaf a block of the X file, once, with entries it can hold.
  const size_t per_block = (index.x.block_size() - f::kBlockHeaderSize) / index.x.record_size;
  std::vector<bool> seen(size_t{index.x.file_blocks} + 1);
  for (const auto& [block, count] : *leaves) {
    if (block == 0 || block > index.x.file_blocks || seen[block] || count == 0 || count > per_block)
      return Status::Corruption(xn, "its tree names block " + std::to_string(block) + " with " +
                                        std::to_string(count) + " entries, which it cannot be");
    seen[block] = true;
  }
  return Status::OK();
}

// One X block being changed: its entries in order and its links.
struct WorkBlock {
  uint16_t number = 0;
  uint16_t next = 0;
  uint16_t prev = 0;
  size_t stored = 0;        // entries it held
  std::string stored_last;  // the last of them
  std::vector<std::string> entries;
};

}  // namespace

bool TableWriter::IndexesFitInPlace() const {
  const TableHeader& h = table_->header();
  for (const SecondaryIndex& index : indexes_) {
    if (!index.has_tree()) return false;
    // Record numbers in a keyed table follow the key: an insert would
    // renumber every entry after it.
    if (index.layout != (h.keyed() ? IndexLayout::kPrimaryKey : IndexLayout::kRecordNumber)) return false;
    // Orders checked over the whole table at each commit (BuildSecondaryIndex):
    // values that must stay distinct, and a case-sensitive alpha index under
    // a sort order whose treatment of case is not known.
    if (static_cast<uint8_t>(index.x.raw[f::kIndexFlags]) & f::kIndexDistinct) return false;
    if (h.sort_order != 0 && index.letter_case == LetterCase::kSensitive)
      for (const IndexedField& fl : index.fields)
        if (h.fields[fl.field].type == FieldType::kAlpha) return false;
    // Current: every record listed, built with the table as it stands.
    if (index.x.record_count != table_->record_count()) return false;
    const uint8_t stamp = h.change_count;
    if (index.primary_stamp() != stamp || index.change_stamp() != stamp || index.tree_stamp() != stamp)
      return false;
  }
  return true;
}

void TableWriter::NotePlaced(const std::string& image, const std::vector<std::string_view>& rows,
                             size_t first, size_t count, uint16_t block, bool moved,
                             std::vector<PlacedInPlace>* placed) {
  const char* begin = image.data();
  const char* end = begin + image.size();
  for (size_t i = 0; i < count; ++i) {
    const std::string_view row = rows[first + i];
    const bool stored = row.data() >= begin && row.data() < end;
    if (stored && !moved) continue;
    placed->push_back({std::string(row), block, static_cast<uint16_t>(i), !stored});
  }
}

Status TableWriter::KeepIndexesInPlace(const std::vector<PlacedInPlace>& placed,
                                       const std::vector<std::string>& removed, uint8_t stamp, uint32_t now,
                                       Journal* journal,
                                       std::vector<std::pair<std::string, uint64_t>>* sizes) {
  const TableHeader& h = table_->header();
  const size_t table_key = table_->key_size();
  const uint32_t old_records = table_->record_count();
  int64_t added_records = -static_cast<int64_t>(removed.size());
  for (const PlacedInPlace& p : placed) added_records += p.is_new;

  for (const SecondaryIndex& index : indexes_) {
    const TableHeader& x = index.x;
    const std::string xn = BaseName(index.files.x);
    auto damaged = [&](const std::string& why) {
      return Status::Corruption(xn, "not stored: the index " + why);
    };
    const size_t n = index.fields.size();
    const size_t rs = x.record_size, bs = x.block_size();
    const size_t per_block = (bs - f::kBlockHeaderSize) / rs;
    const size_t key_size = index.key_size();
    // An entry's place is given by all its fields but the last (Blk Num or
    // Tup Offset): the indexed values, then the primary key or Tup No.
    const size_t tree_key = rs - PhysicalSize(x.fields.back());
    auto order = [&](std::string_view a, std::string_view b) {
      const int c = CompareIndexKeys(index, h, a, b, n);
      if (c != 0) return c;
      const int t = std::memcmp(a.data() + key_size, b.data() + key_size, tree_key - key_size);
      return t < 0 ? -1 : (t > 0 ? 1 : 0);
    };
    const size_t block_at = index.layout == IndexLayout::kPrimaryKey ? key_size + table_key : key_size + 4;

    // As CheckIndexFilesInPlace read them just before.
    if (index_files_.size() != indexes_.size()) {
      Status s = CheckIndexFilesInPlace();
      if (!s.ok()) return s;
    }
    IndexFilesRead& read = index_files_[&index - indexes_.data()];
    RandomAccessFile* xf = read.x.get();
    const std::string& old_y = *read.y;
    const std::vector<std::pair<uint16_t, uint16_t>>& leaves = read.leaves;
    std::vector<std::string>& first_keys = read.first_keys;
    Status s;

    // The X blocks this commit changes, by their place in the chain.
    std::map<size_t, WorkBlock> work;
    auto leaf_of = [&](std::string_view entry) {
      // The last leaf whose first entry is not above `entry` (the first leaf
      // for an entry before every one).
      size_t lo = 0, hi = leaves.size();
      while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (order(first_keys[mid], entry) <= 0)
          lo = mid + 1;
        else
          hi = mid;
      }
      return lo == 0 ? size_t{0} : lo - 1;
    };
    auto load = [&](size_t leaf, WorkBlock** out) -> Status {
      auto it = work.find(leaf);
      if (it == work.end()) {
        const auto [number, count] = leaves[leaf];
        if (number == 0 || count == 0 || count > per_block) return damaged("tree names an impossible block");
        std::string image;
        Status r = xf->Read(x.header_size + static_cast<uint64_t>(number - 1) * bs,
                            f::kBlockHeaderSize + size_t{count} * rs, &image);
        if (!r.ok()) return r;
        if (image.size() != f::kBlockHeaderSize + size_t{count} * rs) return damaged("file is cut off");
        const auto* p = reinterpret_cast<const uint8_t*>(image.data());
        if (static_cast<int16_t>(GetU16(p + f::kBlockLastOffset)) != static_cast<int32_t>((count - 1) * rs))
          return damaged("block " + std::to_string(number) +
                         " holds another number of entries than its tree says");
        WorkBlock w;
        w.number = number;
        w.next = GetU16(p + f::kBlockNext);
        w.prev = GetU16(p + f::kBlockPrev);
        w.stored = count;
        for (size_t i = 0; i < count; ++i)
          w.entries.push_back(image.substr(f::kBlockHeaderSize + i * rs, rs));
        w.stored_last = w.entries.back();
        it = work.emplace(leaf, std::move(w)).first;
      }
      *out = &it->second;
      return Status::OK();
    };

    // The entries of records updated or deleted go first: an updated
    // record's new entry is among the placed ones.
    for (const std::string& raw : removed) {
      std::string entry(rs, '\0');
      const std::string key = IndexKey(index, h, raw, n);
      std::memcpy(entry.data(), key.data(), key_size);
      std::memcpy(entry.data() + key_size, raw.data(), table_key);
      WorkBlock* w = nullptr;
      s = load(leaf_of(entry), &w);
      if (!s.ok()) return s;
      auto at = std::lower_bound(w->entries.begin(), w->entries.end(), entry,
                                 [&](const std::string& a, const std::string& b) { return order(a, b) < 0; });
      if (at == w->entries.end() || order(*at, entry) != 0)
        return damaged("does not list a record of the table");
      w->entries.erase(at);
    }

    // The entry of every placed record: moved ones are found and pointed at
    // their new block, new ones put in their place.
    uint32_t next_number = old_records;
    for (const PlacedInPlace& p : placed) {
      std::string entry(rs, '\0');
      const std::string key = IndexKey(index, h, p.raw, n);
      std::memcpy(entry.data(), key.data(), key_size);
      auto* tail = reinterpret_cast<uint8_t*>(entry.data()) + key_size;
      if (index.layout == IndexLayout::kPrimaryKey) {
        std::memcpy(tail, p.raw.data(), table_key);
        EncodeInt(tail + table_key, 2, p.block);
      } else {
        // Unkeyed tables only append, and never move a stored record.
        if (!p.is_new) return damaged("would have to renumber its records");
        EncodeInt(tail, 4, static_cast<int32_t>(++next_number));
        EncodeInt(tail + 4, 2, p.block);
        EncodeInt(tail + 6, 2, static_cast<int32_t>(p.slot * h.record_size));
      }
      WorkBlock* w = nullptr;
      s = load(leaf_of(entry), &w);
      if (!s.ok()) return s;
      auto at = std::lower_bound(w->entries.begin(), w->entries.end(), entry,
                                 [&](const std::string& a, const std::string& b) { return order(a, b) < 0; });
      const bool there = at != w->entries.end() && order(*at, entry) == 0;
      if (p.is_new) {
        if (there) return damaged("lists a record being added");
        w->entries.insert(at, std::move(entry));
      } else {
        if (!there) return damaged("does not list a record of the table");
        at->replace(block_at, rs - block_at, entry, block_at, rs - block_at);
      }
    }

    // The changed blocks, split where they overflow, and the new list of
    // leaves for the Y file.
    const uint32_t file_blocks = std::max<uint32_t>(
        x.file_blocks,
        static_cast<uint32_t>(xf->Size() > x.header_size ? (xf->Size() - x.header_size + bs - 1) / bs : 0));
    const JournalImage::File xid =
        static_cast<JournalImage::File>(JournalImage::kFirstNamed + journal->named.size());
    const JournalImage::File yid = static_cast<JournalImage::File>(xid + 1);
    journal->named.push_back(BaseName(index.files.x));
    journal->named.push_back(BaseName(index.files.y));
    std::vector<std::string> new_keys;
    std::vector<uint16_t> new_blocks, new_counts;
    std::unordered_map<uint16_t, uint16_t> prev_fix;  // block -> its new prev link
    uint16_t new_last = 0;
    // The X file's free list as the commit leaves it (see the .DB's).
    CommitFreeList free_list(x.first_free_block, file_blocks);
    uint32_t pieces = 0;
    const CommitFreeList::ReadNext next_free = [&](uint16_t block, uint16_t* next) {
      std::string link;
      Status r = xf->Read(x.header_size + static_cast<uint64_t>(block - 1) * bs + f::kBlockNext, 2, &link);
      if (!r.ok()) return r;
      if (link.size() != 2) return damaged("file is cut off");
      *next = GetU16(link.data());
      return Status::OK();
    };

    auto free_block = [&](uint16_t number, uint16_t prev) {
      journal->images.push_back({xid, false, x.header_size + static_cast<uint64_t>(number - 1) * bs,
                                 free_list.Put(number, prev, rs)});
    };

    // The chain's first block, once emptied, while it waits for the entries
    // of the block after it (0: none waits).
    uint16_t refill = 0;
    for (size_t leaf = 0; leaf < leaves.size(); ++leaf) {
      auto it = work.find(leaf);
      if (it == work.end()) {
        new_keys.push_back(std::move(first_keys[leaf]));
        new_blocks.push_back(leaves[leaf].first);
        new_counts.push_back(leaves[leaf].second);
        continue;
      }
      WorkBlock& w = it->second;
      if (auto fix = prev_fix.find(w.number); fix != prev_fix.end()) {
        w.prev = fix->second;
        prev_fix.erase(fix);
      }
      // The block after an emptied first block: its entries go into the
      // first block (where readers start), and it goes onto the free list.
      const bool relocated = refill != 0;
      const uint16_t home = relocated ? refill : w.number;
      if (relocated) {
        free_block(w.number, w.prev);
        w.prev = 0;
        refill = 0;
      }
      if (w.entries.empty() && w.prev == 0) {
        // The first block emptied: it takes the next block's entries (the
        // whole index emptied takes the whole rewrite).
        if (leaf + 1 == leaves.size()) {
          index_files_.clear();
          return Status::NotSupported(xn, "every entry of the index would go");
        }
        refill = home;
        WorkBlock* next = nullptr;
        s = load(leaf + 1, &next);
        if (!s.ok()) return s;
        continue;
      }
      if (w.entries.empty()) {
        // Out of the chain, onto the free list.
        std::string link(2, '\0');
        PutU16(link.data(), w.next);
        journal->images.push_back(
            {xid, false, x.header_size + static_cast<uint64_t>(w.prev - 1) * bs + f::kBlockNext, link});
        if (w.next != 0)
          prev_fix[w.next] = w.prev;
        else
          new_last = w.prev;
        free_block(w.number, w.prev);
        continue;
      }
      // As in the .DB: an overflowing block is split evenly, unless entries
      // were only added after the last one of the index, which fill blocks.
      const bool at_end =
          w.next == 0 && w.entries.size() >= w.stored && w.entries[w.stored - 1] == w.stored_last;
      const std::vector<size_t> counts = SplitSizes(w.entries.size(), per_block, at_end);
      std::vector<uint16_t> numbers{home};
      s = free_list.Take(xn, next_free, counts.size() - 1, &numbers);
      if (!s.ok()) return s;
      pieces += static_cast<uint32_t>(counts.size() - 1);
      size_t first = 0;
      for (size_t c = 0; c < counts.size(); ++c) {
        std::string block(bs, '\0');
        auto* b = reinterpret_cast<uint8_t*>(block.data());
        PutU16(b + f::kBlockNext, c + 1 < counts.size() ? numbers[c + 1] : w.next);
        PutU16(b + f::kBlockPrev, c == 0 ? w.prev : numbers[c - 1]);
        PutU16(b + f::kBlockLastOffset, static_cast<uint16_t>((counts[c] - 1) * rs));
        for (size_t i = 0; i < counts[c]; ++i)
          std::memcpy(b + f::kBlockHeaderSize + i * rs, w.entries[first + i].data(), rs);
        new_keys.push_back(w.entries[first].substr(0, tree_key));
        new_blocks.push_back(numbers[c]);
        new_counts.push_back(static_cast<uint16_t>(counts[c]));
        first += counts[c];
        journal->images.push_back(
            {xid, false, x.header_size + static_cast<uint64_t>(numbers[c] - 1) * bs, std::move(block)});
      }
      if (numbers.size() > 1 || relocated) {
        if (w.next != 0)
          prev_fix[w.next] = numbers.back();
        else
          new_last = numbers.back();
      }
    }
    // Blocks after a split one that this commit does not otherwise write.
    for (const auto& [block, prev] : prev_fix) {
      std::string link(2, '\0');
      PutU16(link.data(), prev);
      journal->images.push_back(
          {xid, false, x.header_size + static_cast<uint64_t>(block - 1) * bs + f::kBlockPrev, link});
    }

    // The X header: what a whole rewrite would say, but for the blocks.
    const uint32_t total_blocks = free_list.total_blocks();
    const uint32_t added = total_blocks - file_blocks;
    std::string head = x.raw;
    auto* hp = reinterpret_cast<uint8_t*>(head.data());
    PutU32(hp + f::kRecordCount, static_cast<uint32_t>(x.record_count + added_records));
    PutU16(hp + f::kUsedBlocks, static_cast<uint16_t>(x.used_blocks + pieces - free_list.freed()));
    PutU16(hp + f::kFirstFreeBlock, free_list.head());
    if (added > 0) {
      PutU16(hp + f::kFileBlocks, static_cast<uint16_t>(total_blocks));
      PutU16(hp + f::kMaxBlocks,
             static_cast<uint16_t>(std::max<uint32_t>(GetU16(hp + f::kMaxBlocks), total_blocks)));
    }
    if (new_last != 0) PutU16(hp + f::kLastBlock, new_last);
    hp[f::kChangeCount1] = stamp;
    hp[f::kPrimaryStamp] = stamp;
    PutU32(hp + f::kUpdateTime, now);
    journal->images.push_back({xid, false, 0, std::move(head)});
    sizes->emplace_back(index.files.x, x.header_size + static_cast<uint64_t>(total_blocks) * bs);

    // The Y file. While the X file keeps its blocks, only the entries on the
    // paths to the changed blocks change (and the header's stamp), as in the
    // .PX; otherwise it is laid out again over the new blocks, as a whole
    // rewrite lays it out, and only the blocks that differ from the file's
    // are written. Either way it is the tree a layout of the X chain makes.
    const uint8_t code = IndexTreeBlockSizeCode(index.y.block_size_code, tree_key + f::kIndexEntryTrailer, 2);
    if (pieces == 0 && free_list.freed() == 0 && code == index.y.block_size_code) {
      std::vector<uint32_t> first_entry(leaves.size());
      for (size_t l = 1; l < leaves.size(); ++l) first_entry[l] = first_entry[l - 1] + leaves[l - 1].second;
      std::vector<PrimaryIndex::LeafChange> changes;
      for (const auto& [leaf, w] : work) {
        PrimaryIndex::Leaf at;
        s = read.tree->LeafOfRecord(first_entry[leaf], &at);
        if (!s.ok()) return s;
        if (at.block != w.number) return damaged("tree does not place its blocks");
        changes.push_back({std::move(at.path),
                           static_cast<int32_t>(w.entries.size()) - static_cast<int32_t>(leaves[leaf].second),
                           w.entries.front().substr(0, tree_key)});
      }
      std::map<uint16_t, std::string> blocks;
      s = read.tree->ChangedBlocks(changes, &blocks);
      if (!s.ok()) return damaged("tree cannot be changed (" + s.message() + ")");
      for (auto& [number, image] : blocks)
        journal->images.push_back({yid, false,
                                   index.y.header_size + static_cast<uint64_t>(number - 1) * code * 1024u,
                                   std::move(image)});
      std::string head = index.y.raw;
      head[f::kIndexStamp] = static_cast<char>(stamp);
      journal->images.push_back({yid, false, 0, std::move(head)});
      sizes->emplace_back(index.files.y, old_y.size());
      continue;
    }
    std::string made = index.y.raw;
    made[f::kBlockSizeCode] = static_cast<char>(code);
    const IndexTree laid = LayOutIndexTree(new_keys, new_blocks, new_counts, tree_key, code * 1024u);
    PutIndexTreeHeader(reinterpret_cast<uint8_t*>(made.data()), laid, stamp);
    made += laid.blocks;
    for (size_t at = 0; at < made.size();) {
      const size_t len = std::min<size_t>(made.size() - at, at == 0 ? index.y.header_size : code * 1024u);
      if (at + len > old_y.size() || old_y.compare(at, len, made, at, len) != 0)
        journal->images.push_back({yid, false, at, made.substr(at, len)});
      at += len;
    }
    if (made.size() < old_y.size()) journal->images.push_back({yid, true, made.size(), {}});
    sizes->emplace_back(index.files.y, made.size());
  }
  index_files_.clear();
  return Status::OK();
}

Status TableWriter::CheckIndexFilesInPlace() {
  index_files_.clear();
  std::vector<IndexFilesRead> read(indexes_.size());
  for (size_t i = 0; i < indexes_.size(); ++i) {
    const SecondaryIndex& index = indexes_[i];
    IndexFilesRead& r = read[i];
    Status s = ReadIndexFiles(env_, index, &r.x, &r.y, &r.tree, &r.leaves, &r.first_keys);
    if (!s.ok()) {
      repairs_.push_back("its index " + BaseName(index.files.x) + " was damaged (" + s.message() +
                         ") and has been rebuilt");
      return s;
    }
  }
  index_files_ = std::move(read);
  return Status::OK();
}

Status TableWriter::ReloadIndexesAfterInPlaceCommit() {
  Status s = LoadSecondaryIndexes();
  if (s.ok() && (!repairs_.empty() || !IndexesFitInPlace())) s = LoadRows();
  return s;
}

}  // namespace orba::pdx
