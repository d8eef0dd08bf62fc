#pragma once

// What the company tests share: the companies and folders of an
// installation on disk, read back as the program reads them.

#include <QDir>
#include <QStringList>
#include <map>

#include "Table.h"
#include "TableSchemas.h"

namespace company_test {

// The rows of comp.db, number to name and password.
struct Listed {
  QString name;
  QString password;
  bool operator==(const Listed&) const = default;
};
inline std::map<int, Listed> listed(const QString& dataDir) {
  orba::data::Table t("Check");
  t.declare(orba::data::schemas::Co_Table);
  t.setDatabaseName(dataDir);
  t.open();
  std::map<int, Listed> out;
  for (t.first(); !t.eof(); t.next())
    out[t.value("Comp_Code").toInt()] = {t.text("Comp_Name"), t.text("Comp_Passwd")};
  t.close();
  return out;
}

// The files of a folder, sorted.
inline QStringList filesOf(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

}  // namespace company_test
