#include "TrackerMenu.h"

#include <QListWidget>

#include "MenuRefill.h"
#include "ModuleRunner.h"
#include "TrackerAccounts.h"

namespace orba::shell {

using controls::MenuItem;

TrackerMenu::TrackerMenu(MenuItem* openMenu, QListWidget* numbers, controls::ComponentList& owner,
                         data::Table& accounts, dispatch::ModuleRunner& runner)
    : menu_(openMenu), numbers_(numbers), owner_(owner), accounts_(accounts), runner_(runner) {}

void TrackerMenu::load() {
  const std::vector<dispatch::TrackerAccount> accounts = dispatch::readTrackerAccounts(accounts_);
  QStringList names;
  numbers_->clear();
  for (const dispatch::TrackerAccount& a : accounts) {
    numbers_->addItem(a.number);
    names << a.name;
  }
  controls::refillMenu(menu_, owner_, names, [this](MenuItem& item) { open(item); });
  numbers_->clearSelection();
  runner_.setOpenTrackerAccount(QString());
}

void TrackerMenu::open(MenuItem& item) {
  const int position = item.menuIndex();
  if (position < 0 || position >= numbers_->count()) return;
  runner_.setOpenTrackerAccount(numbers_->item(position)->text());
  controls::checkOnly(menu_, position);
}

}  // namespace orba::shell
