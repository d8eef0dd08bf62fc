#pragma once

#include <QString>

#include "SettingsStore.h"

namespace orba::settings {

// What every process that opens the tables reads from the settings, the
// desktop and each module library alike, so that they take the same locks
// and wait as long for a table in use.
struct StorageSettings {
  // The datadrive value as written: the root of the data folders and the
  // folder of the shared lock-control files.
  QString dataDrive;
  // LockWait: seconds a change waits for a table another workstation holds;
  // 5 when missing, not a number, or outside 0 to 600.
  int lockWaitSeconds = 5;
};

StorageSettings readStorageSettings(const SettingsStore& store);

}  // namespace orba::settings
