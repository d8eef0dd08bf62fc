#include "CompanySwitch.h"

#include "DataModules.h"
#include "DatabaseError.h"
#include "LinkRecord.h"
#include "ShellSettings.h"

namespace orba::shell {

using Field = dispatch::LinkRecord::Field;

std::vector<Company> readCompanies(data::Table& companies) {
  std::vector<Company> out;
  for (companies.first(); !companies.eof(); companies.next())
    out.push_back({companies.text(QStringLiteral("Comp_Code")), companies.text(QStringLiteral("Comp_Name"))});
  return out;
}

CompanySwitch::CompanySwitch(data::TCo_DataModule& companies, data::TUserDataModule& users,
                             dispatch::LinkRecord& link)
    : companies_(companies), users_(users), link_(link) {}

std::vector<Company> CompanySwitch::companies() {
  std::vector<Company> all = readCompanies(*companies_.Co_Table);
  // Reading leaves the table past its end: back on the company in force.
  companies_.Co_Table->findKey({link_.get(Field::CompanyNumber).toInt()});
  return all;
}

QString CompanySwitch::choose(const QString& number) {
  data::Table* companies = companies_.Co_Table;
  previousNumber_ = link_.get(Field::CompanyNumber);
  previousName_ = link_.get(Field::CompanyName);
  link_.set(Field::CompanyNumber, number);
  if (!companies->findKey({number.toInt()})) return {};
  const QString password = companies->text(QStringLiteral("Comp_Passwd"));
  const int ownCompany = users_.User_table->value(QStringLiteral("User_company")).toInt();
  return !password.isEmpty() && ownCompany != number.toInt() ? password : QString();
}

void CompanySwitch::abandon() {
  // The company in force before the choice stays, whatever record the
  // companies table was left on (a rebuilt company menu leaves it on the
  // last one): number, name, database and the table's record agree.
  link_.set(Field::CompanyNumber, previousNumber_);
  link_.set(Field::CompanyName, previousName_);
  companies_.Co_Table->findKey({previousNumber_.toInt()});
}

void CompanySwitch::complete() {
  data::Table* companies = companies_.Co_Table;
  const QString number = link_.get(Field::CompanyNumber);
  // The chosen company's name, once its password (if any) was given; a
  // number the table does not hold keeps the name as it was.
  if (companies->isActive() && companies->recordCount() > 0 &&
      companies->text(QStringLiteral("Comp_Code")) == number)
    link_.set(Field::CompanyName, companies->text(QStringLiteral("Comp_Name")));
  data::Database* database = companies_.Database1;
  const QString dataDir = link_.get(Field::DataDir);
  database->close();
  database->setParams({QStringLiteral("path=") + CompanyDir(dataDir, number)});
  try {
    database->open();
  } catch (const data::DatabaseError&) {
    link_.set(Field::CompanyNumber, previousNumber_);
    link_.set(Field::CompanyName, previousName_);
    companies->findKey({previousNumber_.toInt()});
    database->setParams({QStringLiteral("path=") + CompanyDir(dataDir, previousNumber_)});
    database->open();
    throw;
  }
}

}  // namespace orba::shell
