#pragma once

#include <QString>
#include <functional>

class QListWidget;

namespace orba::controls {
class MenuItem;
}
namespace orba::dispatch {
class LinkRecord;
}

namespace orba::shell {

// The printer menu (Options > Printer): the system's printers, the current
// one checked; its position is the link record's PrinterIndex, which modules
// print by.
class PrinterMenu {
 public:
  // REQUIRES: everything passed outlives this object. `changed` runs after
  // the user chose another printer.
  PrinterMenu(controls::MenuItem* menu, QListWidget* names, dispatch::LinkRecord& link,
              std::function<void()> changed);

  // Lists the printers and makes the system's current one the link's.
  void build();
  // Makes the printer at `index` current (the login's user printer).
  void select(int index);
  // PrinterClick.
  void choose(controls::MenuItem& item);
  // The caption of the current printer's item; empty without printers.
  QString currentCaption() const;

 private:
  controls::MenuItem* menu_;
  QListWidget* names_;
  dispatch::LinkRecord& link_;
  std::function<void()> changed_;
};

}  // namespace orba::shell
