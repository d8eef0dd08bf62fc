#include "ModuleLoader.h"

#include "ModuleLibrary.h"

namespace orba::dispatch {

namespace {

class LoadedLibrary final : public LoadedModule {
 public:
  explicit LoadedLibrary(ModuleLibrary library) : library_(std::move(library)) {}
  ~LoadedLibrary() override { library_.unload(); }
  std::int32_t call(const TLinkSection& link) override { return library_.call(link); }
  std::int32_t callWithCatalogue(const TLinkSection& link, const QStringList& names,
                                 const QStringList& codes) override {
    return library_.callWithCatalogue(link, names, codes);
  }

 private:
  ModuleLibrary library_;
};

}  // namespace

ModuleLoader::Result LibraryModuleLoader::load(const QString& programDir, const QString& library) {
  ModuleLibrary loaded = ModuleLibrary::load(programDir, library);
  Result result;
  if (!loaded.isLoaded()) {
    result.errorNumber = loaded.errorNumber();
    result.errorText = loaded.errorText();
    return result;
  }
  result.module = std::make_unique<LoadedLibrary>(std::move(loaded));
  return result;
}

}  // namespace orba::dispatch
