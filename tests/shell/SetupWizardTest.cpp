// The set-up wizard on a real company folder: its pages and defaults as a
// user clicks through them, then the control record, the tax-rate tables and
// the settings file checked on disk.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "DatabaseError.h"
#include "ErrorTexts.h"
#include "Installation.h"
#include "MaskEdit.h"
#include "MessageList.h"
#include "RadioGroup.h"
#include "RegionalFormats.h"
#include "SetCaptions.h"
#include "SettingsStore.h"
#include "SetupWizard.h"
#include "ShellSettings.h"
#include "Table.h"
#include "TableSchemas.h"

using orba::settings::SettingsStore;
using orba::shell::TfrmDefaultInfo;
namespace sc = orba::data::schemas;

namespace {

constexpr int kInCanada = 0;
constexpr int kOutside = 1;
constexpr int kNewfoundland = 3;
constexpr int kNovaScotia = 5;
constexpr int kQuebec = 7;
constexpr int kOntario = 8;

// ctrl.DB as a company holds it: the fields of every reader of the record.
std::vector<orba::data::FieldSpec> controlFields() {
  std::vector<orba::data::FieldSpec> fields(sc::Co_Ctrl_table.fields.begin(), sc::Co_Ctrl_table.fields.end());
  fields.insert(fields.end(), sc::Setup_Ctrl_table.fields.begin(), sc::Setup_Ctrl_table.fields.end());
  return fields;
}

struct Row {
  QVariant fed, pro1, pro2, dollars, cents, taxSystem;
};

class SetupWizard : public ::testing::Test {
 protected:
  void SetUp() override { makeCompany(root.path() + "/Orba/data1"); }

  void makeCompany(const QString& dir, bool withControl = true) {
    QDir().mkpath(dir);
    companyDir = dir;
    static const std::vector<orba::data::FieldSpec> fields = controlFields();
    const orba::data::TableSpec control{"Ctrl_table", "ctrl.DB", 0, fields};
    if (withControl)
      Installation::fill(control, dir, [](orba::data::Table& t) {
        t.append();
        t.setValue("Ctrl_periods", 12);
        t.setValue("Ctrl_TaxSystem", 7);  // a value the wizard must overwrite or keep
        t.post();
      });
    for (const auto* shape : {&sc::TaxRates_table, &sc::TaxRatesP_table})
      Installation::fill(*shape, dir, [](orba::data::Table& t) {
        // A rate the user entered before: the wizard appends after it.
        t.append();
        t.setValue("TaxRates_Rate", 1.5);
        t.setValue("TaxRates_Code", 9);
        t.post();
      });
  }

  void showWizard(const QString& dataDir = "/var/opt/castellan/Orba/data", int language = 1) {
    wizard = std::make_unique<TfrmDefaultInfo>();
    wizard->setDirectory(companyDir);
    wizard->setDataDir(dataDir);
    wizard->setLanguage(language);
    wizard->setSettings(&settings);
    wizard->show();
  }
  QWidget* page() const { return wizard->pages->currentWidget(); }
  void choose(int location, int province = -1) {
    wizard->rgpInCanada->setItemIndex(location);
    wizard->btnNext1->click();
    if (province >= 0) {
      ASSERT_EQ(page(), wizard->tsWhichProv);
      wizard->cbxProvinces->setCurrentIndex(province);
      wizard->btnNext2->click();
    }
    ASSERT_EQ(page(), wizard->tsTaxInfo);
  }
  void finish() {
    wizard->btnNext3->click();
    ASSERT_EQ(page(), wizard->tsCurrencyInfo);
    wizard->btnNext4->click();
    ASSERT_EQ(page(), wizard->tsEnd);
    wizard->btnCloseClick();
  }

