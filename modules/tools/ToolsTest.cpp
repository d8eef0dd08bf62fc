// mtools as the desktop runs it: the real library loaded by the program's
// loader, its
// windows driven from the test, what it stored read back with the
// desktop's own applications table; then inside the real desktop, whose
// Tools menu shows the changes as soon as the maintenance returns.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include "DatabaseError.h"
#include "DesktopFixture.h"
#include "FailingEnv.h"
#include "LoadedModule.h"
#include "MenuItem.h"
#include "ModalScript.h"
#include "ModuleLink.h"
#include "ToolStore.h"

using orba::dispatch::Application;

namespace {

std::vector<Application> desktopRows(const QString& dataDir) {
  orba::data::Table table("Applications_table");
  table.declare(orba::data::schemas::Applications_table);
  table.setDatabaseName(dataDir);
  return orba::dispatch::ApplicationsTable(table).read();
}

void type(QWidget* window, const char* edit, const QString& text) { ModalScript::type(window, edit, text); }
void chooseRight(QWidget* dialog, const QString& code) {
  auto* combo = dialog->findChild<QComboBox*>("SecurityCombo");
  ASSERT_NE(combo, nullptr);
  const int i = combo->findData(code);
  ASSERT_GE(i, 0) << code.toStdString();
  combo->setCurrentIndex(i);
}
void selectRow(QWidget* form, int row) { form->findChild<QTableWidget*>("ToolsGrid")->selectRow(row); }
QStringList programs(const std::vector<Application>& rows) {
  QStringList out;
  for (const auto& r : rows) out << r.program;
  return out;
}

// The catalogue as the desktop lends it: captions and, line for line, codes.
const QStringList kCatalogueNames = {"Saisie des transactions - Grand livre", "Plan comptable - Grand livre",
                                     "Liste des clients - Comptes clients"};
const QStringList kCatalogueCodes = {"gl03", "gl01", ""};

class ToolsModuleTest : public ShellFixture {
 protected:
  QString dataDir() const { return dir.path() + "/Orba/data"; }
  void SetUp() override {
    ShellFixture::SetUp();
    QDir().mkpath(dataDir());
    writeSettings();
    qputenv("ORBA_SETTINGS", dir.filePath("orba.ini").toUtf8());
    qputenv("ORBA_USER_SETTINGS", dir.filePath("user.ini").toUtf8());
  }
  void run(ModalScript& script, int language = 2) {
    LoadedModule library(MTOOLS_PATH);
    script.start();
    EXPECT_EQ(library.call(ModuleLink(programDir(), dataDir() + "/", language, "Administrateur"),
                           kCatalogueNames, kCatalogueCodes),
              1);
    library.unload();
    EXPECT_FALSE(LoadedModule::mapped(MTOOLS_PATH)) << "the library stays loaded";
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  }
};

}  // namespace

