#include "SharedLibrary.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <utility>

namespace orba::loader {

SharedLibrary::~SharedLibrary() { unload(); }

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      failure_(other.failure_),
      error_(std::move(other.error_)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
  if (this != &other) {
    unload();
    handle_ = std::exchange(other.handle_, nullptr);
    failure_ = other.failure_;
    error_ = std::move(other.error_);
  }
  return *this;
}

SharedLibrary SharedLibrary::open(const std::string& pathOrName) {
  SharedLibrary lib;
  dlerror();
  lib.handle_ = dlopen(pathOrName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (lib.handle_) return lib;
  const char* why = dlerror();
  lib.error_ = why ? why : "unknown error";
  // The loader names the file it could not find: the library itself, or a
  // library that it needs.
  if (lib.error_.find("cannot open shared object file") != std::string::npos) {
    const bool self = lib.error_.rfind(pathOrName + ":", 0) == 0;
    struct stat st;
    const bool exists = pathOrName.find('/') != std::string::npos && stat(pathOrName.c_str(), &st) == 0;
    lib.failure_ = (exists || !self) ? Failure::MissingDependency : Failure::NotFound;
  } else if (lib.error_.find("invalid ELF header") != std::string::npos ||
             lib.error_.find("wrong ELF class") != std::string::npos ||
             lib.error_.find("file too short") != std::string::npos) {
    lib.failure_ = Failure::BadFormat;
  } else {
    lib.failure_ = Failure::Other;
  }
  return lib;
}

SharedLibrary SharedLibrary::loadFile(const std::string& path) {
  if (path.empty() || path[0] != '/') {
    SharedLibrary lib;
    lib.failure_ = Failure::NotFound;
    lib.error_ = path + ": not an absolute path";
    return lib;
  }
  return open(path);
}

SharedLibrary SharedLibrary::loadByName(const std::string& name) { return open(name); }

void* SharedLibrary::symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

void SharedLibrary::unload() {
  if (handle_) dlclose(std::exchange(handle_, nullptr));
}

}  // namespace orba::loader
