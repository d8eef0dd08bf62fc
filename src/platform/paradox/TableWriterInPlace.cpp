// The writer's in-place path: inserts into a table without secondary
// indexes and without blob fields, committed by writing only the blocks
// they change through a journal (see Journal.h and TableWriter.h).
//
// Open reads the header and (keyed tables) the .PX, not the records. An
// insert finds its position through the .PX (Table::FindStoredKey) and
// waits in pending_ until the commit, which:
//   1. reads the data blocks the inserts go to (the .PX's leaf for each key;
//      unkeyed tables append to the chain's last block), merges the new
//      records in and, when a block overflows, splits it into blocks taken
//      at the end of the file, linked into the chain right after it;
//   2. builds the .PX for the new block list and keeps only its blocks that
//      differ from the file's (the path's leaf and root when no block was
//      added; most of it when one was, which is what the format's fixed
//      two-level shape costs);
//   3. makes the files as long as they will be, with zeros, synced, so that
//      the space a commit needs is taken before its commit point (a full
//      disk then leaves the table as it was);
//   4. writes the journal (whole blocks, the .DB header with the new
//      counts, change counter and time, the .PX blocks) and syncs it: the
//      commit point; then writes the images into the files, syncs them and
//      removes the journal.
#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <unordered_map>

#include "paradox/Coding.h"
#include "paradox/Format.h"
#include "paradox/Journal.h"
#include "paradox/PrimaryIndex.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {

namespace f = format;

