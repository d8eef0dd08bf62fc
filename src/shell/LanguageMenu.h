#pragma once

#include <functional>
#include <optional>

#include "Languages.h"

namespace orba::controls {
class ComponentList;
class MenuItem;
}  // namespace orba::controls

namespace orba::shell {

// The language menu (Options > Language): one item per row of the languages
// table in key order, named "MenuItem" + the language's code.
class LanguageMenu {
 public:
  // REQUIRES: everything passed outlives this object; `languages` may be
  // null (no languages table: the menu stays empty). `chosen` runs when the
  // user picks an item.
  LanguageMenu(controls::MenuItem* menu, controls::ComponentList& owner, data::Table* languages,
               std::function<void(controls::MenuItem&)> chosen);

  // Load_language_menu. Throws DatabaseError when the table cannot be read
  // or two rows share a code (an item's name must be unique).
  void load();
  // Checks the item of this language code, when there is one.
  void check(const QString& code);
  // The language of a clicked item, which is checked alone; none without a
  // languages table.
  std::optional<Language> choose(controls::MenuItem& item);

 private:
  controls::MenuItem* menu_;
  controls::ComponentList& owner_;
  data::Table* languages_;
  std::function<void(controls::MenuItem&)> chosen_;
};

// The international (not Canadian) English wording of six menu entries.
void applyInternationalWording(controls::MenuItem* mainMenu);

}  // namespace orba::shell
