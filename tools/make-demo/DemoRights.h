// The rights field of the demo users, built from the module menus so that
// the bits follow the menu order the desktop reads them in.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orba::demo {

constexpr size_t kRightsBytes = 200;

// Every option of every module menu.
std::string allRights();
// Only the options named, by option code ("ar05"). A code that is not an
// option of the menus is reported in *unknown, so a typo cannot silently
// drop a right.
std::string rightsFor(const std::vector<std::string_view>& codes, std::string* unknown);

}  // namespace orba::demo
