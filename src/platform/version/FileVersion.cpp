#include "FileVersion.h"

#include <unistd.h>

#include <climits>
#include <cstring>

#include "ElfSectionReader.h"
#include "castellan/version_section.h"

namespace orba::version {

std::optional<VersionNumbers> readFileVersion(const std::string& path) {
  const auto bytes = readElfSection(path, ORBA_VERSION_SECTION_NAME);
  if (!bytes || bytes->size() < sizeof(OrbaVersionSection)) return std::nullopt;
  if (std::memcmp(bytes->data(), ORBA_VERSION_MAGIC, sizeof(ORBA_VERSION_MAGIC)) != 0) return std::nullopt;
  VersionNumbers v{};
  for (int i = 0; i < 4; ++i)
    v[i] = static_cast<std::uint16_t>((*bytes)[8 + 2 * i] | ((*bytes)[9 + 2 * i] << 8));
  return v;
}

std::string GetFileVersionText(const std::string& fileName, int count) {
  if (count < 1 || count > 4) count = 4;
  const auto v = readFileVersion(fileName);
  if (!v) return {};
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i) text += '.';
    text += std::to_string((*v)[i]);
  }
  return text;
}

std::string ProgramVersionText() {
  // The running program's version does not change while it runs (a new
  // file installed meanwhile is not what runs), so it is read once.
  static const std::string text = [] {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0) return std::string();
    return GetFileVersionText(std::string(path, static_cast<std::size_t>(n)), 4);
  }();
  return text;
}

}  // namespace orba::version
