#include "CompanyStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string_view>
#include <utility>

#include "DatabaseError.h"
#include "SharedFolder.h"
#include "Table.h"
#include "TableSchemas.h"
#include "paradox/Env.h"

namespace orba::company {

namespace sc = data::schemas;

namespace {

QString qstr(const std::string& s) { return QString::fromStdString(s); }

// ctrl.DB is read by three declarations, each with the fields it needs: the
// file holds all of them, each once. The ledger's comes first, so that
// Ctrl_date_fmt leads the record.
const std::vector<data::FieldSpec>& controlFields() {
  static const std::vector<data::FieldSpec> fields = [] {
    std::vector<data::FieldSpec> all;
    std::set<std::string_view> seen;
    for (const data::TableSpec* shape : {&sc::Gl_Ctrl_table, &sc::Co_Ctrl_table, &sc::Setup_Ctrl_table})
      for (const data::FieldSpec& f : shape->fields)
        if (seen.insert(f.name).second) all.push_back(f);
    return all;
  }();
  return fields;
}

// The company tables besides ctrl.DB, created empty: everything the program
// reads in a company's folder.
const data::TableSpec* const kEmptyTables[] = {
    &sc::trkdb_table, &sc::Gl_Table,   &sc::Ar_Table,       &sc::Ap_Table,        &sc::Emp_Table,
    &sc::IvprodTable, &sc::IvinvTable, &sc::TaxRates_table, &sc::TaxRatesP_table,
};

void createTable(const data::TableSpec& shape, const QString& folder) {
  data::Table table(
      QString::fromLatin1(shape.component.data(), static_cast<qsizetype>(shape.component.size())));
  table.declare(shape);
  table.setDatabaseName(folder);
  table.createTable();
}

// The companies table of the data folder, open.
class CompaniesTable {
 public:
  explicit CompaniesTable(const QString& dataDir) : table_(QString::fromLatin1("Co_Table")) {
    // Never the current folder instead.
    if (dataDir.isEmpty()) throw data::DatabaseError(QString::fromLatin1("comp.db: no data folder is set"));
    table_.declare(sc::Co_Table);
    table_.setDatabaseName(dataDir);
    table_.open();
  }
  ~CompaniesTable() { table_.close(); }
  data::Table* operator->() { return &table_; }
  data::Table& operator*() { return table_; }
  // Moves to the company's row; false when it is not listed.
  bool find(int number) { return table_.locate(QString::fromLatin1("Comp_Code"), number); }

