// Tables with secondary indexes made by the engine itself, so that the
// index, commit and crash suites run on any machine; the files written by
// other software (test_paradox_samples) are an extra check.
#pragma once

#include <string>
#include <vector>

#include "paradox/Field.h"

namespace orba::pdx::testing {

// customers.db: an autoincrement key, a memo (some values long enough for
// the .mb), a single-field index on City (.x07), a composite index on Name
// and Contact that ignores letter case (.xg0, "ByName") and one on Balance
// descending then City (.xg1, "ByBalance").
inline constexpr size_t kCustomerMemo = 7;
std::string MakeCustomers(const std::string& dir, int records = 60);

// types.db: a two-field key (Code A, Line I) and one field of every type the
// engine writes; single-field indexes on the short, date, time, timestamp,
// logical and money fields, composite ones mixing case-blind alpha with
// descending numbers and dates. Every indexed value is set (a blank in a
// descending field has no known place).
std::string MakeEveryType(const std::string& dir, int records = 150);

// ledger.db: no key (indexes list records by number), a single-field index
// on Amount and a composite one on Text (case ignored) and Amount
// descending.
std::string MakeLedger(const std::string& dir, int records = 80);

}  // namespace orba::pdx::testing
