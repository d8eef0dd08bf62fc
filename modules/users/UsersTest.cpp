// ut03 as the desktop runs it: the real library loaded by the program's
// loader on an installation on disk, its windows driven from the test, and
// what it stored read back with the desktop's own rights manager and
// compared with the rights map written out apart from the program's.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest/QTest>

#include "DataSource.h"
#include "DatabaseError.h"
#include "DesktopFixture.h"
#include "FailingEnv.h"
#include "Installation.h"
#include "LanguageTexts.h"
#include "LoadedModule.h"
#include "MessageList.h"
#include "ModalScript.h"
#include "ModuleLink.h"
#include "Oracle.h"
#include "Table.h"
#include "UserSecurityManager.h"
#include "UserStore.h"
#include "UsersWindows.h"

using orba::users::User;
using orba::users::UserRefused;
using orba::users::UserStore;

namespace {

// The options the desktop's rights manager grants the user with this code,
// reading user.db as the desktop does: the users table's current record.
QStringList granted(const QString& dataDir, const QString& code) {
  orba::data::Table users("User_table");
  users.declare(orba::data::schemas::User_table);
  users.setDatabaseName(dataDir);
  users.open();
  EXPECT_TRUE(users.locate("User_code", code)) << code.toStdString();
  orba::data::DataSource source("User_datasource", &users);
  orba::dispatch::TUserSecurityManager manager("UserSecurityManager1");
  manager.setDataSource(&source);
  manager.setBytesField("User_security");
  QStringList out;
  for (const oracle::Right& o : oracle::rights())
    if (manager.HasRight(static_cast<std::uint8_t>(o.module), static_cast<std::uint8_t>(o.group),
                         static_cast<std::uint8_t>(o.position)))
      out << o.code;
  return out;
}

void selectUser(QWidget* form, const QString& code) {
  auto* grid = form->findChild<QTableWidget*>("UsersGrid");
  ASSERT_NE(grid, nullptr);
  for (int r = 0; r < grid->rowCount(); ++r)
    if (grid->item(r, 0)->text() == code) {
      grid->selectRow(r);
      return;
    }
  ADD_FAILURE() << "no user " << code.toStdString() << " in the list";
}
// Toggles an option's box the way the keyboard does: current item, Space.
void toggle(QWidget* dialog, const QString& code) {
  auto* tree = dialog->findChild<QTreeWidget*>("RightsTree");
  ASSERT_NE(tree, nullptr);
  const auto found = tree->findItems(code, Qt::MatchExactly | Qt::MatchRecursive, 1);
  ASSERT_EQ(found.size(), 1) << code.toStdString();
  tree->scrollToItem(found[0]);
  tree->setCurrentItem(found[0], 0);
  QTest::keyClick(tree->viewport(), Qt::Key_Space);
}
void type(QWidget* window, const char* edit, const QString& text) { ModalScript::type(window, edit, text); }

class UsersModuleTest : public ::testing::Test {
 protected:
  QTemporaryDir root;
  std::unique_ptr<Installation> install;

