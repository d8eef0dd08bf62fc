#include "Applications.h"

#include "Table.h"

namespace orba::dispatch {

namespace {

// Closes the table on every way out.
class OpenTable {
 public:
  explicit OpenTable(data::Table& table) : table_(table) { table_.open(); }
  ~OpenTable() { table_.close(); }
  OpenTable(const OpenTable&) = delete;
  OpenTable& operator=(const OpenTable&) = delete;

 private:
  data::Table& table_;
};

Application current(const data::Table& t) {
  Application a;
  a.name = t.text(QStringLiteral("Application_name"));
  a.nameFr = t.text(QStringLiteral("Application_name_fr"));
  a.program = t.text(QStringLiteral("Application_pgm")).trimmed();
  a.about = t.text(QStringLiteral("Application_about"));
  a.aboutFr = t.text(QStringLiteral("Application_about_fr"));
  a.security = t.text(QStringLiteral("Application_security")).trimmed();
  a.isModule = t.value(QStringLiteral("Application_type")).toBool();
  a.directory = t.text(QStringLiteral("Application_directory")).trimmed();
  return a;
}

}  // namespace

void ApplicationsTable::seed() {
  table_.createTable();
  OpenTable open(table_);
  table_.append();
  table_.setValue(QStringLiteral("Application_name"), QStringLiteral("Maintenance of Tools menu"));
  table_.setValue(QStringLiteral("Application_name_fr"), QStringLiteral("Maintenance du menu Outils"));
  table_.setValue(QStringLiteral("Application_pgm"), QStringLiteral("mtools"));
  table_.setValue(QStringLiteral("Application_about"),
                  QStringLiteral("Security like Maintenance of parameters"));
  table_.setValue(QStringLiteral("Application_about_fr"),
                  QStringLiteral("Sécurité comme Maintenance des paramètres"));
  table_.setValue(QStringLiteral("Application_security"), QStringLiteral("ut02"));
  table_.setValue(QStringLiteral("Application_type"), true);
  table_.post();
}

std::vector<Application> ApplicationsTable::load(const QString& dataDir) {
  table_.setDatabaseName(dataDir);
  if (!table_.exists()) seed();
  return read();
}

std::vector<Application> ApplicationsTable::read() {
  OpenTable open(table_);
  std::vector<Application> rows;
  for (table_.first(); !table_.eof(); table_.next()) rows.push_back(current(table_));
  return rows;
}

QString ApplicationsTable::directoryOf(const QString& program) {
  // Names are compared as the menu holds them: without surrounding blanks.
  for (const Application& row : read())
    if (row.program == program) return row.directory;
  return {};
}

}  // namespace orba::dispatch
