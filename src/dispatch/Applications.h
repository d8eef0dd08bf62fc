#pragma once

#include <QString>
#include <vector>

namespace orba::data {
class Table;
}

namespace orba::dispatch {

// One row of the applications table (apps.db): a tool of the Tools menu,
// an external program or a module library run like an option.
struct Application {
  QString name;      // caption in English
  QString nameFr;    // caption in French
  QString program;   // program or library name; the Tools item's name
  QString about;     // hint in English
  QString aboutFr;   // hint in French
  QString security;  // the option whose right the tool borrows
  bool isModule = false;
  QString directory;  // the folder an external program runs in

  // Language 2 is French, any other English.
  QString caption(int language) const { return language == 2 ? nameFr : name; }
  QString hint(int language) const { return language == 2 ? aboutFr : about; }
};

// The applications table of the system database. Each call opens the table
// and closes it again; failures throw DatabaseError.
class ApplicationsTable {
 public:
  // REQUIRES: `table` is declared with the applications table's shape and
  // outlives this object.
  explicit ApplicationsTable(data::Table& table) : table_(table) {}

  // Every row, in table order. A table that does not exist is created with
  // its one seed row, the Tools-menu maintenance; one that exists but
  // cannot be opened is an error, never replaced.
  std::vector<Application> load(const QString& dataDir);
  // The rows as they are, without creating the table.
  std::vector<Application> read();
  // The working folder of the first row for `program`; empty when none.
  QString directoryOf(const QString& program);

 private:
  void seed();

  data::Table& table_;
};

}  // namespace orba::dispatch
