#include "Database.h"

#include <QDir>
#include <QHash>

#include "DatabaseError.h"

namespace orba::data {

namespace {
QHash<QString, Database*>& registry() {
  static QHash<QString, Database*> databases;
  return databases;
}
}  // namespace

Database::Database(const QString& componentName, const QString& alias, QObject* parent)
    : QObject(parent), alias_(alias) {
  setObjectName(componentName);
  registry().insert(alias.toLower(), this);
}

Database::~Database() {
  auto it = registry().find(alias_.toLower());
  if (it != registry().end() && it.value() == this) registry().erase(it);
}

Database* Database::byAlias(const QString& alias) { return registry().value(alias.toLower(), nullptr); }

void Database::setParams(const QStringList& params) {
  if (connected_)
    throw DatabaseError(
        QStringLiteral("Cannot change the parameters of the connected database %1").arg(alias_));
  params_ = params;
}

QString Database::directory() const {
  for (const QString& line : params_)
    if (line.startsWith(QLatin1String("path="), Qt::CaseInsensitive)) return line.mid(5);
  return {};
}

void Database::open() {
  if (connected_) return;
  const QString dir = directory();
  if (dir.isEmpty() || !QDir(dir).exists())
    throw DatabaseError(QStringLiteral("Invalid path: the folder %1 does not exist")
                            .arg(dir.isEmpty() ? QStringLiteral("(none)") : dir),
                        DatabaseError::Kind::MissingFolder, dir);
  connected_ = true;
  emit connectedChanged(true);
}

void Database::close() {
  if (!connected_) return;
  connected_ = false;
  emit connectedChanged(false);
}

}  // namespace orba::data
