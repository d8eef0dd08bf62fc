#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace orba::dispatch {

// The module menus of the main window and the option codes in each of their
// four groups. A user's right to an option is bit
//   module * 105 + group * 15 + item
// of the 200-byte rights field, so the order of the codes here is part of the
// stored format: the users module writes the same positions.
struct ModuleMenu {
  QString name;  // top-level item, e.g. "Generalledger1"
  QString designCaption;
  int position;              // in the main menu
  int module;                // the item's Tag
  int firstSubmenu;          // index of the first group submenu among its items
  QStringList quickEntries;  // option codes + "f", before the separator
  QString separator;         // "N1".."N9"; empty for the system menu
  int submenuGroupIndex;     // GroupIndex of the separator and the submenus
  std::array<QString, 4> groupNames;
  std::array<QString, 4> groupCaptions;
  std::array<QStringList, 4> groups;
};

// The ten module menus in main-menu order (positions 0 to 9).
const std::vector<ModuleMenu>& moduleMenus();

// The menu of an option code, with its group and item; false when the code
// is not an option of the module menus.
struct OptionPlace {
  int position = -1;
  int module = -1;
  int group = -1;
  int item = -1;
};
OptionPlace findOption(const QString& code);

// The bit that grants an option, as the rights field numbers it.
inline int rightsBit(int module, int group, int item) {
  return (module & 127) * 105 + (group & 127) * 15 + (item & 255);
}

}  // namespace orba::dispatch
