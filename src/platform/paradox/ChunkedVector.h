// ChunkedVector: a sequence with positional access, insertion and removal
// anywhere in O(chunk + log n), for the rows a writer holds.
//
// A std::vector moves every element after the place of an insertion, so an
// import out of key order cost O(n^2) and the first insert after loading a
// full vector moved the whole table. Here the elements live in chunks of at
// most kMaxChunk; a Fenwick tree over the chunks' sizes finds the chunk of a
// position. A chunk that grows past kMaxChunk is split in two (the tree is
// rebuilt then, once per kMaxChunk / 2 insertions at most).
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace orba::pdx {

template <typename T>
class ChunkedVector {
 public:
  static constexpr size_t kMaxChunk = 1024;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  T& operator[](size_t i) {
    auto [c, within] = Locate(i);
    return chunks_[c][within];
  }
  const T& operator[](size_t i) const {
    auto [c, within] = Locate(i);
    return chunks_[c][within];
  }

  void push_back(T value) { insert(size_, std::move(value)); }

  // Inserts before position pos (pos == size() appends).
  void insert(size_t pos, T value) {
    if (chunks_.empty()) {
      chunks_.emplace_back();
      chunks_.back().reserve(kMaxChunk);
      Rebuild();
    }
    size_t c, within;
    if (pos == size_) {
      c = chunks_.size() - 1;
      within = chunks_[c].size();
    } else {
      std::tie(c, within) = Locate(pos);
    }
    std::vector<T>& chunk = chunks_[c];
    chunk.insert(chunk.begin() + static_cast<long>(within), std::move(value));
    ++size_;
    if (chunk.size() > kMaxChunk) {
      // Appends fill a chunk and start the next; other inserts split evenly.
      const size_t keep =
          c + 1 == chunks_.size() && within + 1 == chunk.size() ? kMaxChunk : chunk.size() / 2;
      std::vector<T> tail;
      tail.reserve(kMaxChunk);
      for (size_t i = keep; i < chunk.size(); ++i) tail.push_back(std::move(chunk[i]));
      chunk.resize(keep);
      chunks_.insert(chunks_.begin() + static_cast<long>(c) + 1, std::move(tail));
      Rebuild();
    } else {
      Add(c, 1);
    }
  }

  void erase(size_t pos) {
    auto [c, within] = Locate(pos);
    std::vector<T>& chunk = chunks_[c];
    chunk.erase(chunk.begin() + static_cast<long>(within));
    --size_;
    if (chunk.empty()) {
      chunks_.erase(chunks_.begin() + static_cast<long>(c));
      Rebuild();
    } else {
      Add(c, -1);
    }
  }

  void clear() {
    chunks_.clear();
    tree_.clear();
    size_ = 0;
  }

  // Calls f(element) for every element in order.
  template <typename F>
  void ForEach(F&& f) {
    for (std::vector<T>& chunk : chunks_)
      for (T& v : chunk) f(v);
  }

 private:
  // The chunk holding position i and the place within it.
  std::pair<size_t, size_t> Locate(size_t i) const {
    // Fenwick descent: the largest chunk index whose prefix sum is <= i.
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
  void Add(size_t c, long delta) {
    for (size_t k = c + 1; k <= tree_.size(); k += k & (~k + 1)) tree_[k - 1] += static_cast<size_t>(delta);
  }
  void Rebuild() {
    tree_.assign(chunks_.size(), 0);
    for (size_t c = 0; c < chunks_.size(); ++c) {
      tree_[c] += chunks_[c].size();
      const size_t parent = (c + 1) + ((c + 1) & (~(c + 1) + 1));
      if (parent <= tree_.size()) tree_[parent - 1] += tree_[c];
    }
  }

  std::vector<std::vector<T>> chunks_;
  std::vector<size_t> tree_;  // Fenwick tree over chunks_[c].size()
  size_t size_ = 0;
};

}  // namespace orba::pdx
