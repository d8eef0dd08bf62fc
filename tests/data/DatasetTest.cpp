#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "Database.h"
#include "DatabaseError.h"
#include "Table.h"
#include "paradox/TableWriter.h"

using namespace orba::data;

namespace {

constexpr FieldSpec kAccountFields[] = {
    {"Acc_number", 'I', 0, true, false},   {"Acc_name", 'A', 40, true, false},
    {"Acc_balance", '$', 0, false, false}, {"Acc_opened", 'D', 0, false, false},
    {"Acc_active", 'L', 0, false, false},  {"Acc_notes", 'M', 20, false, false},
    {"Acc_logo", 'B', 10, false, false},   {"Acc_rights", 'Y', 200, false, false},
    {"Acc_label", 'A', 20, false, true},
};
const TableSpec kAccounts{"Accounts", "Accounts.DB", 1, kAccountFields};

// An empty keyed table in a temporary folder, open and writable.
struct AccountsTable {
  QTemporaryDir dir;
  Table table{QStringLiteral("Accounts")};
  AccountsTable() {
    table.declare(kAccounts);
    table.setDatabaseName(dir.path());
    table.createTable();
    table.open();
  }
  void add(int number, const QString& name) {
    table.append();
    table.setValue("Acc_number", number);
    table.setValue("Acc_name", name);
    table.post();
  }
  QList<int> numbers() {
    QList<int> out;
    for (table.first(); !table.eof(); table.next()) out << table.value("Acc_number").toInt();
    return out;
  }
};

// An accounts table in `dir`, holding one account when `number` is given.
void makeAccounts(const QString& dir, std::optional<int> number = std::nullopt) {
  Table maker(QStringLiteral("Maker"));
  maker.declare(kAccounts);
  maker.setDatabaseName(dir);
  maker.createTable();
  if (!number) return;
  maker.open();
  maker.append();
  maker.setValue("Acc_number", *number);
  maker.setValue("Acc_name", "x");
  maker.post();
}

template <typename F>
QString errorOf(F&& f) {
  try {
    f();
  } catch (const DatabaseError& e) {
    return e.message();
  }
  return {};
}

}  // namespace

TEST(Table, KeyedRecordsStayInKeyOrderAndKeysStayUnique) {
  AccountsTable t;
  for (int n : {4000, 1000, 3000, 2000}) t.add(n, QStringLiteral("Compte %1").arg(n));
  EXPECT_EQ(t.numbers(), (QList<int>{1000, 2000, 3000, 4000}));
  EXPECT_EQ(t.table.recordCount(), 4);

  const QString error = errorOf([&] { t.add(3000, "Doublon"); });
  EXPECT_TRUE(error.contains("duplicate key")) << error.toStdString();
  EXPECT_TRUE(error.contains("Accounts")) << error.toStdString();
  t.table.cancel();
  EXPECT_EQ(t.table.recordCount(), 4);

  ASSERT_TRUE(t.table.findKey({3000}));
  EXPECT_EQ(t.table.text("Acc_name"), "Compte 3000");
  EXPECT_FALSE(t.table.findKey({3500}));
  EXPECT_EQ(t.table.value("Acc_number").toInt(), 3000) << "a failed lookup leaves the cursor";
}

TEST(Table, EditPostDeleteAndEveryWritableTypeRoundTrip) {
  AccountsTable t;
  t.add(1000, "Encaisse");
  ASSERT_TRUE(t.table.findKey({1000}));
  t.table.edit();
  const QString longNote = QString("Relevé de fin d'année, vérifié. ").repeated(20);
  QByteArray rights(200, '\0');
  rights[1] = char(0x80);
  rights[199] = char(0xff);
  const QByteArray logo = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(500, 'x');
  t.table.setValue("Acc_name", "Caisse générale");
  t.table.setValue("Acc_balance", -1234.56);
  t.table.setValue("Acc_opened", QDate(2026, 12, 4));
  t.table.setValue("Acc_active", true);
  t.table.setValue("Acc_notes", longNote);
  t.table.setBlob("Acc_logo", logo);
  t.table.setValue("Acc_rights", rights);
  t.table.post();

  Table again(QStringLiteral("Again"));
  again.declare(kAccounts);
  again.setDatabaseName(t.dir.path());
  again.open();
  ASSERT_EQ(again.recordCount(), 1);
  EXPECT_EQ(again.text("Acc_name"), "Caisse générale");
  EXPECT_DOUBLE_EQ(again.value("Acc_balance").toDouble(), -1234.56);
  EXPECT_EQ(again.value("Acc_opened").toDate(), QDate(2026, 12, 4));
  EXPECT_TRUE(again.value("Acc_active").toBool());
  EXPECT_EQ(again.text("Acc_notes"), longNote);
  EXPECT_EQ(again.blob("Acc_logo"), logo);
  EXPECT_EQ(again.value("Acc_rights").toByteArray(), rights) << "all 200 bytes, zeros inside included";
  EXPECT_TRUE(again.isNull("Acc_label")) << "a calculated field nothing sets reads as empty";

  t.table.deleteRecord();
  EXPECT_EQ(t.table.recordCount(), 0);
  EXPECT_TRUE(t.table.eof());
}

