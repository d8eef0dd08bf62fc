#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace orba::users {

// One record of the users table as the users module edits it.
struct User {
  QString password;  // as stored: the upper-case form the login compares
  QString code;
  QString name;
  int language = 0;  // LangKey of Languages.db; 0: the installation's language
  int company = 0;   // Comp_Code of comp.db
  QByteArray rights = QByteArray(200, '\0');
};

// A change the rules of the users table do not allow. The reason is also
// the line of the users window's messages that explains it; `subject` fills
// its %1.
class UserRefused {
 public:
  enum Reason {
    MissingCode = 0,
    MissingName = 1,
    MissingPassword = 2,
    PasswordsDiffer = 3,
    DuplicateCode = 4,
    DuplicatePassword = 5,
    PasswordTooLong = 6,
    LastManagerRight = 7,
    LastManagerDelete = 8,
    Vanished = 11,
    CodeTooLong = 15,
    NameTooLong = 16,
  };
  UserRefused(Reason reason, QString subject = {}) : reason(reason), subject(std::move(subject)) {}
  Reason reason;
  QString subject;
};

// The option that maintains users and rights; at least one user keeps it.
inline constexpr const char* kManagerOption = "ut03";

// The system tables the users module reads and writes, in the data folder.
// Every change of one user is checked against the table as it is on disk,
// under the table's lock, and stored in one transaction: it is written
// whole or not at all. Storage failures throw data::DatabaseError; changes
// the rules refuse throw UserRefused and leave the table as it was.
class UserStore {
 public:
  explicit UserStore(QString dataDir) : dataDir_(std::move(dataDir)) {}

  // The users in the table's order.
  std::vector<User> users() const;

  struct Language {
    int key;
    QString code;
    QString name;
  };
  // Languages.db in key order; empty when the table is missing.
  std::vector<Language> languages() const;
  struct Company {
    int code;
    QString name;
  };
  // comp.db in key order; empty when the table is missing.
  std::vector<Company> companies() const;

  // The password as the login looks it up: in upper case.
  static QString storedPassword(const QString& typed);
  // Whether the rights grant the users option.
  static bool mayManageUsers(const QByteArray& rights);

  void add(const User& user);
  // Replaces the user whose code was `code`.
  void update(const QString& code, const User& user);
  void remove(const QString& code);

 private:
  QString dataDir_;
};

}  // namespace orba::users