namespace {

// Makes `path` `size` bytes long with zeros after its current end, synced:
// the blocks are the file's before the commit point, so writing them later
// cannot run out of space. *old_size receives the size it had.
Status Reserve(Env* env, const std::string& path, uint64_t size, uint64_t* old_size) {
  std::unique_ptr<WritableFile> file;
  Status s = env->OpenWritable(path, false, &file);
  if (!s.ok()) return s;
  *old_size = file->Size();
  // Known from here: the caller cuts the file back to it on a later failure.
  if (size <= *old_size) return Status::OK();
  s = file->Write(*old_size, std::string(size - *old_size, '\0'));
  if (s.ok()) s = file->Sync();
  if (!s.ok()) file->Truncate(*old_size);
  return s;
}

void CutBack(Env* env, const std::string& path, uint64_t size) {
  std::unique_ptr<WritableFile> file;
  if (env->OpenWritable(path, false, &file).ok() && file->Size() > size) {
    file->Truncate(size);
    file->Sync();
  }
}

// A data block that receives new records, and what the commit makes of it.
struct InsertTarget {
  uint16_t block = 0;
  uint16_t count = 0;
  std::vector<std::pair<uint16_t, uint16_t>> path;  // of its .PX entry
  std::vector<std::string> incoming;
  // One block, or several after a split: numbers, counts, first keys.
  std::vector<uint16_t> numbers, counts;
  std::vector<std::string> first_keys;
};

// The .PX of a chain that kept its blocks: the entries on the changed
// blocks' paths and the header's stamp.
Status PatchPrimaryIndex(PrimaryIndex* px, const std::vector<InsertTarget>& targets, uint8_t stamp,
                         Journal* journal) {
  std::vector<PrimaryIndex::LeafChange> changes;
  for (const InsertTarget& t : targets)
    changes.push_back({t.path, static_cast<int32_t>(t.counts.front()) - t.count, t.first_keys.front()});
  std::map<uint16_t, std::string> blocks;
  Status s = px->ChangedBlocks(changes, &blocks);
  if (!s.ok()) return s;
  const TableHeader& ph = px->header();
  for (auto& [number, image] : blocks)
    journal->images.push_back({JournalImage::kPrimaryIndex, false,
                               ph.header_size + static_cast<uint64_t>(number - 1) * ph.block_size(),
                               std::move(image)});
  std::string head = ph.raw;
  head[f::kIndexStamp] = static_cast<char>(stamp);
  journal->images.push_back({JournalImage::kPrimaryIndex, false, 0, std::move(head)});
  return Status::OK();
}

// The .PX of a chain that gained blocks, laid out again from every leaf
// entry; only the blocks that differ from the file's are journalled.
Status RelayPrimaryIndex(Env* env, PrimaryIndex* px, const TableHeader& h,
                         const std::vector<InsertTarget>& targets, uint8_t stamp, const std::string& px_path,
                         Journal* journal, uint64_t* px_size) {
  std::vector<std::pair<uint16_t, uint16_t>> entries;
  std::vector<std::string> keys;
  Status s = px->LeafEntries(&entries, &keys);
  if (!s.ok()) return s;
  std::unordered_map<uint16_t, const InsertTarget*> changed;
  for (const InsertTarget& t : targets) changed[t.block] = &t;
  std::vector<uint16_t> blocks, counts;
  std::vector<std::string> first_keys;
  blocks.reserve(entries.size() + targets.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    auto it = changed.find(entries[i].first);
    if (it == changed.end()) {
      blocks.push_back(entries[i].first);
      counts.push_back(entries[i].second);
      first_keys.push_back(std::move(keys[i]));
      continue;
    }
    const InsertTarget& t = *it->second;
    blocks.insert(blocks.end(), t.numbers.begin(), t.numbers.end());
    counts.insert(counts.end(), t.counts.begin(), t.counts.end());
    first_keys.insert(first_keys.end(), t.first_keys.begin(), t.first_keys.end());
    changed.erase(it);
  }
  if (!changed.empty())
    return Status::Corruption(px->header().table_name, "its index names a block it does not list");

  std::unique_ptr<RandomAccessFile> file;
  std::string old;
  s = env->OpenRandomAccess(px_path, &file);
  if (s.ok()) s = file->Read(0, file->Size(), &old);
  if (!s.ok()) return s;
  const std::string made = BuildPrimaryIndex(h, first_keys, blocks, counts, stamp);
  const size_t hs = GetU16(made.data() + f::kHeaderSize);
  const size_t pbs = static_cast<size_t>(static_cast<uint8_t>(made[f::kBlockSizeCode])) * 1024;
  for (size_t at = 0; at < made.size();) {
    const size_t len = std::min(made.size() - at, at == 0 ? hs : pbs);
    if (at + len > old.size() || old.compare(at, len, made, at, len) != 0)
      journal->images.push_back({JournalImage::kPrimaryIndex, false, at, made.substr(at, len)});
    at += len;
  }
  if (made.size() < old.size())
    journal->images.push_back({JournalImage::kPrimaryIndex, true, made.size(), {}});
  *px_size = made.size();
  return Status::OK();
}

}  // namespace

bool TableWriter::InPlaceFits() const {
  const TableHeader& h = table_->header();
  if (!indexes_.empty() || !repairs_.empty()) return false;
  for (const FieldDef& fd : table_->fields()) {
    if (IsBlobType(fd.type)) return false;
    // Older headers keep no autoincrement counter: it would take every record.
    if (fd.type == FieldType::kAutoInc && h.version < f::kVersion4First) return false;
  }
  // A chain to add to, and no free list this path would have to keep.
  if (table_->record_count() == 0 || h.first_block == 0 || h.first_free_block != 0) return false;
  if (!h.keyed()) return true;
  Table* t = table_.get();
  return t->placed_by_index() && t->index_status().ok() && t->mutable_primary_index() != nullptr;
}

