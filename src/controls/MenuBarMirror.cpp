#include "MenuBarMirror.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace orba::controls {

MenuBarMirror::MenuBarMirror(MenuItem* root, QWidget* bar, QObject* parent)
    : QObject(parent), root_(root), bar_(bar) {
  watch(root_);
  populate(bar_, root_);
}

QAction* MenuBarMirror::actionFor(MenuItem* item) const {
  const auto it = actions_.find(item);
  return it == actions_.end() ? nullptr : it->second;
}

QMenu* MenuBarMirror::menuFor(MenuItem* item) const {
  const auto it = menus_.find(item);
  return it == menus_.end() ? nullptr : it->second;
}

void MenuBarMirror::watch(MenuItem* item) {
  connect(item, &MenuItem::changed, this, &MenuBarMirror::onChanged, Qt::UniqueConnection);
  connect(item, &MenuItem::itemsChanged, this, &MenuBarMirror::onItemsChanged, Qt::UniqueConnection);
}

void MenuBarMirror::applyState(MenuItem* item, QAction* action) {
  if (!item->isSeparator()) {
    action->setText(item->caption());
    action->setStatusTip(item->hint());
  }
  action->setEnabled(item->isEnabled());
  action->setVisible(item->isVisible());
  if (!item->isSeparator() && !menuFor(item)) {
    action->setCheckable(item->isChecked());
    action->setChecked(item->isChecked());
  }
}

void MenuBarMirror::forget(QAction* action) {
  for (auto it = actions_.begin(); it != actions_.end();)
    it = it->second == action ? actions_.erase(it) : std::next(it);
  if (QMenu* menu = action->menu<QMenu*>()) {
    for (auto it = menus_.begin(); it != menus_.end();)
      it = it->second == menu ? menus_.erase(it) : std::next(it);
    for (QAction* inner : menu->actions()) forget(inner);
  }
}

void MenuBarMirror::clearContainer(QWidget* container) {
  // The menus and actions leave the screen and the maps at once, and are
  // deleted once the event being handled is over: that event may be a click
  // on one of them, still on the stack of the menu that delivered it.
  const QList<QAction*> old = container->actions();
  for (QAction* action : old) {
    container->removeAction(action);
    forget(action);
    if (QMenu* menu = action->menu<QMenu*>()) {
      menu->hide();
      menu->deleteLater();
    } else if (action->parent() == container) {
      action->deleteLater();
    }
  }
}

void MenuBarMirror::populate(QWidget* container, MenuItem* parent) {
  for (MenuItem* item : parent->items()) {
    watch(item);
    QAction* action = nullptr;
    if (item->isSeparator()) {
      action = new QAction(container);
      action->setSeparator(true);
    } else if (item->count() > 0) {
      auto* menu = new QMenu(item->caption(), container);
      menu->setObjectName(item->name());
      populate(menu, item);
      action = menu->menuAction();
      menus_[item] = menu;
      connect(menu, &QObject::destroyed, this, [this, item, menu] {
        const auto it = menus_.find(item);
        if (it != menus_.end() && it->second == menu) menus_.erase(it);
      });
    } else {
      action = new QAction(container);
      connect(action, &QAction::triggered, this, [this, item, action] {
        item->click();
        // The item, not Qt, decides whether it is checked; a click handler may
        // also have rebuilt the menu, so look the action up again.
        if (actionFor(item) == action) applyState(item, action);
      });
    }
    action->setObjectName(item->name());
    actions_[item] = action;
    connect(action, &QObject::destroyed, this, [this, item, action] {
      const auto it = actions_.find(item);
      if (it != actions_.end() && it->second == action) actions_.erase(it);
    });
    applyState(item, action);
    container->addAction(action);
  }
}

void MenuBarMirror::onChanged(MenuItem* item) {
  if (QAction* action = actionFor(item)) applyState(item, action);
}

void MenuBarMirror::onItemsChanged(MenuItem* item) {
  if (item == root_) {
    clearContainer(bar_);
    populate(bar_, root_);
    return;
  }
  QMenu* menu = menuFor(item);
  const bool wantsMenu = item->count() > 0;
  if (menu && wantsMenu) {
    clearContainer(menu);
    populate(menu, item);
    return;
  }
  // The item turned from a plain entry into a submenu or back: rebuild the
  // menu that holds it.
  if (!actionFor(item)) return;  // not shown (yet)
  MenuItem* parent = item->parentItem();
  if (!parent) return;
  onItemsChanged(parent);
}

}  // namespace orba::controls