  Row control() const {
    orba::data::Table t("Check");
    t.declare(sc::Setup_Ctrl_table);
    t.setDatabaseName(companyDir);
    t.open();
    t.first();
    return {t.value("Ctrl_fed_rate"), t.value("Ctrl_pro_rate1"), t.value("Ctrl_pro_rate2"),
            t.value("Ctrl_dollars1"), t.value("Ctrl_cents1"),    t.value("Ctrl_TaxSystem")};
  }
  // Every rate row as "rate/code".
  QStringList rates(const orba::data::TableSpec& shape) const {
    orba::data::Table t("Check");
    t.declare(shape);
    t.setDatabaseName(companyDir);
    t.open();
    QStringList rows;
    for (t.first(); !t.eof(); t.next())
      rows << (t.value("TaxRates_Rate").isNull() ? QString("-") : t.value("TaxRates_Rate").toString()) + "/" +
                  t.value("TaxRates_Code").toString();
    return rows;
  }
  QString setting(const QString& name) const {
    SettingsStore fresh(settings.paths());
    return fresh.value(orba::shell::kSettingsSection, name, "(none)");
  }
  QByteArray fileBytes(const QString& name) const {
    QFile f(companyDir + "/" + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
  }

  QTemporaryDir root;
  QString companyDir;
  SettingsStore settings{SettingsStore::Paths{root.filePath("orba.ini"), {}}};
  std::unique_ptr<TfrmDefaultInfo> wizard;
};

TEST_F(SetupWizard, NovaScotiaTakesTheHarmonizedTaxOverWhatWasTyped) {
  showWizard();
  EXPECT_EQ(page(), wizard->tsInOrNotInCanada);
  wizard->rgpInCanada->setItemIndex(kInCanada);
  wizard->btnNext1->click();
  ASSERT_EQ(page(), wizard->tsWhichProv);
  EXPECT_EQ(wizard->cbxProvinces->currentIndex(), 0) << "Alberta when nothing was chosen";
  wizard->cbxProvinces->setCurrentIndex(kNovaScotia);
  wizard->btnNext2->click();
  ASSERT_EQ(page(), wizard->tsTaxInfo);
  // Typed values are overwritten by the harmonized tax, even coming back.
  wizard->edtGST->setText("5");
  wizard->btnBack2->click();
  EXPECT_EQ(page(), wizard->tsWhichProv) << "back from the tax page in Canada goes to the province";
  wizard->btnNext2->click();
  EXPECT_EQ(wizard->edtGST->text(), "0");
  EXPECT_EQ(wizard->edtPST->text(), "0");
  EXPECT_EQ(wizard->edtHST->text(), "15");
  EXPECT_FALSE(wizard->edtHST->isHidden());
  EXPECT_FALSE(wizard->lblHST->isHidden());
  EXPECT_EQ(wizard->grpTax->title(), "Enter your GST/PST/HST rates");
  EXPECT_EQ(wizard->lblHST->text(), "HST rate");
  EXPECT_TRUE(wizard->memVat->isHidden());
  const QStringList before = rates(sc::TaxRates_table);
  finish();

  EXPECT_FALSE(wizard->isVisible()) << wizard->lblError->text().toStdString();
  const Row r = control();
  EXPECT_DOUBLE_EQ(r.fed.toDouble(), 0);
  EXPECT_DOUBLE_EQ(r.pro1.toDouble(), 0);
  EXPECT_DOUBLE_EQ(r.pro2.toDouble(), 15);
  EXPECT_EQ(r.dollars.toString(), "Dollars");
  EXPECT_EQ(r.cents.toString(), "Cents");
  EXPECT_EQ(r.taxSystem.toInt(), 0);
  EXPECT_EQ(rates(sc::TaxRates_table), before) << "no rate rows in Canada";
  EXPECT_EQ(setting("Intl"), "n");
  EXPECT_EQ(setting("DateFmt"), "mm/dd/yyyy");
  EXPECT_EQ(setting("CurrSmbl"), "$");
  EXPECT_EQ(setting("CurrAlign"), "L");
}

TEST_F(SetupWizard, QuebecDefaultsFollowTheLanguage) {
  for (const int language : {2, 1}) {
    showWizard("/opt/Castellan/Orba/data", language);
    choose(kInCanada, kQuebec);
    EXPECT_EQ(wizard->edtGST->text(), "7");
    EXPECT_EQ(wizard->edtPST->text(), "7.5");
    EXPECT_EQ(wizard->cbxDateFormat->currentText(), "dd/mm/yyyy");
    EXPECT_EQ(wizard->grpTax->title(), "Enter your GST/QST rates");
    EXPECT_EQ(wizard->lblPST->text(), "QST rate");
    EXPECT_TRUE(wizard->edtHST->isHidden());
    wizard->btnNext3->click();
    EXPECT_EQ(wizard->cbxAlignment->currentText(), language == 2 ? "Right" : "Left")
        << "language " << language;
    wizard->btnNext4->click();
    EXPECT_TRUE(wizard->Memo1->toPlainText().contains("The basic setup of Castellan is complete"))
        << wizard->Memo1->toPlainText().toStdString();
  }
}

TEST_F(SetupWizard, OntarioKeepsThePstEmptyAndHidesTheHst) {
  showWizard();
  choose(kInCanada, kOntario);
  EXPECT_EQ(wizard->edtGST->text(), "7");
  EXPECT_EQ(wizard->edtPST->text(), "");
  EXPECT_EQ(wizard->cbxDateFormat->currentText(), "mm/dd/yyyy");
  EXPECT_TRUE(wizard->edtHST->isHidden());
  EXPECT_TRUE(wizard->lblHST->isHidden());
  EXPECT_EQ(wizard->grpTax->title(), "Enter your GST/PST rates");
  // A rate typed in French notation, key by key, is stored as the number it
  // is.
  QTest::keyClicks(wizard->edtPST, "8,5");
  finish();
  const Row r = control();
  EXPECT_DOUBLE_EQ(r.fed.toDouble(), 7);
  EXPECT_DOUBLE_EQ(r.pro1.toDouble(), 8.5);
  EXPECT_TRUE(r.pro2.isNull()) << "an empty rate stays empty";
}

TEST_F(SetupWizard, OutsideCanadaAppendsTwoRatesToEachTable) {
  showWizard();
  choose(kOutside);
  EXPECT_EQ(wizard->cbxDateFormat->currentText(), "mm/dd/yyyy");
  EXPECT_EQ(wizard->grpTax->title(), "Enter your sales tax  and VAT rates");
  EXPECT_EQ(wizard->lblGST->text(), "VAT/Tax 1 rate");
  EXPECT_EQ(wizard->lblPST->text(), "VAT/Tax 2 rate");
  EXPECT_TRUE(wizard->edtHST->isHidden());
  EXPECT_FALSE(wizard->memVat->isHidden()) << "the note on the accounts to complete";
  wizard->btnBack2->click();
  EXPECT_EQ(page(), wizard->tsInOrNotInCanada) << "back outside Canada skips the province";
  wizard->btnNext1->click();
  wizard->edtGST->setText("20");
  wizard->edtPST->setText("5.5");
  wizard->btnNext3->click();
  EXPECT_EQ(wizard->cbxAlignment->currentText(), "Left");
  wizard->edtSymbol->setText("€");
  wizard->cbxAlignment->setCurrentIndex(1);
  wizard->edtCurrDescription->setText("Euros");
  wizard->btnNext4->click();
  wizard->btnCloseClick();

  EXPECT_FALSE(wizard->isVisible()) << wizard->lblError->text().toStdString();
  for (const auto* shape : {&sc::TaxRates_table, &sc::TaxRatesP_table})
    EXPECT_EQ(rates(*shape), QStringList({"1.5/9", "20/1", "5.5/2"})) << shape->file;
  const Row r = control();
  EXPECT_EQ(r.taxSystem.toInt(), 1);
  EXPECT_EQ(r.dollars.toString(), "Euros");
  EXPECT_EQ(setting("Intl"), "y");
  EXPECT_EQ(setting("CurrSmbl"), "€");
  EXPECT_EQ(setting("CurrAlign"), "R");

  // The next start shows dates and amounts the way the wizard recorded.
  SettingsStore nextStart(settings.paths());
  orba::shell::ReadRegionalSettings(nextStart);
  auto& formats = orba::formats::RegionalFormats::instance();
  EXPECT_EQ(formats.formatDate(QDate(2026, 12, 6)), "12/06/2026");
  EXPECT_EQ(formats.currencySymbol(), "€");
  EXPECT_TRUE(formats.formatCurrency(1234.5).endsWith("€")) << formats.formatCurrency(1234.5).toStdString();
  formats.apply("DD/MM/YYYY", "$", "L");
}

TEST_F(SetupWizard, TheQuillmarkEditionKeepsItsTaxSystem) {
  makeCompany(root.path() + "/Quillmark/data1");
  showWizard("/opt/Quillmark/data");
  choose(kOutside);
  EXPECT_TRUE(wizard->memVat->isHidden());
  const QStringList before = rates(sc::TaxRates_table);
  wizard->edtGST->setText("20");
  wizard->btnNext3->click();
  wizard->btnNext4->click();
  EXPECT_TRUE(wizard->Memo1->toPlainText().contains("Moravend/Quillmark"));
  wizard->btnCloseClick();
  EXPECT_FALSE(wizard->isVisible());
  EXPECT_EQ(control().taxSystem.toInt(), 7) << "the tax system is not the wizard's to set";
  EXPECT_DOUBLE_EQ(control().fed.toDouble(), 20);
  EXPECT_EQ(rates(sc::TaxRates_table), before);
  EXPECT_EQ(rates(sc::TaxRatesP_table), before);
}

// A failed save stays on the last page with the reason and changes nothing:
// not the control record, not the rate tables, not one settings value.
TEST_F(SetupWizard, AFailedSaveChangesNothing) {
  settings.setValue(orba::shell::kSettingsSection, "DateFmt", "DD/MM/YYYY");
  const QByteArray settingsBefore = [&] {
    QFile f(settings.paths().machineFile);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }();
  const QByteArray ctrlBefore = fileBytes("ctrl.DB");
  const QByteArray ratesBefore = fileBytes("taxrates.db");
  const QByteArray ratesPBefore = fileBytes("taxratesP.db");

  showWizard();
  choose(kOutside);
  wizard->edtGST->setText("20");
  wizard->edtPST->setText("abc");
  wizard->btnNext3->click();
  wizard->btnNext4->click();
  wizard->btnClose->click();
  EXPECT_TRUE(wizard->isVisible());
  EXPECT_EQ(page(), wizard->tsEnd);
  EXPECT_TRUE(wizard->lblError->text().contains("\"abc\" is not a number"))
      << wizard->lblError->text().toStdString();
  EXPECT_EQ(fileBytes("ctrl.DB"), ctrlBefore);
  EXPECT_EQ(fileBytes("taxrates.db"), ratesBefore);
  EXPECT_EQ(fileBytes("taxratesP.db"), ratesPBefore);
  EXPECT_EQ(setting("DateFmt"), "DD/MM/YYYY");
  EXPECT_EQ(setting("Intl"), "(none)");

  // The missing control record is the other failure; mended, Close works.
  wizard->edtPST->setText("5");
  QFile::rename(companyDir + "/ctrl.DB", companyDir + "/ctrl.away");
  wizard->btnClose->click();
  EXPECT_TRUE(wizard->isVisible());
  EXPECT_FALSE(wizard->lblError->text().isEmpty());
  EXPECT_EQ(fileBytes("taxrates.db"), ratesBefore) << "the rate tables wait for the control record";
  EXPECT_EQ(setting("Intl"), "(none)");
  QFile f(settings.paths().machineFile);
  f.open(QIODevice::ReadOnly);
  EXPECT_EQ(f.readAll(), settingsBefore);
  f.close();

  QFile::rename(companyDir + "/ctrl.away", companyDir + "/ctrl.DB");
  wizard->btnClose->click();
  EXPECT_FALSE(wizard->isVisible());
  EXPECT_EQ(setting("Intl"), "y");
  EXPECT_EQ(rates(sc::TaxRatesP_table), QStringList({"1.5/9", "20/1", "5/2"}));
}

// A rate that is no number is told in the user's language, naming the field
// by its label and its page, with the detail after.
TEST_F(SetupWizard, ARateThatIsNoNumberIsToldByItsLabelInTheUsersLanguage) {
  QDir().mkpath(root.path() + "/Orba/bin");
  QDir().mkpath(root.path() + "/Orba/languages");
  for (const QString& file : QDir(ORBA_LANGUAGES_DIR).entryList(QDir::Files))
    QFile::copy(QString(ORBA_LANGUAGES_DIR) + "/" + file, root.path() + "/Orba/languages/" + file);
  orba::localization::setProgramDirectory(root.path() + "/Orba/bin");
  orba::localization::ErrorTexts texts;
  texts.load("MainMenufr");
  showWizard("/var/opt/castellan/Orba/data", 2);
  orba::localization::SetCaptions(wizard.get(), wizard->components(), "MainMenufr");
  wizard->setErrorTexts(&texts);
  choose(kInCanada, 8);  // Ontario
  wizard->edtGST->setText("cinq");
  finish();
  EXPECT_TRUE(wizard->isVisible());
  const QString error = wizard->lblError->text();
  EXPECT_TRUE(
      error.startsWith("La valeur de Taux de TPS (Entrez vos taux de TPS et de TVP) n'est pas valide."))
      << error.toStdString();
  EXPECT_TRUE(error.contains("\"cinq\" is not a number")) << "the detail follows";
}

// The settings written last can fail alone (here the settings folder's name
// is taken by a file); Close again then stores the settings without
// appending the rate rows a second time.
TEST_F(SetupWizard, ASettingsFailureAfterTheTablesDoesNotStoreTheRatesTwice) {
  QFile blocker(root.filePath("settings"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  SettingsStore unwritable(SettingsStore::Paths{root.filePath("settings/orba.ini"), {}});
  showWizard();
  wizard->setSettings(&unwritable);
  choose(kOutside);
  wizard->edtGST->setText("20");
  wizard->edtPST->setText("5.5");
  wizard->btnNext3->click();
  wizard->btnNext4->click();
  wizard->btnClose->click();
  EXPECT_TRUE(wizard->isVisible());
  EXPECT_TRUE(wizard->lblError->text().startsWith("The settings could not be written"))
      << wizard->lblError->text().toStdString();
  const QStringList once{"1.5/9", "20/1", "5.5/2"};
  EXPECT_EQ(rates(sc::TaxRates_table), once);

  QFile::remove(root.filePath("settings"));
  QDir().mkpath(root.filePath("settings"));
  wizard->btnClose->click();
  EXPECT_FALSE(wizard->isVisible()) << wizard->lblError->text().toStdString();
  EXPECT_EQ(rates(sc::TaxRates_table), once);
  EXPECT_EQ(rates(sc::TaxRatesP_table), once);
  EXPECT_EQ(SettingsStore(unwritable.paths()).value(orba::shell::kSettingsSection, "Intl", ""), "y");
}

// Escape and the window's close button leave the wizard where it is; each
// showing starts on the first page and keeps what was typed.
TEST_F(SetupWizard, OnlyCloseLeavesAndValuesStayBetweenShowings) {
  showWizard();
  choose(kInCanada, kNewfoundland);
  QTest::keyClick(wizard.get(), Qt::Key_Escape);
  EXPECT_TRUE(wizard->isVisible());
  wizard->close();
  EXPECT_TRUE(wizard->isVisible());
  wizard->hide();
  wizard->show();
  EXPECT_EQ(page(), wizard->tsInOrNotInCanada);
  EXPECT_EQ(wizard->edtHST->text(), "15");
  EXPECT_EQ(wizard->cbxProvinces->currentIndex(), kNewfoundland);
}

// Return takes each page's way on, the province list holding the focus
// included; on the last page the default button is Close.
TEST_F(SetupWizard, ReturnMovesOnAndCloseIsTheLastPagesDefault) {
  showWizard();
  wizard->rgpInCanada->setItemIndex(kInCanada);
  QTest::keyClick(wizard.get(), Qt::Key_Return);
  ASSERT_EQ(page(), wizard->tsWhichProv);
  wizard->cbxProvinces->setFocus();
  wizard->cbxProvinces->setCurrentIndex(kNewfoundland);
  QTest::keyClick(wizard->cbxProvinces, Qt::Key_Return);
  ASSERT_EQ(page(), wizard->tsTaxInfo) << "Return on the province page moves on";
  QTest::keyClick(wizard.get(), Qt::Key_Return);
  ASSERT_EQ(page(), wizard->tsCurrencyInfo);
  QTest::keyClick(wizard.get(), Qt::Key_Return);
  ASSERT_EQ(page(), wizard->tsEnd);
  EXPECT_TRUE(wizard->btnClose->isDefault());
  EXPECT_FALSE(wizard->btnBack4->isDefault());
}

// Run again for a company outside Canada, the wizard gives its rates to
// the rows of codes 1 and 2, which keep the account and description given
// to them since; other rows stay as they are, and no second tax 1 appears.
TEST_F(SetupWizard, RunAgainTheRatesGoToTheRowsOfTheirCodes) {
  showWizard();
  choose(kOutside);
  wizard->edtGST->setText("20");
  wizard->edtPST->setText("5.5");
  finish();
  ASSERT_FALSE(wizard->isVisible()) << wizard->lblError->text().toStdString();
  Installation::fill(sc::TaxRates_table, companyDir, [](orba::data::Table& t) {
    ASSERT_TRUE(t.locate("TaxRates_Code", 1));
    t.edit();
    t.setValue("TaxRates_Account", 2310);
    t.post();
  });

  showWizard();
  choose(kOutside);
  wizard->edtGST->setText("21");
  wizard->edtPST->setText("6");
  finish();
  ASSERT_FALSE(wizard->isVisible()) << wizard->lblError->text().toStdString();
  EXPECT_EQ(rates(sc::TaxRates_table), QStringList({"1.5/9", "21/1", "6/2"}));
  EXPECT_EQ(rates(sc::TaxRatesP_table), QStringList({"1.5/9", "21/1", "6/2"}));
  orba::data::Table t("Check");
  t.declare(sc::TaxRates_table);
  t.setDatabaseName(companyDir);
  t.open();
  ASSERT_TRUE(t.locate("TaxRates_Code", 1));
  EXPECT_EQ(t.value("TaxRates_Account").toInt(), 2310);
}

// Whether a company went through the wizard is read from its control
// record: none of the wizard's values means never; any one of them (the
// tax system 0 included) means it did. A layout without those fields is
// not the wizard's to fill, and a missing table is an error.
TEST_F(SetupWizard, TheControlRecordSaysWhetherTheSetUpWasCompleted) {
  using orba::shell::readRecordedSetup;
  const auto setControl = [&](const char* field, const QVariant& value) {
    Installation::fill(orba::data::TableSpec{"Ctrl_table", "ctrl.DB", 0, controlFields()}, companyDir,
                       [&](orba::data::Table& t) {
                         t.first();
                         t.edit();
                         for (const char* f : {"Ctrl_fed_rate", "Ctrl_pro_rate1", "Ctrl_pro_rate2",
                                               "Ctrl_dollars1", "Ctrl_cents1", "Ctrl_TaxSystem"})
                           t.setValue(f, QVariant());
                         if (field) t.setValue(field, value);
                         t.post();
                       });
  };
  setControl(nullptr, {});
  orba::shell::RecordedSetup read = readRecordedSetup(companyDir);
  EXPECT_TRUE(read.fillable);
  EXPECT_TRUE(read.needsWizard()) << "as company creation leaves it";

  setControl("Ctrl_TaxSystem", 0);
  read = readRecordedSetup(companyDir);
  EXPECT_FALSE(read.needsWizard()) << "in Canada";
  EXPECT_EQ(read.taxSystem, 0);

  setControl("Ctrl_dollars1", "Euros");
  read = readRecordedSetup(companyDir);
  EXPECT_FALSE(read.needsWizard()) << "the Quillmark edition writes no tax system";
  EXPECT_EQ(read.currencyName, "Euros");
  EXPECT_FALSE(read.taxSystem.has_value());

  setControl("Ctrl_pro_rate1", 7.5);
  EXPECT_EQ(readRecordedSetup(companyDir).pstRate, "7.5");

  // No record at all.
  Installation::fill(orba::data::TableSpec{"Ctrl_table", "ctrl.DB", 0, controlFields()}, companyDir,
                     [](orba::data::Table& t) {
                       t.first();
                       t.deleteRecord();
                     });
  EXPECT_TRUE(readRecordedSetup(companyDir).needsWizard());

  const QString older = root.filePath("Orba/data2");
  QDir().mkpath(older);
  Installation::fill(sc::Co_Ctrl_table, older, [](orba::data::Table& t) {
    t.append();
    t.setValue("Ctrl_periods", 12);
    t.post();
  });
  read = readRecordedSetup(older);
  EXPECT_FALSE(read.fillable);
  EXPECT_FALSE(read.needsWizard());

  EXPECT_THROW(readRecordedSetup(root.filePath("Orba/data3")), orba::data::DatabaseError);
}

// Run for a company that was set up, the pages start from its record, and
// the wizard can be left without storing anything.
TEST_F(SetupWizard, RunForACompanyItStartsFromItsRecordAndCanBeLeft) {
  showWizard();
  choose(kInCanada, kOntario);
  wizard->edtGST->setText("5");
  wizard->edtPST->setText("8");
  finish();
  ASSERT_FALSE(wizard->isVisible());
  const QByteArray stored = fileBytes("ctrl.DB");

  wizard = std::make_unique<TfrmDefaultInfo>();
  wizard->setDirectory(companyDir);
  wizard->setSettings(&settings);
  wizard->setCancellable(true);
  wizard->startFrom(orba::shell::readRecordedSetup(companyDir));
  wizard->show();
  EXPECT_EQ(wizard->rgpInCanada->itemIndex(), kInCanada);
  EXPECT_EQ(wizard->edtGST->text(), "5");
  EXPECT_EQ(wizard->edtPST->text(), "8");
  EXPECT_EQ(wizard->edtCurrDescription->text(), "Dollars");
  QTest::keyClick(wizard.get(), Qt::Key_Escape);
  EXPECT_FALSE(wizard->isVisible());
  EXPECT_EQ(wizard->result(), QDialog::Rejected);
  EXPECT_EQ(fileBytes("ctrl.DB"), stored);
}

}  // namespace
