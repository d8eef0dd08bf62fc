#include "MenuRefill.h"

#include "ComponentList.h"

namespace orba::controls {

std::vector<MenuItem*> refillMenu(MenuItem* menu, ComponentList& owner, const QStringList& captions,
                                  const MenuItem::ClickHandler& onClick) {
  for (MenuItem* old : menu->items()) owner.remove(old);
  menu->clear();
  std::vector<MenuItem*> added;
  added.reserve(static_cast<std::size_t>(captions.size()));
  for (const QString& caption : captions) {
    MenuItem* item = owner.own(menu->add(QString(), caption));
    item->setOnClick(onClick);
    added.push_back(item);
  }
  return added;
}

void checkOnly(MenuItem* menu, int index) {
  for (int i = 0; i < menu->count(); ++i) menu->item(i)->setChecked(i == index);
}

}  // namespace orba::controls
