#pragma once

#include <QObject>
#include <QStringList>

namespace orba::data {

// A named database: a directory of Paradox tables reached by its alias
// ("menumydb", "menudata"). Its parameters are lines of the form
// "path=<directory>"; connecting checks that the directory exists. Tables
// whose database name is the alias open in that directory.
class Database : public QObject {
  Q_OBJECT
 public:
  Database(const QString& componentName, const QString& alias, QObject* parent = nullptr);
  ~Database() override;

  QString alias() const { return alias_; }
  QStringList params() const { return params_; }
  // Only while disconnected, as a connection keeps its directory.
  void setParams(const QStringList& params);
  QString directory() const;

  // Throws DatabaseError when the directory does not exist.
  void open();
  void close();
  bool isConnected() const { return connected_; }

  // The database registered under the alias, or nullptr.
  static Database* byAlias(const QString& alias);

 signals:
  void connectedChanged(bool connected);

 private:
  QString alias_;
  QStringList params_;
  bool connected_ = false;
};

}  // namespace orba::data
