// RowStore: the records a writer holds, in table order, with insertion and
// removal anywhere in O(chunk + log n).
//
// Records have one size, so a chunk keeps them back to back in one buffer
// (a record costs its bytes, not a string of its own); the values a record
// still has to put in the .MB at commit hang off it separately, present only
// for records that have some. A Fenwick tree over the chunks' record counts
// finds the chunk of a position; a chunk that grows past its limit is
// split (appends fill it and start the next).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orba::pdx {

// Values of a record to store in the .MB at commit: field index, stored bytes.
using PendingBlobs = std::vector<std::pair<size_t, std::string>>;

class RowStore {
 public:
  // A chunk holds up to about 64 KiB of records, and at least 16.
  explicit RowStore(size_t record_size = 0)
      : record_size_(record_size), max_chunk_(record_size ? std::max<size_t>(16, 65536 / record_size) : 16) {}

  size_t size() const { return size_; }
  size_t record_size() const { return record_size_; }

  std::string_view raw(size_t i) const {
    auto [c, within] = Locate(i);
    return std::string_view(chunks_[c].bytes.data() + within * record_size_, record_size_);
  }
  // The record's bytes, to be changed in place (its blob descriptors).
  char* mutable_raw(size_t i) {
    auto [c, within] = Locate(i);
    return chunks_[c].bytes.data() + within * record_size_;
  }
  // Empty when the record has nothing waiting for the .MB.
  const PendingBlobs& blobs(size_t i) const;

  // Inserts before position pos (pos == size() appends). raw must have
  // record_size() bytes.
  void insert(size_t pos, std::string_view raw, PendingBlobs blobs);
  void erase(size_t pos);
  void push_back(std::string_view raw) { insert(size_, raw, {}); }
  // Forgets every record's pending blobs (once they are in the .MB).
  void ClearBlobs();

 private:
  struct Chunk {
    // count records back to back. A vector, whose reserve() allocates what
    // it is asked: chunks grow by an eighth, not by doubling, so that the
    // spare room stays small beside the records.
    std::vector<char> bytes;
    size_t count = 0;
    // The records with values waiting for the .MB, by place in the chunk,
    // in order (few records have any).
    std::vector<std::pair<uint32_t, std::unique_ptr<PendingBlobs>>> pending;
  };
  std::pair<size_t, size_t> Locate(size_t i) const;
  void Add(size_t c, long delta);
  void Rebuild();

  static const PendingBlobs kNoBlobs;
  size_t record_size_;
  size_t max_chunk_;
  std::vector<Chunk> chunks_;
  std::vector<size_t> tree_;  // Fenwick tree over chunks_[c].count()
  size_t size_ = 0;
};

}  // namespace orba::pdx
