#include "LanguageMenu.h"

#include "ComponentList.h"
#include "DatabaseError.h"
#include "MenuItem.h"
#include "MenuRefill.h"
#include "Table.h"

namespace orba::shell {

using controls::MenuItem;

LanguageMenu::LanguageMenu(MenuItem* menu, controls::ComponentList& owner, data::Table* languages,
                           std::function<void(MenuItem&)> chosen)
    : menu_(menu), owner_(owner), languages_(languages), chosen_(std::move(chosen)) {}

void LanguageMenu::load() {
  controls::refillMenu(menu_, owner_, {}, {});
  // A languages table that could not be opened was told already.
  if (!languages_ || !languages_->isActive()) return;
  for (const Language& language : readLanguages(*languages_)) {
    MenuItem* item = menu_->add(QString(), language.name);
    // The code becomes part of the item's name, so it must be unique.
    if (!item->setName(QStringLiteral("MenuItem") + language.code.trimmed())) {
      menu_->remove(item);
      throw data::DatabaseError(
          QStringLiteral("A component named MenuItem%1 already exists").arg(language.code));
    }
    item->setOnClick(chosen_);
    owner_.own(item);
  }
}

void LanguageMenu::check(const QString& code) {
  if (MenuItem* item = menu_->find(QStringLiteral("MenuItem") + code)) item->setChecked(true);
}

std::optional<Language> LanguageMenu::choose(MenuItem& item) {
  controls::checkOnly(menu_, item.menuIndex());
  if (!languages_) return std::nullopt;
  return languageNamed(*languages_, item.caption());
}

void applyInternationalWording(MenuItem* mainMenu) {
  // Reached by position: the menu's layout keeps these places.
  struct Wording {
    int top, submenu, item;
    const char* caption;
  };
  static constexpr Wording kWordings[] = {
      {2, 5, 2, "Edit check entries"},          {2, 5, 3, "Recurring check entries"},
      {2, 6, 2, "List of checks to be issued"}, {2, 6, 3, "List of recurring checks"},
      {2, 7, 0, "Print and update checks"},     {4, 0, 4, "Maintenance of check format"},
  };
  for (const Wording& w : kWordings) {
    MenuItem* top = mainMenu->item(w.top);
    MenuItem* submenu = top ? top->item(w.submenu) : nullptr;
    if (MenuItem* item = submenu ? submenu->item(w.item) : nullptr)
      item->setCaption(QString::fromLatin1(w.caption));
  }
}

}  // namespace orba::shell
