#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace orba::controls {
class MenuItem;
}

namespace orba::dispatch {

class OptionCatalogue;
class TUserSecurityManager;

// The user's rights on the main menu: every option of the module menus is
// enabled by its bit, and each quick entry follows the option it duplicates.
void ApplyMenuSecurity(controls::MenuItem* mainMenu, const TUserSecurityManager& rights);

// The settings of the optional module menus (payroll, tracker, job cost), as
// the settings hold them; the catalogue passes read them differently.
struct OptionalModules {
  QString payroll;
  QString tracker;
  QString jobCost;
};

// The suffix of a module's options in the catalogue, by module number.
using ModuleSuffix = std::function<QString(int module)>;

// The catalogue as the rights pass and the language switch fill it: the
// module menus in their order, an optional one unless its setting is "N".
void fillCatalogue(OptionCatalogue& catalogue, controls::MenuItem* mainMenu, const OptionalModules& modules,
                   const ModuleSuffix& suffix);

// The catalogue as the Tools maintenance rebuilds it, with or without the
// user's rights: an optional module menu only when its setting is "Y".
void RebuildCatalogue(OptionCatalogue& catalogue, controls::MenuItem* mainMenu,
                      const OptionalModules& modules, bool withRights, const ModuleSuffix& suffix);

// The enabled state of the option a tool borrows its right from, searched in
// every module menu but the tracker's; none when no option has that code.
std::optional<bool> borrowedRight(controls::MenuItem* mainMenu, const QString& optionCode);

}  // namespace orba::dispatch
