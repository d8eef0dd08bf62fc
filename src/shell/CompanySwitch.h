#pragma once

#include <QString>
#include <vector>

namespace orba::data {
class Table;
class TCo_DataModule;
class TUserDataModule;
}  // namespace orba::data
namespace orba::dispatch {
class LinkRecord;
}

namespace orba::shell {

// A row of the companies table.
struct Company {
  QString number;  // Comp_Code as decimal text
  QString name;
};

// Every company, in key order. The cursor is left past the last one.
std::vector<Company> readCompanies(data::Table& companies);

// The data steps of choosing another company from the company menu: the
// companies table positioned on it, its password when it asks for one, the
// link record and the company database moved to it. A failure leaves the
// previous company in force, connected as it was.
class CompanySwitch {
 public:
  // REQUIRES: everything passed outlives this object.
  CompanySwitch(data::TCo_DataModule& companies, data::TUserDataModule& users, dispatch::LinkRecord& link);

  // Every company, in key order; the table is left on the company in force.
  std::vector<Company> companies();

  // Starts the switch to the company with this number. Returns the password
  // the user must give first: a company other than the user's own that has
  // one; empty when nothing is asked.
  QString choose(const QString& number);
  // The user cancelled the password: the previous company stays.
  void abandon();
  // Connects the chosen company's folder. Throws DatabaseError when it
  // cannot be connected; the previous company is then connected again.
  void complete();

 private:
  data::TCo_DataModule& companies_;
  data::TUserDataModule& users_;
  dispatch::LinkRecord& link_;
  QString previousNumber_;
  QString previousName_;
};

}  // namespace orba::shell
