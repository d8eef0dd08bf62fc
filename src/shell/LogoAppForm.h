#pragma once

#include <QMainWindow>
#include <array>
#include <functional>

#include "Form.h"
#include "MenuBarMirror.h"
#include "MenuItem.h"
#include "MessageList.h"
#include "SettingsStore.h"
#include "ShellSettings.h"

class QLabel;
class QListWidget;
class QMenu;
class QStatusBar;

namespace orba::desktop {
class TWallpaper;
class TShortcutDlg;
class TPropertiesDlg;
}  // namespace orba::desktop
namespace orba::data {
class Table;
class TUserDataModule;
class TCo_DataModule;
class TGl_DataModule;
class TAr_DataModule;
class TAp_DataModule;
class TEmp_DataModule;
class TInvDataModule;
class TfrmDefaultInfo;
class TfrmSetup;
class TfrmWelcome;
}  // namespace orba::data
namespace orba::dispatch {
class TUserSecurityManager;
}

namespace orba::shell {

class TPasswordDlg;
class TCompPasswd_Frm;
class TContactUs;
class TAboutBox;

// The main window: the desktop the user keeps open. It holds the main menu,
// the wallpaper that the list panels and shortcut icons live on, the status
// bar, and the hidden lists that other parts of the program read by position.
//
// Creating it runs FormCreate: the settings are read, the wallpaper is
// loaded, the menus are hidden by the installed modules and the printer menu
// is built. No table is opened and no data module is used here. The first
// activation logs the user in and makes the desktop work (Login.cpp); every
// option runs through RunOption (OptionDispatch.cpp).
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
  QListWidget* TrackerAccounts = nullptr;
  controls::MenuItem* PopupMenu = nullptr;
  dispatch::TUserSecurityManager* UserSecurityManager1 = nullptr;

  // The desktop is saved at close only when both are set.
  bool DesktopChanged = false;
  bool SaveOnClose = true;
  // The tracker account the user opened; empty when none is.
  QString OpenTrackerAccount;

  // The windows and data modules created after this one, which the login,
  // the dispatch and the language switch work with.
  struct Peers {
    data::TUserDataModule* users = nullptr;
    data::TCo_DataModule* companies = nullptr;
    data::TGl_DataModule* ledger = nullptr;
    data::TAr_DataModule* clients = nullptr;
    data::TAp_DataModule* suppliers = nullptr;
    data::TEmp_DataModule* employees = nullptr;
    data::TInvDataModule* inventory = nullptr;
    TPasswordDlg* PasswordDlg = nullptr;
    TCompPasswd_Frm* CompPasswd_Frm = nullptr;
    TContactUs* ContactUs = nullptr;
    TAboutBox* AboutBox = nullptr;
    desktop::TShortcutDlg* ShortcutDlg = nullptr;
    desktop::TPropertiesDlg* PropertiesDlg = nullptr;
    data::TfrmDefaultInfo* frmDefaultInfo = nullptr;
    data::TfrmSetup* frmSetup = nullptr;
    data::TfrmWelcome* frmWelcome = nullptr;
  };
  void setPeers(const Peers& peers);
  const Peers& peers() const { return peers_; }

  const TShellSettings& shellSettings() const { return shell_; }
  // The raw data root of the settings, shown in the about box.
  const QString& rawDataDrive() const { return rawDataDrive_; }
  const WindowPlacement& placement() const { return placement_; }
  bool usesSavedPosition() const { return savedPosition_; }
  settings::SettingsStore& settingsStore() { return settings_; }
  controls::MenuBarMirror* menuMirror() const { return mirror_; }

  // Start-up and close.
  void ReadSettings();
  void FormShow();
  void Exit_app();
  void Quit1Click();
  void ExitApp();
  void Logout();

  // The first activation: connect the system tables, log the user in and
  // set the desktop up. Does nothing once the system database is connected.
  void FormActivate();
  void Set_up_link();
  // The caption: the title message and today's date.
  void setDateCaption();

  // Rights and the option catalogue.
  void ApplyMenuSecurity();
  // The catalogue as the rights pass and the language switch rebuild it.
  void fillCatalogue();
  // The catalogue as the Tools maintenance rebuilds it, rights heeded or not.
  void RebuildCatalogue(bool withRights);

  // Option dispatch.
  void ExecuteOption(controls::MenuItem& item);
  void RunOption(const QString& code);
  bool PayrollFilesReady();
  bool JobCostFilesReady();

  // Tools menu.
  void Load_applications();
  void ChgLang_applications();
  void ExecuteExe(controls::MenuItem& item);
  void MaintainTools();

  // Companies, printers, tracker accounts.
  void CompanyClick(controls::MenuItem& item);
  void RebuildCompanyMenu();
  void PrinterClick(controls::MenuItem& item);
  void Load_database_menu();
  void OpendataClick(controls::MenuItem& item);

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
  void setVersionPanel();

  // Restores the user's saved desktop; installed by the desktop layer.
  using DesktopRestorer = std::function<void()>;
  void setDesktopRestorer(DesktopRestorer restore) { restoreDesktop_ = std::move(restore); }

 signals:
  // After the window has written its placement on closing.
  void closed();

 public:
  void setVisible(bool visible) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void FormCreate();
  void createComponents();
  void buildPrinterMenu();
  void translateAtStartup(const QString& table);
  bool Login();
  void applyUserLanguage();
  void selectUserPrinter();
  void showSetupNotices();
  void FinishOption(const QString& code);
  void appendMenuInfo(int position, bool withRights);
  void reportModuleFailure(const QString& code, int errorNumber, const QString& reason);
  controls::MenuItem* moduleMenu(int position) const { return MainMenu->item(position); }
  // Reports a database error the way the program shows them.
  void showError(const QString& message);

  settings::SettingsStore& settings_;
  Peers peers_;
  DesktopRestorer restoreDesktop_;
  controls::MenuBarMirror* mirror_ = nullptr;
  QMenu* popup_ = nullptr;
  TShellSettings shell_;
  QString rawDataDrive_;
  WindowPlacement placement_;
  bool savedPosition_ = false;
  bool activationStarted_ = false;
};

}  // namespace orba::shell
