#pragma once

#include "Form.h"
#include "MenuBarMirror.h"
#include "MenuItem.h"
#include "MessageList.h"
#include "SettingsStore.h"
#include "ShellSettings.h"

#include <QMainWindow>
#include <array>
#include <functional>

class QLabel;
class QListWidget;
class QMenu;
class QStatusBar;

namespace orba::desktop {
class TWallpaper;
}
namespace orba::data {
class Table;
}

namespace orba::shell {

// The main window: the desktop the user keeps open. It holds the main menu,
// the wallpaper that the list panels and shortcut icons live on, the status
// bar, and the hidden lists that other parts of the program read by position.
//
// Creating it runs FormCreate: the settings are read, the wallpaper is
// loaded, the menus are hidden by the installed modules and the printer menu
// is built. No table is opened and no data module is used here.
class TLogoAppForm : public QMainWindow, public controls::Form {
  Q_OBJECT
 public:
  explicit TLogoAppForm(settings::SettingsStore& settings, QWidget* parent = nullptr);
  ~TLogoAppForm() override;

  // Components, in component order.
  controls::MenuItem* MainMenu = nullptr;
  QStatusBar* StatusBar = nullptr;
  std::array<QLabel*, 4> StatusPanels{};
  desktop::TWallpaper* Wallpaper1 = nullptr;
  controls::MessageList* Error_Messages = nullptr;
  QListWidget* PrinterListBox = nullptr;
  QListWidget* CompanyListBox = nullptr;
  controls::MenuItem* PopupMenu = nullptr;

  // The desktop is saved at close only when both are set.
  bool DesktopChanged = false;
  bool SaveOnClose = true;

  const TShellSettings& shellSettings() const { return shell_; }
  // The raw data root of the settings, shown in the about box.
  const QString& rawDataDrive() const { return rawDataDrive_; }
  const WindowPlacement& placement() const { return placement_; }
  bool usesSavedPosition() const { return savedPosition_; }
  settings::SettingsStore& settingsStore() { return settings_; }
  controls::MenuBarMirror* menuMirror() const { return mirror_; }

  // Every option item and quick entry calls this with itself; the option
  // dispatcher installs what running an option means.
  using OptionRunner = std::function<void(const QString& code)>;
  void setOptionRunner(OptionRunner runner) { optionRunner_ = std::move(runner); }

  // Handlers, named as the menu and the window know them.
  void ReadSettings();
  void FormShow();
  void Exit_app();
  void Quit1Click();
  void ExitApp();
  void ExecuteOption(controls::MenuItem& item);
  void PrinterClick(controls::MenuItem& item);

  // Translates this window from a language table ("MainMenu" + code).
  // Throws DatabaseError when the table cannot be opened.
  void translate(const QString& table);
  // The international (non-Canadian) English wording of six menu entries,
  // when the settings ask for it and the language is not French.
  void Internationalize();

  // The language menu, one item per row of the languages table in key order.
  void Load_language_menu();
  // Switches every window that follows the language to the clicked item's.
  void English1Click(controls::MenuItem& item);

  // What the language switch needs from the rest of the program: the
  // languages table, the windows translated with this one, and the rebuild
  // of the option catalogue.
  struct LanguageFollowers {
    data::Table* languages = nullptr;
    std::vector<std::pair<QObject*, controls::Form*>> windows;  // contact window, about box
    std::function<void()> rebuildCatalogue;
    std::function<void()> renameTools;
  };
  void setLanguageFollowers(LanguageFollowers followers) { followers_ = std::move(followers); }
  void setVersionPanel();

 signals:
  // After the window has written its placement on closing.
  void closed();

 public:
  void setVisible(bool visible) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();
  void createComponents();
  void buildPrinterMenu();
  QString defaultErrorMessage(int index) const;

  void translateAtStartup(const QString& table);

  settings::SettingsStore& settings_;
  LanguageFollowers followers_;
  OptionRunner optionRunner_;
  controls::MenuBarMirror* mirror_ = nullptr;
  QMenu* popup_ = nullptr;
  TShellSettings shell_;
  QString rawDataDrive_;
  WindowPlacement placement_;
  bool savedPosition_ = false;
};

}  // namespace orba::shell
