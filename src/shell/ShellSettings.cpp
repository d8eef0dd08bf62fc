#include "ShellSettings.h"

#include "LinkRecord.h"
#include "RegionalFormats.h"
#include "StorageSettings.h"

namespace orba::shell {

WindowPlacement WindowPlacement::parse(const QString& text) {
  const QStringList fields = text.split(QLatin1Char(','));
  if (fields.size() < 5) return {};
  int numbers[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    numbers[i] = fields[i].trimmed().toInt(&ok, 10);
    if (!ok) return {};
  }
  WindowPlacement p;
  p.height = numbers[0];
  p.left = numbers[1];
  p.top = numbers[2];
  p.width = numbers[3];
  if (p.height <= 0 || p.width <= 0) return {};
  p.flag = fields[4];
  p.maximized = fields.size() > 5 && fields[5].trimmed() == QLatin1String("M");
  return p;
}

QString WindowPlacement::toSavedText() const {
  return QStringLiteral("%1,%2,%3,%4,Y").arg(height).arg(left).arg(top).arg(width) +
         (maximized ? QStringLiteral(",M") : QString());
}

SettingsReading readShellSettings(const settings::SettingsStore& store) {
  SettingsReading r;
  auto orba = [&](const char* name, const QString& fallback) {
    return store.value(kOrbaSection, QString::fromLatin1(name), fallback);
  };

  r.customer = orba("customer", QString());

  bool ok = false;
  r.language = orba("language", QStringLiteral("1")).trimmed().toInt(&ok, 10);
  if (!ok) r.language = 1;  // not a number: the default language
  r.languageCode = r.language == 1   ? QStringLiteral("en")
                   : r.language == 2 ? QStringLiteral("fr")
                                     : QString();

  // The data root and the lock wait, read as every module library reads them.
  const settings::StorageSettings storage = settings::readStorageSettings(store);
  r.lockWaitSeconds = storage.lockWaitSeconds;
  r.rawDataDrive = storage.dataDrive;

  r.programDir = orba("pgmdrive", kDefaultProgramDrive);
  r.dataDir = storage.dataDrive;

  r.shell.payroll = orba("payroll", QStringLiteral("n"));
  r.shell.payrollCCQ = orba("payrollCCQ", QStringLiteral("n"));
  r.shell.DisplayPW = orba("DisplayPW", QStringLiteral("N")) == QLatin1String("Y");
  r.shell.JobCost = orba("JobCost", QStringLiteral("n"));
  r.shell.tracker = orba("tracker", QStringLiteral("n"));
  r.shell.TitleMessageIndex = 16;
  r.shell.Form = orba("Form", QStringLiteral("520,20,36,750,N"));

  r.programDir += QStringLiteral("/Orba/bin");
  r.dataDir += QStringLiteral("/Orba/data");

  r.shell.intl = store.value(kSettingsSection, QStringLiteral("intl"), QStringLiteral("N"));
  r.shell.ShowWelcome = orba("ShowWelcome", QStringLiteral("Y")) == QLatin1String("Y");
  return r;
}

void applySettingsToLink(const SettingsReading& reading, dispatch::LinkRecord& link) {
  link.set(dispatch::LinkRecord::Field::Customer, reading.customer);
  link.setLanguageNumber(reading.language);
  link.setLanguageCode(reading.languageCode);
  link.set(dispatch::LinkRecord::Field::ProgramDir, reading.programDir);
  link.set(dispatch::LinkRecord::Field::DataDir, reading.dataDir);
}

void ReadRegionalSettings(const settings::SettingsStore& store) {
  formats::RegionalFormats::instance().apply(
      store.value(kSettingsSection, QStringLiteral("DateFmt"), QStringLiteral("DD/MM/YYYY")),
      store.value(kSettingsSection, QStringLiteral("CurrSmbl"), QStringLiteral("$")),
      store.value(kSettingsSection, QStringLiteral("CurrAlign"), QStringLiteral("L")));
}

QString HelpFilePath(const QString& programDir, int language, const QString& languageCode) {
  QString path = programDir + QStringLiteral("/Help");
  if (language != 1) path += languageCode;
  return path;
}

}  // namespace orba::shell
