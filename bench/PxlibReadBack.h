// Reads a table the benchmark wrote with pxlib, an independent reader, and
// with the engine, record for record (bench_commit checks every table it
// wrote before removing it).
#pragma once

#include <string>

namespace orba::bench {

// "" when pxlib reads the same records as the engine (and, for a keyed
// table, reads its .PX); otherwise what differs.
std::string PxlibReadBack(const std::string& path);

}  // namespace orba::bench
