#pragma once

#include <QString>

#include "DefaultPaths.h"
#include "SettingsStore.h"

namespace orba::dispatch {
class LinkRecord;
}

namespace orba::shell {

// The switches read from the settings at start-up, as text where the
// comparison differs from one use to another.
struct TShellSettings {
  QString payroll = QStringLiteral("n");
  QString payrollCCQ = QStringLiteral("n");
  QString JobCost = QStringLiteral("n");
  QString tracker = QStringLiteral("n");
  bool DisplayPW = false;   // the stored text is exactly "Y"
  bool ShowWelcome = true;  // the stored text is exactly "Y"
  QString Form = QStringLiteral("520,20,36,750,N");
  QString intl = QStringLiteral("N");
  int TitleMessageIndex = 16;

  // "Y" in any letter case.
  static bool isYes(const QString& value) { return value.toUpper() == QLatin1String("Y"); }
  bool payrollInstalled() const { return isYes(payroll); }
  bool jobCostInstalled() const { return isYes(JobCost); }
  bool trackerInstalled() const { return isYes(tracker); }
  // "y" or "Y".
  bool international() const { return isYes(intl); }
};

// The main window's placement: Height, Left, Top, Width and a flag that is
// "Y" once a placement has been saved; then, when the window was left
// maximised, a sixth field "M" (Height to Width are then the size and place
// it takes again when it is no longer maximised). Readers of five fields
// ignore the sixth.
struct WindowPlacement {
  int height = 520;
  int left = 20;
  int top = 36;
  int width = 750;
  QString flag = QStringLiteral("N");
  bool maximized = false;

  // A value with fewer than five fields, or with sizes that are not positive
  // decimal integers, gives the default placement.
  static WindowPlacement parse(const QString& text);
  bool useSavedPosition() const { return flag == QLatin1String("Y"); }
  // As written back at close: always flagged "Y".
  QString toSavedText() const;
};

// Everything ReadSettings derives from the settings store.
struct SettingsReading {
  TShellSettings shell;
  QString customer;
  int language = 1;
  QString languageCode = QStringLiteral("en");
  QString rawDataDrive;     // also the shared lock-control directory
  int lockWaitSeconds = 5;  // LockWait: how long a change waits for a table in use
  QString programDir;
  QString dataDir;
};

inline const QString kOrbaSection = QStringLiteral("Orba");
inline const QString kSettingsSection = QStringLiteral("Settings");

// The roots under which the program and data directories lie when the
// settings name none.
using settings::kDefaultDataDrive;
using settings::kDefaultProgramDrive;

SettingsReading readShellSettings(const settings::SettingsStore& store);

// Fills the link record's fields that the settings decide.
void applySettingsToLink(const SettingsReading& reading, dispatch::LinkRecord& link);

// Applies DateFmt, CurrSmbl and CurrAlign to the process-wide formats.
void ReadRegionalSettings(const settings::SettingsStore& store);

// The directory of one company's tables: the data directory followed by the
// company number, with nothing in between.
inline QString CompanyDir(const QString& dataDir, const QString& companyNumber) {
  return dataDir + companyNumber;
}
inline QString WallpaperPath(const QString& programDir) { return programDir + QStringLiteral("/Cast32.jpg"); }
// "Help" for English, "Help" + code for any other language.
QString HelpFilePath(const QString& programDir, int language, const QString& languageCode);

}  // namespace orba::shell