  void SetUp() override {
    QDir().mkpath(programDir());
    QDir().mkpath(root.path() + "/Orba/languages");
    for (const QString& f : QDir(ORBA_LANGUAGES_DIR).entryList(QDir::Files))
      QFile::copy(QString(ORBA_LANGUAGES_DIR) + "/" + f, root.path() + "/Orba/languages/" + f);
    install = std::make_unique<Installation>(root.path());
    install->addLanguages();
    install->addCompany(1, "Les Entreprises Tremblay");
    install->addCompany(2, "Transport Gagnon");
    writeSettings("");
    qputenv("ORBA_SETTINGS", root.filePath("orba.ini").toUtf8());
    qputenv("ORBA_USER_SETTINGS", root.filePath("user.ini").toUtf8());
  }
  void writeSettings(const QString& extra) {
    QFile f(root.filePath("orba.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QString("[Orba]\ndatadrive=%1\n%2").arg(root.path(), extra).toUtf8());
  }
  QString programDir() const { return root.path() + "/Orba/bin"; }
  QString dataDir() const { return install->dataDir(); }

  // Runs ut03.so once while the script drives its windows.
  void run(ModalScript& script, int language = 2, orba::pdx::Env* env = nullptr) {
    LoadedModule library(UT03_PATH);
    library.setEnv(env);
    script.start();
    EXPECT_EQ(library.call(ModuleLink(programDir(), dataDir() + "/", language, "Administrateur")), 1);
    library.setEnv(nullptr);
    library.unload();
    EXPECT_FALSE(LoadedModule::mapped(UT03_PATH)) << "the library stays loaded";
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  }

  std::vector<User> stored() const { return UserStore(dataDir()).users(); }
};

}  // namespace

TEST_F(UsersModuleTest, EveryOptionSetInTheEditorIsTheRightTheDesktopTestsAndNoOther) {
  install->addUser("SECRET", "ADMIN", "Administrateur", 2, 1, {"ut03"});
  install->addUser("CLERK", "CLERK", "Commis", 2, 1, {});
  ModalScript script;
  QString previous;
  for (const oracle::Right& o : oracle::rights()) {
    script.then("UsersForm", [this, previous](QWidget* form) {
      if (!previous.isEmpty()) {
        EXPECT_EQ(granted(dataDir(), "CLERK"), QStringList{previous});
      }
      selectUser(form, "CLERK");
      ModalScript::click(form, "EditBtn");
    });
    script.then("UserDlg", [previous, code = o.code](QWidget* dialog) {
      if (!previous.isEmpty()) toggle(dialog, previous);
      toggle(dialog, code);
      ModalScript::click(dialog, "OKBtn");
    });
    previous = o.code;
  }
  script.then("UsersForm", [&](QWidget* form) {
    EXPECT_EQ(granted(dataDir(), "CLERK"), QStringList{previous});
    ModalScript::click(form, "CloseBtn");
  });
  run(script);
  EXPECT_EQ(granted(dataDir(), "ADMIN"), QStringList{"ut03"}) << "the other user is untouched";
}

TEST_F(UsersModuleTest, TheLastUserWhoManagesUsersKeepsThatRightAndStays) {
  install->addUser("SECRET", "ADMIN", "Administrateur", 2, 1, {"ut03", "gl01"});
  install->addUser("CLERK", "CLERK", "Commis", 2, 1, {"gl01"});
  QStringList shown;
  ModalScript script;
  // Taking ut03 away from oneself is refused; the window keeps what was typed.
  script.then("UsersForm", [](QWidget* form) {
    selectUser(form, "ADMIN");
    ModalScript::click(form, "EditBtn");
  });
  script.then("UserDlg", [](QWidget* dialog) {
    toggle(dialog, "ut03");
    type(dialog, "NameEdit", "Marie");
    ModalScript::click(dialog, "OKBtn");
  });
  script.collect("QMessageBox", &shown);
  script.then("UserDlg", [](QWidget* dialog) {
    EXPECT_EQ(dialog->findChild<QLineEdit*>("NameEdit")->text(), "Marie");
    ModalScript::click(dialog, "CancelBtn");
  });
  // Deleting oneself as the last holder is refused as well.
  script.then("UsersForm", [](QWidget* form) {
    selectUser(form, "ADMIN");
    ModalScript::click(form, "DeleteBtn");
  });
  script.then("QMessageBox", [&](QWidget* box) {
    shown << ModalScript::boxText(box);
    ModalScript::clickText(box, "Supprimer");
  });
  script.collect("QMessageBox", &shown);
  // Once the clerk holds it too, the administrator may give it up.
  script.then("UsersForm", [](QWidget* form) {
    selectUser(form, "CLERK");
    ModalScript::click(form, "EditBtn");
  });
  script.then("UserDlg", [](QWidget* dialog) {
    toggle(dialog, "ut03");
    ModalScript::click(dialog, "OKBtn");
  });
  script.then("UsersForm", [](QWidget* form) {
    selectUser(form, "ADMIN");
    ModalScript::click(form, "EditBtn");
  });
  script.then("UserDlg", [](QWidget* dialog) {
    toggle(dialog, "ut03");
    ModalScript::click(dialog, "OKBtn");
  });
  script.then("UsersForm", [](QWidget* form) { ModalScript::click(form, "CloseBtn"); });
  run(script);
  ASSERT_EQ(shown.size(), 3);
  EXPECT_EQ(
      shown[0],
      "Administrateur est le dernier utilisateur qui a le droit Utilisateurs et droits d'accès : ce droit "
      "ne peut pas lui être retiré, sinon personne ne pourrait plus gérer les utilisateurs.");
  EXPECT_EQ(shown[1], "Supprimer l'utilisateur Administrateur?");
  EXPECT_EQ(
      shown[2],
      "Administrateur est le dernier utilisateur qui a le droit Utilisateurs et droits d'accès et ne peut "
      "pas être supprimé.");
  EXPECT_EQ(granted(dataDir(), "ADMIN"), QStringList{"gl01"});
  EXPECT_EQ(granted(dataDir(), "CLERK"), (QStringList{"gl01", "ut03"}));
}

TEST_F(UsersModuleTest, AUserIsAddedAsTheLoginFindsItAndCodesAndPasswordsStayUnique) {
  install->addUser("SECRET", "ADMIN", "Administrator", 1, 1, {"ut03"});
  QStringList shown;
  ModalScript script;
  script.then("UsersForm", [](QWidget* form) { ModalScript::click(form, "AddBtn"); });
  script.then("UserDlg", [](QWidget* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "User");
    type(dialog, "CodeEdit", "admin");  // the same code in another case
    type(dialog, "NameEdit", "Paul Gagnon");
    type(dialog, "PasswordEdit", "secret");  // typed in lower case
    type(dialog, "ConfirmEdit", "secret");
    auto* language = dialog->findChild<QComboBox*>("LanguageCombo");
    EXPECT_EQ(language->count(), 3) << "the installation's language, then Languages.db";
    language->setCurrentIndex(language->findText("Français"));
    auto* company = dialog->findChild<QComboBox*>("CompanyCombo");
    company->setCurrentIndex(company->findData(2));
    ModalScript::click(dialog, "OKBtn");
  });
  script.collect("QMessageBox", &shown);
  script.then("UserDlg", [](QWidget* dialog) {
    type(dialog, "CodeEdit", "PAUL");
    EXPECT_EQ(dialog->findChild<QLineEdit*>("PasswordEdit")->text(), "SECRET") << "upper case as typed";
    ModalScript::click(dialog, "OKBtn");
  });
  script.collect("QMessageBox", &shown);
  script.then("UserDlg", [](QWidget* dialog) {
    type(dialog, "PasswordEdit", "paul1");
    type(dialog, "ConfirmEdit", "paul2");
    ModalScript::click(dialog, "OKBtn");
  });
  script.collect("QMessageBox", &shown);
  script.then("UserDlg", [](QWidget* dialog) {
    type(dialog, "ConfirmEdit", "paul1");
    toggle(dialog, "gl03");
    ModalScript::click(dialog, "OKBtn");
  });
  // With a single user no password was asked at login; now there are two.
  script.collect("QMessageBox", &shown);
  script.then("UsersForm", [](QWidget* form) {
    auto* grid = form->findChild<QTableWidget*>("UsersGrid");
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "Name");
    EXPECT_EQ(grid->item(1, 0)->text(), "PAUL");
    EXPECT_EQ(grid->item(1, 2)->text(), "Français");
    EXPECT_EQ(grid->item(1, 3)->text(), "Transport Gagnon");
    ModalScript::click(form, "CloseBtn");
  });
  run(script, 1);
  ASSERT_EQ(shown.size(), 4);
  EXPECT_EQ(shown[0], "The user code ADMIN is already used.");
  EXPECT_EQ(
      shown[1],
      "This password is already the password of Administrator. At login the password tells who the user "
      "is, so each user needs a password of their own.");
  EXPECT_EQ(shown[2], "The password and its confirmation differ.");
  EXPECT_EQ(shown[3], "There is more than one user now: from the next login on, each user types a password.");

