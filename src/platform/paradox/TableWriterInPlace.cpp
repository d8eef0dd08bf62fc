// The writer's in-place path: inserts, and updates and deletes in a table
// with a key, committed by writing only the blocks they change through a
// journal (see Journal.h and TableWriter.h); the secondary indexes of a
// table that has some are kept in the same journal (TableWriterIndexes.cpp).
//
// Open reads the header and (keyed tables) the .PX, not the records. A
// change finds its record's position through the .PX (Table::FindStoredKey)
// and waits in pending_, by key, until the commit, which:
//   0. appends the new blob values to the .MB, durable before anything else
//      is written (BlobFileWriter::OpenAtEnd, which does not read the
//      file's blocks); a commit that does not reach its commit point cuts
//      them off again. The values a change replaces or deletes stay where
//      they are, unreferenced, as after a whole rewrite;
//   1. reads the data blocks the changes go to (the .PX's leaf for each key;
//      unkeyed tables append to the chain's last block) and merges them in.
//      A block that overflows is split into blocks taken from the free list,
//      or at the end of the file, linked into the chain right after it; a
//      block left empty leaves the chain and goes onto the free list (the
//      chain's first block, where readers start, never does: it takes the
//      records of the block after it, which goes instead, as Paradox does;
//      emptying the whole table takes the whole rewrite);
//   2. patches the .PX entries on the changed blocks' paths when the chain
//      kept its blocks, or lays the .PX out again when blocks came or went,
//      keeping only its blocks that differ from the file's;
//   3. makes the files as long as they will be, with zeros, synced, so that
//      the space a commit needs is taken before its commit point (a full
//      disk then leaves the table as it was, and the changes waiting);
//   4. writes the journal (whole blocks and links, the .DB header with the
//      new counts, change counter and time, the .PX blocks) and syncs it:
//      the commit point; then writes the images into the files, syncs them
//      and removes the journal.
#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <unordered_map>

#include "paradox/BlobWriter.h"
#include "paradox/Coding.h"
#include "paradox/CommitFreeList.h"
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

