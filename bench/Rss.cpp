#include "Rss.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orba::bench {

RssSample ReadRss() {
  RssSample s;
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return s;
  char line[256];
  while (std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, "VmRSS:", 6) == 0)
      s.rss_kb = std::strtol(line + 6, nullptr, 10);
    else if (std::strncmp(line, "VmHWM:", 6) == 0)
      s.hwm_kb = std::strtol(line + 6, nullptr, 10);
  }
  std::fclose(f);
  return s;
}

bool ResetPeakRss() {
  std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
  if (!f) return false;
  const bool ok = std::fputs("5", f) >= 0;
  return std::fclose(f) == 0 && ok;
}

long long ReadBytesSoFar() {
  std::FILE* f = std::fopen("/proc/self/io", "r");
  if (!f) return -1;
  long long bytes = -1;
  char line[256];
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, "rchar:", 6) == 0) bytes = std::strtoll(line + 6, nullptr, 10);
  std::fclose(f);
  return bytes;
}

}  // namespace orba::bench