  // The login looks the typed password up, in upper case, as the key.
  orba::data::Table users("User_table");
  users.declare(orba::data::schemas::User_table);
  users.setDatabaseName(dataDir());
  users.open();
  ASSERT_TRUE(users.findKey({"PAUL1"}));
  EXPECT_EQ(users.text("User_code"), "PAUL");
  EXPECT_EQ(users.text("User_name"), "Paul Gagnon");
  EXPECT_EQ(users.value("User_language").toInt(), 2);
  EXPECT_EQ(users.value("User_company").toInt(), 2);
  users.close();
  EXPECT_EQ(granted(dataDir(), "PAUL"), QStringList{"gl03"});
}

TEST_F(UsersModuleTest, WithThePasswordAlwaysAskedAddingASecondUserTellsNothing) {
  writeSettings("DisplayPW=Y\n");
  install->addUser("SECRET", "ADMIN", "Administrator", 1, 1, {"ut03"});
  ModalScript script;
  script.then("UsersForm", [](QWidget* form) { ModalScript::click(form, "AddBtn"); });
  script.then("UserDlg", [](QWidget* dialog) {
    type(dialog, "CodeEdit", "PAUL");
    type(dialog, "NameEdit", "Paul");
    type(dialog, "PasswordEdit", "x");
    type(dialog, "ConfirmEdit", "x");
    ModalScript::click(dialog, "OKBtn");
  });
  script.then("UsersForm", [](QWidget* form) {
    EXPECT_EQ(form->findChild<QTableWidget*>("UsersGrid")->rowCount(), 2);
    ModalScript::click(form, "CloseBtn");
  });
  run(script, 1);
}