 private:
  data::Table table_;
};

QString field(const char* name) { return QString::fromLatin1(name); }

}  // namespace

CompanyStore::CompanyStore(QString dataDir, pdx::Env* env) : dataDir_(std::move(dataDir)), env_(env) {}

pdx::Env* CompanyStore::env() const { return env_ ? env_ : pdx::Env::Default(); }

QString CompanyStore::companyFolder(int number) const { return dataDir_ + QString::number(number); }

std::vector<Company> CompanyStore::companies() const {
  CompaniesTable table(dataDir_);
  std::vector<Company> out;
  const QStringList fields{field("Comp_Code"), field("Comp_Name"), field("Comp_Passwd")};
  const int count = table->recordCount();
  for (int i = 0; i < count; ++i) {
    const QVariantList values = table->valuesAt(i, fields);
    out.push_back({values.value(0).toInt(), values.value(1).toString(), values.value(2).toString()});
  }
  return out;
}

int CompanyStore::nextFreeNumber() const {
  const std::vector<Company> listed = companies();
  if (listed.empty()) return kFirstNumber;
  int highest = 0;
  for (const Company& c : listed) highest = std::max(highest, c.number);
  for (int n = std::max(highest + 1, kFirstNumber); n <= kLastNumber; ++n)
    if (!QFileInfo::exists(companyFolder(n))) return n;
  return 0;
}

bool CompanyStore::nameTaken(const std::vector<Company>& listed, const QString& name, int except) const {
  // Companies are chosen from the menu by name: two of one name could not
  // both be reached.
  return std::any_of(listed.begin(), listed.end(),
                     [&](const Company& c) { return c.number != except && c.name.trimmed() == name; });
}

Verdict CompanyStore::checkNew(const Company& company) const {
  if (company.number < kFirstNumber || company.number > kLastNumber) return Verdict::NumberOutOfRange;
  const QString name = company.name.trimmed();
  if (name.isEmpty()) return Verdict::EmptyName;
  const std::vector<Company> listed = companies();
  if (std::any_of(listed.begin(), listed.end(), [&](const Company& c) { return c.number == company.number; }))
    return Verdict::NumberInUse;
  if (nameTaken(listed, name, company.number)) return Verdict::NameInUse;
  // Whatever is there (another company's files, a folder a user made) is
  // never taken over nor replaced.
  const QFileInfo folder(companyFolder(company.number));
  if (folder.exists() || folder.isSymLink()) return Verdict::FolderExists;
  return Verdict::Done;
}

void CompanyStore::buildTables(const QString& folder) const {
  const data::TableSpec control{"Ctrl_table", "ctrl.DB", 0, controlFields()};
  createTable(control, folder);
  for (const data::TableSpec* shape : kEmptyTables) createTable(*shape, folder);

  // One control record, as a company starts: twelve periods, the first one
  // current in every ledger, no month being closed. The set-up wizard adds
  // the tax rates and the currency words.
  data::Table table(field("Ctrl_table"));
  table.declare(control);
  table.setDatabaseName(folder);
  table.open();
  table.append();
  table.setValue(field("Ctrl_date_fmt"), 0);
  table.setValue(field("Ctrl_periods"), 12);
  for (const char* period : {"Ctrl_gl_period", "Ctrl_ar_period", "Ctrl_ap_period", "Ctrl_fa_period"})
    table.setValue(field(period), 1);
  for (const char* closing : {"Ctrl_eom_gl", "Ctrl_eom_ar", "Ctrl_eom_ap", "Ctrl_eom_fa", "Ctrl_eom_pa"})
    table.setValue(field(closing), false);
  table.post();
  table.close();
}

bool CompanyStore::removeFolder(const QString& folder) const {
  const std::string path = QFile::encodeName(folder).toStdString();
  std::vector<std::string> names;
  if (!env()->ListDir(path, &names).ok()) return !QFileInfo::exists(folder);
  bool removed = true;
  for (const std::string& name : names) removed = env()->Remove(path + "/" + name).ok() && removed;
  return removed && QDir().rmdir(folder);
}

void CompanyStore::list(const Company& company) {
  CompaniesTable table(dataDir_);
  table->append();
  table->setValue(field("Comp_Code"), company.number);
  table->setValue(field("Comp_Name"), company.name.trimmed());
  if (!company.password.isEmpty()) table->setValue(field("Comp_Passwd"), company.password);
  // A row another workstation added meanwhile under this number is a
  // duplicate key: refused here, and the company is taken back.
  table->post();
}

Verdict CompanyStore::create(const Company& company) {
  const Verdict verdict = checkNew(company);
  if (verdict != Verdict::Done) return verdict;

  // The scratch folder sits beside the company's place, so that moving it
  // there is one rename on one file system.
  const QString target = companyFolder(company.number);
  QByteArray pattern = QFile::encodeName(target + QString::fromLatin1(".new-XXXXXX"));
  if (!::mkdtemp(pattern.data()))
    throw CreationFailed{QString::fromLatin1("cannot make a folder beside %1: %2")
                             .arg(target, QString::fromLocal8Bit(std::strerror(errno))),
                         {}};
  // mkdtemp makes it private: the company is the office's, shared as the
  // data folder is, before any table is made in it.
  if (const std::string error = files::shareLikeParent(pattern.toStdString()); !error.empty()) {
    const QString scratchFolder = QFile::decodeName(pattern);
    throw CreationFailed{QString::fromStdString(error),
                         removeFolder(scratchFolder) ? QString() : scratchFolder};
  }
  const QString scratch = QFile::decodeName(pattern);
  const auto abandon = [&](const QString& reason) {
    return CreationFailed{reason, removeFolder(scratch) ? QString() : scratch};
  };

  try {
    buildTables(scratch);
  } catch (const data::DatabaseError& e) {
    throw abandon(e.userText());
  }
  const std::string scratchPath = QFile::encodeName(scratch).toStdString();
  const std::string targetPath = QFile::encodeName(target).toStdString();
  pdx::Status s = env()->SyncDir(scratchPath);
  if (!s.ok()) throw abandon(qstr(s.ToString()));
  // A folder made meanwhile is left alone; a rename never replaces one
  // that holds files.
  if (QFileInfo::exists(target)) {
    if (removeFolder(scratch)) return Verdict::FolderExists;
    throw CreationFailed{QString::fromLatin1("the folder %1 was made meanwhile").arg(target), scratch};
  }
  s = env()->Rename(scratchPath, targetPath);
  if (!s.ok()) throw abandon(qstr(s.ToString()));

  // From here the company is in place: a failure moves it back out of the
  // way before the scratch folder goes.
  const auto takeBack = [&](const QString& reason) {
    if (env()->Rename(targetPath, scratchPath).ok()) return abandon(reason);
    return CreationFailed{reason, target};
  };
  s = env()->SyncDir(pdx::DirName(targetPath));
  if (!s.ok()) throw takeBack(qstr(s.ToString()));
  try {
    list(company);
  } catch (const data::DatabaseError& e) {
    throw takeBack(e.userText());
  }
  return Verdict::Done;
}

Verdict CompanyStore::rename(int number, const QString& name) {
  const QString trimmed = name.trimmed();
  if (trimmed.isEmpty()) return Verdict::EmptyName;
  if (nameTaken(companies(), trimmed, number)) return Verdict::NameInUse;
  CompaniesTable table(dataDir_);
  if (!table.find(number)) return Verdict::NotListed;
  table->edit();
  table->setValue(field("Comp_Name"), trimmed);
  table->post();
  return Verdict::Done;
}

Verdict CompanyStore::setPassword(int number, const QString& password, const QString& currentPassword,
                                  int currentNumber) {
  CompaniesTable table(dataDir_);
  if (!table.find(number)) return Verdict::NotListed;
  const QString existing = table->text(field("Comp_Passwd"));
  // The same rule as choosing a company: its password is needed, unless the
  // user is working in it already.
  if (!existing.isEmpty() && number != currentNumber && currentPassword != existing)
    return Verdict::WrongPassword;
  table->edit();
  table->setValue(field("Comp_Passwd"), password.isEmpty() ? QVariant() : QVariant(password));
  table->post();
  return Verdict::Done;
}

Verdict CompanyStore::removeFromList(int number) {
  CompaniesTable table(dataDir_);
  if (!table.find(number)) return Verdict::NotListed;
  table->deleteRecord();
  return Verdict::Done;
}

}  // namespace orba::company
