// PrimaryIndex: the .PX of a keyed table, used to find the data block that
// may hold a key. It is only ever a hint: the table verifies the block.
// A secondary index's Y file is the same kind of tree over its X file, and
// is read with the same class.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/Env.h"
#include "paradox/TableHeader.h"

namespace orba::pdx {

class PrimaryIndex {
 public:
  // Validates the .PX header against the table's key fields (a Y file:
  // kind kSecondaryIndexTree, `table` the header of its X file).
  static Status Open(std::unique_ptr<RandomAccessFile> file, const std::string& name,
                     const TableHeader& table, std::unique_ptr<PrimaryIndex>* index,
                     HeaderKind kind = HeaderKind::kPrimaryIndex);

  const TableHeader& header() const { return header_; }

  // The .DB block whose first key is the greatest one <= key (key bytes as
  // stored in a record's leading key fields).
  Status FindBlock(std::string_view key, uint16_t* data_block);

  // A leaf entry and where its data block stands in the table.
  struct Leaf {
    uint16_t block = 0;         // the .DB block
    uint16_t records = 0;       // records in it, as the entry says
    uint32_t first_record = 0;  // position of its first record in the table
    std::string key;            // the key of its first record
    // Where the entry lies: (index block, entry) at each level, root first.
    std::vector<std::pair<uint16_t, uint16_t>> path;
  };
  // The index as an order-statistics tree: upper entries hold the sums of
  // their children's counts, so the leaf of record `record` (0-based) is
  // found in one descent. Sums a 16-bit count could have wrapped are
  // recomputed from the children (see SubtreeRecords).
  Status RecordCount(uint32_t* total);
  Status LeafOfRecord(uint32_t record, Leaf* leaf);
  // The leaf FindBlock chooses for `key`, with its position.
  Status LeafOfKey(std::string_view key, Leaf* leaf);

  // A leaf entry's new count and first key, after a change that adds no
  // data block and removes none (so the tree keeps its shape).
  struct LeafChange {
    std::vector<std::pair<uint16_t, uint16_t>> path;  // as in Leaf
    int32_t records_added = 0;
    std::string first_key;
  };
  // The index blocks these changes touch, as they become: each leaf entry's
  // count and key, the sums above it, and the key of every entry that heads
  // a changed subtree. `blocks` is added to (changes may share blocks); the
  // header is not among them.
  Status ChangedBlocks(const std::vector<LeafChange>& changes, std::map<uint16_t, std::string>* blocks);

  // Index blocks read from the file so far.
  uint64_t reads() const { return reads_; }

  // Level-1 entries (data block, record count) in key order; `keys`
  // (optional) receives each entry's key bytes.
  Status LeafEntries(std::vector<std::pair<uint16_t, uint16_t>>* entries,
                     std::vector<std::string>* keys = nullptr);

 private:
  PrimaryIndex(std::unique_ptr<RandomAccessFile> file, std::string name, TableHeader header, size_t key_size);
  // The descent for `key`: (index block, entry) at each level, root first,
  // and the data block the leaf entry names.
  Status PathOfKey(std::string_view key, std::vector<std::pair<uint16_t, uint16_t>>* path,
                   uint16_t* data_block);
  // *data points into the cache and stays valid while this object lives.
  Status ReadBlock(uint16_t block, const std::string** data, size_t* entries);
  // Records under entry `slot` of index block `block` at `level` (1 = leaf).
  Status EntryRecords(uint16_t block, int level, size_t slot, uint32_t* records);
  // Records under index block `block` at `level`, memoised.
  Status SubtreeRecords(uint16_t block, int level, uint32_t* records);
  Status MakeLeaf(uint16_t block, size_t slot, uint32_t first_record, Leaf* leaf);

  std::unique_ptr<RandomAccessFile> file_;
  std::string name_;
  TableHeader header_;
  size_t key_size_;
  // Most records a data block holds, and most entries an index block does:
  // together they bound a subtree's sum, telling which stored sums are exact.
  uint32_t records_per_data_block_ = 1;
  uint32_t entries_per_block_ = 1;
  // Blocks read so far, by number - 1. The file is the one opened (writers
  // replace it by rename), so a block never changes; the cache holds at most
  // the file's own blocks.
  struct CachedBlock {
    std::string data;
    size_t entries = 0;
    bool loaded = false;
    bool counted = false;
    uint32_t records = 0;  // SubtreeRecords, once counted
  };
  std::vector<CachedBlock> cache_;
  uint64_t reads_ = 0;
};

// The blocks of an index tree whose leaf entries are (first key bytes,
// block number, record count), in key order. Levels are laid out root
// first, then each lower level, as other readers expect.
struct IndexTree {
  std::string blocks;  // block_count blocks of the given size
  uint16_t block_count = 0;
  uint8_t levels = 1;
  uint32_t entries = 0;  // in all levels together
};
IndexTree LayOutIndexTree(const std::vector<std::string>& first_keys, const std::vector<uint16_t>& blocks,
                          const std::vector<uint16_t>& counts, size_t key_size, size_t block_size);
// Puts the tree's counts, block numbers, root, levels and `stamp` (0x2C)
// into the header of its file (a .PX or a Y file).
void PutIndexTreeHeader(uint8_t* header, const IndexTree& tree, uint8_t stamp);
// The block size code for a tree of entries of `entry_size` bytes: `code`,
// doubled until a block holds `min_entries`.
uint8_t IndexTreeBlockSizeCode(uint8_t code, size_t entry_size, size_t min_entries);
// A new index-tree header (without counts) over the first `key_fields`
// fields of `over`: file type, block size code and the name it records.
std::string NewIndexTreeHeader(const TableHeader& over, size_t key_fields, uint8_t file_type,
                               uint8_t block_size_code, const std::string& file_name);

// Builds a complete .PX image for a table whose data blocks hold `leaves`
// (first key bytes, block number, record count) in chain order.
std::string BuildPrimaryIndex(const TableHeader& table, const std::vector<std::string>& first_keys,
                              const std::vector<uint16_t>& blocks, const std::vector<uint16_t>& counts,
                              uint8_t stamp);

}  // namespace orba::pdx