TEST_F(UsersModuleTest, ADeletedUserIsGoneAndTheLastOneLogsInWithoutPassword) {
  install->addUser("SECRET", "ADMIN", "Administrator", 1, 1, {"ut03"});
  install->addUser("CLERK", "CLERK", "Clerk", 1, 1, {});
  QStringList shown;
  ModalScript script;
  script.then("UsersForm", [](QWidget* form) {
    selectUser(form, "CLERK");
    ModalScript::click(form, "DeleteBtn");
  });
  script.then("QMessageBox", [](QWidget* box) { ModalScript::clickText(box, "Cancel"); });
  script.then("UsersForm", [](QWidget* form) {
    EXPECT_EQ(form->findChild<QTableWidget*>("UsersGrid")->rowCount(), 2) << "cancelled";
    selectUser(form, "CLERK");
    ModalScript::click(form, "DeleteBtn");
  });
  script.then("QMessageBox", [](QWidget* box) { ModalScript::clickText(box, "Delete"); });
  script.collect("QMessageBox", &shown);
  script.then("UsersForm", [](QWidget* form) { ModalScript::click(form, "CloseBtn"); });
  run(script, 1);
  EXPECT_EQ(shown, QStringList{"Only one user is left: from the next login on, no password is asked."});
  ASSERT_EQ(stored().size(), 1u);
  EXPECT_EQ(stored()[0].code, "ADMIN");
}

