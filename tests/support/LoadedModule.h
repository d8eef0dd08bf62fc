#pragma once

// A module library loaded the way the desktop loads it: by absolute path
// through the program's own loader, its entry point called with the record
// by value, and unloaded; afterwards the test can ask whether it really
// left the process.

#include <QString>
#include <QStringList>
#include <cstdint>

#include "SharedLibrary.h"
#include "castellan/linku.h"

namespace orba::pdx {
class Env;
}

class LoadedModule {
 public:
  // A library that cannot be loaded fails the test; isLoaded() then says no.
  explicit LoadedModule(const QString& path);
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  bool isLoaded() const { return library_.isLoaded(); }
  const QString& path() const { return path_; }
  // An exported function, or nullptr.
  template <typename Function>
  Function function(const char* name) const {
    return reinterpret_cast<Function>(library_.symbol(name));
  }
  bool exports(const char* name) const { return library_.symbol(name) != nullptr; }

  // ShowDllForm, one-argument form; a missing entry point fails the test.
  std::int32_t call(const TLinkSection& link);
  // The Tools-menu form, with the option catalogue lent for the call.
  std::int32_t call(const TLinkSection& link, const QStringList& names, const QStringList& codes);

  // The file system the tables of one of the program's own module libraries
  // go through (nullptr: the system's), through its tests' seam.
  void setEnv(orba::pdx::Env* env);

  void unload() { library_.unload(); }
  // Whether a file is mapped into this process: after unload(), whether
  // the library is really gone, so that no call finds the last one's state.
  static bool mapped(const QString& path);

 private:
  QString path_;
  orba::loader::SharedLibrary library_;
};
