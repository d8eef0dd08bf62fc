// An independent check that a table's secondary indexes describe it: every
// record listed once, with its indexed values, in the index's order, at its
// block; and each tree file matching the blocks of its index file.
#pragma once

#include <string>

#include "paradox/Env.h"

namespace orba::pdx::testing {

struct IndexCheckOptions {
  Env* env = nullptr;
  // Block numbers must be the records' blocks (Paradox's own files keep
  // them only as hints).
  bool exact_blocks = true;
  // An index its reader reports as out of date is passed over rather than
  // being a fault.
  bool allow_out_of_date = false;
};

// "" when every secondary index of the table checks out; otherwise one line
// per fault. *checked (optional) receives how many indexes were examined.
std::string CheckSecondaryIndexes(const std::string& db_path, const IndexCheckOptions& options = {},
                                  int* checked = nullptr);

}  // namespace orba::pdx::testing