TEST(Table, RequiredFieldsAndReadOnlyTablesRefuseChanges) {
  AccountsTable t;
  t.table.append();
  t.table.setValue("Acc_number", 1);
  const QString error = errorOf([&] { t.table.post(); });
  EXPECT_TRUE(error.contains("Acc_name")) << error.toStdString();
  t.table.cancel();
  t.add(1, "Un");
  t.table.close();
  t.table.setReadOnly(true);
  t.table.open();
  EXPECT_TRUE(errorOf([&] { t.table.edit(); }).contains("read-only"));
  EXPECT_TRUE(errorOf([&] { t.table.append(); }).contains("read-only"));
}

TEST(Table, NameLetterCaseDoesNotMatterAndMissingTablesNameTheFile) {
  AccountsTable t;
  t.add(7, "Sept");
  Table upper(QStringLiteral("Upper"));
  upper.setDatabaseName(t.dir.path());
  upper.setTableName("ACCOUNTS.db");
  upper.open();
  EXPECT_EQ(upper.recordCount(), 1);
  Table bare(QStringLiteral("Bare"));
  bare.setDatabaseName(t.dir.path());
  bare.setTableName("accounts");
  bare.open();
  EXPECT_EQ(bare.recordCount(), 1);

  Table missing(QStringLiteral("Missing"));
  missing.setDatabaseName(t.dir.path());
  missing.setTableName("nowhere.db");
  const QString error = errorOf([&] { missing.open(); });
  EXPECT_TRUE(error.contains("nowhere.db")) << error.toStdString();
  EXPECT_FALSE(missing.isActive());
}

TEST(Table, ADeclaredFieldOfAnotherTypeKeepsTheTableClosed) {
  QTemporaryDir dir;
  constexpr FieldSpec wrong[] = {{"Acc_number", 'A', 10, true, false}, {"Acc_name", 'A', 40, true, false}};
  const TableSpec wrongSpec{"Accounts", "Accounts.DB", 1, wrong};
  Table maker(QStringLiteral("Maker"));
  maker.declare(wrongSpec);
  maker.setDatabaseName(dir.path());
  maker.createTable();

  Table t(QStringLiteral("Accounts"));
  t.declare(kAccounts);
  t.setDatabaseName(dir.path());
  const QString error = errorOf([&] { t.open(); });
  EXPECT_TRUE(error.contains("Accounts.DB")) << error.toStdString();
  EXPECT_TRUE(error.contains("Acc_number")) << error.toStdString();
  EXPECT_FALSE(t.isActive());
}

TEST(Table, DamagedFileFailsWithItsNameAndNeverOpens) {
  AccountsTable t;
  t.add(1, "Un");
  t.table.close();
  const QString path = t.table.filePath();
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  f.resize(100);
  f.close();
  const QString error = errorOf([&] { t.table.open(); });
  EXPECT_TRUE(error.contains("Accounts.DB")) << error.toStdString();
  EXPECT_FALSE(t.table.isActive());
}

TEST(Table, RefreshSeesAnotherWritersRecords) {
  AccountsTable t;
  t.add(1, "Un");
  Table other(QStringLiteral("Other"));
  other.declare(kAccounts);
  other.setDatabaseName(t.dir.path());
  other.open();
  other.append();
  other.setValue("Acc_number", 2);
  other.setValue("Acc_name", "Deux");
  other.post();
  EXPECT_EQ(t.table.recordCount(), 1) << "an open table reads the files it opened";
  t.table.refresh();
  EXPECT_EQ(t.table.recordCount(), 2);
  // An edit based on an outdated read still finds its record.
  ASSERT_TRUE(t.table.findKey({1}));
  other.refresh();
  other.first();
  other.edit();
  other.setValue("Acc_name", "Un modifié");
  other.post();
  t.table.edit();
  t.table.setValue("Acc_balance", 5.0);
  const QString error = errorOf([&] { t.table.post(); });
  EXPECT_TRUE(error.contains("changed by another user")) << error.toStdString();
}

