#include "LoadedModule.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <vector>

LoadedModule::LoadedModule(const QString& path)
    : path_(path), library_(orba::loader::SharedLibrary::loadFile(path.toStdString())) {
  if (!library_.isLoaded())
    ADD_FAILURE() << "cannot load " << path.toStdString() << ": " << library_.errorText();
}

std::int32_t LoadedModule::call(const TLinkSection& link) {
  auto entry = function<OrbaShowDllForm>("ShowDllForm");
  if (!entry) {
    ADD_FAILURE() << path_.toStdString() << " has no ShowDllForm";
    return -1;
  }
  return entry(link);
}

std::int32_t LoadedModule::call(const TLinkSection& link, const QStringList& names,
                                const QStringList& codes) {
  auto entry = function<OrbaShowDllFormWithCatalogue>("ShowDllForm");
  if (!entry) {
    ADD_FAILURE() << path_.toStdString() << " has no ShowDllForm";
    return -1;
  }
  std::vector<QByteArray> storage;
  std::vector<const char*> nameLines, codeLines;
  storage.reserve(static_cast<std::size_t>(names.size() + codes.size()));
  for (const QString& n : names) nameLines.push_back(storage.emplace_back(n.toUtf8()).constData());
  for (const QString& c : codes) codeLines.push_back(storage.emplace_back(c.toUtf8()).constData());
  const OrbaStringList nameList{static_cast<std::int32_t>(nameLines.size()), nameLines.data()};
  const OrbaStringList codeList{static_cast<std::int32_t>(codeLines.size()), codeLines.data()};
  return entry(link, &nameList, &codeList);
}

void LoadedModule::setEnv(orba::pdx::Env* env) {
  auto seam = function<void (*)(orba::pdx::Env*)>("OrbaTestSetEnv");
  if (!seam) {
    ADD_FAILURE() << path_.toStdString() << " has no OrbaTestSetEnv";
    return;
  }
  seam(env);
}

bool LoadedModule::mapped(const QString& path) {
  const QString file = QFileInfo(path).canonicalFilePath();
  QFile maps(QStringLiteral("/proc/self/maps"));
  if (file.isEmpty() || !maps.open(QIODevice::ReadOnly)) return false;
  for (const QByteArray& line : maps.readAll().split('\n'))
    if (line.endsWith(' ' + file.toLocal8Bit())) return true;
  return false;
}
