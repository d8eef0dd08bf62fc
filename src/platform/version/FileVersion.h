#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orba::version {

using VersionNumbers = std::array<std::uint16_t, 4>;  // major, minor, release, build

// The version record of any file, or nothing when it has none.
std::optional<VersionNumbers> readFileVersion(const std::string& path);

// The first `count` numbers joined by "."; `count` below 1 or above 4 means 4.
// A file without a version record gives the empty text.
std::string GetFileVersionText(const std::string& fileName, int count);

// The version of the running program's own executable.
std::string ProgramVersionText();

}  // namespace orba::version
