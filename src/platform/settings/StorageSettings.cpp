#include "StorageSettings.h"

#include "DefaultPaths.h"

namespace orba::settings {

StorageSettings readStorageSettings(const SettingsStore& store) {
  // Heap copies rather than literals: module libraries link this too, and a
  // literal's characters leave with the library when it is unloaded.
  const QString section = QString::fromLatin1("Orba");
  StorageSettings s;
  s.dataDrive = store.value(section, QString::fromLatin1("datadrive"), kDefaultDataDrive);
  bool ok = false;
  const int wait = store.value(section, QString::fromLatin1("LockWait"), QString()).trimmed().toInt(&ok, 10);
  if (ok && wait >= 0 && wait <= 600) s.lockWaitSeconds = wait;
  return s;
}

}  // namespace orba::settings
