// The writer's row sequence against std::vector under random inserts and
// removals at every place, across chunk splits and emptied chunks.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "paradox/ChunkedVector.h"

namespace orba::pdx {
namespace {

TEST(ChunkedVector, BehavesAsAVectorUnderRandomInsertsAndRemovals) {
  std::mt19937 random(7);
  ChunkedVector<int> chunked;
  std::vector<int> reference;
  for (int step = 0; step < 60000; ++step) {
    // Grow for a while, then shrink to nothing, then grow again.
    const bool grow = (step / 20000) % 2 == 0 ? random() % 4 != 0 : random() % 4 == 0;
    if (grow || reference.empty()) {
      const size_t pos = step % 7 == 0 ? reference.size() : random() % (reference.size() + 1);
      chunked.insert(pos, step);
      reference.insert(reference.begin() + static_cast<long>(pos), step);
    } else {
      const size_t pos = random() % reference.size();
      chunked.erase(pos);
      reference.erase(reference.begin() + static_cast<long>(pos));
    }
    ASSERT_EQ(chunked.size(), reference.size());
    if (step % 997 == 0) {
      for (size_t i = 0; i < reference.size(); ++i) ASSERT_EQ(chunked[i], reference[i]) << step << " " << i;
      size_t i = 0;
      chunked.ForEach([&](int v) { ASSERT_EQ(v, reference[i++]); });
      ASSERT_EQ(i, reference.size());
    }
  }
  for (size_t i = 0; i < 5000; ++i) chunked.push_back(static_cast<int>(i));
  for (size_t i = 0; i < 5000; ++i) ASSERT_EQ(chunked[chunked.size() - 5000 + i], static_cast<int>(i));
}

}  // namespace
}  // namespace orba::pdx
