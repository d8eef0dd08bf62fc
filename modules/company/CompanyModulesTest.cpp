// creco.so and mcomp.so loaded the way the desktop loads them, on an
// installation on disk, their windows filled in and clicked as a user does.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <cstring>
#include <memory>
#include <vector>

#include "CompaniesWindow.h"
#include "CompanyTestSupport.h"
#include "CreateCompanyWindow.h"
#include "Installation.h"
#include "LanguageTexts.h"
#include "LoadedModule.h"
#include "MessageList.h"
#include "ModalScript.h"
#include "ModuleLink.h"

using company_test::Listed;
using company_test::listed;

namespace {

template <typename T>
T* child(QWidget* window, const char* name) {
  T* found = window->findChild<T*>(QString::fromLatin1(name));
  if (!found) qFatal("%s has no %s", qPrintable(window->objectName()), name);
  return found;
}
void type(QWidget* window, const char* edit, const QString& text) { ModalScript::type(window, edit, text); }
void click(QWidget* window, const char* button) { child<QPushButton>(window, button)->click(); }
void chooseRow(QWidget* window, int row) { child<QTableWidget>(window, "grdCompanies")->selectRow(row); }

class CompanyModuleTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  std::unique_ptr<Installation> install;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    install = std::make_unique<Installation>(dir.path());
    QDir().mkpath(programDir());
    QDir().mkpath(dir.path() + "/Orba/languages");
    for (const QString& file : QDir(ORBA_LANGUAGES_DIR).entryList(QDir::Files))
      QFile::copy(QString(ORBA_LANGUAGES_DIR) + "/" + file, dir.path() + "/Orba/languages/" + file);
    QFile ini(dir.filePath("orba.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QString("[Orba]\npgmdrive=%1\ndatadrive=%1\n").arg(dir.path()).toUtf8());
    ini.close();
    qputenv("ORBA_SETTINGS", dir.filePath("orba.ini").toUtf8());
    qputenv("ORBA_USER_SETTINGS", dir.filePath("user.ini").toUtf8());
  }
  void TearDown() override {
    qunsetenv("ORBA_SETTINGS");
    qunsetenv("ORBA_USER_SETTINGS");
  }
  QString programDir() const { return dir.path() + "/Orba/bin"; }
  QString dataDir() const { return install->dataDir(); }

  // Calls the module for a user of this language ("en", "fr") working in
  // this company (none when empty) while the script plays the user, then
  // unloads it.
  int run(const char* library, const char* language, const QString& company, ModalScript& script) {
    ModuleLink link(programDir(), dataDir(), std::strcmp(language, "fr") == 0 ? 2 : 1, "Marie Lavoie");
    link.set(orba::dispatch::LinkRecord::Field::CompanyNumber, company);
    LoadedModule module(library);
    script.start();
    const int result = module.call(link);
    module.unload();
    EXPECT_FALSE(LoadedModule::mapped(library)) << library;
    EXPECT_TRUE(script.finished());
    return result;
  }
};

TEST_F(CompanyModuleTest, CrecoMakesTheCompanyTypedInItsWindow) {
  install->addCompany(1, "Alpha");
  install->addCompany(4, "Delta");
  QDir().mkpath(dataDir() + "5");  // a folder in the way
  QString folderText;
  int proposed = 0;
  ModalScript script;
  script.then("frmCreateCompany", [&](QWidget* w) {
    EXPECT_EQ(w->windowTitle(), "Create a company");
    proposed = child<QSpinBox>(w, "spnNumber")->value();
    EXPECT_TRUE(child<QSpinBox>(w, "spnNumber")->isEnabled());
    folderText = child<QLabel>(w, "lblFolder")->text();
    type(w, "edtName", "Les Jardins Verts");
    type(w, "edtPassword", "Vert2026");
    type(w, "edtConfirm", "Vert2026");
    // Return in the last box creates: Create is the window's default button.
    QTest::keyClick(child<QLineEdit>(w, "edtConfirm"), Qt::Key_Return);
  });
  EXPECT_EQ(run(CRECO_PATH, "en", "1", script), 1);
  EXPECT_EQ(proposed, 6);
  EXPECT_EQ(folderText, "The company's files will be in the folder " + dataDir() + "6.");
  EXPECT_EQ(listed(dataDir()),
            (std::map<int, Listed>{
                {1, {"Alpha", ""}}, {4, {"Delta", ""}}, {6, {"Les Jardins Verts", "Vert2026"}}}));
  for (const char* file : {"ctrl.DB", "trkdb.DB", "glm.DB", "cli.DB", "sup.db", "emp.DB", "ivprod.DB",
                           "ivinv.DB", "taxrates.db", "taxratesP.db"})
    EXPECT_TRUE(QFileInfo::exists(dataDir() + "6/" + file)) << file;
}

TEST_F(CompanyModuleTest, CrecoRefusesTakenNumbersFoldersAndNamesAndStaysOpen) {
  install->addCompany(1, "Alpha");
  QDir().mkpath(dataDir() + "2");
  QString taken, folder, name, empty, differ;
  ModalScript script;
  script
      .then("frmCreateCompany",
            [](QWidget* w) {
              child<QSpinBox>(w, "spnNumber")->setValue(1);
              type(w, "edtName", "Beta");
              click(w, "btnCreate");
            })
      .message("CompanyMessage", &taken)
      .then("frmCreateCompany",
            [](QWidget* w) {
              child<QSpinBox>(w, "spnNumber")->setValue(2);
              click(w, "btnCreate");
            })
      .message("CompanyMessage", &folder)
      .then("frmCreateCompany",
            [](QWidget* w) {
              child<QSpinBox>(w, "spnNumber")->setValue(3);
              type(w, "edtName", "Alpha");
              click(w, "btnCreate");
            })
      .message("CompanyMessage", &name)
      .then("frmCreateCompany",
            [](QWidget* w) {
              type(w, "edtName", "  ");
              click(w, "btnCreate");
            })
      .message("CompanyMessage", &empty)
      .then("frmCreateCompany",
            [](QWidget* w) {
              type(w, "edtName", "Gamma");
              type(w, "edtPassword", "abc");
              type(w, "edtConfirm", "abd");
              click(w, "btnCreate");
            })
      .message("CompanyMessage", &differ)
      .then("frmCreateCompany", [](QWidget* w) { click(w, "btnCancel"); });
  EXPECT_EQ(run(CRECO_PATH, "en", {}, script), 1);
  EXPECT_EQ(taken, "Company number 1 is already in the list of companies. Choose another number.");
  EXPECT_EQ(folder, "The folder " + dataDir() +
                        "2 already exists. Choose another number, or move that folder away first.");
  EXPECT_EQ(name, "Another company is already named Alpha. Give this company a name of its own.");
  EXPECT_EQ(empty, "Enter the company's name.");
  EXPECT_TRUE(differ.startsWith("The password and its confirmation differ.")) << differ.toStdString();
  EXPECT_EQ(listed(dataDir()), (std::map<int, Listed>{{1, {"Alpha", ""}}}));
  EXPECT_TRUE(company_test::filesOf(dataDir() + "2").isEmpty());
  EXPECT_FALSE(QFileInfo::exists(dataDir() + "3"));
}

TEST_F(CompanyModuleTest, CrecoInFrenchMakesTheFirstCompanyNumberOne) {
  install->emptyCompanies();
  ModalScript script;
  script.then("frmCreateCompany", [](QWidget* w) {
    EXPECT_EQ(w->windowTitle(), "Créer une entreprise");
    auto* number = child<QSpinBox>(w, "spnNumber");
    EXPECT_EQ(number->value(), 1);
    EXPECT_FALSE(number->isEnabled());
    EXPECT_TRUE(
        child<QLabel>(w, "lblFolder")->text().startsWith("La première entreprise porte le numéro 1."));
    EXPECT_EQ(child<QPushButton>(w, "btnCreate")->text(), "Créer");
    type(w, "edtName", "Société Gérard Ltée");
    click(w, "btnCreate");
  });
  EXPECT_EQ(run(CRECO_PATH, "fr", {}, script), 1);
  EXPECT_EQ(listed(dataDir()), (std::map<int, Listed>{{1, {"Société Gérard Ltée", ""}}}));
  EXPECT_TRUE(QFileInfo::exists(dataDir() + "1/ctrl.DB"));
}

TEST_F(CompanyModuleTest, CrecoWithoutACompaniesTableSaysSoAndMakesNothing) {
  // Users but no list of companies: a damaged installation, not a new one.
  install->addUser("ADMIN", "ADMIN", "Admin", 1, 1, {"*"});
  QString told;
  ModalScript script;
  script.message("CompanyMessage", &told);
  EXPECT_EQ(run(CRECO_PATH, "en", {}, script), 1);
  EXPECT_TRUE(told.startsWith("The list of companies cannot be read: ")) << told.toStdString();
  EXPECT_FALSE(QFileInfo::exists(dataDir() + "1"));
}

TEST_F(CompanyModuleTest, McompRenamesSetsPasswordsAndRemovesOnlyAfterTheQuestion) {
  install->addCompany(1, "Alpha");
  install->addCompany(2, "Beta", "B2");
  install->addCompany(3, "Gamma");
  install->addClients(3, {{"C1", "Client one"}});
  const QStringList gammaFiles = company_test::filesOf(dataDir() + "3");
  QStringList shown;
  QString current, wrong, question, kept;
  ModalScript script;
  script
      .then("frmCompanies",
            [&](QWidget* w) {
              auto* grid = child<QTableWidget>(w, "grdCompanies");
              for (int r = 0; r < grid->rowCount(); ++r)
                shown << grid->item(r, 0)->text() + " " + grid->item(r, 1)->text() + " " +
                             grid->item(r, 2)->text();
              // The current company comes chosen.
              EXPECT_EQ(child<QLineEdit>(w, "edtName")->text(), "Alpha");
              chooseRow(w, 2);
              type(w, "edtName", "Gamma Ltd");
              click(w, "btnRename");
              chooseRow(w, 0);
              click(w, "btnRemove");
            })
      .message("CompanyMessage", &current)
      .then("frmCompanies",
            [](QWidget* w) {
              chooseRow(w, 2);
              click(w, "btnRemove");
            })
      // Return answers the question with its safe answer, No.
      .then("CompanyQuestion",
            [&](QWidget* box) {
              question = ModalScript::boxText(box);
              QTest::keyClick(box, Qt::Key_Return);
            })
      .then("frmCompanies", [](QWidget* w) { click(w, "btnRemove"); })
      // So does Escape.
      .then("CompanyQuestion", [](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); })
      .then("frmCompanies",
            [&](QWidget* w) {
              kept = child<QTableWidget>(w, "grdCompanies")->item(2, 1)->text();
              click(w, "btnRemove");
            })
      .message("CompanyQuestion", nullptr, "btnYes")
      .then("frmCompanies",
            [](QWidget* w) {
              chooseRow(w, 1);
              EXPECT_TRUE(child<QLineEdit>(w, "edtCurrentPassword")->isEnabled());
              type(w, "edtCurrentPassword", "b2");
              type(w, "edtNewPassword", "NEWPW");
              type(w, "edtConfirm", "NEWPW");
              click(w, "btnSetPassword");
            })
      .message("CompanyMessage", &wrong)
      .then("frmCompanies", [](QWidget* w) {
        type(w, "edtCurrentPassword", "B2");
        type(w, "edtNewPassword", "NEWPW");
        type(w, "edtConfirm", "NEWPW");
        click(w, "btnSetPassword");
        // The current company's password needs no other.
        chooseRow(w, 0);
        EXPECT_FALSE(child<QLineEdit>(w, "edtCurrentPassword")->isEnabled());
        type(w, "edtNewPassword", "A1");
        type(w, "edtConfirm", "A1");
        click(w, "btnSetPassword");
        click(w, "btnClose");
      });
  EXPECT_EQ(run(MCOMP_PATH, "en", "1", script), 1);
  EXPECT_EQ(shown, (QStringList{"1 Alpha ", "2 Beta Yes", "3 Gamma "}));
  EXPECT_EQ(current,
            "You are working in Alpha, so it stays in the list. Change to another company first, then remove "
            "this one.");
  EXPECT_EQ(question,
            "Remove company 3, Gamma Ltd, from the list of companies? Its files are not deleted: they "
            "stay in the folder " +
                dataDir() + "3.");
  EXPECT_EQ(kept, "Gamma Ltd");
  EXPECT_EQ(wrong, "The current password of Beta is not correct.");
  EXPECT_EQ(listed(dataDir()), (std::map<int, Listed>{{1, {"Alpha", "A1"}}, {2, {"Beta", "NEWPW"}}}));
  EXPECT_EQ(company_test::filesOf(dataDir() + "3"), gammaFiles);
}

