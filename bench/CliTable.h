// Tables shaped like cli.DB (the clients table), filled with plausible
// French and English client records, for the engine benchmarks.
//
// Records are a pure function of their number, so a benchmark can rebuild
// the expected record or key of any position without keeping the table in
// memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "paradox/Field.h"
#include "paradox/Status.h"
#include "paradox/Table.h"

namespace orba::bench {

// kDrop leaves out the two memo fields: pxlib cannot be given the .MB (the
// Debian build aborts when one is attached), so it is compared on both.
enum class Memos { kKeep, kDrop };

// cli.DB's fields as the desktop declares them (38 with memos, 36 without).
std::vector<pdx::FieldDef> CliFields(Memos memos);
unsigned CliKeyFieldCount();

// Key of record i; keys sort in record order.
std::string CliCode(uint32_t i);
// A key that sorts between records i and i + 1, so it is in no record.
std::string MissingCliCode(uint32_t i);

pdx::Record CliRecord(uint32_t i, Memos memos);

struct CreateStats {
  double seconds = 0;     // creating, inserting and committing
  uint64_t db_bytes = 0;  // size of the .DB
  uint64_t mb_bytes = 0;  // size of the .MB (0 without memos)
};

// Creates `path` (a .DB that must not exist yet) holding records 0..count-1.
// The writer keeps the whole table in memory until its single commit; for
// 100,000 cli records that is a few hundred MB, acceptable for a benchmark.
pdx::Status CreateCliTable(const std::string& path, uint32_t count, Memos memos, CreateStats* stats);

uint64_t FileSize(const std::string& path);

}  // namespace orba::bench