TEST_F(ToolsModuleTest, EntriesAreAddedMovedChangedAndDeletedAsTheDesktopReadsThem) {
  QStringList shown;
  ModalScript script;
  script.then("ToolsForm", [](QWidget* form) {
    EXPECT_EQ(form->windowTitle(), "Maintenance du menu Outils");
    auto* grid = form->findChild<QTableWidget*>("ToolsGrid");
    ASSERT_EQ(grid->rowCount(), 1) << "a missing table starts with its seed, as on the desktop";
    EXPECT_EQ(grid->item(0, 0)->text(), "Maintenance du menu Outils");
    // Close stands at the foot of the buttons, apart from the actions above.
    auto* close = form->findChild<QPushButton*>("CloseBtn");
    auto* last_action = form->findChild<QPushButton*>("DeleteBtn");
    EXPECT_GT(close->y() - (last_action->y() + last_action->height()), 3 * last_action->height());
    EXPECT_LT(form->height() - (close->y() + close->height()), last_action->height());
    ModalScript::click(form, "AddBtn");
  });
  script.then("ToolDlg", [this](QWidget* dialog) {
    EXPECT_EQ(dialog->findChild<QComboBox*>("SecurityCombo")->count(), 3)
        << "no right, then the options that have a code";
    type(dialog, "NameEdit", "Calculator");
    type(dialog, "NameFrEdit", "Calculatrice");
    type(dialog, "AboutEdit", "Adds up");
    type(dialog, "AboutFrEdit", "Additionne");
    type(dialog, "ProgramEdit", "galculator");
    type(dialog, "DirectoryEdit", dir.path());
    chooseRight(dialog, "gl03");
    ModalScript::click(dialog, "OKBtn");
  });
  script.then("ToolsForm", [](QWidget* form) { ModalScript::click(form, "AddBtn"); });
  script.then("ToolDlg", [](QWidget* dialog) {
    dialog->findChild<QRadioButton*>("ModuleRadio")->click();
    type(dialog, "NameEdit", "Entry");
    type(dialog, "NameFrEdit", "Saisie");
    type(dialog, "ProgramEdit", "../gl03");
    ModalScript::click(dialog, "OKBtn");
  });
  script.collect("QMessageBox", &shown);
  script.then("ToolDlg", [](QWidget* dialog) {
    type(dialog, "ProgramEdit", "galculator");
    ModalScript::click(dialog, "OKBtn");
  });
  script.collect("QMessageBox", &shown);
  script.then("ToolDlg", [](QWidget* dialog) {
    type(dialog, "ProgramEdit", "gl03");
    ModalScript::click(dialog, "OKBtn");
  });
  script.then("ToolsForm", [this](QWidget* form) {
    EXPECT_EQ(programs(desktopRows(dataDir())), (QStringList{"mtools", "galculator", "gl03"}));
    // Each entry's kind, in the user's language.
    auto* grid = form->findChild<QTableWidget*>("ToolsGrid");
    QStringList kinds;
    for (int r = 0; r < grid->rowCount(); ++r) kinds << grid->item(r, 2)->text();
    EXPECT_EQ(kinds, (QStringList{"Module", "Programme", "Module"}));
    selectRow(form, 2);
    form->findChild<QPushButton*>("UpBtn")->click();  // opens no window
    EXPECT_EQ(programs(desktopRows(dataDir())), (QStringList{"mtools", "gl03", "galculator"}));
    EXPECT_EQ(form->findChild<QTableWidget*>("ToolsGrid")->currentRow(), 1)
        << "the moved entry stays selected";
    selectRow(form, 0);
    ModalScript::click(form, "DeleteBtn");
  });
  script.then("QMessageBox", [](QWidget* box) { ModalScript::clickText(box, "Supprimer"); });
  script.collect("QMessageBox", &shown);
  script.then("ToolsForm", [](QWidget* form) {
    selectRow(form, 2);
    ModalScript::click(form, "EditBtn");
  });
  script.then("ToolDlg", [](QWidget* dialog) {
    EXPECT_EQ(dialog->findChild<QLineEdit*>("ProgramEdit")->text(), "galculator");
    type(dialog, "NameFrEdit", "Calculatrice scientifique");
    ModalScript::click(dialog, "OKBtn");
  });
  script.then("ToolsForm", [](QWidget* form) {
    selectRow(form, 1);
    ModalScript::click(form, "DeleteBtn");
  });
  script.then("QMessageBox", [&](QWidget* box) {
    shown << ModalScript::boxText(box);
    ModalScript::clickText(box, "Supprimer");
  });
  script.then("ToolsForm", [](QWidget* form) {
    EXPECT_EQ(form->findChild<QTableWidget*>("ToolsGrid")->rowCount(), 2);
    ModalScript::click(form, "CloseBtn");
  });
  run(script);

  ASSERT_EQ(shown.size(), 4);
  EXPECT_EQ(shown[0],
            "Un nom de module est un code d'option : des lettres, des chiffres et des soulignés seulement.");
  EXPECT_EQ(shown[1], "Le menu Outils a déjà une entrée pour galculator.");
  EXPECT_EQ(
      shown[2],
      "Cette entrée est la seule qui permet la maintenance du menu Outils : elle ne peut pas être supprimée "
      "ni lancer autre chose.");
  EXPECT_EQ(shown[3], "Supprimer l'entrée Saisie?");
  const auto rows = desktopRows(dataDir());
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].program, "mtools");
  EXPECT_EQ(rows[0].security, "ut02");
  EXPECT_TRUE(rows[0].isModule);
  EXPECT_EQ(rows[1].name, "Calculator");
  EXPECT_EQ(rows[1].nameFr, "Calculatrice scientifique");
  EXPECT_EQ(rows[1].about, "Adds up");
  EXPECT_EQ(rows[1].aboutFr, "Additionne");
  EXPECT_EQ(rows[1].program, "galculator");
  EXPECT_FALSE(rows[1].isModule);
  EXPECT_EQ(rows[1].directory, dir.path());
  EXPECT_EQ(rows[1].security, "gl03");
}

