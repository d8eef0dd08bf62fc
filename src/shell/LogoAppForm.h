#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "AppContext.h"
#include "ErrorMessages.h"
#include "Form.h"
#include "MenuItem.h"
#include "MessageList.h"
#include "ModuleLoader.h"
#include "SettingsStore.h"
#include "ShellSettings.h"

class QLabel;
class QListWidget;
class QMenu;
class QStatusBar;

namespace orba::controls {
class MenuBarMirror;
class WrappingMenuBar;
}  // namespace orba::controls
namespace orba::desktop {
class TPictureDlg;
class TWallpaper;
}  // namespace orba::desktop
namespace orba::data {
class DatabaseError;
}
namespace orba::localization {
class ErrorTexts;
}
namespace orba::dispatch {
class ModuleRunner;
class TUserSecurityManager;
struct Notice;
struct RunReport;
}  // namespace orba::dispatch

namespace orba::shell {

class CompanyMenu;
class CompanySwitch;
class DesktopPanels;
class DesktopStore;
class ShortcutIcons;
class SystemCaptions;
class LanguageMenu;
class LoginSession;
class PrinterMenu;
class QtTranslations;
class ToolsMenu;
class TrackerMenu;

// The main window: the desktop the user keeps open. It holds the main menu,
// the wallpaper that the list panels and shortcut icons live on, the status
// bar, and the hidden lists that other parts of the program read by position.
//
// The window shows and applies; the work is done elsewhere: the login's data
// steps by LoginSession, a company switch by CompanySwitch, every option by
// the ModuleRunner, the menus built from tables by their own classes
// (CompanyMenu, TrackerMenu, ToolsMenu, LanguageMenu, PrinterMenu). No table
// is opened in the window's own files.
//
// Creating it runs FormCreate: the settings are read, the wallpaper is
// loaded, the menus are hidden by the installed modules and the printer menu
// is built. attach() then wires it to the other windows and data modules;
// the first activation logs the user in (FirstActivation.cpp).
class TLogoAppForm : public QMainWindow, public controls::Form {
  Q_OBJECT
 public:
  explicit TLogoAppForm(settings::SettingsStore& settings, QWidget* parent = nullptr);
  ~TLogoAppForm() override;

  // Components, in component order. Created with the window, never replaced.
  controls::MenuItem* MainMenu = nullptr;
  QStatusBar* StatusBar = nullptr;
  std::array<QLabel*, 4> StatusPanels{};
  desktop::TWallpaper* Wallpaper1 = nullptr;
  controls::MessageList* Error_Messages = nullptr;
  // What the desktop says of a module's run, by dispatch::ModuleMessage.
  controls::MessageList* Module_Messages = nullptr;
  // What the first start says of a data folder it cannot use
  // (DataFolderCheck.cpp).
  controls::MessageList* Folder_Messages = nullptr;
  QListWidget* PrinterListBox = nullptr;
  QListWidget* CompanyListBox = nullptr;
  QListWidget* TrackerAccounts = nullptr;
  controls::MenuItem* PopupMenu = nullptr;
  dispatch::TUserSecurityManager* UserSecurityManager1 = nullptr;
  desktop::TPictureDlg* PictureDlg = nullptr;

  // Wires the window to the other windows and data modules of the run;
  // start-up calls it once, before the window is shown.
  void attach(const AppContext& context);
  const AppContext& context() const { return context_; }

  // The desktop is saved at close only when both hold. The desktop changed
  // since it was restored (or the standard desktop was chosen at login);
  // closing may save it (cleared by a failed login).
  bool desktopChanged() const { return desktopChanged_; }
  bool saveOnClose() const { return saveOnClose_; }

  const TShellSettings& shellSettings() const { return shell_; }
  // The raw data root of the settings, shown in the about box.
  const QString& rawDataDrive() const { return rawDataDrive_; }
  const WindowPlacement& placement() const { return placement_; }
  bool usesSavedPosition() const { return savedPosition_; }
  controls::MenuBarMirror* menuMirror() const { return mirror_; }
  controls::WrappingMenuBar* menuBarWidget() const { return bar_; }
  dispatch::ModuleRunner& runner() { return *runner_; }
  // A message of the window's list in the current language.
  QString message(dispatch::ErrorMessage message) const;
  // An error of the tables in the user's words, with its detail after.
  QString describe(const data::DatabaseError& error) const;

  // Start-up and close.
  void ReadSettings();
  // Takes the saved placement (and maximised state) on this screen.
  void FormShow();
  // Brings the whole window, frame included, onto the screen it is on: a
  // placement saved on a larger screen is moved, and made smaller only
  // where it does not fit.
  void fitOnScreen();
  // Stores the desktop and the window's placement; false when the user chose
  // to stay after the desktop could not be stored.
  bool Exit_app();
  void Quit1Click();

  // The first activation: connect the system tables, log the user in and
  // set the desktop up. Once only, even when a step fails.
  void FormActivate();
  // The caption: the title message and today's date.
  void setDateCaption();

  // Rights and the option catalogue.
  void ApplyMenuSecurity();
  // The catalogue as the rights pass and the language switch rebuild it.
  void fillCatalogue();
  // The catalogue as the Tools maintenance rebuilds it, rights heeded or not.
  void RebuildCatalogue(bool withRights);

  // Options: every way of starting a module ends in RunOption.
  void ExecuteOption(controls::MenuItem& item);
  // `context` goes to the module in OptionContext for this run (the Insert
  // key's dispatch::kNewRecordContext).
  void RunOption(const QString& code, const QString& context = QString());
  void MaintainTools();

  // Menus built from tables.
  void Load_applications();
  void ChgLang_applications();
  void RebuildCompanyMenu();
  void Load_database_menu();
  void Load_language_menu();

