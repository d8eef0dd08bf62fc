#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "SharedLibrary.h"
#include "castellan/linku.h"

namespace orba::dispatch {

// One module library, loaded by absolute path from the program folder for
// one call and unloaded when this object goes away.
class ModuleLibrary {
 public:
  // Error numbers of a failed load, as the messages show them.
  static constexpr int kNotFound = 2;
  static constexpr int kBadFormat = 193;
  static constexpr int kNoEntryPoint = 127;
  // A library that the module itself needs is missing.
  static constexpr int kDependencyMissing = 1157;

  // `name` without extension ("gl03" loads programDir/gl03.so). Only plain
  // names are accepted: a name with a path separator would reach outside
  // the program folder.
  static ModuleLibrary load(const QString& programDir, const QString& name);

  ModuleLibrary() = default;
  // Unloads the library, and first what Qt keeps of it (ModuleMetaTypes.h).
  ~ModuleLibrary();
  ModuleLibrary(ModuleLibrary&& other) noexcept;
  ModuleLibrary& operator=(ModuleLibrary&& other) noexcept;

  bool isLoaded() const { return entry_ != nullptr; }
  int errorNumber() const { return errorNumber_; }
  QString errorText() const { return errorText_; }

  // Calls ShowDllForm; the result 0 means the module refused.
  std::int32_t call(const TLinkSection& link);
  // The Tools-menu maintenance entry, with the option catalogue.
  std::int32_t callWithCatalogue(const TLinkSection& link, const QStringList& names,
                                 const QStringList& codes);

  // Forgets the library's types in Qt's registry, then unloads it.
  void unload();

 private:
  loader::SharedLibrary library_;
  void* entry_ = nullptr;
  int errorNumber_ = 0;
  QString errorText_;
};

}  // namespace orba::dispatch