TEST_F(CompanyModuleTest, McompInFrenchAsksInFrenchAndClearsAPassword) {
  install->addCompany(1, "Alpha");
  install->addCompany(2, "Beta", "B2");
  QString question;
  QStringList headers, answers;
  ModalScript script;
  script
      .then("frmCompanies",
            [&](QWidget* w) {
              EXPECT_EQ(w->windowTitle(), "Gestion des entreprises");
              auto* grid = child<QTableWidget>(w, "grdCompanies");
              for (int c = 0; c < grid->columnCount(); ++c) headers << grid->horizontalHeaderItem(c)->text();
              chooseRow(w, 1);
              // Beta is the current company: no password asked to clear it.
              click(w, "btnClearPassword");
              chooseRow(w, 0);
              click(w, "btnRemove");
            })
      .then("CompanyQuestion",
            [&](QWidget* w) {
              auto* box = qobject_cast<QMessageBox*>(w);
              question = box->text();
              for (auto* b : box->buttons()) answers << b->text();
              box->reject();  // Escape: the answer is No
            })
      .then("frmCompanies", [](QWidget* w) { click(w, "btnClose"); });
  EXPECT_EQ(run(MCOMP_PATH, "fr", "2", script), 1);
  EXPECT_EQ(headers, (QStringList{"Numéro", "Nom", "Mot de passe"}));
  EXPECT_TRUE(question.startsWith("Retirer l'entreprise 1, Alpha, de la liste des entreprises?"))
      << question.toStdString();
  EXPECT_TRUE(question.endsWith(dataDir() + "1.")) << question.toStdString();
  answers.sort();
  EXPECT_EQ(answers, (QStringList{"&Non", "&Oui"}));
  EXPECT_EQ(listed(dataDir()), (std::map<int, Listed>{{1, {"Alpha", ""}}, {2, {"Beta", ""}}}));
}

