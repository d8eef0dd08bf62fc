// The demo's one source of variety. The generator and every derived draw are
// written out here rather than taken from <random>, whose distributions differ
// between standard libraries: the same seed must give the same tables on every
// build, so that two demo installations can be compared file for file.
#pragma once

#include <cstdint>
#include <span>

namespace orba::demo {

class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}

  // splitmix64: tiny, fast and well mixed even from small seeds.
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // In [lo, hi], both included.
  int between(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<uint64_t>(hi - lo + 1)); }
  // In [0, 1).
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  // Money-like: in [lo, hi] rounded to cents.
  double amount(double lo, double hi) {
    const double v = lo + (hi - lo) * unit();
    return static_cast<double>(static_cast<int64_t>(v * 100.0 + (v < 0 ? -0.5 : 0.5))) / 100.0;
  }
  bool chance(int percent) { return between(1, 100) <= percent; }
  template <typename T>
  const T& pick(std::span<const T> items) {
    return items[static_cast<size_t>(between(0, static_cast<int>(items.size()) - 1))];
  }
  template <typename T, size_t N>
  const T& pick(const T (&items)[N]) {
    return pick(std::span<const T>(items, N));
  }

 private:
  uint64_t state_;
};

}  // namespace orba::demo
