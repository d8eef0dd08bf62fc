#include "DataFolder.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "SharedFolder.h"

namespace orba::shell {

namespace {

bool mayWriteIn(const QString& folder) {
  return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

// Neither the companies nor the users: nothing but the settings yet, so
// company creation will write here.
bool holdsNoTables(const QString& dataDir) {
  const QDir folder(dataDir);
  return folder.entryList({QStringLiteral("comp.db"), QStringLiteral("user.db")}, QDir::Files).isEmpty();
}

}  // namespace

DataFolderState prepareDataFolder(const QString& dataDrive, const QString& dataDir) {
  using Kind = DataFolderState::Kind;
  const QFileInfo data(dataDir);
  if (data.isDir()) {
    if (holdsNoTables(dataDir) && !mayWriteIn(dataDir)) return {Kind::NotWritable, dataDir, {}};
    return {Kind::Ready, dataDir, {}};
  }
  if (data.exists() || data.isSymLink())
    return {Kind::CannotMake, dataDir, QStringLiteral("%1 is not a folder").arg(dataDir)};
  if (dataDrive.isEmpty() || !QFileInfo(dataDrive).isDir()) return {Kind::MissingRoot, dataDrive, {}};

  // The deepest folder that is there decides whether the rest can be made.
  QString existing = QFileInfo(dataDir).absolutePath();
  while (!QFileInfo(existing).exists() && existing != QFileInfo(existing).absolutePath())
    existing = QFileInfo(existing).absolutePath();
  if (!QFileInfo(existing).isDir())
    return {Kind::CannotMake, dataDir, QStringLiteral("%1 is not a folder").arg(existing)};
  if (!mayWriteIn(existing)) return {Kind::NotWritable, existing, {}};
  const std::string error = files::makeSharedFolder(QFile::encodeName(dataDir).toStdString());
  if (!error.empty()) return {Kind::CannotMake, dataDir, QString::fromLocal8Bit(error.c_str())};
  return {Kind::Made, dataDir, {}};
}

}  // namespace orba::shell
