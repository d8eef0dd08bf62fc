// Two ways of reading every field of every record of a table: through this
// engine and through pxlib. Both fold what they read into the same summary,
// so a benchmark can check that they did the same work before timing them.
#pragma once

#include <cstdint>
#include <string>

#include "paradox/Status.h"
#include "paradox/Value.h"

namespace orba::bench {

struct ScanSummary {
  uint64_t records = 0;
  uint64_t values = 0;      // non-NULL values seen
  uint64_t text_bytes = 0;  // UTF-8 bytes of text values
  uint64_t checksum = 0;    // order-sensitive hash of every value and NULL
  bool operator==(const ScanSummary&) const = default;
};
std::string ToString(const ScanSummary& s);

// Opens the table (with its .MB) and decodes every record with
// Table::ReadRecord.
pdx::Status ScanWithEngine(const std::string& path, ScanSummary* summary);

// Opens the table with pxlib, converting text to UTF-8 as our engine does,
// and decodes every field with PX_get_data_*. No blob file is attached
// (Debian's pxlib 0.6.8 aborts with one), so memo fields are read as pxlib
// reads them without it. *note receives how the memo fields fared.
bool ScanWithPxlib(const std::string& path, ScanSummary* summary, std::string* error,
                   std::string* note = nullptr);

}  // namespace orba::bench
