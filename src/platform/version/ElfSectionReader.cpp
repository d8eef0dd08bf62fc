#include "ElfSectionReader.h"

#include <cstring>
#include <fstream>

namespace orba::version {

namespace {

// Bounds-checked little-endian reads over a file held in memory.
struct Bytes {
  const std::vector<std::uint8_t>& data;
  bool has(std::uint64_t offset, std::uint64_t size) const {
    return offset <= data.size() && size <= data.size() - offset;
  }
  std::uint64_t le(std::uint64_t offset, int width) const {
    std::uint64_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = (v << 8) | data[offset + i];
    return v;
  }
};

constexpr std::uint64_t kMaxFileSize = 512ull * 1024 * 1024;

}  // namespace

std::optional<std::vector<std::uint8_t>> readElfSection(const std::string& path,
                                                        const std::string& sectionName, std::size_t maxSize) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  const std::streamoff size = in.tellg();
  if (size < 52 || static_cast<std::uint64_t>(size) > kMaxFileSize) return std::nullopt;
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(data.data()), size)) return std::nullopt;

  const Bytes b{data};
  if (std::memcmp(data.data(),
                  "\x7f"
                  "ELF",
                  4) != 0)
    return std::nullopt;
  const bool is64 = data[4] == 2;
  if ((data[4] != 1 && data[4] != 2) || data[5] != 1 /* little-endian */) return std::nullopt;
  const int word = is64 ? 8 : 4;

  const std::uint64_t shoff = b.le(is64 ? 0x28 : 0x20, word);
  const std::uint64_t shentsize = b.le(is64 ? 0x3A : 0x2E, 2);
  const std::uint64_t shnum = b.le(is64 ? 0x3C : 0x30, 2);
  const std::uint64_t shstrndx = b.le(is64 ? 0x3E : 0x32, 2);
  const std::uint64_t minEntry = is64 ? 64 : 40;
  if (shentsize < minEntry || shnum == 0 || shstrndx >= shnum) return std::nullopt;
  if (!b.has(shoff, shentsize * shnum)) return std::nullopt;

  struct Section {
    std::uint64_t name, type, offset, size;
  };
  auto section = [&](std::uint64_t index) {
    const std::uint64_t at = shoff + index * shentsize;
    Section s;
    s.name = b.le(at, 4);
    s.type = b.le(at + 4, 4);
    s.offset = b.le(at + (is64 ? 0x18 : 0x10), word);
    s.size = b.le(at + (is64 ? 0x20 : 0x14), word);
    return s;
  };

  const Section names = section(shstrndx);
  if (!b.has(names.offset, names.size)) return std::nullopt;
  for (std::uint64_t i = 0; i < shnum; ++i) {
    const Section s = section(i);
    if (s.name >= names.size) continue;
    const char* name = reinterpret_cast<const char*>(data.data() + names.offset + s.name);
    const std::size_t room = names.size - s.name;
    if (strnlen(name, room) != sectionName.size() ||
        sectionName.compare(0, room, name, sectionName.size()) != 0)
      continue;
    constexpr std::uint64_t kNoBits = 8;
    if (s.type == kNoBits || s.size > maxSize || !b.has(s.offset, s.size)) return std::nullopt;
    return std::vector<std::uint8_t>(data.begin() + s.offset, data.begin() + s.offset + s.size);
  }
  return std::nullopt;
}

}  // namespace orba::version
