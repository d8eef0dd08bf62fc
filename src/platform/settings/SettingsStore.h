#pragma once

#include <QString>
#include <utility>
#include <vector>

#include "IniDocument.h"
#include "SettingsFile.h"

namespace orba::settings {

// The machine-wide settings of the program, standing in for a registry key
// with the sections "Orba" and "Settings".
//
// Two files back it. The machine-wide file decides where modules are loaded
// from, so only an administrator may change it; a user who cannot write it
// still gets values such as the window placement remembered, because writes
// that the machine-wide file refuses go to a per-user file, and the per-user
// file is read first.
//
// Each write re-reads the file under a lock, changes the one value and
// replaces the file atomically, so concurrent writers and a crash never lose
// other values.
class SettingsStore {
 public:
  struct Paths {
    QString machineFile;
    QString userFile;  // may be empty: then there is no per-user layer
  };

  // ORBA_SETTINGS names the machine-wide file (default /etc/castellan/orba.ini),
  // ORBA_USER_SETTINGS the per-user one (default in the XDG config home).
  static Paths defaultPaths();

  explicit SettingsStore(Paths paths);

  const Paths& paths() const { return paths_; }

  // Re-reads both files; a missing file reads as empty, and so does one that
  // cannot be used, which is then among problems().
  void reload();
  // The files of the last reload that exist but cannot be used (their values
  // take their defaults), machine-wide file first.
  const std::vector<SettingsProblem>& problems() const { return problems_; }

  std::optional<QString> value(const QString& section, const QString& name) const;
  // The file whose value is in force (the per-user one first); the
  // machine-wide file for a value neither file holds, as that is where an
  // administrator sets it.
  QString fileOf(const QString& section, const QString& name) const;
  QString value(const QString& section, const QString& name, const QString& fallback) const;

  // Returns false, with a message in *error, only when neither file could be
  // written.
  bool setValue(const QString& section, const QString& name, const QString& value, QString* error = nullptr);
  // Several values of one section in one change of one file: all are
  // written, or none.
  using Values = std::vector<std::pair<QString, QString>>;
  bool setValues(const QString& section, const Values& values, QString* error = nullptr);

 private:
  static bool writeValues(const QString& file, const QString& section, const Values& values, QString* error);

  Paths paths_;
  IniDocument machine_;
  IniDocument user_;
  std::vector<SettingsProblem> problems_;
};

}  // namespace orba::settings
