#include "ToolProgram.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace orba::dispatch {

namespace {

QString executableIn(const QString& folder, const QString& name) {
  if (folder.isEmpty() || !QDir::isAbsolutePath(folder)) return {};
  const QFileInfo file(QDir(folder).filePath(name));
  return file.isFile() && file.isExecutable() ? file.absoluteFilePath() : QString();
}

}  // namespace

QString findToolProgram(const QString& name, const QString& workingFolder, const QString& programFolder,
                        const QString& searchPath) {
  if (name.isEmpty()) return {};
  if (QDir::isAbsolutePath(name)) {
    const QFileInfo file(name);
    return file.isFile() && file.isExecutable() ? file.absoluteFilePath() : QString();
  }
  for (const QString& folder : {workingFolder, programFolder})
    if (QString found = executableIn(folder, name); !found.isEmpty()) return found;
  if (name.contains(QLatin1Char('/'))) return {};
  for (const QString& folder : searchPath.split(QLatin1Char(':'), Qt::SkipEmptyParts))
    if (QString found = executableIn(folder, name); !found.isEmpty()) return found;
  return {};
}

}  // namespace orba::dispatch
