// The writer's records against a std::vector under random inserts and
// removals at every place, across chunk splits and emptied chunks, with the
// pending blob values that travel with them.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "paradox/RowStore.h"

namespace orba::pdx {
namespace {

TEST(RowStore, BehavesAsAVectorOfRecordsUnderRandomInsertsAndRemovals) {
  for (size_t record_size : {size_t{3}, size_t{5000}}) {
    std::mt19937 random(7);
    RowStore store(record_size);
    std::vector<std::pair<std::string, std::string>> reference;  // bytes, pending blob
    auto record = [&](int step) {
      std::string r(record_size, static_cast<char>('a' + step % 26));
      r[0] = static_cast<char>(step);
      return r;
    };
    auto check = [&](int step) {
      ASSERT_EQ(store.size(), reference.size());
      for (size_t i = 0; i < reference.size(); ++i) {
        ASSERT_EQ(store.raw(i), reference[i].first) << step << " " << i;
        const PendingBlobs& b = store.blobs(i);
        ASSERT_EQ(b.empty() ? "" : b[0].second, reference[i].second) << step << " " << i;
      }
    };
    for (int step = 0; step < 30000; ++step) {
      // Grow for a while, then shrink to nothing, then grow again.
      const bool grow = (step / 10000) % 2 == 0 ? random() % 4 != 0 : random() % 4 == 0;
      if (grow || reference.empty()) {
        const size_t pos = step % 7 == 0 ? reference.size() : random() % (reference.size() + 1);
        const std::string blob = step % 5 == 0 ? "blob " + std::to_string(step) : "";
        store.insert(pos, record(step), blob.empty() ? PendingBlobs{} : PendingBlobs{{2, blob}});
        reference.insert(reference.begin() + static_cast<long>(pos), {record(step), blob});
      } else {
        const size_t pos = random() % reference.size();
        store.erase(pos);
        reference.erase(reference.begin() + static_cast<long>(pos));
      }
      if (step % 1999 == 0) check(step);
    }
    check(-1);
    // A record changed in place, then every pending value forgotten.
    if (!reference.empty()) {
      store.mutable_raw(0)[0] = 'Z';
      reference[0].first[0] = 'Z';
    }
    store.ClearBlobs();
    for (auto& r : reference) r.second.clear();
    check(-2);
  }
}

}  // namespace
}  // namespace orba::pdx