TEST(Table, RefreshKeepsTheCursorOnItsRecordNotItsPlace) {
  AccountsTable t;
  for (int n : {10, 20, 30}) t.add(n, "x");
  ASSERT_TRUE(t.table.findKey({20}));
  ASSERT_EQ(t.table.recNo(), 1);
  Table other(QStringLiteral("Other"));
  other.declare(kAccounts);
  other.setDatabaseName(t.dir.path());
  other.open();
  for (int n : {1, 2, 3}) {
    other.append();
    other.setValue("Acc_number", n);
    other.setValue("Acc_name", "before");
    other.post();
  }
  t.table.refresh();
  EXPECT_EQ(t.table.value("Acc_number").toInt(), 20)
      << "records added before it move the place, not the record";
  EXPECT_EQ(t.table.recNo(), 4);
  // A record deleted elsewhere leaves the cursor at the place it had.
  other.refresh();
  ASSERT_TRUE(other.findKey({20}));
  other.deleteRecord();
  t.table.refresh();
  EXPECT_EQ(t.table.recNo(), 4);
  EXPECT_EQ(t.table.value("Acc_number").toInt(), 30);
}

TEST(Table, LocateMatchesTextWithOrWithoutCase) {
  AccountsTable t;
  t.add(1, "Banque Nationale");
  t.add(2, "Caisse Desjardins");
  EXPECT_TRUE(t.table.locate("Acc_name", "caisse desjardins", true));
  EXPECT_EQ(t.table.value("Acc_number").toInt(), 2);
  EXPECT_FALSE(t.table.locate("Acc_name", "caisse desjardins"));
  EXPECT_TRUE(t.table.locate("Acc_number", 1));
  EXPECT_EQ(t.table.text("Acc_name"), "Banque Nationale");
}

TEST(Database, NamedDirectoryCanBeRepointedAndReconnected) {
  QTemporaryDir one, two;
  makeAccounts(one.path(), 1);
  makeAccounts(two.path(), 2);
  Database db(QStringLiteral("Database1"), QStringLiteral("testdata"));
  db.setParams({"path=" + one.path()});
  db.open();
  Table t(QStringLiteral("Accounts"));
  t.declare(kAccounts);
  t.setDatabaseName("testdata");
  t.open();
  EXPECT_EQ(t.value("Acc_number").toInt(), 1);
  t.close();
  EXPECT_FALSE(errorOf([&] { db.setParams({"path=" + two.path()}); }).isEmpty()) << "connected";
  db.close();
  db.setParams({"path=" + two.path()});
  db.open();
  t.open();
  EXPECT_EQ(t.value("Acc_number").toInt(), 2);

  db.close();
  db.setParams({"path=" + two.path() + "/missing"});
  EXPECT_TRUE(errorOf([&] { db.open(); }).contains("missing"));
}

TEST(Table, WritesGoToTheFileThatWasOpenedEvenWhenItsDatabaseMoves) {
  QTemporaryDir one, two;
  makeAccounts(one.path());
  makeAccounts(two.path());
  Database db(QStringLiteral("Database1"), QStringLiteral("moving"));
  db.setParams({"path=" + one.path()});
  db.open();
  Table t(QStringLiteral("Accounts"));
  t.declare(kAccounts);
  t.setDatabaseName("moving");
  t.open();
  db.close();
  db.setParams({"path=" + two.path()});
  db.open();
  t.append();
  t.setValue("Acc_number", 1);
  t.setValue("Acc_name", "Un");
  t.post();
  Table check(QStringLiteral("Check"));
  check.declare(kAccounts);
  check.setDatabaseName(two.path());
  check.open();
  EXPECT_EQ(check.recordCount(), 0) << "nothing landed in the other company's table";
  EXPECT_EQ(t.recordCount(), 1);
}

TEST(Table, KeysTheFieldCannotHoldAreSimplyNotFound) {
  AccountsTable t;
  constexpr FieldSpec named[] = {{"Code", 'A', 4, true, false}, {"Name", 'A', 20, false, false}};
  const TableSpec shape{"Codes", "Codes.db", 1, named};
  Table codes(QStringLiteral("Codes"));
  codes.declare(shape);
  codes.setDatabaseName(t.dir.path());
  codes.createTable();
  codes.open();
  codes.append();
  codes.setValue("Code", "ABCD");
  codes.post();
  EXPECT_FALSE(codes.findKey({"ABCDEFGH"}));
  EXPECT_FALSE(codes.findKey({QString::fromUtf8("日本")})) << "not in the table's code page";
  EXPECT_TRUE(codes.findKey({"ABCD"}));
}

TEST(Table, NoMovingWhileARecordIsEdited) {
  AccountsTable t;
  t.add(1, "Un");
  t.add(2, "Deux");
  t.table.first();
  t.table.edit();
  t.table.setValue("Acc_name", "Premier");
  EXPECT_TRUE(errorOf([&] { t.table.next(); }).contains("being edited"));
  EXPECT_EQ(t.table.text("Acc_name"), "Premier");
  t.table.cancel();
  EXPECT_EQ(t.table.text("Acc_name"), "Un");
}

