#include "paradox/CommitFreeList.h"

#include "paradox/Coding.h"
#include "paradox/Format.h"

namespace orba::pdx {

namespace f = format;

std::string CommitFreeList::Put(uint16_t number, uint16_t prev, size_t record_size) {
  std::string head(f::kBlockHeaderSize, '\0');
  auto* b = reinterpret_cast<uint8_t*>(head.data());
  PutU16(b + f::kBlockNext, head_);
  PutU16(b + f::kBlockPrev, prev);
  PutU16(b + f::kBlockLastOffset, static_cast<uint16_t>(-static_cast<int32_t>(record_size)));
  put_next_[number] = head_;
  head_ = number;
  ++freed_;
  return head;
}

Status CommitFreeList::Take(const std::string& file, const ReadNext& read_next, size_t count,
                            std::vector<uint16_t>* numbers) {
  for (size_t i = 0; i < count; ++i) {
    if (head_ == 0) {
      if (next_new_ > f::kMaxBlockNumber)
        return Status::InvalidArgument(
            file, "would need more than " + std::to_string(f::kMaxBlockNumber) + " blocks");
      numbers->push_back(static_cast<uint16_t>(next_new_++));
      continue;
    }
    if (head_ > file_blocks_)
      return Status::Corruption(file,
                                "its free list leads outside the file (block " + std::to_string(head_) + ")");
    numbers->push_back(head_);
    if (auto it = put_next_.find(head_); it != put_next_.end()) {
      head_ = it->second;
      continue;
    }
    Status s = read_next(head_, &head_);
    if (!s.ok()) return s;
  }
  return Status::OK();
}

}  // namespace orba::pdx
