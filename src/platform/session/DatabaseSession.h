#pragma once

#include <string>

namespace orba::session {

// Process-wide state of the storage layer that the settings decide.
//
// The shared lock-control directory is where programs sharing one data
// directory meet to coordinate their locks; it is the raw data root of the
// settings, before "/Orba/data" is appended.
void setSharedLockDirectory(const std::string& directory);
std::string sharedLockDirectory();

}  // namespace orba::session
