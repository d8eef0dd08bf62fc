// A first run on an installation without a company: company creation runs
// (a module library that makes the first company), then the set-up wizard on
// that company's folder; the next start shows dates and amounts as the
// wizard recorded them and asks nothing more.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

#include "DesktopFixture.h"
#include "MaskEdit.h"
#include "RadioGroup.h"
#include "RegionalFormats.h"
#include "Table.h"
#include "TableSchemas.h"

using orba::dispatch::LinkRecord;
using orba::shell::TfrmDefaultInfo;

class FirstRunTest : public DesktopFixture {
 protected:
  void TearDown() override {
    orba::formats::RegionalFormats::instance().apply("DD/MM/YYYY", "$", "L");
    DesktopFixture::TearDown();
  }
};

TEST_F(FirstRunTest, CompanyCreationThenTheWizardThenItsFormatsAtTheNextStart) {
  install->addLanguages();
  install->emptyCompanies();
  install->ensureDesktops();
  install->addUser("ADMIN", "ADMIN", "Admin", 0, 1, {"*"});
  installModules({"creco"}, TESTCRECO);
  answers = {[](QDialog& d) {
    auto* wizard = qobject_cast<TfrmDefaultInfo*>(&d);
    EXPECT_NE(wizard, nullptr) << d.objectName().toStdString();
    if (!wizard) return static_cast<int>(QDialog::Rejected);
    // As a user outside Canada goes through the pages.
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
  start();
  EXPECT_EQ(dialogsShown.value(0), "frmDefaultInfo");
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyNumber), "1") << messages.join('|').toStdString();
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyName), "My Company");
  EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();

  // The wizard wrote into the company that creation made.
  orba::data::Table rates("Check");
  rates.declare(orba::data::schemas::TaxRatesP_table);
  rates.setDatabaseName(install->companyDir(1));
  rates.open();
  EXPECT_EQ(rates.recordCount(), 2);

  // The next start reads the formats back and does not run the wizard.
  window->close();
  app.reset();
  orba::formats::RegionalFormats::instance().apply("DD/MM/YYYY", "$", "L");
  dialogsShown.clear();
  app = std::make_unique<orba::shell::OrbaApplication>(options());
  app->start();
  auto& formats = orba::formats::RegionalFormats::instance();
  EXPECT_EQ(formats.shortDateFormat(), "yyyy/mm/dd");
  EXPECT_EQ(formats.formatDate(QDate(2026, 12, 6)), "2026/12/06");
  EXPECT_EQ(formats.currencySymbol(), "£");
  EXPECT_TRUE(formats.formatCurrency(12.5).endsWith("£")) << formats.formatCurrency(12.5).toStdString();
  app->mainWindow()->FormActivate();
  EXPECT_FALSE(dialogsShown.contains("frmDefaultInfo"));
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyName), "My Company");
}
