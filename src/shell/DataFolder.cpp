#include "DataFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

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

// A folder this run made for the office, when its group may write in it,
// becomes set-group-ID: whatever any account makes below it then takes that
// group, so the folder above need not be set-group-ID itself. Nothing
// follows a symbolic link.
QString keepTheGroup(const QString& folder) {
  const int fd =
      ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return QStringLiteral("cannot open the folder %1").arg(folder);
  struct stat st {};
  QString error;
  if (::fstat(fd, &st) != 0)
    error = QStringLiteral("cannot read the folder %1").arg(folder);
  else if ((st.st_mode & S_IWGRP) && !(st.st_mode & S_ISGID) &&
           ::fchmod(fd, (st.st_mode & 07777) | S_ISGID) != 0)
    error = QStringLiteral("cannot set the permissions of %1").arg(folder);
  ::close(fd);
  return error;
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
  QStringList made;
  for (QString folder = dataDir; folder != existing && !QFileInfo(folder).exists();
       folder = QFileInfo(folder).absolutePath())
    made.prepend(folder);
  const std::string error = files::makeSharedFolder(QFile::encodeName(dataDir).toStdString());
  if (!error.empty()) return {Kind::CannotMake, dataDir, QString::fromLocal8Bit(error.c_str())};
  for (const QString& folder : made)
    if (const QString failed = keepTheGroup(folder); !failed.isEmpty())
      return {Kind::CannotMake, dataDir, failed};
  return {Kind::Made, dataDir, {}};
}

}  // namespace orba::shell