// A write that fails anywhere leaves the users table as it was: the window
// says so and keeps what was typed, and the next try stores the user whole.
TEST_F(UsersModuleTest, AFailedWriteLeavesNoHalfMadeUser) {
  install->addUser("SECRET", "ADMIN", "Administrator", 1, 1, {"ut03"});
  FailingEnv env(1);
  QStringList shown;
  ModalScript script;
  script.then("UsersForm", [](QWidget* form) { ModalScript::click(form, "AddBtn"); });
  script.then("UserDlg", [](QWidget* dialog) {
    type(dialog, "CodeEdit", "PAUL");
    type(dialog, "NameEdit", "Paul");
    type(dialog, "PasswordEdit", "x");
    type(dialog, "ConfirmEdit", "x");
    ModalScript::click(dialog, "OKBtn");
  });
  script.then("QMessageBox", [&](QWidget* box) {
    shown << ModalScript::boxText(box);
    EXPECT_EQ(stored().size(), 1u);
    env.fail_at(0);
    ModalScript::closeBox(box);
  });
  script.then("UserDlg", [](QWidget* dialog) { ModalScript::click(dialog, "OKBtn"); });
  script.then("QMessageBox", [](QWidget* box) { ModalScript::closeBox(box); });  // now two users
  script.then("UsersForm", [](QWidget* form) { ModalScript::click(form, "CloseBtn"); });
  run(script, 1, &env);
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].startsWith("The users table could not be changed: ")) << shown[0].toStdString();
  ASSERT_EQ(stored().size(), 2u);
}

// The same at every write of every kind of change, on the module's rules
// themselves: after each failure the table is exactly as before.
TEST_F(UsersModuleTest, EveryWriteOfEveryChangeFailsCleanly) {
  install->addUser("SECRET", "ADMIN", "Administrator", 1, 1, {"ut03"});
  install->addUser("CLERK", "CLERK", "Clerk", 1, 1, {"gl01"});
  UserStore store(dataDir());
  User paul;
  paul.code = "PAUL";
  paul.name = "Paul";
  paul.password = "paul";
  paul.language = 2;
  paul.company = 1;
  User clerk = store.users().at(0).code == "CLERK" ? store.users()[0] : store.users()[1];
  clerk.password = "newpass";  // the key moves
  clerk.rights = Installation::rights({"gl03", "ar01"});
  const std::vector<std::function<void()>> changes = {
      [&] { store.add(paul); }, [&] { store.update("CLERK", clerk); }, [&] { store.remove("PAUL"); }};
  FailingEnv env;
  for (const auto& change : changes) {
    const auto before = store.users();
    bool done = false;
    int failures = 0;
    for (int n = 1; !done && n < 200; ++n) {
      env.fail_at(n);
      orba::data::Table::setEnv(&env);
      try {
        change();
        done = true;
      } catch (const orba::data::DatabaseError&) {
        ++failures;
      }
      orba::data::Table::setEnv(nullptr);
      if (!done) {
        const auto now = store.users();
        ASSERT_EQ(now.size(), before.size()) << "failure at write " << n;
        for (std::size_t i = 0; i < now.size(); ++i) {
          EXPECT_EQ(now[i].password, before[i].password) << n;
          EXPECT_EQ(now[i].rights, before[i].rights) << n;
        }
      }
    }
    EXPECT_TRUE(done);
    EXPECT_GE(failures, 1) << "a write before the commit point fails the change";
  }
  const auto users = store.users();
  ASSERT_EQ(users.size(), 2u);
  EXPECT_EQ(granted(dataDir(), "CLERK"), (QStringList{"gl03", "ar01"}));
}

