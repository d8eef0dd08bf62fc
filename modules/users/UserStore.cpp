#include "UserStore.h"

#include <algorithm>

#include "DatabaseError.h"
#include "RightsMap.h"
#include "Table.h"
#include "TableSchemas.h"
#include "TableTransaction.h"

namespace orba::users {

namespace sc = data::schemas;

namespace {

const QString kPassword = QString::fromUtf8("User_password");
const QString kCode = QString::fromUtf8("User_code");
const QString kName = QString::fromUtf8("User_name");
const QString kLanguage = QString::fromUtf8("User_language");
const QString kCompany = QString::fromUtf8("User_company");
const QString kRights = QString::fromUtf8("User_security");

// The stored lengths of the fields the module writes.
constexpr int kPasswordSize = 10;
constexpr int kCodeSize = 10;
constexpr int kNameSize = 30;

QByteArray padded(QByteArray rights) {
  if (rights.size() < 200) rights.append(200 - rights.size(), '\0');
  return rights;
}

User current(data::Table& t, int position) {
  const QVariantList v = t.valuesAt(position, {kPassword, kCode, kName, kLanguage, kCompany, kRights});
  User u;
  u.password = v[0].toString();
  u.code = v[1].toString();
  u.name = v[2].toString();
  u.language = v[3].toInt();
  u.company = v[4].toInt();
  u.rights = padded(v[5].toByteArray());
  return u;
}

// The users table opened on the data folder, closed on every way out.
class UsersTable {
 public:
  explicit UsersTable(const QString& dataDir) : table_(QString::fromUtf8("User_table")) {
    table_.declare(sc::User_table);
    table_.setDatabaseName(dataDir);
    table_.open();
  }
  ~UsersTable() { table_.close(); }
  data::Table& operator*() { return table_; }
  data::Table* operator->() { return &table_; }

  std::vector<User> all() {
    std::vector<User> users;
    for (int i = 0; i < table_.recordCount(); ++i) users.push_back(current(table_, i));
    return users;
  }

