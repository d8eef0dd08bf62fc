// The desktop's first start on an installation without a company, with the
// real company-creation library: its window makes company 1, the set-up
// wizard then fills that company in, and the user is logged into it.

#include <sys/stat.h>

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "CompanyTestSupport.h"
#include "DesktopFixture.h"
#include "MaskEdit.h"
#include "ModalScript.h"
#include "Oracle.h"
#include "RadioGroup.h"
#include "RegionalFormats.h"

using orba::dispatch::LinkRecord;
using orba::shell::TfrmDefaultInfo;

class CompanyFirstRunTest : public DesktopFixture {
 protected:
  void TearDown() override {
    orba::formats::RegionalFormats::instance().apply("DD/MM/YYYY", "$", "L");
    DesktopFixture::TearDown();
  }
};

TEST_F(CompanyFirstRunTest, TheCompanyMadeInTheWindowIsTheOneTheWizardFillsAndTheUserEnters) {
  install->addLanguages();
  install->emptyCompanies();
  install->ensureDesktops();
  install->addUser("ADMIN", "ADMIN", "Admin", 0, 1, {"*"});
  installModules({"creco"}, CRECO_PATH);
  // The module reads the settings the desktop reads.
  qputenv("ORBA_SETTINGS", dir.filePath("orba.ini").toUtf8());
  qputenv("ORBA_USER_SETTINGS", dir.filePath("user.ini").toUtf8());

  ModalScript script;
  int proposed = 0;
  bool numberFixed = false;
  script.then("frmCreateCompany", [&](QWidget* w) {
    auto* number = w->findChild<QSpinBox*>("spnNumber");
    proposed = number->value();
    numberFixed = !number->isEnabled();
    QTest::keyClicks(w->findChild<QLineEdit*>("edtName"), "Les Jardins Verts");
    w->findChild<QPushButton*>("btnCreate")->click();
  });
  answers = {[](QDialog& d) {
    auto* wizard = qobject_cast<TfrmDefaultInfo*>(&d);
    EXPECT_NE(wizard, nullptr) << d.objectName().toStdString();
    if (!wizard) return static_cast<int>(QDialog::Rejected);
    wizard->FormActivate();
    wizard->rgpInCanada->setItemIndex(1);
    wizard->btnNext1->click();
    wizard->edtGST->setText("20");
    wizard->edtPST->setText("5.5");
    wizard->cbxDateFormat->setCurrentIndex(0);
    wizard->btnNext3->click();
    wizard->edtSymbol->setText("£");
    wizard->cbxAlignment->setCurrentIndex(1);
    wizard->btnNext4->click();
    wizard->btnClose->click();
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    return wizard->result();
  }};
  script.start();
  start();
  qunsetenv("ORBA_SETTINGS");
  qunsetenv("ORBA_USER_SETTINGS");

  EXPECT_TRUE(script.finished());
  EXPECT_EQ(proposed, 1);
  EXPECT_TRUE(numberFixed);
  EXPECT_EQ(dialogsShown.value(0), "frmDefaultInfo");
  EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyNumber), "1");
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyName), "Les Jardins Verts");
  EXPECT_EQ(company_test::listed(install->dataDir()).size(), 1u);

  // The wizard's rates went into the company that the window made, beside
  // its control record.
  orba::data::Table rates("Check");
  rates.declare(orba::data::schemas::TaxRatesP_table);
  rates.setDatabaseName(install->companyDir(1));
  rates.open();
  EXPECT_EQ(rates.recordCount(), 2);
  rates.close();
  orba::data::Table control("Check");
  control.declare(orba::data::schemas::Setup_Ctrl_table);
  control.setDatabaseName(install->companyDir(1));
  control.open();
  ASSERT_EQ(control.recordCount(), 1);
  control.first();
  EXPECT_DOUBLE_EQ(control.value("Ctrl_fed_rate").toDouble(), 20.0);
  control.close();
}

