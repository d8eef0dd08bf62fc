#pragma once

// The companies of an installation as the company options keep them: the
// rows of comp.db in the system folder, and each company's own folder,
// DataDir followed by its number, holding the company's tables.
//
// Creation builds the whole company in a scratch folder beside its final
// place, moves it into place in one rename, and lists it in comp.db last: a
// failure at any step takes back what the earlier steps did, so that the
// company is either complete and listed or not there at all.
//
// Every failure of a table or a folder throws data::DatabaseError with the
// reason; refusals are answered with a Verdict before anything is written.

#include <QString>
#include <vector>

namespace orba::pdx {
class Env;
}

namespace orba::company {

struct Company {
  int number = 0;
  QString name;
  QString password;  // empty: none
};

// Why a change was refused.
enum class Verdict {
  Done,
  EmptyName,  // the name is blank
  NameInUse,  // another company has this name
  NumberOutOfRange,
  NumberInUse,    // comp.db lists the number already
  FolderExists,   // DataDir + number is there already
  NotListed,      // comp.db does not list the number (any more)
  WrongPassword,  // the company's current password was not given
};

// The numbers a company may have: a user's company is a short integer.
inline constexpr int kFirstNumber = 1;
inline constexpr int kLastNumber = 32767;
// The longest name and password comp.db holds.
inline constexpr int kNameLength = 60;
inline constexpr int kPasswordLength = 10;

// A creation that failed: the reason, and the unfinished folder when it
// could not be taken away (empty when nothing is left).
struct CreationFailed {
  QString reason;
  QString leftover;
};

class CompanyStore {
 public:
  // `dataDir` is DataDir as the link record gives it (a company's folder is
  // that text followed by the number, with no separator). `env` is the file
  // system of the folder steps; nullptr is the system's.
  explicit CompanyStore(QString dataDir, pdx::Env* env = nullptr);

  const QString& dataDir() const { return dataDir_; }
  QString companyFolder(int number) const;

  // The rows of comp.db in table order.
  std::vector<Company> companies() const;
  // After the highest listed number, the first whose folder is free; 1 when
  // no company is listed yet. 0 when every number is taken.
  int nextFreeNumber() const;

  // What create() would answer before it writes anything.
  Verdict checkNew(const Company& company) const;
  // Makes the company's folder with every company table (empty, the control
  // record excepted), then lists it in comp.db. Throws CreationFailed when a
  // step fails; nothing of the company is left then, unless `leftover` says
  // otherwise.
  Verdict create(const Company& company);

  // Changes the name of a listed company.
  Verdict rename(int number, const QString& name);
  // Sets (or, with an empty text, clears) a company's password. A company
  // that has a password, other than `currentNumber`, needs it given as
  // `currentPassword`.
  Verdict setPassword(int number, const QString& password, const QString& currentPassword, int currentNumber);
  // Takes the company off comp.db. Its folder and files are not touched.
  Verdict removeFromList(int number);

 private:
  pdx::Env* env() const;
  bool nameTaken(const std::vector<Company>& listed, const QString& name, int except) const;
  // Builds every company table in `folder`.
  void buildTables(const QString& folder) const;
  // Removes a folder this store made, file by file; false when something
  // stays.
  bool removeFolder(const QString& folder) const;
  void list(const Company& company);

  QString dataDir_;
  pdx::Env* env_;
};

}  // namespace orba::company