// A company made from company maintenance: creation's window opens over the
// list in the user's language, and the company it makes comes listed and
// chosen; a cancelled creation makes nothing.
TEST_F(CompanyModuleTest, McompCreatesACompanyThroughCreationsWindowAndListsIt) {
  install->addCompany(1, "Alpha");
  install->addCompany(2, "Beta", "B2");
  QString title, folderText, chosenName;
  QStringList shown;
  ModalScript script;
  script
      .then("frmCompanies",
            [](QWidget* w) {
              EXPECT_EQ(child<QPushButton>(w, "btnNew")->text(), "&Nouvelle entreprise...");
              click(w, "btnNew");
            })
      .then("frmCreateCompany", [](QWidget* w) { click(w, "btnCancel"); })
      .then("frmCompanies", [](QWidget* w) { click(w, "btnNew"); })
      .then("frmCreateCompany",
            [&](QWidget* w) {
              title = w->windowTitle();
              folderText = child<QLabel>(w, "lblFolder")->text();
              type(w, "edtName", "Gamma");
              click(w, "btnCreate");
            })
      .then("frmCompanies", [&](QWidget* w) {
        auto* grid = child<QTableWidget>(w, "grdCompanies");
        for (int r = 0; r < grid->rowCount(); ++r)
          shown << grid->item(r, 0)->text() + " " + grid->item(r, 1)->text();
        chosenName = child<QLineEdit>(w, "edtName")->text();
        click(w, "btnClose");
      });
  EXPECT_EQ(run(MCOMP_PATH, "fr", "1", script), 1);
  EXPECT_EQ(title, "Créer une entreprise");
  EXPECT_EQ(folderText, "Les fichiers de l'entreprise seront dans le dossier " + dataDir() + "3.");
  EXPECT_EQ(shown, (QStringList{"1 Alpha", "2 Beta", "3 Gamma"}));
  EXPECT_EQ(chosenName, "Gamma");
  EXPECT_EQ(listed(dataDir()),
            (std::map<int, Listed>{{1, {"Alpha", ""}}, {2, {"Beta", "B2"}}, {3, {"Gamma", ""}}}));
  EXPECT_TRUE(QFileInfo::exists(dataDir() + "3/ctrl.DB"));
}