// Another program (here a second writer held in this process) keeps the
// table: a change waits its bounded time, fails with the table's name, and
// changes nothing; the same change goes through once the table is free.
TEST(DatasetLocks, AChangeToATableInUseFailsAfterTheWaitAndCanBeTriedAgain) {
  AccountsTable accounts;
  accounts.add(1, "Cash");
  const auto previous = Table::lockWait();
  Table::setLockWait(std::chrono::milliseconds(100));
  {
    std::unique_ptr<orba::pdx::TableWriter> holder;
    ASSERT_TRUE(orba::pdx::TableWriter::Open(accounts.table.filePath().toStdString(), {}, &holder).ok());
    accounts.table.append();
    accounts.table.setValue("Acc_number", 2);
    accounts.table.setValue("Acc_name", "Bank");
    try {
      accounts.table.post();
      FAIL() << "posted while the table was held";
    } catch (const DatabaseError& e) {
      EXPECT_TRUE(e.message().contains("table Accounts.DB is in use by another program or workstation"))
          << e.message().toStdString();
    }
  }
  // Still being inserted: the user tries again.
  accounts.table.post();
  Table::setLockWait(previous);
  EXPECT_EQ(accounts.numbers(), (QList<int>{1, 2}));
}

// A detail table shows the master's current record's rows; a damaged value
// in another master's row (a memo whose block is damaged) hides nobody's.
TEST(MasterDetail, TheDetailFollowsTheMasterAndAnotherMastersDamagedRowHidesNothing) {
  QTemporaryDir dir;
  constexpr FieldSpec kUserFields[] = {{"Usr_code", 'A', 10, true, false}};
  const TableSpec kUsers{"Users", "users.db", 1, kUserFields};
  constexpr FieldSpec kNoteFields[] = {{"Note_user", 'A', 10, false, false},
                                       {"Note_text", 'M', 10, false, false}};
  const TableSpec kNotes{"Notes", "notes.db", 0, kNoteFields};
  Table users(QStringLiteral("Users"));
  users.declare(kUsers);
  users.setDatabaseName(dir.path());
  users.createTable();
  users.open();
  for (const char* code : {"ANNE", "BOB"}) {
    users.append();
    users.setValue("Usr_code", code);
    users.post();
  }
  Table notes(QStringLiteral("Notes"));
  notes.declare(kNotes);
  notes.setDatabaseName(dir.path());
  notes.createTable();
  notes.open();
  const QByteArray bobsNote = "BOB-NOTE" + QByteArray(5000, 'b');
  for (const auto& [user, text] : {std::pair<const char*, QByteArray>{"ANNE", "Anne's first"},
                                   {"BOB", bobsNote},
                                   {"ANNE", "Anne's second"}}) {
    notes.append();
    notes.setValue("Note_user", user);
    notes.setValue("Note_text", QString::fromLatin1(text));
    notes.post();
  }
  notes.close();
  // The block holding Bob's long note is damaged.
  QFile mb(dir.filePath("notes.mb"));
  ASSERT_TRUE(mb.open(QIODevice::ReadWrite));
  const qsizetype at = mb.readAll().indexOf("BOB-NOTE");
  ASSERT_GT(at, 0);
  mb.seek(at - at % 4096);
  mb.write("\x7f", 1);
  mb.close();

  notes.setMaster(&users, "Usr_code", "Note_user");
  notes.open();
  ASSERT_TRUE(users.findKey({"ANNE"}));
  ASSERT_EQ(notes.recordCount(), 2);
  EXPECT_EQ(notes.valueAt(0, "Note_text").toString(), "Anne's first");
  EXPECT_EQ(notes.valueAt(1, "Note_text").toString(), "Anne's second");
  ASSERT_TRUE(users.findKey({"BOB"}));
  ASSERT_EQ(notes.recordCount(), 1);
  const QString error = errorOf([&] { notes.valueAt(0, "Note_text"); });
  EXPECT_TRUE(error.contains("notes.mb")) << error.toStdString();

  // A note added under a master is that master's, without its field typed.
  ASSERT_TRUE(users.findKey({"ANNE"}));
  notes.append();
  notes.setValue("Note_text", "Anne's third");
  notes.post();
  ASSERT_EQ(notes.recordCount(), 3);
  EXPECT_EQ(notes.valueAt(2, "Note_user").toString(), "ANNE");
  ASSERT_TRUE(users.findKey({"BOB"}));
  EXPECT_EQ(notes.recordCount(), 1);
}
