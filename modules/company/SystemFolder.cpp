#include "SystemFolder.h"

#include <QDir>
#include <QFile>

#include "DatabaseError.h"
#include "RightsMap.h"
#include "SharedFolder.h"
#include "Table.h"
#include "TableSchemas.h"
#include "paradox/TableWriter.h"

namespace orba::company {

namespace {

namespace sc = data::schemas;

bool exists(const QString& dataDir, std::string_view file) {
  // Table files are matched whatever their letter case, as the data layer
  // opens them.
  const QString name = QString::fromLatin1(file.data(), static_cast<qsizetype>(file.size()));
  return !QDir(dataDir).entryList({name}, QDir::Files).isEmpty();
}

// Creates the table when it is missing, then lets `rows` fill it.
template <typename Rows>
void make(const data::TableSpec& shape, const QString& dataDir, Rows rows) {
  if (exists(dataDir, shape.file)) return;
  data::Table t(QString::fromUtf8("SystemTable"));
  t.declare(shape);
  t.setDatabaseName(dataDir);
  t.createTable();
  t.open();
  rows(t);
  t.close();
}

// Every option of every module menu.
QByteArray allRights() {
  QByteArray bytes(200, '\0');
  for (const auto& menu : dispatch::moduleMenus())
    for (int g = 0; g < 4; ++g)
      for (int i = 0; i < menu.groups[g].size(); ++i) {
        const int bit = dispatch::rightsBit(menu.module, g, i);
        bytes[bit / 8] = static_cast<char>(bytes[bit / 8] | (1 << (bit % 8)));
      }
  return bytes;
}

}  // namespace

bool isBlankInstallation(const QString& dataDir) {
  return !exists(dataDir, sc::Co_Table.file) && !exists(dataDir, sc::User_table.file);
}

void initialiseSystemFolder(const QString& dataDir, int language) {
  if (dataDir.isEmpty()) throw data::DatabaseError(QString::fromUtf8("no data folder is set"));
  if (const std::string error = files::makeSharedFolder(QFile::encodeName(dataDir).toStdString());
      !error.empty())
    throw data::DatabaseError(QString::fromStdString(error), data::DatabaseError::Kind::MissingFolder,
                              dataDir);
  const bool french = language == 2;

  make(sc::tblLanguage, dataDir, [](data::Table& t) {
    for (auto [key, code, name] : {std::tuple{1, "en", "English"}, std::tuple{2, "fr", "Français"}}) {
      t.append();
      t.setValue(QString::fromUtf8("LangKey"), key);
      t.setValue(QString::fromUtf8("LangCode"), QString::fromLatin1(code));
      t.setValue(QString::fromUtf8("LangName"), QString::fromUtf8(name));
      t.post();
    }
  });
  if (!exists(dataDir, sc::Desktop_table.file)) {
    make(sc::Desktop_table, dataDir, [](data::Table&) {});
    const QString path = QDir(dataDir).filePath(QString::fromLatin1(
        sc::Desktop_table.file.data(), static_cast<qsizetype>(sc::Desktop_table.file.size())));
    const pdx::Status s = pdx::CreateSecondaryIndex(path.toStdString(), "Desktop_user");
    if (!s.ok()) throw data::DatabaseError(QString::fromStdString(s.ToString()));
  }
  make(sc::Co_Table, dataDir, [](data::Table&) {});
  // Last: user.db is what makes the folder an installation.
  make(sc::User_table, dataDir, [&](data::Table& t) {
    t.append();
    t.setValue(QString::fromUtf8("User_password"), kFirstUserPassword);
    t.setValue(QString::fromUtf8("User_code"), kFirstUserCode);
    t.setValue(QString::fromUtf8("User_name"),
               french ? QString::fromUtf8("Administrateur") : QString::fromUtf8("Administrator"));
    t.setValue(QString::fromUtf8("User_detail"), 7);
    t.setValue(QString::fromUtf8("User_language"), french ? 2 : 1);
    t.setValue(QString::fromUtf8("User_company"), 1);
    t.setValue(QString::fromUtf8("User_security"), allRights());
    t.post();
  });
}

}  // namespace orba::company