TEST_F(UsersModuleTest, TheRulesRefuseWithTheirReason) {
  install->addUser("SECRET", "ADMIN", "Administrator", 1, 1, {"ut03"});
  UserStore store(dataDir());
  const auto refused = [&](User u) {
    try {
      store.add(u);
    } catch (const UserRefused& r) {
      return static_cast<int>(r.reason);
    }
    return -1;
  };
  User u;
  u.code = "X";
  u.name = "X";
  u.password = "x";
  EXPECT_EQ(refused([&] {
              User v = u;
              v.code = "  ";
              return v;
            }()),
            UserRefused::MissingCode);
  EXPECT_EQ(refused([&] {
              User v = u;
              v.name = "";
              return v;
            }()),
            UserRefused::MissingName);
  EXPECT_EQ(refused([&] {
              User v = u;
              v.password = "";
              return v;
            }()),
            UserRefused::MissingPassword);
  EXPECT_EQ(refused([&] {
              User v = u;
              v.password = "secret";
              return v;
            }()),
            UserRefused::DuplicatePassword);
  EXPECT_EQ(refused([&] {
              User v = u;
              v.code = " admin ";
              return v;
            }()),
            UserRefused::DuplicateCode);
  // Ten letters, but eleven once in upper case.
  EXPECT_EQ(refused([&] {
              User v = u;
              v.password = QString::fromUtf8("straßeabcd");
              return v;
            }()),
            UserRefused::PasswordTooLong);
  EXPECT_EQ(store.users().size(), 1u);
  try {
    store.update("NOBODY", u);
    ADD_FAILURE();
  } catch (const UserRefused& r) {
    EXPECT_EQ(r.reason, UserRefused::Vanished);
  }
  // A table whose last manager is someone else than the one changed keeps
  // the rule too: nobody may end up without the users option.
  store.add(u);
  EXPECT_NO_THROW(store.remove("X"));
  EXPECT_THROW(store.remove("ADMIN"), UserRefused);
}

// The stored desktops are the users' by code: they follow a new code, and
// a deleted or new user's code keeps no stranger's desktop.
TEST_F(UsersModuleTest, TheStoredDesktopFollowsTheUsersCode) {
  install->addUser("SECRET", "ADMIN", "Administrator", 1, 1, {"ut03"});
  install->addUser("CLERK", "CLERK", "Clerk", 1, 1, {});
  Installation::fill(orba::data::schemas::Desktop_table, dataDir(), [](orba::data::Table& t) {
    for (auto [user, stream] : {std::pair{"CLERK", "clerk 1"},
                                {"PAUL", "left by a former Paul"},
                                {"ADMIN", "admin"},
                                {"CLERK", "clerk 2"},
                                {"GHOST", "former ghost"}}) {
      t.append();
      t.setValue("Desktop_user", user);
      t.setValue("Desktop_Component", QByteArray(stream));
      t.post();
    }
  });
  const auto desktops = [this] {
    QStringList rows;
    orba::data::Table t("Desktop_table");
    t.declare(orba::data::schemas::Desktop_table);
    t.setDatabaseName(dataDir());
    t.open();
    for (int i = 0; i < t.recordCount(); ++i)
      rows << t.valueAt(i, "Desktop_user").toString() + ":" +
                  QString::fromUtf8(t.valueAt(i, "Desktop_Component").toByteArray());
    return rows;
  };
  UserStore store(dataDir());
  User clerk = store.users().at(store.users()[0].code == "CLERK" ? 0 : 1);
  clerk.code = "PAUL";
  EXPECT_EQ(store.update("CLERK", clerk), "");
  EXPECT_EQ(desktops(), (QStringList{"PAUL:clerk 1", "ADMIN:admin", "PAUL:clerk 2", "GHOST:former ghost"}));
  User ghost;
  ghost.code = "GHOST";
  ghost.name = "New ghost";
  ghost.password = "boo";
  EXPECT_EQ(store.add(ghost), "");
  EXPECT_EQ(store.remove("PAUL"), "");
  EXPECT_EQ(desktops(), QStringList{"ADMIN:admin"});
}

