#pragma once

#include <string>

namespace orba::loader {

// One loaded shared object, unloaded when this object goes away.
//
// Module libraries are loaded by absolute path only: a bare name would be
// looked up through the search path and the current directory, and any
// folder could then plant a library. Only the progress-dialog library, which
// ships with the program, is also looked up by name.
class SharedLibrary {
 public:
  // Why a load failed, as far as the system tells.
  enum class Failure { None, NotFound, MissingDependency, BadFormat, Other };

  SharedLibrary() = default;
  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;
  SharedLibrary(SharedLibrary&& other) noexcept;
  SharedLibrary& operator=(SharedLibrary&& other) noexcept;

  // `path` must be absolute; a relative path is refused without loading.
  static SharedLibrary loadFile(const std::string& path);
  // Through the system's library search.
  static SharedLibrary loadByName(const std::string& name);

  bool isLoaded() const { return handle_ != nullptr; }
  // The address of an exported symbol, or nullptr.
  void* symbol(const char* name) const;
  void unload();

  Failure failure() const { return failure_; }
  // The loader's own explanation of a failed load.
  const std::string& errorText() const { return error_; }

 private:
  static SharedLibrary open(const std::string& pathOrName);

  void* handle_ = nullptr;
  Failure failure_ = Failure::None;
  std::string error_;
};

}  // namespace orba::loader
