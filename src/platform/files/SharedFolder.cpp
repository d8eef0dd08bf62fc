#include "SharedFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orba::files {

namespace {

std::string parentOf(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  const std::size_t slash = p.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : p.substr(0, slash);
}

std::string failure(const std::string& what, const std::string& path, int error) {
  return what + " " + path + ": " + std::strerror(error);
}

}  // namespace

std::string shareLikeParent(const std::string& path) {
  struct stat parent {};
  if (stat(parentOf(path).c_str(), &parent) != 0) return failure("cannot read the folder above", path, errno);
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return failure("cannot open the folder", path, errno);
  struct stat self {};
  std::string error;
  if (fstat(fd, &self) != 0) {
    error = failure("cannot read the folder", path, errno);
  } else if (self.st_gid != parent.st_gid && fchown(fd, static_cast<uid_t>(-1), parent.st_gid) != 0) {
    error = failure("cannot give the group of the folder above to", path, errno);
  } else {
    // rwx for the owner; the group's and others' bits and set-group-ID as
    // the parent has them.
    const mode_t mode = S_IRWXU | (parent.st_mode & (S_IRWXG | S_IRWXO | S_ISGID));
    if (fchmod(fd, mode) != 0) error = failure("cannot set the permissions of", path, errno);
  }
  close(fd);
  return error;
}

std::string makeSharedFolder(const std::string& path) {
  if (path.empty()) return "no folder named";
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return {};
    return "not a folder: " + path;
  }
  const std::string parent = parentOf(path);
  if (parent != path) {
    if (std::string error = makeSharedFolder(parent); !error.empty()) return error;
  }
  if (mkdir(path.c_str(), S_IRWXU) != 0 && errno != EEXIST)
    return failure("cannot make the folder", path, errno);
  return shareLikeParent(path);
}

}  // namespace orba::files