Status TableWriter::InsertInPlace(Row row, uint32_t* index) {
  if (record_count() >= 0x7FFFFFFF) return Status::InvalidArgument(name_, "too many records");
  if (!table_->header().keyed()) {
    if (index) *index = record_count();
    appended_.push_back(std::move(row.raw));
    dirty_ = true;
    return Status::OK();
  }
  std::string key = row.raw.substr(0, table_->key_size());
  uint32_t pos = 0;
  bool found = false;
  Status s = table_->FindStoredKey(key, &pos, &found);
  if (!s.ok()) return s;
  if (found || pending_.count(key))
    return Status::InvalidArgument(name_, "duplicate key (" + KeyText(row.raw) + ") in the primary key");
  if (index) *index = pos + static_cast<uint32_t>(std::distance(pending_.begin(), pending_.lower_bound(key)));
  pending_.emplace(std::move(key), std::move(row.raw));
  dirty_ = true;
  return Status::OK();
}

Status TableWriter::GetInPlace(uint32_t index, Record* record) {
  if (index >= record_count())
    return Status::InvalidArgument(name_, "record " + std::to_string(index) + " does not exist");
  const uint32_t stored = table_->record_count();
  std::string raw;
  if (!table_->header().keyed()) {
    if (index >= stored) return DecodeRow(Row{appended_[index - stored], {}}, record);
    Status s = table_->ReadRawRecord(index, &raw);
    return s.ok() ? DecodeRow(Row{raw, {}}, record) : s;
  }
  // The waiting inserts in key order, each at its table position plus the
  // inserts before it.
  uint32_t before = 0;
  for (const auto& [key, row] : pending_) {
    uint32_t pos = 0;
    bool found = false;
    Status s = table_->FindStoredKey(key, &pos, &found);
    if (!s.ok()) return s;
    if (pos + before == index) return DecodeRow(Row{row, {}}, record);
    if (pos + before > index) break;
    ++before;
  }
  Status s = table_->ReadRawRecord(index - before, &raw);
  return s.ok() ? DecodeRow(Row{raw, {}}, record) : s;
}

