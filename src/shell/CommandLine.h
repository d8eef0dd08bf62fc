#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace orba::shell {

// The questions the command line can ask before any window exists, so that
// they are answered without a display: --help (or -h) and --version print
// their answer on `out` and the program ends with the status returned.
// Anything else, Qt's own options (-platform, -style ...) among them, is left
// to the application object: std::nullopt.
std::optional<int> answerCommandLine(int argc, const char* const* argv, const std::string& version,
                                     std::FILE* out);

// "1.0.0.1" from the four numbers of a version record.
std::string versionText(const std::uint16_t (&numbers)[4]);

}  // namespace orba::shell