// What another workstation stored after the list was shown is not
// overwritten: the change is refused with the reason and the list read again.
TEST_F(ToolsModuleTest, AnEntryChangedOnAnotherWorkstationIsNotOverwritten) {
  orba::tools::ToolStore store(dataDir());
  const Application calc{"Calc", "Calc", "calc", "", "", "", false, ""};
  store.add(calc);
  QStringList shown;
  ModalScript script;
  script.then("ToolsForm", [&](QWidget* form) {
    Application renamed = calc;
    renamed.nameFr = "Calculette";
    store.update(1, calc, renamed);
    selectRow(form, 1);
    ModalScript::click(form, "EditBtn");
  });
  script.then("ToolDlg", [](QWidget* dialog) {
    EXPECT_EQ(dialog->findChild<QLineEdit*>("NameFrEdit")->text(), "Calc") << "as it was shown";
    type(dialog, "NameFrEdit", "Ma calculatrice");
    ModalScript::click(dialog, "OKBtn");
  });
  script.collect("QMessageBox", &shown);
  script.then("ToolsForm", [](QWidget* form) {
    EXPECT_EQ(form->findChild<QTableWidget*>("ToolsGrid")->item(1, 0)->text(), "Calculette");
    ModalScript::click(form, "CloseBtn");
  });
  run(script);
  EXPECT_EQ(shown, QStringList{"Le menu Outils a été modifié sur un autre poste. La liste a été relue."});
  EXPECT_EQ(desktopRows(dataDir()).at(1).nameFr, "Calculette");
}

// A change whose write fails anywhere leaves the table as it was; a move
// (two rows rewritten) and a deletion are never half done.
TEST_F(ToolsModuleTest, EveryWriteOfAMoveOrADeletionFailsCleanly) {
  orba::tools::ToolStore store(dataDir());
  Application calc{"Calc", "Calc", "calc", "", "", "", false, ""};
  Application entry{"Entry", "Saisie", "gl03", "", "", "gl03", true, ""};
  store.add(calc);
  store.add(entry);
  const std::vector<std::function<void()>> changes = {
      [&] { store.move(2, entry, 1); }, [&] { store.remove(1, entry); }, [&] { store.remove(1, calc); }};
  FailingEnv env;
  for (const auto& change : changes) {
    const QStringList before = programs(desktopRows(dataDir()));
    bool done = false;
    for (int n = 1; !done && n < 200; ++n) {
      env.fail_at(n);
      orba::data::Table::setEnv(&env);
      try {
        change();
        done = true;
      } catch (const orba::data::DatabaseError&) {
      }
      orba::data::Table::setEnv(nullptr);
      if (!done) {
        ASSERT_EQ(programs(desktopRows(dataDir())), before) << "failure at write " << n;
      }
    }
    EXPECT_TRUE(done);
  }
  EXPECT_EQ(programs(desktopRows(dataDir())), QStringList{"mtools"});
  // A row changed elsewhere since it was shown is not overwritten.
  EXPECT_THROW(store.remove(0, calc), orba::tools::ToolRefused);
}

