#include "DemoProgram.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace orba::demo {

namespace {

// This tool's own folder, whatever link it was started through.
QString toolFolder() {
  return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path();
}

QString programIn(const QString& programRoot) { return programRoot + QStringLiteral("/Orba/bin/orba"); }

QString shellQuoted(const QString& text) {
  static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./,:+=@%-]+$"));
  if (plain.match(text).hasMatch()) return text;
  QString quoted = text;
  quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
  return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

}  // namespace

QString installedProgramRoot() {
  const QString root =
      QFileInfo(toolFolder() + QLatin1Char('/') + QStringLiteral(ORBA_PROGRAM_ROOT_FROM_BIN_DIR))
          .canonicalFilePath();
  return !root.isEmpty() && missingProgramFiles(root).isEmpty() ? root : QString();
}

QStringList missingProgramFiles(const QString& programRoot) {
  QStringList missing;
  const QFileInfo program(programIn(programRoot));
  if (!program.isFile() || !program.isExecutable()) missing << program.filePath();
  const QFileInfo table(programRoot + QStringLiteral("/Orba/languages/MainMenuen.db"));
  if (!table.isFile()) missing << table.filePath();
  return missing;
}

QString startCommand(const QString& settingsFile, const QString& userSettingsFile, const QString& program) {
  return QStringLiteral("ORBA_SETTINGS=%1 ORBA_USER_SETTINGS=%2 %3")
      .arg(shellQuoted(settingsFile), shellQuoted(userSettingsFile), shellQuoted(program));
}

QString programToStart(const QString& programRoot) {
  const QString inFolder = programIn(programRoot);
  const QFileInfo beside(toolFolder() + QStringLiteral("/orba"));
  if (beside.exists() && beside.canonicalFilePath() == QFileInfo(inFolder).canonicalFilePath())
    return beside.absoluteFilePath();
  return inFolder;
}

}  // namespace orba::demo
