#include "ElfSectionReader.h"

#include <cstring>
#include <fstream>

namespace orba::version {

namespace {

// Bounds-checked little-endian reads over bytes read from the file.
std::uint64_t le(const std::vector<std::uint8_t>& data, std::uint64_t offset, int width) {
  std::uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | data[offset + i];
  return v;
}

// The headers and the wanted section only: a program reading its own
// version must not read its whole executable (tens of megabytes with debug
// information) to get a few bytes.
class ElfFile {
 public:
  explicit ElfFile(const std::string& path) : in_(path, std::ios::binary | std::ios::ate) {
    if (in_) size_ = static_cast<std::uint64_t>(in_.tellg());
  }
  std::uint64_t size() const { return size_; }
  // The bytes at [offset, offset + count), or nothing when they are not all
  // in the file.
  std::optional<std::vector<std::uint8_t>> read(std::uint64_t offset, std::uint64_t count) {
    if (!in_ || offset > size_ || count > size_ - offset) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    in_.seekg(static_cast<std::streamoff>(offset));
    if (count && !in_.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count)))
      return std::nullopt;
    return bytes;
  }

 private:
  std::ifstream in_;
  std::uint64_t size_ = 0;
};

// Section name tables and section header tables of real programs are a few
// kilobytes; anything far larger is a damaged file.
constexpr std::uint64_t kMaxTableSize = 16ull * 1024 * 1024;

}  // namespace

std::optional<std::vector<std::uint8_t>> readElfSection(const std::string& path,
                                                        const std::string& sectionName, std::size_t maxSize) {
  ElfFile file(path);
  if (file.size() < 52) return std::nullopt;
  const auto header = file.read(0, file.size() < 64 ? 52 : 64);
  if (!header || std::memcmp(header->data(),
                             "\x7f"
                             "ELF",
                             4) != 0)
    return std::nullopt;
  const std::vector<std::uint8_t>& h = *header;
  const bool is64 = h[4] == 2;
  if ((h[4] != 1 && h[4] != 2) || h[5] != 1 /* little-endian */) return std::nullopt;
  if (is64 && h.size() < 64) return std::nullopt;
  const int word = is64 ? 8 : 4;

  const std::uint64_t shoff = le(h, is64 ? 0x28 : 0x20, word);
  const std::uint64_t shentsize = le(h, is64 ? 0x3A : 0x2E, 2);
  const std::uint64_t shnum = le(h, is64 ? 0x3C : 0x30, 2);
  const std::uint64_t shstrndx = le(h, is64 ? 0x3E : 0x32, 2);
  const std::uint64_t minEntry = is64 ? 64 : 40;
  if (shentsize < minEntry || shnum == 0 || shstrndx >= shnum) return std::nullopt;
  const auto table = file.read(shoff, shentsize * shnum);
  if (!table) return std::nullopt;

  struct Section {
    std::uint64_t name, type, offset, size;
  };
  auto section = [&](std::uint64_t index) {
    const std::uint64_t at = index * shentsize;
    Section s;
    s.name = le(*table, at, 4);
    s.type = le(*table, at + 4, 4);
    s.offset = le(*table, at + (is64 ? 0x18 : 0x10), word);
    s.size = le(*table, at + (is64 ? 0x20 : 0x14), word);
    return s;
  };

  const Section namesSection = section(shstrndx);
  if (namesSection.size > kMaxTableSize) return std::nullopt;
  const auto names = file.read(namesSection.offset, namesSection.size);
  if (!names) return std::nullopt;
  for (std::uint64_t i = 0; i < shnum; ++i) {
    const Section s = section(i);
    if (s.name >= names->size()) continue;
    const char* name = reinterpret_cast<const char*>(names->data() + s.name);
    const std::size_t room = names->size() - s.name;
    if (strnlen(name, room) != sectionName.size() ||
        sectionName.compare(0, room, name, sectionName.size()) != 0)
      continue;
    constexpr std::uint64_t kNoBits = 8;
    if (s.type == kNoBits || s.size > maxSize) return std::nullopt;
    return file.read(s.offset, s.size);
  }
  return std::nullopt;
}

}  // namespace orba::version
