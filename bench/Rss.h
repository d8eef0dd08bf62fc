// Resident memory of this process, from /proc/self/status.
#pragma once

namespace orba::bench {

struct RssSample {
  long rss_kb = -1;  // VmRSS: resident now
  long hwm_kb = -1;  // VmHWM: highest resident since start or the last reset
};
RssSample ReadRss();

// Sets the high-water mark back to the current resident size (Linux 4.0+,
// through /proc/self/clear_refs), so that a later VmHWM covers only what
// follows. False when the kernel refuses; VmHWM then also covers start-up.
bool ResetPeakRss();

// Bytes this process has read through read(2) and its kin so far
// (/proc/self/io "rchar", page cache hits included); -1 when unknown.
long long ReadBytesSoFar();

}  // namespace orba::bench
