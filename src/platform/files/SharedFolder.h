#pragma once

#include <string>

namespace orba::files {

// Folders the program makes in a shared data folder (a company, the data
// folder itself, a scratch folder) are shared the way their parent is: they
// take the parent's group, its group and other permission bits and its
// set-group-ID bit, so that every member of the office's group can use what
// one member made. The owner keeps full access. Nothing follows a symbolic
// link: the permissions are given through the folder's own descriptor.
//
// Each returns empty text on success, otherwise what failed, naming the
// folder.

// Makes the folder, and the missing folders above it, each shared like its
// own parent. An existing folder is left as it is.
std::string makeSharedFolder(const std::string& path);

// Gives a folder just made by this process (mkdtemp's private 0700 folder)
// its parent's group and permissions.
std::string shareLikeParent(const std::string& path);

}  // namespace orba::files
