#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "castellan/linku.h"

namespace orba::dispatch {

// A module library loaded for one call. Destroying it unloads the library,
// so nothing of the module stays in the process after the call.
class LoadedModule {
 public:
  virtual ~LoadedModule() = default;
  // ShowDllForm(link); 0 means the module refused to run.
  virtual std::int32_t call(const TLinkSection& link) = 0;
  // The Tools-menu maintenance entry: ShowDllForm(link, names, codes).
  virtual std::int32_t callWithCatalogue(const TLinkSection& link, const QStringList& names,
                                         const QStringList& codes) = 0;
};

// Finds and loads module libraries. The desktop's loader opens
// programDir/<library>.so; the runner's tests put a fake behind this seam.
class ModuleLoader {
 public:
  struct Result {
    std::unique_ptr<LoadedModule> module;  // null when the library did not load
    int errorNumber = 0;                   // then why, as the messages number it
    QString errorText;                     // and the loader's own words
  };
  virtual ~ModuleLoader() = default;
  virtual Result load(const QString& programDir, const QString& library) = 0;
};

// Module libraries from disk, by absolute path in the program folder
// (ModuleLibrary).
class LibraryModuleLoader final : public ModuleLoader {
 public:
  Result load(const QString& programDir, const QString& library) override;
};

}  // namespace orba::dispatch