// A write that fails under the window is told as the table's failure, with
// the engine's reason, and the entry typed stays in its dialog.
TEST_F(ToolsModuleTest, AnEntryThatCannotBeWrittenIsToldAndStaysTyped) {
  FailingEnv env;
  QStringList shown;
  QString kept;
  ModalScript script;
  script.then("ToolsForm", [](QWidget* form) { ModalScript::click(form, "AddBtn"); });
  script.then("ToolDlg", [&](QWidget* dialog) {
    type(dialog, "NameEdit", "Calculator");
    type(dialog, "NameFrEdit", "Calculatrice");
    type(dialog, "ProgramEdit", "galculator");
    env.fail_at(1);
    ModalScript::click(dialog, "OKBtn");
  });
  script.collect("QMessageBox", &shown);
  script.then("ToolDlg", [&](QWidget* dialog) {
    kept = dialog->findChild<QLineEdit*>("NameEdit")->text();
    env.fail_at(0);
    ModalScript::click(dialog, "CancelBtn");
  });
  script.then("ToolsForm", [](QWidget* form) { ModalScript::click(form, "CloseBtn"); });
  LoadedModule library(MTOOLS_PATH);
  library.setEnv(&env);
  script.start();
  EXPECT_EQ(library.call(ModuleLink(programDir(), dataDir() + "/", 1, "Administrateur"), kCatalogueNames,
                         kCatalogueCodes),
            1);
  library.setEnv(nullptr);
  library.unload();
  EXPECT_TRUE(script.finished()) << script.failures().join('\n').toStdString();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].startsWith("The applications table could not be changed: ")) << shown[0].toStdString();
  EXPECT_GT(shown[0].size(), QString("The applications table could not be changed: ").size()) << "and why";
  EXPECT_EQ(kept, "Calculator");
  EXPECT_EQ(programs(desktopRows(dataDir())), QStringList{"mtools"});
}

class ToolsOnTheDesktopTest : public DesktopFixture {};

TEST_F(ToolsOnTheDesktopTest, TheToolsMenuShowsTheChangesWhenTheMaintenanceReturns) {
  qputenv("ORBA_SETTINGS", dir.filePath("orba.ini").toUtf8());
  installModules({"mtools"}, MTOOLS_PATH);
  standardData();
  install->addUser("ADMIN", "ADMIN", "Marie-Ève Tremblay", 2, 1, {"ut02", "gl03"});
  start();
  ASSERT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  orba::controls::MenuItem* tools = menu->find("Accessories1");
  ASSERT_EQ(tools->count(), 1);
  ModalScript script;
  for (const char* code : {"gl03", "gl20"}) {
    script.then("ToolsForm", [](QWidget* form) { ModalScript::click(form, "AddBtn"); });
    script.then("ToolDlg", [code](QWidget* dialog) {
      dialog->findChild<QRadioButton*>("ModuleRadio")->click();
      type(dialog, "NameEdit", QString("Entry ") + code);
      type(dialog, "NameFrEdit", QString("Saisie ") + code);
      type(dialog, "ProgramEdit", QString("tool_") + code);
      chooseRight(dialog, code);  // the catalogue lists every option, rights ignored
      ModalScript::click(dialog, "OKBtn");
    });
  }
  script.then("ToolsForm", [](QWidget* form) { ModalScript::click(form, "CloseBtn"); });
  script.start();
  tools->item(0)->click();
  EXPECT_TRUE(script.finished());
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  ASSERT_EQ(tools->count(), 3) << "rebuilt without a new login";
  EXPECT_EQ(tools->item(1)->name(), "tool_gl03");
  EXPECT_EQ(tools->item(1)->caption(), "Saisie gl03");
  EXPECT_TRUE(tools->item(1)->isEnabled()) << "the user may run gl03";
  EXPECT_EQ(tools->item(2)->caption(), "Saisie gl20");
  EXPECT_FALSE(tools->item(2)->isEnabled()) << "the user may not run gl20";
  EXPECT_TRUE(tools->item(0)->isEnabled());
}