Status TableWriter::CommitInPlace() {
  const TableHeader& h = table_->header();
  const size_t bs = h.block_size();
  const size_t rs = h.record_size;
  const size_t per_block = (bs - f::kBlockHeaderSize) / rs;
  const size_t ks = table_->key_size();
  const bool keyed = h.keyed();
  const uint8_t stamp = CommitStamp();
  const uint32_t now = static_cast<uint32_t>(std::time(nullptr));
  const uint32_t file_blocks =
      std::max<uint32_t>(h.file_blocks, static_cast<uint32_t>(table_->blocks_in_file()));
  uint32_t next_new = file_blocks + 1;

  // The blocks the new records go to, in chain order, each with its .PX
  // entry (keyed tables; an unkeyed table appends to its last block).
  const uint32_t inserted = static_cast<uint32_t>(pending_.size() + appended_.size());
  std::vector<InsertTarget> targets;
  PrimaryIndex* px = table_->mutable_primary_index();
  if (keyed) {
    std::unordered_map<uint16_t, bool> seen;
    for (auto& [key, row] : pending_) {
      PrimaryIndex::Leaf leaf;
      Status s = px->LeafOfKey(key, &leaf);
      if (!s.ok()) return s;
      if (targets.empty() || targets.back().block != leaf.block) {
        // Keys in order reach blocks in chain order, each once.
        if (!seen.emplace(leaf.block, true).second)
          return Status::Corruption(name_, "its index lists its blocks out of key order");
        targets.push_back({leaf.block, leaf.records, std::move(leaf.path), {}, {}, {}, {}});
      }
      targets.back().incoming.push_back(std::move(row));
    }
  } else {
    const std::vector<Table::Block>& chain = table_->blocks();
    if (chain.empty()) return Status::Corruption(name_, "its block chain cannot be read");
    targets.push_back({chain.back().number, chain.back().records, {}, std::move(appended_), {}, {}, {}});
  }
  pending_.clear();
  appended_.clear();

  Journal journal;
  journal.before = h.change_count;
  journal.after = stamp;
  std::unordered_map<uint16_t, uint16_t> prev_fix;  // block -> its new prev link
  uint16_t new_last = 0;
  for (InsertTarget& t : targets) {
    const uint16_t number = t.block;
    const uint16_t count = t.count;
    std::string image;
    Status s = table_->ReadBlockBytes(number, f::kBlockHeaderSize + size_t{count} * rs, &image);
    if (!s.ok()) return s;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(image.data());
    if (count == 0 ||
        static_cast<int16_t>(GetU16(p + f::kBlockLastOffset)) != static_cast<int32_t>((count - 1) * rs))
      return Status::Corruption(name_, "block " + std::to_string(number) +
                                           " holds another number of records "
                                           "than its index says");
    const uint16_t old_next = GetU16(p + f::kBlockNext);
    uint16_t old_prev = GetU16(p + f::kBlockPrev);
    if (auto it = prev_fix.find(number); it != prev_fix.end()) {
      old_prev = it->second;
      prev_fix.erase(it);
    }
    std::vector<std::string_view> rows;
    rows.reserve(count + t.incoming.size());
    std::vector<std::string_view> stored;
    for (size_t i = 0; i < count; ++i)
      stored.push_back(std::string_view(image).substr(f::kBlockHeaderSize + i * rs, rs));
    const std::vector<std::string>& in = t.incoming;
    if (keyed) {
      std::merge(
          stored.begin(), stored.end(), in.begin(), in.end(), std::back_inserter(rows),
          [ks](std::string_view a, std::string_view b) { return std::memcmp(a.data(), b.data(), ks) < 0; });
    } else {
      rows = stored;
      rows.insert(rows.end(), in.begin(), in.end());
    }
    // A block that overflows is split evenly, so that inserts at the front
    // of a table do not leave a block per insert; records added after the
    // last one of the table fill their blocks.
    const size_t n = rows.size();
    const bool at_end =
        old_next == 0 && (!keyed || std::memcmp(in.front().data(), stored.back().data(), ks) > 0);
    std::vector<size_t> sizes;
    if (n <= per_block) {
      sizes.push_back(n);
    } else if (at_end) {
      for (size_t left = n; left > 0; left -= std::min(left, per_block))
        sizes.push_back(std::min(left, per_block));
    } else {
      const size_t k = (n + per_block - 1) / per_block;
      for (size_t c = 0; c < k; ++c) sizes.push_back(n / k + (c < n % k ? 1 : 0));
    }
    std::vector<uint16_t>& numbers = t.numbers;
    numbers.push_back(number);
    for (size_t c = 1; c < sizes.size(); ++c) {
      if (next_new > f::kMaxBlockNumber)
        return Status::InvalidArgument(name_, "table would need more than 65535 blocks");
      numbers.push_back(static_cast<uint16_t>(next_new++));
    }
    size_t first = 0;
    for (size_t c = 0; c < sizes.size(); ++c) {
      std::string block(bs, '\0');
      auto* b = reinterpret_cast<uint8_t*>(block.data());
      PutU16(b + f::kBlockNext, c + 1 < sizes.size() ? numbers[c + 1] : old_next);
      PutU16(b + f::kBlockPrev, c == 0 ? old_prev : numbers[c - 1]);
      PutU16(b + f::kBlockLastOffset, static_cast<uint16_t>((sizes[c] - 1) * rs));
      for (size_t i = 0; i < sizes[c]; ++i)
        std::memcpy(b + f::kBlockHeaderSize + i * rs, rows[first + i].data(), rs);
      t.counts.push_back(static_cast<uint16_t>(sizes[c]));
      if (keyed) t.first_keys.emplace_back(rows[first].substr(0, ks));
      first += sizes[c];
      journal.images.push_back({JournalImage::kData, false,
                                h.header_size + static_cast<uint64_t>(numbers[c] - 1) * bs,
                                std::move(block)});
    }
    if (numbers.size() > 1) {
      if (old_next != 0)
        prev_fix[old_next] = numbers.back();
      else
        new_last = numbers.back();
    }
  }
  // Blocks after a split one that this commit does not otherwise write: only
  // their link back changes.
  for (const auto& [block, prev] : prev_fix) {
    std::string link(2, '\0');
    PutU16(link.data(), prev);
    journal.images.push_back({JournalImage::kData, false,
                              h.header_size + static_cast<uint64_t>(block - 1) * bs + f::kBlockPrev, link});
  }

  const uint32_t total_blocks = next_new - 1;
  const uint32_t added = next_new - 1 - file_blocks;
  std::string head = h.raw;
  auto* hp = reinterpret_cast<uint8_t*>(head.data());
  PutU32(hp + f::kRecordCount, table_->record_count() + inserted);
  PutU16(hp + f::kUsedBlocks, static_cast<uint16_t>(h.used_blocks + added));
  if (added > 0) {
    PutU16(hp + f::kFileBlocks, static_cast<uint16_t>(total_blocks));
    PutU16(hp + f::kMaxBlocks,
           static_cast<uint16_t>(std::max<uint32_t>(GetU16(hp + f::kMaxBlocks), total_blocks)));
  }
  if (new_last != 0) PutU16(hp + f::kLastBlock, new_last);
  hp[f::kChangeCount1] = stamp;
  if (h.version >= f::kVersion4First) {
    PutU32(hp + f::kAutoIncrement, auto_increment_);
    PutU32(hp + f::kUpdateTime, now);
  }
  journal.images.push_back({JournalImage::kData, false, 0, std::move(head)});

  // The .PX: while the chain keeps its blocks, only the entries on the
  // paths to the changed blocks (and the header's stamp); when blocks were
  // added the tree changes shape and is laid out again, keeping only its
  // blocks that differ from the file's.
  std::string px_path;
  uint64_t px_size = 0, px_old_size = 0;
  if (keyed) {
    px_path = FindCompanion(env_, path_, "px");
    Status s = added == 0 ? PatchPrimaryIndex(px, targets, stamp, &journal)
                          : RelayPrimaryIndex(env_, px, h, targets, stamp, px_path, &journal, &px_size);
    if (!s.ok()) return s;
  }

  // Room first (see the file comment), then the commit point.
  constexpr uint64_t kUnknown = UINT64_MAX;
  uint64_t db_old_size = kUnknown;
  px_old_size = kUnknown;
  Status s = Reserve(env_, path_, h.header_size + static_cast<uint64_t>(total_blocks) * bs, &db_old_size);
  if (s.ok() && px_size > 0) s = Reserve(env_, px_path, px_size, &px_old_size);
  if (s.ok()) s = WriteJournal(env_, path_, journal);
  if (!s.ok()) {
    if (db_old_size != kUnknown) CutBack(env_, path_, db_old_size);
    if (px_old_size != kUnknown) CutBack(env_, px_path, px_old_size);
    return Status::IOError(name_, "not stored: " + s.message());
  }

  // Stored: what follows only puts the change where readers look.
  dirty_ = false;
  s = ApplyJournal(env_, path_, px_path, journal);
  if (!s.ok()) s = RecoverJournal(env_, path_);
  if (!s.ok()) {
    note_ = name_ + ": the change was stored, but could not yet be written into the table (" + s.message() +
            "); it is completed when the table is next opened";
    return Status::OK();
  }
  OpenOptions oo;
  oo.env = env_;
  oo.fallback_code_page = options_.fallback_code_page;
  std::unique_ptr<Table> reopened;
  s = Table::Open(path_, oo, &reopened);
  if (s.ok() && (reopened->header().keyed() ? reopened->placed_by_index() : true)) {
    table_ = std::move(reopened);
  } else if (s.ok()) {
    table_ = std::move(reopened);
    note_ = name_ + ": the change was stored, but its index did not read back as current";
  } else {
    note_ = name_ + ": the change was stored, but it could not be read back (" + s.message() + ")";
  }
  return Status::OK();
}

}  // namespace orba::pdx
