// The company menu, the printer menu's choice and the tracker accounts.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "DataModules.h"
#include "DatabaseError.h"
#include "Dialogs.h"
#include "LinkRecord.h"
#include "LogoAppForm.h"
#include "SmallWindows.h"

namespace orba::shell {

using controls::MenuItem;

namespace {
LinkRecord& link() { return LinkRecord::instance(); }
}  // namespace

void TLogoAppForm::CompanyClick(MenuItem& item) {
  data::TCo_DataModule* co = peers_.companies;
  data::Table* companies = co->Co_Table;
  const QString previousNumber = link().get(LinkRecord::Field::CompanyNumber);
  const QString previousName = link().get(LinkRecord::Field::CompanyName);
  try {
    const QString remembered = companies->text(QStringLiteral("Comp_Code"));
    // The company at the clicked item's position: two companies may share a
    // name, never a code.
    const int position = item.menuIndex();
    if (position >= 0 && position < CompanyListBox->count())
      link().set(LinkRecord::Field::CompanyNumber, CompanyListBox->item(position)->text());
    const QString number = link().get(LinkRecord::Field::CompanyNumber);

    if (companies->findKey({number.toInt()})) {
      const QString password = companies->text(QStringLiteral("Comp_Passwd"));
      const int ownCompany = peers_.users->User_table->value(QStringLiteral("User_company")).toInt();
      if (!password.isEmpty() && ownCompany != number.toInt()) {
        int outcome = QDialog::Accepted;
        do {
          outcome = controls::Dialogs::exec(*peers_.CompPasswd_Frm);
        } while (outcome == QDialog::Accepted && peers_.CompPasswd_Frm->Password->text() != password);
        if (outcome != QDialog::Accepted) {
          companies->findKey({remembered.toInt()});
          link().set(LinkRecord::Field::CompanyNumber, remembered);
          return;
        }
      }
      link().set(LinkRecord::Field::CompanyName, companies->text(QStringLiteral("Comp_Name")));
    }

    co->Database1->close();
    co->Database1->setParams(
        {QStringLiteral("path=") + CompanyDir(link().get(LinkRecord::Field::DataDir), number)});
    try {
      co->Database1->open();
    } catch (const data::DatabaseError&) {
      // The previous company stays in force, connected as it was.
      link().set(LinkRecord::Field::CompanyNumber, previousNumber);
      link().set(LinkRecord::Field::CompanyName, previousName);
      companies->findKey({previousNumber.toInt()});
      co->Database1->setParams(
          {QStringLiteral("path=") + CompanyDir(link().get(LinkRecord::Field::DataDir), previousNumber)});
      co->Database1->open();
      throw;
    }

    for (MenuItem* other : item.parentItem()->items()) other->setChecked(false);
    item.setChecked(true);
    StatusPanels[0]->setText(link().get(LinkRecord::Field::CompanyName));
    if (shell_.trackerInstalled()) Load_database_menu();
  } catch (const data::DatabaseError& e) {
    showError(e.message());
  }
}

void TLogoAppForm::RebuildCompanyMenu() {
  data::Table* companies = peers_.companies->Co_Table;
  MenuItem* menu = MainMenu->find(QStringLiteral("Changecompanies1"));
  CompanyListBox->clear();
  for (MenuItem* old : menu->items()) components_.remove(old);
  menu->clear();
  for (companies->first(); !companies->eof(); companies->next()) {
    CompanyListBox->addItem(companies->text(QStringLiteral("Comp_Code")));
    MenuItem* item = menu->add(QString(), companies->text(QStringLiteral("Comp_Name")));
    item->setOnClick([this](MenuItem& clicked) { CompanyClick(clicked); });
    components_.own(item);
  }
  const QString current = link().get(LinkRecord::Field::CompanyNumber);
  for (int i = 0; i < CompanyListBox->count(); ++i) {
    CompanyListBox->setCurrentRow(i);
    if (CompanyListBox->item(i)->text() == current) break;
  }
  const QString name = link().get(LinkRecord::Field::CompanyName);
  for (MenuItem* item : menu->items())
    if (item->caption() == name) item->setChecked(true);
}

void TLogoAppForm::Load_database_menu() {
  data::Table* accounts = peers_.ledger->trkdb_table;
  MenuItem* menu = MainMenu->find(QStringLiteral("trkopen"));
  TrackerAccounts->clear();
  for (MenuItem* old : menu->items()) components_.remove(old);
  menu->clear();
  if (!accounts->exists()) accounts->createTable();
  accounts->open();
  for (accounts->first(); !accounts->eof(); accounts->next()) {
    TrackerAccounts->addItem(accounts->text(QStringLiteral("Trkdb_account")));
    MenuItem* item = menu->add(QString(), accounts->text(QStringLiteral("Trkdb_name")));
    item->setOnClick([this](MenuItem& clicked) { OpendataClick(clicked); });
    components_.own(item);
  }
  TrackerAccounts->clearSelection();
  accounts->close();
  OpenTrackerAccount.clear();
}

void TLogoAppForm::OpendataClick(MenuItem& item) {
  const int position = item.menuIndex();
  if (position < 0 || position >= TrackerAccounts->count()) return;
  OpenTrackerAccount = TrackerAccounts->item(position)->text();
  for (MenuItem* other : item.parentItem()->items()) other->setChecked(false);
  item.setChecked(true);
}

}  // namespace orba::shell
