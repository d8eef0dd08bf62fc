#include "ToolsMenu.h"

#include <QDir>
#include <QProcess>

#include "ComponentList.h"
#include "LinkRecord.h"
#include "MenuItem.h"
#include "MenuSecurity.h"
#include "ToolProgram.h"

namespace orba::shell {

using controls::MenuItem;
using Field = dispatch::LinkRecord::Field;

ToolsMenu::ToolsMenu(MenuItem* tools, MenuItem* mainMenu, controls::ComponentList& owner,
                     data::Table& applications, dispatch::LinkRecord& link, Handlers handlers)
    : tools_(tools),
      mainMenu_(mainMenu),
      owner_(owner),
      applications_(applications),
      link_(link),
      handlers_(std::move(handlers)) {}

void ToolsMenu::load() {
  for (MenuItem* old : tools_->items()) owner_.remove(old);
  tools_->clear();
  const int language = link_.language();
  for (const dispatch::Application& tool : applications_.load(link_.get(Field::DataDir))) {
    auto* item = new MenuItem(tool.program, tool.caption(language));
    item->setHint(tool.hint(language));
    if (!tool.isModule)
      item->setOnClick([this](MenuItem& clicked) { startProgram(clicked); });
    else if (tool.program == QLatin1String("mtools"))
      item->setOnClick([this](MenuItem&) { handlers_.maintain(); });
    else
      item->setOnClick(handlers_.runOption);
    // A module runs like the option it names, so it needs that option's
    // right; the right the row borrows can only add to it, never stand in
    // for it (an empty security field does not open Users and rights).
    bool enabled = true;
    if (tool.isModule)
      if (const std::optional<bool> own = optionRight(tool.program)) enabled = *own;
    if (const std::optional<bool> right = dispatch::borrowedRight(mainMenu_, tool.security))
      enabled = enabled && *right;
    item->setEnabled(enabled);
    tools_->insert(-1, item);
    owner_.own(item);
  }
}

std::optional<bool> ToolsMenu::optionRight(const QString& code) const {
  // Any menu entry of the program named by the code, the Tools menu's own
  // entries aside.
  std::optional<bool> right;
  mainMenu_->forEach([&](MenuItem& entry) {
    if (!right && entry.name() == code && entry.count() == 0 && entry.parentItem() != tools_ &&
        &entry != tools_)
      right = entry.isEnabled();
  });
  return right;
}

void ToolsMenu::retranslate() {
  if (tools_->count() == 0) return;
  const int language = link_.language();
  const std::vector<dispatch::Application> rows = applications_.read();
  for (int k = 0; k < tools_->count() && k < static_cast<int>(rows.size()); ++k) {
    tools_->item(k)->setCaption(rows[static_cast<std::size_t>(k)].caption(language));
    tools_->item(k)->setHint(rows[static_cast<std::size_t>(k)].hint(language));
  }
}

void ToolsMenu::startProgram(MenuItem& item) {
  const QString programDir = link_.get(Field::ProgramDir);
  QString directory = applications_.directoryOf(item.name());
  // A relative working folder is the program folder's.
  if (!directory.isEmpty() && QDir::isRelativePath(directory))
    directory = QDir(programDir).filePath(directory);
  if (!directory.isEmpty() && !QDir(directory).exists()) {
    handlers_.error(handlers_.message(dispatch::ErrorMessage::ToolFolderMissing).arg(directory));
    return;
  }
  const QString program =
      dispatch::findToolProgram(item.name(), directory, programDir, qEnvironmentVariable("PATH"));
  if (program.isEmpty()) {
    handlers_.error(handlers_.message(dispatch::ErrorMessage::ToolProgramNotFound)
                        .arg(item.name(), directory.isEmpty() ? programDir : directory + ", " + programDir));
    return;
  }
  QProcess process;
  process.setProgram(program);
  process.setWorkingDirectory(directory);
  if (!process.startDetached())
    handlers_.error(
        handlers_.message(dispatch::ErrorMessage::ToolProgramNotStarted).arg(program, process.errorString()));
}

}  // namespace orba::shell
