#include "paradox/RowStore.h"

#include <algorithm>

namespace orba::pdx {

const PendingBlobs RowStore::kNoBlobs;

namespace {

// The first pending entry at or after place `within` of a chunk.
template <typename V>
auto FirstFrom(V& pending, size_t within) {
  return std::lower_bound(pending.begin(), pending.end(), within,
                          [](const auto& entry, size_t w) { return entry.first < w; });
}

}  // namespace

const PendingBlobs& RowStore::blobs(size_t i) const {
  auto [c, within] = Locate(i);
  const auto& pending = chunks_[c].pending;
  auto it = FirstFrom(pending, within);
  return it != pending.end() && it->first == within ? *it->second : kNoBlobs;
}

void RowStore::insert(size_t pos, std::string_view raw, PendingBlobs blobs) {
  if (chunks_.empty()) {
    chunks_.emplace_back();
    Rebuild();
  }
  size_t c, within;
  if (pos >= size_) {
    c = chunks_.size() - 1;
    within = chunks_[c].count;
  } else {
    std::tie(c, within) = Locate(pos);
  }
  Chunk& chunk = chunks_[c];
  if (chunk.bytes.size() + record_size_ > chunk.bytes.capacity())
    chunk.bytes.reserve(chunk.bytes.size() + chunk.bytes.size() / 8 + 4 * record_size_);
  chunk.bytes.insert(chunk.bytes.begin() + static_cast<long>(within * record_size_), raw.data(),
                     raw.data() + record_size_);
  auto it = FirstFrom(chunk.pending, within);
  for (auto moved = it; moved != chunk.pending.end(); ++moved) ++moved->first;
  if (!blobs.empty())
    chunk.pending.insert(it,
                         {static_cast<uint32_t>(within), std::make_unique<PendingBlobs>(std::move(blobs))});
  ++chunk.count;
  ++size_;
  if (chunk.count > max_chunk_) {
    // Appends fill a chunk and start the next; other inserts split evenly.
    const bool appending = c + 1 == chunks_.size() && within + 1 == chunk.count;
    const size_t keep = appending ? max_chunk_ : chunk.count / 2;
    Chunk tail;
    tail.bytes.assign(chunk.bytes.begin() + static_cast<long>(keep * record_size_), chunk.bytes.end());
    tail.count = chunk.count - keep;
    auto split = FirstFrom(chunk.pending, keep);
    for (auto moved = split; moved != chunk.pending.end(); ++moved)
      tail.pending.emplace_back(static_cast<uint32_t>(moved->first - keep), std::move(moved->second));
    chunk.pending.erase(split, chunk.pending.end());
    chunk.bytes.resize(keep * record_size_);
    chunk.bytes.shrink_to_fit();
    chunk.count = keep;
    chunks_.insert(chunks_.begin() + static_cast<long>(c) + 1, std::move(tail));
    Rebuild();
  } else {
    Add(c, 1);
  }
}

void RowStore::erase(size_t pos) {
  auto [c, within] = Locate(pos);
  Chunk& chunk = chunks_[c];
  const auto at = chunk.bytes.begin() + static_cast<long>(within * record_size_);
  chunk.bytes.erase(at, at + static_cast<long>(record_size_));
  auto it = FirstFrom(chunk.pending, within);
  if (it != chunk.pending.end() && it->first == within) it = chunk.pending.erase(it);
  for (; it != chunk.pending.end(); ++it) --it->first;
  --chunk.count;
  --size_;
  if (chunk.count == 0) {
    chunks_.erase(chunks_.begin() + static_cast<long>(c));
    Rebuild();
  } else {
    Add(c, -1);
  }
}

void RowStore::ClearBlobs() {
  for (Chunk& chunk : chunks_) chunk.pending.clear();
}

std::pair<size_t, size_t> RowStore::Locate(size_t i) const {
  // Fenwick descent: the largest chunk index whose prefix count is <= i.
  size_t c = 0;
  size_t step = 1;
  while (step * 2 <= tree_.size()) step *= 2;
  size_t rest = i;
  for (; step > 0; step /= 2) {
    if (c + step <= tree_.size() && tree_[c + step - 1] <= rest) {
      c += step;
      rest -= tree_[c - 1];
    }
  }
  return {c, rest};
}

void RowStore::Add(size_t c, long delta) {
  for (size_t k = c + 1; k <= tree_.size(); k += k & (~k + 1)) tree_[k - 1] += static_cast<size_t>(delta);
}

void RowStore::Rebuild() {
  tree_.assign(chunks_.size(), 0);
  for (size_t c = 0; c < chunks_.size(); ++c) {
    tree_[c] += chunks_[c].count;
    const size_t parent = (c + 1) + ((c + 1) & (~(c + 1) + 1));
    if (parent <= tree_.size()) tree_[parent - 1] += tree_[c];
  }
}

}  // namespace orba::pdx