// A new installation: the settings and an empty data folder, nothing else.
// Creating the first company also makes the system tables and the first
// user, who holds every right and enters without a password dialog.
TEST_F(CompanyFirstRunTest, OnABlankInstallationTheFirstCompanyComesWithTheSystemTablesAndAFirstUser) {
  installModules({"creco"}, CRECO_PATH);
  qputenv("ORBA_SETTINGS", dir.filePath("orba.ini").toUtf8());
  qputenv("ORBA_USER_SETTINGS", dir.filePath("user.ini").toUtf8());

  ModalScript script;
  QString note;
  script.then("frmCreateCompany", [&](QWidget* w) {
    QTest::keyClicks(w->findChild<QLineEdit*>("edtName"), "Atelier Beaulieu");
    w->findChild<QPushButton*>("btnCreate")->click();
  });
  script.message("CompanyMessage", &note);
  answers = {[](QDialog& d) {
    auto* wizard = qobject_cast<TfrmDefaultInfo*>(&d);
    if (!wizard) return static_cast<int>(QDialog::Rejected);
    wizard->FormActivate();
    wizard->rgpInCanada->setItemIndex(0);
    wizard->btnNext1->click();
    wizard->cbxProvinces->setCurrentIndex(7);
    wizard->btnNext2->click();
    wizard->btnNext3->click();
    wizard->btnNext4->click();
    wizard->btnClose->click();
    return wizard->result();
  }};
  script.start();
  start();
  qunsetenv("ORBA_SETTINGS");
  qunsetenv("ORBA_USER_SETTINGS");

  EXPECT_TRUE(script.finished());
  EXPECT_TRUE(note.contains("ADMIN")) << note.toStdString();
  EXPECT_EQ(dialogsShown, QStringList{"frmDefaultInfo"}) << "one user: no password dialog";
  EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
  EXPECT_EQ(link().get(LinkRecord::Field::UserName), "Administrator");
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyName), "Atelier Beaulieu");
  for (const char* option : {"ut03", "mcomp", "ar01", "gl03", "iv01"})
    EXPECT_TRUE(menu->find(option)->isEnabled()) << option;
  // Every right of the rights map, and the languages a new installation has.
  orba::data::TUserDataModule tables;
  tables.User_table->setDatabaseName(install->dataDir());
  tables.User_table->open();
  QByteArray rights = tables.User_table->value("User_security").toByteArray();
  rights.append(QByteArray(200 - rights.size(), '\0'));  // trailing zero bytes are not stored
  EXPECT_EQ(rights, oracle::rightsBytes({"*"}));
  orba::data::Table* languages = tables.tblLanguage;
  languages->setDatabaseName(install->dataDir());
  languages->open();
  ASSERT_EQ(languages->recordCount(), static_cast<int>(oracle::languages().size()));
  for (const oracle::Language& l : oracle::languages()) {
    ASSERT_TRUE(languages->findKey({l.key}));
    EXPECT_EQ(languages->text("LangCode"), l.code);
    EXPECT_EQ(languages->text("LangName"), l.name);
  }
  const QDir data(install->dataDir());
  for (const char* file : {"comp.db", "user.db", "Languages.db", "Desktop.db"})
    EXPECT_TRUE(data.exists(file)) << file;
  EXPECT_EQ(data.entryList({"Desktop.[xX]*", "Desktop.[yY]*"}, QDir::Files).size(), 2)
      << "the desktops' index on their user";
  // The language menu lists both languages.
  EXPECT_NE(menu->find("MenuItemfr"), nullptr);
}

// The settings name a folder that holds no data folder yet: the first start
// makes Orba/data there, shared the way that folder is (its group, its
// group's bits, set-group-ID), and goes on to company creation.
TEST_F(CompanyFirstRunTest, ABlankFolderGetsItsDataFolderAndTheFirstStartGoesOn) {
  installModules({"creco"}, CRECO_PATH);
  const QString blank = dir.filePath("office");
  ASSERT_TRUE(QDir().mkpath(blank));
  ASSERT_EQ(::chmod(QFile::encodeName(blank).constData(), 02770), 0);
  QFile user(dir.filePath("user.ini"));
  ASSERT_TRUE(user.open(QIODevice::WriteOnly));
  user.write(QString("[Orba]\ndatadrive=%1\n").arg(blank).toUtf8());
  user.close();
  qputenv("ORBA_SETTINGS", dir.filePath("orba.ini").toUtf8());
  qputenv("ORBA_USER_SETTINGS", dir.filePath("user.ini").toUtf8());

  ModalScript script;
  script.then("frmCreateCompany", [&](QWidget* w) {
    QTest::keyClicks(w->findChild<QLineEdit*>("edtName"), "Atelier Beaulieu");
    w->findChild<QPushButton*>("btnCreate")->click();
  });
  script.message("CompanyMessage", nullptr);
  answers = {[](QDialog& d) {
    auto* wizard = qobject_cast<TfrmDefaultInfo*>(&d);
    if (!wizard) return static_cast<int>(QDialog::Rejected);
    wizard->btnNext1->click();
    wizard->btnNext3->click();
    wizard->btnNext4->click();
    wizard->btnClose->click();
    return wizard->result();
  }};
  script.start();
  start();
  qunsetenv("ORBA_SETTINGS");
  qunsetenv("ORBA_USER_SETTINGS");

  EXPECT_TRUE(script.finished());
  EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyName), "Atelier Beaulieu");
  for (const QString& folder : {blank + "/Orba", blank + "/Orba/data", blank + "/Orba/data1"}) {
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &st), 0) << folder.toStdString();
    EXPECT_EQ(st.st_mode & 07777, 02770u) << folder.toStdString();
  }
  EXPECT_TRUE(QFileInfo::exists(blank + "/Orba/data/comp.db"));
}

// A folder the settings name that is not there is never made: the user
// reads, in the language of the settings, which folder is missing, which
// setting of which file names it and what to do; nothing may run.
TEST_F(CompanyFirstRunTest, AMissingFolderIsToldWithItsSetting) {
  installModules({"creco"}, CRECO_PATH);
  const QString absent = dir.filePath("mnt/office");
  QFile user(dir.filePath("user.ini"));
  ASSERT_TRUE(user.open(QIODevice::WriteOnly));
  user.write(QString("[Orba]\ndatadrive=%1\n").arg(absent).toUtf8());
  user.close();
  start("ShowWelcome=N\nlanguage=2\n");

  ASSERT_EQ(messages.size(), 1) << messages.join('|').toStdString();
  EXPECT_EQ(messages[0],
            "Le dossier de données " + absent + "/Orba/data ne peut pas être créé : le dossier " + absent +
                " n'existe pas.\n\nLe dossier de données découle du paramètre datadrive, dans la "
                "section [Orba] du fichier de paramètres " +
                dir.filePath("user.ini") +
                ". Créez le dossier manquant ou montez le disque qui le contient, ou corrigez le "
                "paramètre, puis redémarrez Castellan/Orba.");
  EXPECT_TRUE(dialogsShown.isEmpty()) << dialogsShown.join(',').toStdString();
  EXPECT_FALSE(menu->find("ut03")->isEnabled());
  window->FormActivate();
  EXPECT_EQ(messages.size(), 1) << "told once";
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("mnt"))) << "nothing made, company creation never ran";
}
