#pragma once

#include <QObject>
#include <unordered_map>

#include "MenuItem.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace orba::controls {

// Shows a menu tree on a QMenuBar (or a pop-up QMenu) and keeps it up to
// date: an item with
// children becomes a QMenu, any other item a QAction whose trigger clicks the
// item. Changes of caption, state or children show at once.
class MenuBarMirror : public QObject {
  Q_OBJECT
 public:
  MenuBarMirror(MenuItem* root, QWidget* bar, QObject* parent = nullptr);

  QAction* actionFor(MenuItem* item) const;
  QMenu* menuFor(MenuItem* item) const;

 private slots:
  void onChanged(orba::controls::MenuItem* item);
  void onItemsChanged(orba::controls::MenuItem* item);

 private:
  void populate(QWidget* container, MenuItem* parent);
  void clearContainer(QWidget* container);
  // Drops an action (and, for a submenu, everything in it) from the maps.
  void forget(QAction* action);
  void applyState(MenuItem* item, QAction* action);
  void watch(MenuItem* item);

  MenuItem* root_;
  QWidget* bar_;
  std::unordered_map<MenuItem*, QAction*> actions_;
  std::unordered_map<MenuItem*, QMenu*> menus_;
};

}  // namespace orba::controls