  // Translates this window from a language table ("MainMenu" + code).
  // Throws DatabaseError when the table cannot be opened.
  void translate(const QString& table);
  // Qt's own texts (file dialogs, standard buttons, context menus) in the
  // language of this code.
  void translateQt(const QString& languageCode);
  const QtTranslations& qtTranslations() const { return *qtTexts_; }
  // The international (non-Canadian) English wording of six menu entries,
  // when the settings ask for it and the language is not French.
  void Internationalize();
  // Switches every window that follows the language to the clicked item's.
  void English1Click(controls::MenuItem& item);
  void setVersionPanel();

  // A company's set-up (CompanySetup.cpp). System > Setup Wizard: the
  // wizard for the current company, for a user with the right to Parameters
  // maintenance.
  void Setupwizard1Click();
  // After a login or a company switch: a company whose set-up was never
  // completed is offered the wizard, when the user may run it.
  void offerCompanySetup();

  // Settings > Desktop > Change properties: a new wallpaper picture chosen
  // in the picture dialog; one that cannot be read keeps the old one.
  void Changeproperties1Click();

  // The desktop: its list panels and shortcut icons, and the user's stored
  // desktop (DesktopStore).
  DesktopPanels& panels() { return *panels_; }
  ShortcutIcons& icons() { return *icons_; }
  // The panels', columns' and panel icons' texts in the current language.
  SystemCaptions& systemCaptions() { return *captions_; }
  // Rebuilds the user's stored desktop, then sets up what follows from the
  // user and the settings (menus of the installed modules, the icons'
  // context menu, the version, the option catalogue).
  void Set_Desktop();
  // Replaces the user's stored desktop by this one. When that fails the
  // user may try again or quit without saving (true), or stay (false).
  bool Save_Desktop();
  // The desktop's context menu: on an icon, or on the wallpaper itself.
  void Properties1Click();
  void Shortcut1Click();
  void DeleteShortCutClick();
  // The to-do list's "Print the list": on the chosen printer, or why not.
  void PrintThingsToDoClick();
  // The component the desktop's context menu was last opened on.
  QObject* popupComponent() const;

 signals:
  // After the window has written its placement on closing.
  void closed();

 public:
  void setVisible(bool visible) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  class RunnerView;

  void FormCreate();
  void createComponents();
  controls::MessageList* createFolderMessages();
  // Makes a new installation's data folder; false, after telling the user
  // which folder and setting are at fault and what to do, when there is
  // none to use.
  bool checkDataFolder();
  void translateAtStartup(const QString& table);
  // The steps of the first activation that show something (FirstActivation.cpp).
  bool Login();
  // Runs a step the login can do without: its failure is told, and the
  // login goes on.
  void carryOn(const std::function<void()>& step);
  void applyUserLanguage();
  void Set_up_link();
  void selectUserPrinter();
  void showSetupNotices();
  void showWelcome();
  // The wizard for a company (CompanySetup.cpp): at the first start it
  // cannot be left but by Close; offered or chosen, it starts from what the
  // company holds and may be cancelled. True when it saved. Throws
  // DatabaseError when the company's control record cannot be read.
  enum class WizardRun { FirstStart, Offered, Chosen };
  bool runSetupWizard(const QString& companyDir, const QString& companyName, WizardRun run);
  bool askToCompleteSetup(const QString& companyName);
  bool maySetUpCompany() const;
  // The System menu's wizard entry follows the user's rights.
  void followSetupRight();
  void showPrinterInStatus();
  // What follows the restore whether or not the stored desktop was used.
  void setUpAfterRestore();
  // The standard desktop's six list icons, in the user's language, for a
  // user who has no desktop of their own yet or asked for the standard one;
  // stored for the user at close.
  void restoreStandardIcons();
  void createDesktop();
  // What an option's run tells the user and asks the desktop to redo.
  void apply(const dispatch::RunReport& report);
  void showNotice(const dispatch::Notice& notice);
  // Reports a database error the way the program shows them.
  void showError(const QString& message);

  settings::SettingsStore& settings_;
  AppContext context_;
  TShellSettings shell_;
  QString rawDataDrive_;
  WindowPlacement placement_;
  bool savedPosition_ = false;
  bool activationStarted_ = false;
  // The window was fitted on its screen once its frame was known.
  bool fittedWithFrame_ = false;
  bool desktopChanged_ = false;
  bool saveOnClose_ = true;
  // The desktop on screen is the logged-in user's own (the login got as far
  // as restoring it): only then may closing store it.
  bool desktopOwned_ = false;

  controls::WrappingMenuBar* bar_ = nullptr;
  controls::MenuBarMirror* mirror_ = nullptr;
  QMenu* popup_ = nullptr;

  dispatch::LibraryModuleLoader loader_;
  std::unique_ptr<RunnerView> runnerView_;
  std::unique_ptr<dispatch::ModuleRunner> runner_;
  std::unique_ptr<PrinterMenu> printerMenu_;
  std::unique_ptr<LoginSession> session_;
  std::unique_ptr<CompanySwitch> companySwitch_;
  std::unique_ptr<CompanyMenu> companyMenu_;
  std::unique_ptr<TrackerMenu> trackerMenu_;
  std::unique_ptr<ToolsMenu> toolsMenu_;
  std::unique_ptr<LanguageMenu> languageMenu_;
  std::unique_ptr<DesktopPanels> panels_;
  std::unique_ptr<ShortcutIcons> icons_;
  std::unique_ptr<DesktopStore> store_;
  std::unique_ptr<SystemCaptions> captions_;
  localization::ErrorTexts* errorTexts_ = nullptr;
  std::unique_ptr<QtTranslations> qtTexts_;
};

}  // namespace orba::shell