// A data block that waiting changes touch, and what the commit makes of it.
struct InsertTarget {
  uint16_t block = 0;
  uint16_t count = 0;
  std::vector<std::pair<uint16_t, uint16_t>> path;  // of its .PX entry
  // Keyed: the changes in key order, each the key of a record, whether the
  // block holds it now (an update or a delete) and its new bytes (none for a
  // delete); unkeyed: the records appended.
  struct Change {
    std::string_view key;
    bool stored = false;
    const std::string* row = nullptr;
  };
  std::vector<Change> changes;
  std::vector<std::string> appended;
  // None when it was emptied, one block, or several after a split:
  // numbers, counts, first keys.
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

std::vector<size_t> TableWriter::SplitSizes(size_t n, size_t per_block, bool fill) {
  std::vector<size_t> sizes;
  if (n <= per_block) {
    sizes.push_back(n);
  } else if (fill) {
    for (size_t left = n; left > 0; left -= std::min(left, per_block))
      sizes.push_back(std::min(left, per_block));
  } else {
    const size_t k = (n + per_block - 1) / per_block;
    for (size_t c = 0; c < k; ++c) sizes.push_back(n / k + (c < n % k ? 1 : 0));
  }
  return sizes;
}

bool TableWriter::InPlaceFits() const {
  const TableHeader& h = table_->header();
  if (!repairs_.empty() || !IndexesFitInPlace()) return false;
  for (const FieldDef& fd : table_->fields()) {
    // Older headers keep no autoincrement counter: it would take every record.
    if (fd.type == FieldType::kAutoInc && h.version < f::kVersion4First) return false;
  }
  // A chain to add to.
  if (table_->record_count() == 0 || h.first_block == 0) return false;
  if (!h.keyed()) return true;
  Table* t = table_.get();
  return t->placed_by_index() && t->index_status().ok() && t->mutable_primary_index() != nullptr;
}

Status TableWriter::PositionInPlace(const std::string& key, uint32_t* index) {
  uint32_t pos = 0;
  bool found = false;
  Status s = table_->FindStoredKey(key, &pos, &found);
  if (!s.ok()) return s;
  // Each waiting insert before the key moves it down one, each delete up.
  int64_t shift = 0;
  for (auto it = pending_.begin(); it != pending_.end() && it->first < key; ++it) {
    if (it->second.kind == PendingChange::kInsert) ++shift;
    if (it->second.kind == PendingChange::kDelete) --shift;
  }
  *index = static_cast<uint32_t>(pos + shift);
  return Status::OK();
}

Status TableWriter::RowInPlace(uint32_t index, Row* row) {
  if (index >= record_count())
    return Status::InvalidArgument(name_, "record " + std::to_string(index) + " does not exist");
  const uint32_t stored = table_->record_count();
  if (!table_->header().keyed()) {
    row->blobs.clear();
    if (index >= stored) {
      *row = appended_[index - stored];
      return Status::OK();
    }
    return table_->ReadRawRecord(index, &row->raw);
  }
  // The waiting changes in key order, each where its key stands in the
  // table; `shift` is how far they have moved the stored records after them.
  int64_t shift = 0;
  for (const auto& [key, change] : pending_) {
    uint32_t pos = 0;
    bool found = false;
    Status s = table_->FindStoredKey(key, &pos, &found);
    if (!s.ok()) return s;
    if (index < pos + shift) break;  // a stored record before this change
    if (change.kind == PendingChange::kDelete) {
      --shift;
      continue;
    }
    if (pos + shift == index) {
      *row = Row{change.row, change.blobs};
      return Status::OK();
    }
    if (change.kind == PendingChange::kInsert) ++shift;
  }
  row->blobs.clear();
  return table_->ReadRawRecord(static_cast<uint32_t>(index - shift), &row->raw);
}

Status TableWriter::GetInPlace(uint32_t index, Record* record) {
  Row row;
  Status s = RowInPlace(index, &row);
  return s.ok() ? DecodeRow(row, record) : s;
}

Status TableWriter::InsertInPlace(Row row, uint32_t* index) {
  if (record_count() >= 0x7FFFFFFF) return Status::InvalidArgument(name_, "too many records");
  if (!table_->header().keyed()) {
    if (index) *index = record_count();
    appended_.push_back(std::move(row));
    dirty_ = true;
    return Status::OK();
  }
  std::string key = row.raw.substr(0, table_->key_size());
  uint32_t pos = 0;
  bool found = false;
  Status s = table_->FindStoredKey(key, &pos, &found);
  if (!s.ok()) return s;
  auto waiting = pending_.find(key);
  // A key deleted in this session may come back: the record then changes.
  const bool taken = waiting != pending_.end() ? waiting->second.kind != PendingChange::kDelete : found;
  if (taken)
    return Status::InvalidArgument(name_, "duplicate key (" + KeyText(row.raw) + ") in the primary key");
  if (index) {
    s = PositionInPlace(key, index);
    if (!s.ok()) return s;
  }
  if (waiting != pending_.end()) {
    waiting->second = {PendingChange::kUpdate, std::move(row.raw), std::move(row.blobs)};
    --pending_deletes_;
  } else {
    pending_.emplace(std::move(key),
                     PendingChange{PendingChange::kInsert, std::move(row.raw), std::move(row.blobs)});
    ++pending_inserts_;
  }
  dirty_ = true;
  return Status::OK();
}

Status TableWriter::DeleteInPlace(uint32_t index) {
  Row row;
  Status s = RowInPlace(index, &row);
  if (!s.ok()) return s;
  std::string key = row.raw.substr(0, table_->key_size());
  auto waiting = pending_.find(key);
  if (waiting != pending_.end() && waiting->second.kind == PendingChange::kInsert) {
    pending_.erase(waiting);  // inserted and deleted in one session: nothing to do
    --pending_inserts_;
  } else if (waiting != pending_.end()) {
    waiting->second = {PendingChange::kDelete, {}, {}};
    ++pending_deletes_;
  } else {
    pending_.emplace(std::move(key), PendingChange{PendingChange::kDelete, {}, {}});
    ++pending_deletes_;
  }
  dirty_ = true;
  return Status::OK();
}

Status TableWriter::UpdateInPlace(uint32_t index, const Record& record, uint32_t* new_index) {
  Row current;
  Status s = RowInPlace(index, &current);
  if (!s.ok()) return s;
  const uint32_t saved_counter = auto_increment_;
  Row row;
  s = EncodeRow(record, &current, &row);
  if (s.ok()) s = CheckIndexes(row);
  if (!s.ok()) {
    auto_increment_ = saved_counter;
    return s;
  }
  const size_t ks = table_->key_size();
  if (row.raw.compare(0, ks, current.raw, 0, ks) != 0) {
    // A new key: the record leaves its place and goes to the new key's,
    // unless that key is taken (then nothing changes).
    const auto saved = pending_;
    const uint32_t saved_inserts = pending_inserts_, saved_deletes = pending_deletes_;
    const bool saved_dirty = dirty_;
    s = DeleteInPlace(index);
    if (s.ok()) s = InsertInPlace(std::move(row), new_index);
    if (!s.ok()) {
      pending_ = saved;
      pending_inserts_ = saved_inserts;
      pending_deletes_ = saved_deletes;
      dirty_ = saved_dirty;
      auto_increment_ = saved_counter;
    }
    return s;
  }
  std::string key = current.raw.substr(0, ks);
  auto waiting = pending_.find(key);
  if (waiting != pending_.end()) {
    waiting->second.row = std::move(row.raw);  // an insert or update made again
    waiting->second.blobs = std::move(row.blobs);
  } else {
    pending_.emplace(std::move(key),
                     PendingChange{PendingChange::kUpdate, std::move(row.raw), std::move(row.blobs)});
  }
  if (new_index) *new_index = index;
  dirty_ = true;
  return Status::OK();
}

Status TableWriter::StoreBlobsInPlace(StoredInPlace* stored, std::unique_ptr<BlobFileWriter>* blobs) {
  std::vector<BlobFileWriter::Item> items;
  std::vector<std::pair<std::string*, size_t>> owners;  // the bytes to fill in, field
  auto collect = [&](const std::string& raw, const PendingBlobs& values, std::string* copy) {
    *copy = raw;
    for (const auto& [field, data] : values) {
      items.push_back({data, fields()[field].type == FieldType::kGraphic});
      owners.emplace_back(copy, field);
    }
  };
  for (const auto& [key, change] : pending_)
    if (!change.blobs.empty()) collect(change.row, change.blobs, &stored->rows[&change.row]);
  stored->appended.resize(appended_.size());
  for (size_t i = 0; i < appended_.size(); ++i)
    collect(appended_[i].raw, appended_[i].blobs, &stored->appended[i]);
  if (items.empty()) return Status::OK();
  Status s = BlobFileWriter::OpenInPlace(
      env_, FindCompanion(env_, path_, "mb"), [this] { return CommittedBlobEnd(); }, blobs);
  std::vector<BlobDescriptor> desc;
  if (s.ok()) s = (*blobs)->Append(items, &desc);
  if (!s.ok()) return s;
  for (size_t i = 0; i < items.size(); ++i) {
    auto [raw, field] = owners[i];
    EncodeBlobDescriptor(
        reinterpret_cast<uint8_t*>(raw->data()) + table_->field_offset(field) + BlobLeader(fields()[field]),
        desc[i]);
  }
  return Status::OK();
}

Status TableWriter::CommitInPlace(bool* rewrite) {
  *rewrite = false;
  const TableHeader& h = table_->header();
  const size_t bs = h.block_size();
  const size_t rs = h.record_size;
  const size_t per_block = (bs - f::kBlockHeaderSize) / rs;
  const size_t ks = table_->key_size();
  const bool keyed = h.keyed();
  if (record_count() == 0) {
    *rewrite = true;  // an empty table has no block at all
    return Status::OK();
  }
  const uint8_t stamp = CommitStamp();
  const uint32_t now = static_cast<uint32_t>(std::time(nullptr));
  const uint32_t file_blocks =
      std::max<uint32_t>(h.file_blocks, static_cast<uint32_t>(table_->blocks_in_file()));

  // New blob values first: they are durable before anything refers to
  // them, and taken back unless the commit reaches its commit point.
  std::unique_ptr<BlobFileWriter> blobs;
  struct TakeBack {
    std::unique_ptr<BlobFileWriter>* blobs;
    ~TakeBack() {
      if (blobs && *blobs) (*blobs)->Abandon();
    }
  } take_back{&blobs};
  StoredInPlace stored;
  {
    Status s = StoreBlobsInPlace(&stored, &blobs);
    if (!s.ok()) return s;
  }

  // The blocks the changes go to, in chain order, each with its .PX entry
  // (keyed tables; an unkeyed table appends to its last block).
  std::vector<InsertTarget> targets;
  PrimaryIndex* px = table_->mutable_primary_index();
  if (keyed) {
    std::unordered_map<uint16_t, bool> seen;
    for (const auto& [key, change] : pending_) {
      PrimaryIndex::Leaf leaf;
      Status s = px->LeafOfKey(key, &leaf);
      if (!s.ok()) return s;
      if (targets.empty() || targets.back().block != leaf.block) {
        // Keys in order reach blocks in chain order, each once.
        if (!seen.emplace(leaf.block, true).second)
          return Status::Corruption(name_, "its index lists its blocks out of key order");
        targets.push_back({leaf.block, leaf.records, std::move(leaf.path), {}, {}, {}, {}, {}});
      }
      const bool insert = change.kind == PendingChange::kInsert;
      const std::string* row = change.kind == PendingChange::kDelete ? nullptr : &change.row;
      if (auto it = stored.rows.find(&change.row); it != stored.rows.end()) row = &it->second;
      targets.back().changes.push_back({key, !insert, row});
    }
  } else {
    const std::vector<Table::Block>& chain = table_->blocks();
    if (chain.empty()) return Status::Corruption(name_, "its block chain cannot be read");
    targets.push_back({chain.back().number, chain.back().records, {}, {}, stored.appended, {}, {}, {}});
  }

  Journal journal;
  journal.before = h.change_count;
  journal.after = stamp;
  std::unordered_map<uint16_t, uint16_t> prev_fix;  // block -> its new prev link
  uint16_t new_last = 0;
  CommitFreeList free_list(h.first_free_block, file_blocks);
  uint32_t pieces_added = 0;
  std::vector<PlacedInPlace> placed;  // for the secondary indexes
  std::vector<std::string> removed;   // the old bytes of records updated or deleted
  const CommitFreeList::ReadNext next_free = [&](uint16_t block, uint16_t* next) {
    std::string head;
    Status s = table_->ReadBlockBytes(block, f::kBlockHeaderSize, &head);
    if (s.ok()) *next = GetU16(head.data() + f::kBlockNext);
    return s;
  };

  // A block leaving the chain goes onto the free list (see the file comment).
  auto free_block = [&](uint16_t number, uint16_t prev) {
    journal.images.push_back({JournalImage::kData, false,
                              h.header_size + static_cast<uint64_t>(number - 1) * bs,
                              free_list.Put(number, prev, rs)});
  };

  // The chain's first block, once emptied, while it waits for the records
  // of the block after it (0: none waits).
  uint16_t refill = 0, refill_next = 0;
  // Indexed, not a range: a target may be added after the current one.
  for (size_t ti = 0; ti < targets.size(); ++ti) {
    InsertTarget& t = targets[ti];
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
    // The block after an emptied first block: its records go into the first
    // block (where readers start), and it goes onto the free list.
    const bool relocated = refill != 0 && number == refill_next;
    const uint16_t home = relocated ? refill : number;
    if (relocated) {
      free_block(number, old_prev);
      old_prev = 0;
      refill = 0;
    }
    std::vector<std::string_view> stored;
    for (size_t i = 0; i < count; ++i)
      stored.push_back(std::string_view(image).substr(f::kBlockHeaderSize + i * rs, rs));
    // The block's records with the changes made: stored and changed in
    // key order, each change meeting its record (or its place).
    std::vector<std::string_view> rows;
    rows.reserve(count + t.changes.size() + t.appended.size());
    bool grows_at_end = false;  // records are added, all after the stored ones
    if (keyed) {
      bool inserts = false;
      size_t i = 0;
      for (const InsertTarget::Change& change : t.changes) {
        const std::string_view key = change.key;
        while (i < count && std::memcmp(stored[i].data(), key.data(), ks) < 0) rows.push_back(stored[i++]);
        const bool there = i < count && std::memcmp(stored[i].data(), key.data(), ks) == 0;
        if (there != change.stored)
          return Status::Corruption(
              name_, "block " + std::to_string(number) +
                         (there ? " already holds the record (" : " does not hold the record (") +
                         KeyText(std::string(key)) + ") its index places there");
        if (there && !indexes_.empty()) removed.emplace_back(stored[i]);
        if (there) ++i;
        if (change.row) rows.push_back(*change.row);
        if (!change.stored) {
          if (!inserts) grows_at_end = true;
          inserts = true;
          grows_at_end = grows_at_end && i == count;
        }
      }
      while (i < count) rows.push_back(stored[i++]);
    } else {
      rows = stored;
      rows.insert(rows.end(), t.appended.begin(), t.appended.end());
      grows_at_end = true;
    }
    const size_t n = rows.size();
    if (n == 0 && old_prev == 0) {
      // The chain's first block emptied: it stays where readers start, and
      // takes the records of the block after it, as Paradox does (the whole
      // table emptied takes the rewrite).
      if (old_next == 0) {
        *rewrite = true;
        return Status::OK();
      }
      refill = home;
      refill_next = old_next;
      if (ti + 1 == targets.size() || targets[ti + 1].block != old_next) {
        std::string next_head;
        s = table_->ReadBlockBytes(old_next, f::kBlockHeaderSize, &next_head);
        if (!s.ok()) return s;
        const int32_t last = static_cast<int16_t>(GetU16(next_head.data() + f::kBlockLastOffset));
        if (last < 0 || last % static_cast<int32_t>(rs) != 0 || static_cast<size_t>(last) / rs >= per_block)
          return Status::Corruption(
              name_, "block " + std::to_string(old_next) + " holds an impossible number of records");
        InsertTarget next;
        next.block = old_next;
        next.count = static_cast<uint16_t>(last / rs + 1);
        targets.insert(targets.begin() + static_cast<std::ptrdiff_t>(ti) + 1, std::move(next));
      }
      continue;  // `t` is not to be used past the insert
    }
    if (n == 0) {
      // Emptied: out of the chain, onto the free list.
      std::string link(2, '\0');
      PutU16(link.data(), old_next);
      journal.images.push_back({JournalImage::kData, false,
                                h.header_size + static_cast<uint64_t>(old_prev - 1) * bs + f::kBlockNext,
                                link});
      if (old_next != 0)
        prev_fix[old_next] = old_prev;
      else
        new_last = old_prev;
      free_block(number, old_prev);
      continue;
    }
    const std::vector<size_t> sizes = SplitSizes(n, per_block, old_next == 0 && grows_at_end);
    std::vector<uint16_t>& numbers = t.numbers;
    numbers.push_back(home);
    s = free_list.Take(name_, next_free, sizes.size() - 1, &numbers);
    if (!s.ok()) return s;
    pieces_added += static_cast<uint32_t>(sizes.size() - 1);
    size_t first = 0;
    for (size_t c = 0; c < sizes.size(); ++c) {
      std::string block(bs, '\0');
      auto* b = reinterpret_cast<uint8_t*>(block.data());
      PutU16(b + f::kBlockNext, c + 1 < sizes.size() ? numbers[c + 1] : old_next);
      PutU16(b + f::kBlockPrev, c == 0 ? old_prev : numbers[c - 1]);
      PutU16(b + f::kBlockLastOffset, static_cast<uint16_t>((sizes[c] - 1) * rs));
      for (size_t i = 0; i < sizes[c]; ++i)
        std::memcpy(b + f::kBlockHeaderSize + i * rs, rows[first + i].data(), rs);
      if (!indexes_.empty())
        NotePlaced(image, rows, first, sizes[c], numbers[c], c > 0 || relocated, &placed);
      t.counts.push_back(static_cast<uint16_t>(sizes[c]));
      if (keyed) t.first_keys.emplace_back(rows[first].substr(0, ks));
      first += sizes[c];
      journal.images.push_back({JournalImage::kData, false,
                                h.header_size + static_cast<uint64_t>(numbers[c] - 1) * bs,
                                std::move(block)});
    }
    if (numbers.size() > 1 || relocated) {
      if (old_next != 0)
        prev_fix[old_next] = numbers.back();
      else
        new_last = numbers.back();
    }
  }
  if (refill != 0) return Status::Corruption(name_, "its first block has no block after it to take");
  // Blocks after a split one that this commit does not otherwise write: only
  // their link back changes.
  for (const auto& [block, prev] : prev_fix) {
    std::string link(2, '\0');
    PutU16(link.data(), prev);
    journal.images.push_back({JournalImage::kData, false,
                              h.header_size + static_cast<uint64_t>(block - 1) * bs + f::kBlockPrev, link});
  }

  const uint32_t total_blocks = free_list.total_blocks();
  const uint32_t appended_blocks = total_blocks - file_blocks;
  std::string head = h.raw;
  auto* hp = reinterpret_cast<uint8_t*>(head.data());
  PutU32(hp + f::kRecordCount, record_count());
  PutU16(hp + f::kUsedBlocks, static_cast<uint16_t>(h.used_blocks + pieces_added - free_list.freed()));
  if (appended_blocks > 0) {
    PutU16(hp + f::kFileBlocks, static_cast<uint16_t>(total_blocks));
    PutU16(hp + f::kMaxBlocks,
           static_cast<uint16_t>(std::max<uint32_t>(GetU16(hp + f::kMaxBlocks), total_blocks)));
  }
  PutU16(hp + f::kFirstFreeBlock, free_list.head());
  if (new_last != 0) PutU16(hp + f::kLastBlock, new_last);
  hp[f::kChangeCount1] = stamp;
  if (h.version >= f::kVersion4First) {
    PutU32(hp + f::kAutoIncrement, auto_increment_);
    PutU32(hp + f::kUpdateTime, now);
  }
  journal.images.push_back({JournalImage::kData, false, 0, std::move(head)});

  // The .PX: while the chain keeps its blocks, only the entries on the
  // paths to the changed blocks (and the header's stamp); when blocks came
  // or went the tree changes shape and is laid out again, keeping only its
  // blocks that differ from the file's.
  std::string px_path;
  uint64_t px_size = 0, px_old_size = 0;
  if (keyed) {
    px_path = FindCompanion(env_, path_, "px");
    Status s = pieces_added == 0 && free_list.freed() == 0
                   ? PatchPrimaryIndex(px, targets, stamp, &journal)
                   : RelayPrimaryIndex(env_, px, h, targets, stamp, px_path, &journal, &px_size);
    if (!s.ok()) return s;
  }

  // The secondary indexes' X and Y blocks (TableWriterIndexes.cpp).
  std::vector<std::pair<std::string, uint64_t>> index_sizes;
  if (!indexes_.empty()) {
    Status s = KeepIndexesInPlace(placed, removed, stamp, now, &journal, &index_sizes);
    if (s.IsNotSupported()) {
      *rewrite = true;  // an index would be emptied
      return Status::OK();
    }
    if (!s.ok()) return s;
  }

  // Room first (see the file comment), then the commit point.
  constexpr uint64_t kUnknown = UINT64_MAX;
  uint64_t db_old_size = kUnknown;
  px_old_size = kUnknown;
  std::vector<uint64_t> index_old_sizes(index_sizes.size(), kUnknown);
  Status s = Reserve(env_, path_, h.header_size + static_cast<uint64_t>(total_blocks) * bs, &db_old_size);
  if (s.ok() && px_size > 0) s = Reserve(env_, px_path, px_size, &px_old_size);
  for (size_t i = 0; s.ok() && i < index_sizes.size(); ++i)
    s = Reserve(env_, index_sizes[i].first, index_sizes[i].second, &index_old_sizes[i]);
  bool left_whole = false;
  if (s.ok()) s = WriteJournal(env_, path_, journal, &left_whole);
  if (!s.ok() && left_whole) {
    // The journal stays, whole: the next opener completes the change.
    note_ = name_ + ": the change was stored, but could not yet be written into the table (" + s.message() +
            "); it is completed when the table is next opened";
  } else if (!s.ok()) {
    if (db_old_size != kUnknown) CutBack(env_, path_, db_old_size);
    if (px_old_size != kUnknown) CutBack(env_, px_path, px_old_size);
    for (size_t i = 0; i < index_sizes.size(); ++i)
      if (index_old_sizes[i] != kUnknown) CutBack(env_, index_sizes[i].first, index_old_sizes[i]);
    return Status::IOError(name_, "not stored: " + s.message());
  }

  // Stored: what follows only puts the change where readers look.
  take_back.blobs = nullptr;
  dirty_ = false;
  pending_.clear();
  pending_inserts_ = pending_deletes_ = 0;
  appended_.clear();
  if (left_whole) return Status::OK();
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
  if (s.ok() && !indexes_.empty()) {
    s = ReloadIndexesAfterInPlaceCommit();
    if (!s.ok())
      note_ = name_ + ": the change was stored, but its indexes could not be read back (" + s.message() + ")";
  }
  return Status::OK();
}

}  // namespace orba::pdx
