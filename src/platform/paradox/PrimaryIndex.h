// PrimaryIndex: the .PX of a keyed table, used to find the data block that
// may hold a key. It is only ever a hint: the table verifies the block.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/Env.h"
#include "paradox/TableHeader.h"

namespace orba::pdx {

class PrimaryIndex {
 public:
  // Validates the .PX header against the table's key fields.
  static Status Open(std::unique_ptr<RandomAccessFile> file, const std::string& name,
                     const TableHeader& table, std::unique_ptr<PrimaryIndex>* index);

  const TableHeader& header() const { return header_; }

  // The .DB block whose first key is the greatest one <= key (key bytes as
  // stored in a record's leading key fields).
  Status FindBlock(std::string_view key, uint16_t* data_block);

  // Level-1 entries (data block, record count) in key order.
  Status LeafEntries(std::vector<std::pair<uint16_t, uint16_t>>* entries);

 private:
  PrimaryIndex(std::unique_ptr<RandomAccessFile> file, std::string name, TableHeader header, size_t key_size);
  // *data points into the cache and stays valid while this object lives.
  Status ReadBlock(uint16_t block, const std::string** data, size_t* entries);

  std::unique_ptr<RandomAccessFile> file_;
  std::string name_;
  TableHeader header_;
  size_t key_size_;
  // Blocks read so far, by number - 1. The file is the one opened (writers
  // replace it by rename), so a block never changes; the cache holds at most
  // the file's own blocks.
  struct CachedBlock {
    std::string data;
    size_t entries = 0;
    bool loaded = false;
  };
  std::vector<CachedBlock> cache_;
};

// Builds a complete .PX image for a table whose data blocks hold `leaves`
// (first key bytes, block number, record count) in chain order. Levels are
// laid out root first, then each lower level, as other readers expect.
std::string BuildPrimaryIndex(const TableHeader& table, const std::vector<std::string>& first_keys,
                              const std::vector<uint16_t>& blocks, const std::vector<uint16_t>& counts,
                              uint8_t stamp);

}  // namespace orba::pdx