// Every text of the users windows has its row in both languages.
TEST_F(UsersModuleTest, EveryTextOfTheWindowsIsInBothLanguageTables) {
  QFile f(ORBA_LANGUAGE_TEXTS);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QString error;
  const auto rows = orba::localization::parseLanguageTexts(QString::fromUtf8(f.readAll()), &error);
  install->addUser("SECRET", "ADMIN", "Administrator", 1, 1, {"ut03"});
  UserStore store(dataDir());
  orba::users::TUsersForm form(store, "MainMenuen", false);
  orba::users::TUserDlg dlg("MainMenuen", {}, {}, "", nullptr);
  for (orba::controls::Form* window : std::initializer_list<orba::controls::Form*>{&form, &dlg}) {
    const QString name = dynamic_cast<QObject*>(window)->objectName();
    QStringList needed{name};
    for (QObject* c : window->components().components())
      if (!qobject_cast<QComboBox*>(c) && !qobject_cast<QTreeWidget*>(c) && !qobject_cast<QLineEdit*>(c))
        needed << c->objectName();
    for (const QString& component : needed) {
      const auto row = std::find_if(rows.begin(), rows.end(), [&](const auto& r) {
        return r.form == name && r.component == component;
      });
      ASSERT_NE(row, rows.end()) << name.toStdString() << "." << component.toStdString();
      if (row->kind == "memo" || row->kind == "grid") {
        EXPECT_FALSE(row->lines[1].isEmpty()) << component.toStdString();
        EXPECT_EQ(row->lines[0].size(), row->lines[1].size()) << component.toStdString();
      } else {
        EXPECT_FALSE(row->caption[1].isEmpty()) << component.toStdString();
      }
    }
  }
  // The messages keep their numbers in both languages.
  const auto messages = std::find_if(rows.begin(), rows.end(), [](const auto& r) {
    return r.form == "UsersForm" && r.component == "Messages";
  });
  ASSERT_NE(messages, rows.end());
  EXPECT_EQ(messages->lines[0], form.Messages->lines());
}

// Inside the desktop: the administrator runs ut03 from the System menu and
// gives the clerk two options; at the clerk's login the desktop's menus show
// exactly those.
class UsersOnTheDesktopTest : public DesktopFixture {
 protected:
  void TearDown() override {
    if (window) window->close();
    app.reset();
    DesktopFixture::TearDown();
  }
};

TEST_F(UsersOnTheDesktopTest, RightsGivenInTheModuleAreTheMenusOfTheNextLogin) {
  qputenv("ORBA_SETTINGS", dir.filePath("orba.ini").toUtf8());
  installModules({"ut03"}, UT03_PATH);
  standardData();
  install->addUser("ADMIN", "ADMIN", "Marie-Ève Tremblay", 2, 1, {"ut03"});
  install->addUser("CLERK", "CLERK", "Commis", 2, 1, {});
  answers.push_back(typePassword("admin"));
  start();
  ASSERT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  ModalScript script;
  script.then("UsersForm", [](QWidget* form) {
    EXPECT_EQ(form->windowTitle(), "Utilisateurs et droits d'accès");
    selectUser(form, "CLERK");
    ModalScript::click(form, "EditBtn");
  });
  script.then("UserDlg", [](QWidget* dialog) {
    auto* tree = dialog->findChild<QTreeWidget*>("RightsTree");
    const auto gl03 = tree->findItems("gl03", Qt::MatchExactly | Qt::MatchRecursive, 1);
    ASSERT_EQ(gl03.size(), 1);
    EXPECT_EQ(gl03[0]->text(0), "Saisie des transactions") << "the menu's own caption";
    EXPECT_EQ(gl03[0]->parent()->parent()->text(0), "Grand livre");
    toggle(dialog, "gl03");
    toggle(dialog, "ar05");
    ModalScript::click(dialog, "OKBtn");
  });
  script.then("UsersForm", [](QWidget* form) { ModalScript::click(form, "CloseBtn"); });
  script.start();
  menu->find("ut03")->click();
  EXPECT_TRUE(script.finished());
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  window->close();
  app.reset();

  answers.push_back(typePassword("clerk"));
  start();
  ASSERT_EQ(window->context().UserDataModule->User_table->text("User_code"), "CLERK");
  for (const char* granted : {"gl03", "gl03f", "ar05", "ar05f"})
    EXPECT_TRUE(menu->find(granted)->isEnabled()) << granted;
  for (const char* denied : {"gl01", "gl22", "ar06", "ut03", "ut02", "gl08f"})
    EXPECT_FALSE(menu->find(denied)->isEnabled()) << denied;
}
