#pragma once

#include <functional>

#include "MenuItem.h"

namespace orba::shell {

// Builds the main window's menu tree `MainMenu`: the ten module menus from
// the rights map (quick entries, separator, four group submenus, one item per
// option), then Settings, Tools, Help and Quit.
//
// Every option item and quick entry is given `onOption` as its click
// handler; the caller attaches the handlers of the other items by name.
controls::MenuItem* buildMainMenu(const controls::MenuItem::ClickHandler& onOption);

}  // namespace orba::shell
