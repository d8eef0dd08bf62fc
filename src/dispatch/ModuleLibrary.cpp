#include "ModuleLibrary.h"

#include <utility>
#include <vector>

#include "ModuleMetaTypes.h"

namespace orba::dispatch {

ModuleLibrary ModuleLibrary::load(const QString& programDir, const QString& name) {
  ModuleLibrary m;
  if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String("..")) {
    m.errorNumber_ = kNotFound;
    m.errorText_ = QStringLiteral("%1: not a module name").arg(name);
    return m;
  }
  const QString path = programDir + QLatin1Char('/') + name + QStringLiteral(".so");
  m.library_ = loader::SharedLibrary::loadFile(path.toStdString());
  if (!m.library_.isLoaded()) {
    using F = loader::SharedLibrary::Failure;
    switch (m.library_.failure()) {
      case F::NotFound:
        m.errorNumber_ = kNotFound;
        break;
      case F::MissingDependency:
        m.errorNumber_ = kDependencyMissing;
        break;
      case F::BadFormat:
        m.errorNumber_ = kBadFormat;
        break;
      default:
        m.errorNumber_ = kBadFormat;
        break;
    }
    m.errorText_ = QString::fromStdString(m.library_.errorText());
    return m;
  }
  m.entry_ = m.library_.symbol("ShowDllForm");
  if (!m.entry_) {
    m.errorNumber_ = kNoEntryPoint;
    m.errorText_ = QStringLiteral("%1: ShowDllForm is not exported").arg(path);
    m.library_.unload();
  }
  return m;
}

std::int32_t ModuleLibrary::call(const TLinkSection& link) {
  return reinterpret_cast<OrbaShowDllForm>(entry_)(link);
}

std::int32_t ModuleLibrary::callWithCatalogue(const TLinkSection& link, const QStringList& names,
                                              const QStringList& codes) {
  // The lines stay alive, as UTF-8, for the whole call.
  std::vector<QByteArray> storage;
  std::vector<const char*> nameLines, codeLines;
  storage.reserve(static_cast<std::size_t>(names.size() + codes.size()));
  for (const QString& n : names) nameLines.push_back(storage.emplace_back(n.toUtf8()).constData());
  for (const QString& c : codes) codeLines.push_back(storage.emplace_back(c.toUtf8()).constData());
  const OrbaStringList nameList{static_cast<std::int32_t>(nameLines.size()), nameLines.data()};
  const OrbaStringList codeList{static_cast<std::int32_t>(codeLines.size()), codeLines.data()};
  return reinterpret_cast<OrbaShowDllFormWithCatalogue>(entry_)(link, &nameList, &codeList);
}

ModuleLibrary::~ModuleLibrary() { unload(); }

ModuleLibrary::ModuleLibrary(ModuleLibrary&& other) noexcept { *this = std::move(other); }

ModuleLibrary& ModuleLibrary::operator=(ModuleLibrary&& other) noexcept {
  if (this == &other) return *this;
  unload();
  library_ = std::move(other.library_);
  entry_ = std::exchange(other.entry_, nullptr);
  errorNumber_ = other.errorNumber_;
  errorText_ = std::move(other.errorText_);
  return *this;
}

void ModuleLibrary::unload() {
  if (entry_) forgetModuleMetaTypes(entry_);
  entry_ = nullptr;
  library_.unload();
}

}  // namespace orba::dispatch
