// The free list of a block file (a .DB or an X file) as an in-place commit
// leaves it: blocks the commit empties go on at its head, blocks its splits
// need come off the head before the file grows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "paradox/Status.h"

namespace orba::pdx {

class CommitFreeList {
 public:
  // `head`: the list's head in the file's header; `file_blocks`: the blocks
  // the file has, after which new ones are numbered.
  CommitFreeList(uint16_t head, uint32_t file_blocks)
      : head_(head), file_blocks_(file_blocks), next_new_(file_blocks + 1) {}

  // Puts a block on the list; returns the image of its block header, as
  // Paradox marks a free block: the next free block, the block before it
  // in the chain it left, and a last-record offset of minus one record.
  std::string Put(uint16_t number, uint16_t prev, size_t record_size);

  // `count` blocks for a split, appended to *numbers: each the list's head,
  // else a new block at the end of the file. `read_next` reads a listed
  // block's link to the next free one. InvalidArgument when `file` would
  // need more blocks than a block number can name; Corruption when its list
  // leads outside it.
  using ReadNext = std::function<Status(uint16_t, uint16_t*)>;
  Status Take(const std::string& file, const ReadNext& read_next, size_t count,
              std::vector<uint16_t>* numbers);

  uint16_t head() const { return head_; }
  uint32_t freed() const { return freed_; }
  // The file's blocks once the new ones are counted.
  uint32_t total_blocks() const { return next_new_ - 1; }

 private:
  uint16_t head_;
  uint32_t file_blocks_;
  uint32_t next_new_;
  uint32_t freed_ = 0;
  std::unordered_map<uint16_t, uint16_t> put_next_;  // put on by this commit -> the next free
};

}  // namespace orba::pdx
