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

  // Each of these returns empty text, or, when the user was stored but the
  // rows of Desktop.db could not follow (see followDesktop), why not.
  QString add(const User& user);
  // Replaces the user whose code was `code`.
  QString update(const QString& code, const User& user);
  QString remove(const QString& code);

  // The stored desktops (Desktop.db) are the users' by code: the rows of
  // `from` become `to`'s (none when `to` is empty), replacing any rows
  // `to` had, in one change. So a user whose code changed keeps their
  // desktop, and a new or deleted user's code leaves no desktop behind.
  // Returns empty text, or the reason of a failure (the rows are then as
  // they were).
  QString followDesktop(const QString& from, const QString& to);

 private:
  QString dataDir_;
};

}  // namespace orba::users
