#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

namespace orba::settings {

namespace {

QString envOr(const char* name, const QString& fallback) {
  const QString value = qEnvironmentVariable(name);
  return value.isEmpty() ? fallback : value;
}

}  // namespace

SettingsStore::Paths SettingsStore::defaultPaths() {
  QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (configHome.isEmpty()) configHome = QDir::homePath() + QStringLiteral("/.config");
  return Paths{envOr("ORBA_SETTINGS", QStringLiteral("/etc/castellan/orba.ini")),
               envOr("ORBA_USER_SETTINGS", configHome + QStringLiteral("/castellan/orba.ini"))};
}

SettingsStore::SettingsStore(Paths paths) : paths_(std::move(paths)) { reload(); }

void SettingsStore::reload() {
  problems_.clear();
  std::optional<SettingsProblem> problem;
  machine_ = readSettingsFile(paths_.machineFile, &problem);
  if (problem) problems_.push_back(*problem);
  user_ = readSettingsFile(paths_.userFile, &problem);
  if (problem) problems_.push_back(*problem);
}

std::optional<QString> SettingsStore::value(const QString& section, const QString& name) const {
  if (auto v = user_.value(section, name)) return v;
  return machine_.value(section, name);
}

QString SettingsStore::fileOf(const QString& section, const QString& name) const {
  return user_.value(section, name) ? paths_.userFile : paths_.machineFile;
}

QString SettingsStore::value(const QString& section, const QString& name, const QString& fallback) const {
  return value(section, name).value_or(fallback);
}

bool SettingsStore::writeValues(const QString& path, const QString& section, const Values& values,
                                QString* error) {
  if (path.isEmpty()) return false;
  QDir().mkpath(QFileInfo(path).absolutePath());
  QLockFile lock(path + QStringLiteral(".lock"));
  lock.setStaleLockTime(10000);
  if (!lock.tryLock(5000)) {
    if (error) *error = QStringLiteral("%1: cannot lock the settings file").arg(path);
    return false;
  }
  // Re-read under the lock: another process may have written since we loaded.
  // A file that is not usable settings is not replaced: what it holds would
  // be lost.
  std::optional<SettingsProblem> problem;
  IniDocument doc = readSettingsFile(path, &problem);
  if (problem && problem->kind != SettingsProblem::Kind::Empty) {
    if (error) *error = problem->describe();
    return false;
  }
  for (const auto& [name, value] : values) doc.setValue(section, name, value);
  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly) || out.write(doc.serialize().toUtf8()) < 0 || !out.commit()) {
    if (error) *error = QStringLiteral("%1: %2").arg(path, out.errorString());
    return false;
  }
  return true;
}

bool SettingsStore::setValue(const QString& section, const QString& name, const QString& value,
                             QString* error) {
  return setValues(section, {{name, value}}, error);
}

bool SettingsStore::setValues(const QString& section, const Values& values, QString* error) {
  for (const auto& [name, value] : values)
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) {
      if (error) *error = QStringLiteral("a settings value cannot hold a line break");
      return false;
    }
  QString machineError;
  // A value already in the per-user file would hide a machine-wide write.
  const bool shadowed = std::any_of(values.begin(), values.end(),
                                    [&](const auto& v) { return user_.value(section, v.first).has_value(); });
  if (!shadowed && writeValues(paths_.machineFile, section, values, &machineError)) {
    for (const auto& [name, value] : values) machine_.setValue(section, name, value);
    return true;
  }
  QString userError;
  if (writeValues(paths_.userFile, section, values, &userError)) {
    for (const auto& [name, value] : values) user_.setValue(section, name, value);
    return true;
  }
  if (error) *error = userError.isEmpty() ? machineError : userError;
  return false;
}

}  // namespace orba::settings