 private:
  data::Table table_;
};

bool sameCode(const QString& a, const QString& b) {
  return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

int managers(const std::vector<User>& users) {
  return static_cast<int>(std::count_if(users.begin(), users.end(),
                                        [](const User& u) { return UserStore::mayManageUsers(u.rights); }));
}

// The user as it will be stored, checked against the others.
User checked(const User& wanted, const std::vector<User>& others) {
  User u = wanted;
  u.code = u.code.trimmed();
  u.name = u.name.trimmed();
  u.password = UserStore::storedPassword(u.password);
  u.rights = padded(u.rights);
  if (u.code.isEmpty()) throw UserRefused(UserRefused::MissingCode);
  if (u.code.size() > kCodeSize) throw UserRefused(UserRefused::CodeTooLong);
  if (u.name.isEmpty()) throw UserRefused(UserRefused::MissingName);
  if (u.name.size() > kNameSize) throw UserRefused(UserRefused::NameTooLong);
  if (u.password.isEmpty()) throw UserRefused(UserRefused::MissingPassword);
  if (u.password.size() > kPasswordSize) throw UserRefused(UserRefused::PasswordTooLong);
  for (const User& other : others) {
    if (sameCode(other.code, u.code)) throw UserRefused(UserRefused::DuplicateCode, other.code);
    if (other.password == u.password) throw UserRefused(UserRefused::DuplicatePassword, other.name);
  }
  return u;
}

std::vector<std::pair<QString, QVariant>> fields(const User& u) {
  return {{kPassword, u.password}, {kCode, u.code},       {kName, u.name},
          {kLanguage, u.language}, {kCompany, u.company}, {kRights, u.rights}};
}

int indexOf(const std::vector<User>& users, const QString& code) {
  for (std::size_t i = 0; i < users.size(); ++i)
    if (users[i].code == code) return static_cast<int>(i);
  return -1;
}

template <typename Row>
std::vector<Row> readAll(const QString& dataDir, const data::TableSpec& shape,
                         Row (*row)(const data::Table&)) {
  data::Table t(QString::fromLatin1(shape.component.data(), static_cast<qsizetype>(shape.component.size())));
  t.declare(shape);
  t.setDatabaseName(dataDir);
  std::vector<Row> rows;
  if (!t.exists()) return rows;
  t.open();
  for (t.first(); !t.eof(); t.next()) rows.push_back(row(t));
  t.close();
  return rows;
}

}  // namespace

QString UserStore::storedPassword(const QString& typed) { return typed.toUpper(); }

bool UserStore::mayManageUsers(const QByteArray& rights) {
  const dispatch::OptionPlace place = dispatch::findOption(QString::fromLatin1(kManagerOption));
  const int bit = dispatch::rightsBit(place.module, place.group, place.item);
  return bit / 8 < rights.size() && (static_cast<unsigned char>(rights[bit / 8]) >> (bit % 8)) & 1;
}

std::vector<User> UserStore::users() const {
  UsersTable t(dataDir_);
  return t.all();
}

std::vector<UserStore::Language> UserStore::languages() const {
  return readAll<Language>(dataDir_, sc::tblLanguage, [](const data::Table& t) {
    return Language{t.value(QString::fromUtf8("LangKey")).toInt(), t.text(QString::fromUtf8("LangCode")),
                    t.text(QString::fromUtf8("LangName"))};
  });
}

std::vector<UserStore::Company> UserStore::companies() const {
  return readAll<Company>(dataDir_, sc::Co_Table, [](const data::Table& t) {
    return Company{t.value(QString::fromUtf8("Comp_Code")).toInt(), t.text(QString::fromUtf8("Comp_Name"))};
  });
}

// Each change reads the table again once its lock is held, so that its
// checks see what other workstations stored meanwhile.

QString UserStore::add(const User& user) {
  User u;
  {
    UsersTable t(dataDir_);
    data::TableTransaction change(*t);
    t->refresh();
    u = checked(user, t.all());
    change.insert(fields(u));
    change.commit();
  }
  return followDesktop(u.code, {});
}

QString UserStore::update(const QString& code, const User& user) {
  User u;
  {
    UsersTable t(dataDir_);
    data::TableTransaction change(*t);
    t->refresh();
    std::vector<User> users = t.all();
    const int index = indexOf(users, code);
    if (index < 0) throw UserRefused(UserRefused::Vanished, code);
    std::vector<User> others = users;
    others.erase(others.begin() + index);
    u = checked(user, others);
    const int before = managers(users);
    const QString holder = users[static_cast<std::size_t>(index)].name;
    users[static_cast<std::size_t>(index)] = u;
    if (before > 0 && managers(users) == 0) throw UserRefused(UserRefused::LastManagerRight, holder);
    change.update(index, fields(u));
    change.commit();
  }
  return u.code == code ? QString() : followDesktop(code, u.code);
}

QString UserStore::remove(const QString& code) {
  {
    UsersTable t(dataDir_);
    data::TableTransaction change(*t);
    t->refresh();
    std::vector<User> users = t.all();
    const int index = indexOf(users, code);
    if (index < 0) throw UserRefused(UserRefused::Vanished, code);
    const User gone = users[static_cast<std::size_t>(index)];
    const int before = managers(users);
    users.erase(users.begin() + index);
    if (before > 0 && managers(users) == 0) throw UserRefused(UserRefused::LastManagerDelete, gone.name);
    change.deleteWhere(kPassword, gone.password);
    change.commit();
  }
  return followDesktop(code, {});
}

QString UserStore::followDesktop(const QString& from, const QString& to) {
  const QString user = QString::fromUtf8("Desktop_user");
  try {
    data::Table t(QString::fromUtf8("Desktop_table"));
    t.declare(sc::Desktop_table);
    t.setDatabaseName(dataDir_);
    if (!t.exists()) return {};
    t.open();
    data::TableTransaction change(t);
    t.refresh();
    std::vector<int> fromRows;
    std::vector<int> toRows;
    for (int i = 0; i < t.recordCount(); ++i) {
      const QString owner = t.valueAt(i, user).toString();
      if (!to.isEmpty() && owner == to)
        toRows.push_back(i);
      else if (owner == from)
        fromRows.push_back(i);
    }
    if (to.isEmpty()) {
      if (fromRows.empty()) return {};
      change.deleteWhere(user, from);
    } else {
      if (fromRows.empty() && toRows.empty()) return {};
      if (!toRows.empty()) change.deleteWhere(user, to);
      // The table has no key: its records keep their order, and each one
      // deleted before a record moves it up by one.
      for (int i : fromRows) {
        const auto before = std::count_if(toRows.begin(), toRows.end(), [i](int r) { return r < i; });
        change.update(i - static_cast<int>(before), {{user, to}});
      }
    }
    change.commit();
  } catch (const data::DatabaseError& e) {
    return e.userText();
  }
  return {};
}

}  // namespace orba::users
