#include "MenuSecurity.h"

#include <initializer_list>

#include "MenuItem.h"
#include "OptionCatalogue.h"
#include "RightsMap.h"
#include "UserSecurityManager.h"

namespace orba::dispatch {

using controls::MenuItem;

namespace {

int firstSubmenu(int position) { return moduleMenus()[static_cast<std::size_t>(position)].firstSubmenu; }

void appendMenuInfo(OptionCatalogue& catalogue, MenuItem* mainMenu, int position, bool withRights,
                    const ModuleSuffix& suffix) {
  MenuItem* top = mainMenu->item(position);
  GetMenuInfo(catalogue, top, firstSubmenu(position), top->count() - 1, withRights, suffix(top->tag()));
}

bool isYes(const QString& value) { return value.toUpper() == QLatin1String("Y"); }
bool isNo(const QString& value) { return value.toUpper() == QLatin1String("N"); }

}  // namespace

void ApplyMenuSecurity(MenuItem* mainMenu, const TUserSecurityManager& rights) {
  for (int position : {0, 1, 2, 4, 3, 5, 6, 7, 8, 9}) {
    MenuItem* top = mainMenu->item(position);
    rights.MarkTMenu(top, firstSubmenu(position), 0, top->count() - 1, true);
  }
  // A quick entry follows the option it duplicates.
  for (int position : {0, 1, 2, 3, 5, 6, 7, 9}) {
    MenuItem* top = mainMenu->item(position);
    for (MenuItem* quick : top->items()) {
      if (quick->groupIndex() != 0) continue;
      for (int i = firstSubmenu(position); i < top->count(); ++i)
        for (MenuItem* option : top->item(i)->items())
          if (option->name() + QLatin1Char('f') == quick->name()) quick->setEnabled(option->isEnabled());
    }
  }
}

void fillCatalogue(OptionCatalogue& catalogue, MenuItem* mainMenu, const OptionalModules& modules,
                   const ModuleSuffix& suffix) {
  catalogue.clear();
  for (int position : {0, 1, 2, 3, 4, 6, 7}) appendMenuInfo(catalogue, mainMenu, position, true, suffix);
  if (!isNo(modules.payroll)) appendMenuInfo(catalogue, mainMenu, 5, true, suffix);
  if (!isNo(modules.tracker)) appendMenuInfo(catalogue, mainMenu, 8, true, suffix);
  if (!isNo(modules.jobCost)) appendMenuInfo(catalogue, mainMenu, 9, true, suffix);
}

void RebuildCatalogue(OptionCatalogue& catalogue, MenuItem* mainMenu, const OptionalModules& modules,
                      bool withRights, const ModuleSuffix& suffix) {
  catalogue.clear();
  for (int position : {0, 1, 2, 4, 3, 7, 6})
    appendMenuInfo(catalogue, mainMenu, position, withRights, suffix);
  if (isYes(modules.payroll)) appendMenuInfo(catalogue, mainMenu, 5, withRights, suffix);
  if (isYes(modules.tracker)) appendMenuInfo(catalogue, mainMenu, 8, withRights, suffix);
  if (isYes(modules.jobCost)) appendMenuInfo(catalogue, mainMenu, 9, withRights, suffix);
}

std::optional<bool> borrowedRight(MenuItem* mainMenu, const QString& optionCode) {
  std::optional<bool> enabled;
  for (int position : {0, 1, 2, 3, 4, 5, 6, 7, 9}) {
    MenuItem* top = mainMenu->item(position);
    // The first submenu of the ledger, receivables and payables menus is
    // child 4, of the invoicing menu child 7; the other menus' leading
    // entries have no children, so the search starts at child 0.
    const int first = position <= 2 ? 4 : position == 3 ? 7 : 0;
    for (int i = first; i < top->count(); ++i)
      for (MenuItem* option : top->item(i)->items())
        if (option->name() == optionCode) enabled = option->isEnabled();
  }
  return enabled;
}

}  // namespace orba::dispatch
