#include "CompanyMenu.h"

#include <QLineEdit>
#include <QListWidget>

#include "Dialogs.h"
#include "MenuRefill.h"
#include "Messages.h"
#include "SmallWindows.h"

namespace orba::shell {

using controls::MenuItem;

CompanyMenu::CompanyMenu(MenuItem* menu, QListWidget* numbers, controls::ComponentList& owner,
                         CompanySwitch& companies, TCompPasswd_Frm& password, std::function<void()> switched)
    : menu_(menu),
      numbers_(numbers),
      owner_(owner),
      companies_(companies),
      password_(password),
      switched_(std::move(switched)) {}

void CompanyMenu::list(const std::vector<Company>& companies) {
  QStringList names;
  numbers_->clear();
  for (const Company& c : companies) {
    numbers_->addItem(c.number);
    names << c.name;
  }
  controls::refillMenu(menu_, owner_, names, [this](MenuItem& item) { choose(item); });
}

void CompanyMenu::fill(const std::vector<Company>& companies, int current) {
  list(companies);
  if (current >= 0) {
    numbers_->setCurrentRow(current);
    controls::checkOnly(menu_, current);
  }
}

void CompanyMenu::rebuild(const QString& currentNumber, const QString& currentName) {
  list(companies_.companies());
  for (int i = 0; i < numbers_->count(); ++i) {
    numbers_->setCurrentRow(i);
    if (numbers_->item(i)->text() == currentNumber) break;
  }
  for (MenuItem* item : menu_->items())
    if (item->caption() == currentName) item->setChecked(true);
}

void CompanyMenu::choose(MenuItem& item) {
  const int position = item.menuIndex();
  if (position < 0 || position >= numbers_->count()) return;
  const QString password = companies_.choose(numbers_->item(position)->text());
  if (!password.isEmpty()) {
    // The window names the company; it comes back empty, and says why,
    // until the right password is given or the user cancels.
    password_.setCompany(item.caption());
    for (;;) {
      password_.Password->clear();
      if (controls::Dialogs::exec(password_) != QDialog::Accepted) {
        companies_.abandon();
        return;
      }
      if (password_.Password->text() == password) break;
      controls::Messages::error(password_.wrongPasswordText(), &password_);
    }
    password_.Password->clear();
  }
  companies_.complete();
  controls::checkOnly(menu_, position);
  numbers_->setCurrentRow(position);
  if (switched_) switched_();
}

}  // namespace orba::shell
