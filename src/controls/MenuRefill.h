#pragma once

#include <QStringList>

#include "MenuItem.h"

namespace orba::controls {

class ComponentList;

// Replaces the items of a menu that is built from data (companies, tracker
// accounts, languages): the old items leave the owner's component list and
// are deleted, and one item per caption is appended, owned by the form, with
// the click handler. Returns the new items in order.
std::vector<MenuItem*> refillMenu(MenuItem* menu, ComponentList& owner, const QStringList& captions,
                                  const MenuItem::ClickHandler& onClick);

// Checks the item at `index` and unchecks its siblings; an index out of
// range unchecks them all.
void checkOnly(MenuItem* menu, int index);

}  // namespace orba::controls
