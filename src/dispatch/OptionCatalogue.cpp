#include "OptionCatalogue.h"

#include "MenuItem.h"

namespace orba::dispatch {

bool OptionCatalogue::allows(const QString& code) const { return !code.isEmpty() && codes().contains(code); }

void GetMenuInfo(OptionCatalogue& catalogue, controls::MenuItem* top, int firstItem, int lastItem,
                 bool withRights, const QString& suffix) {
  for (int i = firstItem; i <= lastItem; ++i) {
    controls::MenuItem* submenu = top->item(i);
    if (!submenu) continue;
    for (controls::MenuItem* option : submenu->items()) {
      if (!option->isVisible()) continue;
      catalogue.append(option->caption() + suffix,
                       !withRights || option->isEnabled() ? option->name() : QString());
    }
  }
}

}  // namespace orba::dispatch