// Every text of the two windows has its row in the language texts, in both
// languages, and every row names a component of its window.
TEST(CompanyTexts, EveryTextOfBothWindowsHasItsRow) {
  QFile f(ORBA_LANGUAGE_TEXTS);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QString error;
  const auto rows = orba::localization::parseLanguageTexts(QString::fromUtf8(f.readAll()), &error);
  ASSERT_FALSE(rows.empty()) << error.toStdString();
  orba::company::CompanyStore store("/nowhere");
  orba::company::TfrmCreateCompany create(store);
  orba::company::TfrmCompanies companies(store, 0);
  for (orba::controls::SimpleDialog* window :
       std::initializer_list<orba::controls::SimpleDialog*>{&create, &companies}) {
    const QString form = window->objectName();
    // Every component, and those that show a text of their own.
    QSet<QString> names, texts;
    for (QObject* c : window->components().components()) {
      names << c->objectName();
      if (qobject_cast<QLabel*>(c) || qobject_cast<QAbstractButton*>(c) || qobject_cast<QGroupBox*>(c) ||
          qobject_cast<QTableWidget*>(c) || qobject_cast<orba::controls::MessageList*>(c))
        texts << c->objectName();
    }
    QSet<QString> withRows;
    for (const auto& r : rows) {
      if (r.form != form) continue;
      withRows << r.component;
      EXPECT_TRUE(r.component == form || names.contains(r.component)) << r.component.toStdString();
      if (auto* list = qobject_cast<orba::controls::MessageList*>(window->components().find(r.component))) {
        EXPECT_EQ(r.lines[0].size(), list->count()) << r.component.toStdString();
        EXPECT_EQ(r.lines[1].size(), list->count()) << r.component.toStdString();
      }
    }
    EXPECT_TRUE(withRows.contains(form));
    for (const QString& name : texts)
      EXPECT_TRUE(withRows.contains(name)) << form.toStdString() << "." << name.toStdString();
  }
}

}  // namespace
