#pragma once

class QListWidget;

namespace orba::controls {
class ComponentList;
class MenuItem;
}  // namespace orba::controls
namespace orba::data {
class Table;
}
namespace orba::dispatch {
class ModuleRunner;
}

namespace orba::shell {

// The tracker menu's "Open" submenu: one item per tracker account of the
// company, and the hidden list of their numbers in the same order. Choosing
// an item opens that account for the tracker options.
class TrackerMenu {
 public:
  // REQUIRES: everything passed outlives this object.
  TrackerMenu(controls::MenuItem* openMenu, QListWidget* numbers, controls::ComponentList& owner,
              data::Table& accounts, dispatch::ModuleRunner& runner);

  // Load_database_menu: lists the company's accounts (creating the table
  // when the company has none); no account is open afterwards. Throws
  // DatabaseError.
  void load();
  // OpendataClick.
  void open(controls::MenuItem& item);

 private:
  controls::MenuItem* menu_;
  QListWidget* numbers_;
  controls::ComponentList& owner_;
  data::Table& accounts_;
  dispatch::ModuleRunner& runner_;
};

}  // namespace orba::shell
