#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "Applications.h"
#include "ErrorMessages.h"

namespace orba::controls {
class ComponentList;
class MenuItem;
}  // namespace orba::controls
namespace orba::dispatch {
class LinkRecord;
}

namespace orba::shell {

// The Tools menu, built from the applications table at each login: an
// external program starts as a process of its own, a module library runs
// like an option, and "mtools" maintains the menu itself. Each tool borrows
// the right of the option its row names.
class ToolsMenu {
 public:
  struct Handlers {
    std::function<void(controls::MenuItem&)> runOption;      // a module library
    std::function<void()> maintain;                          // "mtools"
    std::function<void(const QString& message)> error;       // a program that cannot start
    std::function<QString(dispatch::ErrorMessage)> message;  // the window's messages, translated
  };
  // REQUIRES: everything passed outlives this object.
  ToolsMenu(controls::MenuItem* tools, controls::MenuItem* mainMenu, controls::ComponentList& owner,
            data::Table& applications, dispatch::LinkRecord& link, Handlers handlers);

  // Load_applications: after the rights are applied to the main menu.
  // Throws DatabaseError.
  void load();
  // ChgLang_applications: captions and hints in the current language, row k
  // to item k.
  void retranslate();
  // ExecuteExe: starts the item's program in the folder its row names,
  // without changing the desktop's own folder. The program is looked for in
  // that folder, then the program folder, then along the PATH, never in the
  // current folder (findToolProgram); what stops it is said.
  void startProgram(controls::MenuItem& item);

 private:
  // Whether the user may run the option of the main menu named `code`; none
  // when no entry outside the Tools menu has that name.
  std::optional<bool> optionRight(const QString& code) const;

  controls::MenuItem* tools_;
  controls::MenuItem* mainMenu_;
  controls::ComponentList& owner_;
  dispatch::ApplicationsTable applications_;
  dispatch::LinkRecord& link_;
  Handlers handlers_;
};

}  // namespace orba::shell
