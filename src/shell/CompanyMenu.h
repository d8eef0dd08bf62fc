#pragma once

#include <functional>
#include <vector>

#include "CompanySwitch.h"

class QListWidget;

namespace orba::controls {
class ComponentList;
class MenuItem;
}  // namespace orba::controls

namespace orba::shell {

class TCompPasswd_Frm;

// The company menu (Options > Company): one item per company, the current
// one checked, and the hidden list of the companies' numbers in the same
// order, by which a clicked item finds its company (two companies may share
// a name, never a number).
class CompanyMenu {
 public:
  // REQUIRES: everything passed outlives this object. `switched` runs after
  // the desktop moved to another company.
  CompanyMenu(controls::MenuItem* menu, QListWidget* numbers, controls::ComponentList& owner,
              CompanySwitch& companies, TCompPasswd_Frm& password, std::function<void()> switched);

  // Lists the companies, checks the one at `current`.
  void fill(const std::vector<Company>& companies, int current);
  // Lists the companies again from the table (after company maintenance)
  // and checks the current company of the link record.
  void rebuild(const QString& currentNumber, const QString& currentName);
  // CompanyClick: moves the desktop to the clicked item's company, after
  // its password when it has one and is not the user's own. Throws
  // DatabaseError when its folder cannot be connected.
  void choose(controls::MenuItem& item);

 private:
  void list(const std::vector<Company>& companies);

  controls::MenuItem* menu_;
  QListWidget* numbers_;
  controls::ComponentList& owner_;
  CompanySwitch& companies_;
  TCompPasswd_Frm& password_;
  std::function<void()> switched_;
};

}  // namespace orba::shell
