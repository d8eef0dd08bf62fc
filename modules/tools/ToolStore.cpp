#include "ToolStore.h"

#include <QRegularExpression>
#include <QUuid>
#include <algorithm>

#include "Table.h"
#include "TableSchemas.h"
#include "TableTransaction.h"

namespace orba::tools {

namespace {

const QString kProgram = QString::fromUtf8("Application_pgm");
const QString kMaintenance = QString::fromUtf8("mtools");

std::vector<std::pair<QString, QVariant>> fields(const Application& a) {
  return {{QString::fromUtf8("Application_name"), a.name},
          {QString::fromUtf8("Application_name_fr"), a.nameFr},
          {kProgram, a.program},
          {QString::fromUtf8("Application_about"), a.about},
          {QString::fromUtf8("Application_about_fr"), a.aboutFr},
          {QString::fromUtf8("Application_security"), a.security},
          {QString::fromUtf8("Application_type"), a.isModule},
          {QString::fromUtf8("Application_directory"), a.directory}};
}

bool maintains(const Application& a) { return a.isModule && a.program == kMaintenance; }

// The applications table under a transaction: its lock is held and the rows
// read as they are now.
class Change {
 public:
  explicit Change(const QString& dataDir) : table_(QString::fromUtf8("Applications_table")) {
    table_.declare(data::schemas::Applications_table);
    table_.setDatabaseName(dataDir);
    dispatch::ApplicationsTable(table_).load(dataDir);  // creates and seeds a missing table
    table_.open();
    transaction_ = std::make_unique<data::TableTransaction>(table_);
    table_.refresh();
    // Read as the desktop reads them (ApplicationsTable), without closing.
    const QStringList names = {QString::fromUtf8("Application_name"),
                               QString::fromUtf8("Application_name_fr"),
                               kProgram,
                               QString::fromUtf8("Application_about"),
                               QString::fromUtf8("Application_about_fr"),
                               QString::fromUtf8("Application_security"),
                               QString::fromUtf8("Application_type"),
                               QString::fromUtf8("Application_directory")};
    for (int i = 0; i < table_.recordCount(); ++i) {
      const QVariantList v = table_.valuesAt(i, names);
      rows.push_back({v[0].toString(), v[1].toString(), v[2].toString().trimmed(), v[3].toString(),
                      v[4].toString(), v[5].toString().trimmed(), v[6].toBool(), v[7].toString().trimmed()});
    }
  }
  ~Change() {
    transaction_.reset();
    table_.close();
  }
  data::TableTransaction& operator*() { return *transaction_; }
  data::TableTransaction* operator->() { return transaction_.get(); }

  // The row as it was shown, still at its place.
  void expect(int index, const Application& shown) const {
    if (index < 0 || index >= static_cast<int>(rows.size()) ||
        !sameTool(rows[static_cast<std::size_t>(index)], shown))
      throw ToolRefused(ToolRefused::Changed);
  }

  std::vector<Application> rows;

 private:
  data::Table table_;
  std::unique_ptr<data::TableTransaction> transaction_;
};

Application cleaned(Application a) {
  a.program = a.program.trimmed();
  a.security = a.security.trimmed();
  a.directory = a.directory.trimmed();
  a.name = a.name.trimmed();
  a.nameFr = a.nameFr.trimmed();
  return a;
}

// The row as it will be stored, checked against the others.
Application checked(const Application& wanted, const std::vector<Application>& others) {
  const Application a = cleaned(wanted);
  if (a.program.isEmpty()) throw ToolRefused(ToolRefused::MissingProgram);
  // A module runs as an option: its name is a code, never a path.
  static const QRegularExpression code(QString::fromUtf8("^[A-Za-z0-9_]+$"));
  if (a.isModule && !code.match(a.program).hasMatch()) throw ToolRefused(ToolRefused::BadModuleName);
  if (a.name.isEmpty()) throw ToolRefused(ToolRefused::MissingName);
  if (a.nameFr.isEmpty()) throw ToolRefused(ToolRefused::MissingNameFr);
  // The menu item is named after the program, and a program's folder is
  // found by that name: one entry per name.
  for (const Application& other : others)
    if (other.program == a.program) throw ToolRefused(ToolRefused::DuplicateProgram, a.program);
  return a;
}

// The Tools menu keeps a way to maintain itself.
void keepMaintenance(const std::vector<Application>& before, const std::vector<Application>& after,
                     const QString& subject) {
  const auto count = [](const std::vector<Application>& rows) {
    return std::count_if(rows.begin(), rows.end(), maintains);
  };
  if (count(before) > 0 && count(after) == 0) throw ToolRefused(ToolRefused::LastMaintenance, subject);
}

}  // namespace

bool sameTool(const Application& a, const Application& b) {
  return a.name == b.name && a.nameFr == b.nameFr && a.program == b.program && a.about == b.about &&
         a.aboutFr == b.aboutFr && a.security == b.security && a.isModule == b.isModule &&
         a.directory == b.directory;
}

std::vector<Application> ToolStore::tools() {
  data::Table table(QString::fromUtf8("Applications_table"));
  table.declare(data::schemas::Applications_table);
  return dispatch::ApplicationsTable(table).load(dataDir_);
}

void ToolStore::add(const Application& tool) {
  Change change(dataDir_);
  change->insert(fields(checked(tool, change.rows)));
  change->commit();
}

void ToolStore::update(int index, const Application& shown, const Application& tool) {
  Change change(dataDir_);
  change.expect(index, shown);
  std::vector<Application> others = change.rows;
  others.erase(others.begin() + index);
  const Application a = checked(tool, others);
  std::vector<Application> after = change.rows;
  after[static_cast<std::size_t>(index)] = a;
  keepMaintenance(change.rows, after, shown.program);
  change->update(index, fields(a));
  change->commit();
}

void ToolStore::move(int index, const Application& shown, int to) {
  Change change(dataDir_);
  change.expect(index, shown);
  if (to < 0 || to >= static_cast<int>(change.rows.size()) || to == index) return;
  change->update(index, fields(change.rows[static_cast<std::size_t>(to)]));
  change->update(to, fields(change.rows[static_cast<std::size_t>(index)]));
  change->commit();
}

void ToolStore::remove(int index, const Application& shown) {
  Change change(dataDir_);
  change.expect(index, shown);
  std::vector<Application> after = change.rows;
  after.erase(after.begin() + index);
  keepMaintenance(change.rows, after, shown.program);
  // The table has no key: the row is marked with a name no row can have,
  // then every row so marked (that one) is deleted, in the same change.
  const QString mark = QUuid::createUuid().toString();
  change->update(index, {{kProgram, mark}});
  change->deleteWhere(kProgram, mark);
  change->commit();
}

}  // namespace orba::tools
