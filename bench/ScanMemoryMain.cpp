// bench_paradox_scan_memory TABLE.db
//
// Opens TABLE.db with the engine, reads every field of every record, and
// prints one line of key=value pairs: what was read and the peak resident
// memory of the scan over the resident memory before it. A process of its
// own, so whatever made the table does not count.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "CliTable.h"
#include "Rss.h"
#include "Scanners.h"

int main(int argc, char** argv) {
  using namespace orba::bench;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s TABLE.db\n", argv[0]);
    return 2;
  }
  const std::string path = argv[1];
  const bool reset = ResetPeakRss();
  const RssSample before = ReadRss();
  const auto start = std::chrono::steady_clock::now();
  ScanSummary summary;
  orba::pdx::Status s = ScanWithEngine(path, &summary);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const RssSample after = ReadRss();
  if (!s.ok()) {
    std::fprintf(stderr, "%s\n", s.ToString().c_str());
    return 1;
  }
  struct rusage ru {};
  getrusage(RUSAGE_SELF, &ru);
  const uint64_t db = FileSize(path);
  const uint64_t mb = FileSize(orba::pdx::WithExtension(path, "mb"));
  std::printf(
      "%s table_bytes=%llu blob_bytes=%llu seconds=%.3f peak_reset=%s start_rss_kb=%ld "
      "peak_rss_kb=%ld delta_kb=%ld maxrss_kb=%ld\n",
      ToString(summary).c_str(), static_cast<unsigned long long>(db), static_cast<unsigned long long>(mb),
      seconds, reset ? "yes" : "no", before.rss_kb, after.hwm_kb, after.hwm_kb - before.rss_kb, ru.ru_maxrss);
  return 0;
}
