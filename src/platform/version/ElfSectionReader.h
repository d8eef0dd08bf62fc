#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orba::version {

// Reads the contents of one named section of an ELF file (32- or 64-bit,
// little-endian). Any file that is not such an ELF file, or whose headers
// point outside the file, simply has no sections.
std::optional<std::vector<std::uint8_t>> readElfSection(const std::string& path,
                                                        const std::string& sectionName,
                                                        std::size_t maxSize = 4096);

}  // namespace orba::version
