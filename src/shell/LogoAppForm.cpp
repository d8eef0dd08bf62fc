#include "LogoAppForm.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>

#include "CompanyMenu.h"
#include "CompanySwitch.h"
#include "DataModules.h"
#include "DatabaseError.h"
#include "DatabaseSession.h"
#include "DesktopDialogs.h"
#include "DesktopPanels.h"
#include "DesktopStore.h"
#include "ErrorTexts.h"
#include "LanguageMenu.h"
#include "LinkRecord.h"
#include "LoginSession.h"
#include "MainMenuBuilder.h"
#include "MenuBarMirror.h"
#include "Messages.h"
#include "ModuleRunner.h"
#include "PictureDialog.h"
#include "PrinterMenu.h"
#include "QtTranslations.h"
#include "RightsMap.h"
#include "SetCaptions.h"
#include "ShortcutIcons.h"
#include "SmallWindows.h"
#include "SystemCaptions.h"
#include "ToolsMenu.h"
#include "TrackerMenu.h"
#include "UserSecurityManager.h"
#include "WaitCursor.h"
#include "Wallpaper.h"
#include "WindowFit.h"
#include "WrappingMenuBar.h"

namespace orba::shell {

using controls::MenuItem;
using dispatch::ErrorMessage;
using dispatch::LinkRecord;

namespace {

LinkRecord& link() { return LinkRecord::instance(); }

const QString kVersionPrefix = QStringLiteral("Version ");

// A status bar panel of a set width, which gives way when the window is
// narrower than all the panels together; one that keeps its text gives way
// no further than the text.
class StatusPanel : public QLabel {
 public:
  StatusPanel(int width, bool keepsText, QWidget* parent)
      : QLabel(parent), width_(width), keepsText_(keepsText) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  }
  QSize sizeHint() const override { return {width_, QLabel::sizeHint().height()}; }
  QSize minimumSizeHint() const override {
    return {keepsText_ ? QLabel::sizeHint().width() : 0, QLabel::minimumSizeHint().height()};
  }

 private:
  int width_;
  bool keepsText_;
};

// The messages in English until a language table replaces them.
const QStringList& designMessages() {
  static const QStringList lines = {
      QStringLiteral("The picture could not be loaded."),                         // 0
      QStringLiteral("A shortcut for this option already exists."),               // 1
      QString(),                                                                  // 2
      QStringLiteral(" (General ledger)"),                                        // 3
      QStringLiteral(" (Accounts receivable)"),                                   // 4
      QStringLiteral(" (Accounts payable)"),                                      // 5
      QStringLiteral(" (Invoicing)"),                                             // 6
      QStringLiteral(" (System)"),                                                // 7
      QStringLiteral(" (Inventory)"),                                             // 8
      QStringLiteral(" (Purchase orders)"),                                       // 9
      QStringLiteral(" (Payroll)"),                                               // 10
      QStringLiteral(" (Tracker)"),                                               // 11
      QStringLiteral(" (Job cost)"),                                              // 12
      QStringLiteral("Please open a tracker account first."),                     // 13
      QStringLiteral("A library needed by the payroll module is missing."),       // 14
      QStringLiteral("The payroll files of this company are not set up."),        // 15
      QStringLiteral("Castellan/Orba"),                                           // 16
      QStringLiteral("You are not allowed to run this option."),                  // 17
      QString(),                                                                  // 18
      QStringLiteral("The job-cost files of this company are not set up."),       // 19
      QStringLiteral("The settings file %1 %2. The default settings are used."),  // 20
      QStringLiteral("is not a file (%1)"),                                       // 21
      QStringLiteral("cannot be read (%1)"),                                      // 22
      QStringLiteral("is larger than 1 MB"),                                      // 23
      QStringLiteral("is empty"),                                                 // 24
      QStringLiteral("holds binary data, not settings"),                          // 25
      QStringLiteral("is UTF-16 text; settings files are UTF-8"),                 // 26
      QStringLiteral("is not UTF-8 text"),                                        // 27
      QStringLiteral("has no [Orba] or [Settings] section"),                      // 28
      QStringLiteral("Part of the stored desktop of %1 could not be restored and was skipped; the rest "
                     "was restored:"),                       // 29
      QStringLiteral("The desktop could not be saved: %1"),  // 30
      QStringLiteral("kind %1, index %2: %3"),               // 31
      QStringLiteral(
          "No company was created. Castellan/Orba needs one to start: start it again to create the "
          "first company."),                                                 // 32
      QStringLiteral("The working folder %1 of this tool does not exist."),  // 33
      QStringLiteral("The program %1 was not found (looked for in %2)."),    // 34
      QStringLiteral("The program %1 could not be started: %2"),             // 35
      QStringLiteral("&Retry"),                                              // 36
      QStringLiteral("&Quit without saving"),                                // 37
      QStringLiteral("Cancel"),                                              // 38
      QStringLiteral("No printer is set up, so the list cannot be printed. Add a printer in the system's "
                     "printer settings."),                     // 39
      QStringLiteral("The list could not be printed on %1."),  // 40
  };
  return lines;
}

}  // namespace

// While a module runs: the hourglass while it loads, a repaint before the
// call (the menu that was open is gone before the module's window comes up)
// and after the unload.
class TLogoAppForm::RunnerView : public dispatch::ModuleRunner::Observer {
 public:
  explicit RunnerView(TLogoAppForm& window) : window_(window) {}
  void loadingStarted() override { wait_.emplace(); }
  void loadingFinished() override { wait_.reset(); }
  void moduleStarting() override { window_.repaint(); }
  void moduleFinished() override { window_.repaint(); }

 private:
  TLogoAppForm& window_;
  std::optional<WaitCursor> wait_;
};

TLogoAppForm::TLogoAppForm(settings::SettingsStore& settings, QWidget* parent)
    : QMainWindow(parent), settings_(settings) {
  setObjectName(QStringLiteral("LogoAppForm"));
  setWindowTitle(QStringLiteral("Castellan/Orba"));
  setPalette(QPalette(Qt::white));
  resize(750, 520);
  move(20, 27);
  // The sentences errors are told with follow the window's language, and
  // so do Qt's own texts.
  errorTexts_ = new localization::ErrorTexts(this);
  qtTexts_ = std::make_unique<QtTranslations>();
  createComponents();
  FormCreate();
}

TLogoAppForm::~TLogoAppForm() = default;

void TLogoAppForm::createComponents() {
  MainMenu = components_.own(buildMainMenu([this](MenuItem& item) { ExecuteOption(item); }));
  MainMenu->setParent(this);
  MainMenu->forEach([this](MenuItem& item) {
    if (&item != MainMenu) components_.own(&item);
  });
  MainMenu->find(QStringLiteral("Quit1"))->setOnClick([this](MenuItem&) { Quit1Click(); });
  MainMenu->find(QStringLiteral("Setupwizard1"))->setOnClick([this](MenuItem&) { Setupwizard1Click(); });
  // No option may run before the rights of a logged-in user are applied,
  // not even when the login sequence stops half-way.
  for (const dispatch::ModuleMenu& module : dispatch::moduleMenus()) {
    MenuItem* top = MainMenu->item(module.position);
    for (int i = 0; i < top->count(); ++i) {
      MenuItem* child = top->item(i);
      if (i >= module.firstSubmenu)
        for (MenuItem* option : child->items()) option->setEnabled(false);
      else if (module.quickEntries.contains(child->name()))
        child->setEnabled(false);
    }
  }
  bar_ = new controls::WrappingMenuBar(this);
  setMenuWidget(bar_);
  mirror_ = new controls::MenuBarMirror(MainMenu, bar_, this);

  StatusBar = components_.own(new QStatusBar(this));
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  const int widths[4] = {250, 275, 100, 150};
  for (int i = 0; i < 4; ++i) {
    // The version stands at the right end, whatever the window's width.
    StatusPanels[i] = new StatusPanel(widths[i], i == 3, StatusBar);
    if (i == 3)
      StatusBar->addPermanentWidget(StatusPanels[i]);
    else
      StatusBar->addWidget(StatusPanels[i]);
  }
  StatusPanels[3]->setText(kVersionPrefix);
  setStatusBar(StatusBar);
  StatusBar->hide();

  Wallpaper1 = components_.own(new desktop::TWallpaper(this));
  Wallpaper1->setObjectName(QStringLiteral("Wallpaper1"));
  // Filling the window's client area, with the desktop's context menu.
  Wallpaper1->align = desktop::TAlign::alClient;
  Wallpaper1->popupMenuName = QStringLiteral("PopupMenu");
  Wallpaper1->tabOrder = 0;
  setCentralWidget(Wallpaper1);

  Error_Messages =
      components_.own(new controls::MessageList(QStringLiteral("Error_Messages"), designMessages(), this));
  Module_Messages = components_.own(new controls::MessageList(
      QStringLiteral("Module_Messages"), {dispatch::kAccessDenied, dispatch::kModuleFailed}, this));
  Folder_Messages = components_.own(createFolderMessages());

  PrinterListBox = components_.own(new QListWidget(Wallpaper1));
  PrinterListBox->setObjectName(QStringLiteral("PrinterListBox"));
  PrinterListBox->hide();
  CompanyListBox = components_.own(new QListWidget(Wallpaper1));
  CompanyListBox->setObjectName(QStringLiteral("CompanyListBox"));
  CompanyListBox->hide();
  TrackerAccounts = components_.own(new QListWidget(Wallpaper1));
  TrackerAccounts->setObjectName(QStringLiteral("TrackerAccounts"));
  TrackerAccounts->hide();
  // The list panels with their buttons, grids and to-do text, in the
  // window's component order.
  panels_ = std::make_unique<DesktopPanels>(Wallpaper1, components_);
  UserSecurityManager1 =
      components_.own(new dispatch::TUserSecurityManager(QStringLiteral("UserSecurityManager1"), this));
  PictureDlg = components_.own(new desktop::TPictureDlg(this));
  MainMenu->find(QStringLiteral("Changeproperties1"))->setOnClick([this](MenuItem&) {
    Changeproperties1Click();
  });

  // The desktop's context menu, on the wallpaper and on every shortcut icon.
  PopupMenu = components_.own(new MenuItem(QStringLiteral("PopupMenu")));
  PopupMenu->setParent(this);
  components_.own(PopupMenu->add(QStringLiteral("Properties6"), QStringLiteral("Propriétés")));
  components_.own(PopupMenu->add(QStringLiteral("Shortcut6"), QStringLiteral("Raccourci")));
  components_.own(PopupMenu->add(QStringLiteral("DeleteShortcut4"), QStringLiteral("Détruire raccourci")));
  popup_ = new QMenu(this);
  popup_->setObjectName(QStringLiteral("PopupMenuShown"));
  new controls::MenuBarMirror(PopupMenu, popup_, this);
  PopupMenu->find(QStringLiteral("Properties6"))->setOnClick([this](MenuItem&) { Properties1Click(); });
  PopupMenu->find(QStringLiteral("Shortcut6"))->setOnClick([this](MenuItem&) { Shortcut1Click(); });
  PopupMenu->find(QStringLiteral("DeleteShortcut4"))->setOnClick([this](MenuItem&) {
    DeleteShortCutClick();
  });
  MainMenu->find(QStringLiteral("Addshortcut1"))->setOnClick([this](MenuItem&) { Shortcut1Click(); });
  createDesktop();

  runnerView_ = std::make_unique<RunnerView>(*this);
  runner_ = std::make_unique<dispatch::ModuleRunner>(link(), loader_);
  runner_->setObserver(runnerView_.get());
  printerMenu_ = std::make_unique<PrinterMenu>(MainMenu->find(QStringLiteral("Selectprinter1")),
                                               PrinterListBox, link(), [this] { showPrinterInStatus(); });
}

void TLogoAppForm::FormCreate() {
  if (QScreen* screen = QGuiApplication::primaryScreen(); screen && screen->geometry().width() == 640)
    setWindowState(windowState() | Qt::WindowMaximized);

  link().set(LinkRecord::Field::OptionContext, QString());
  ReadSettings();
  const QString picture = WallpaperPath(link().get(LinkRecord::Field::ProgramDir));
  if (!Wallpaper1->loadFromFile(picture))
    controls::Messages::show(message(ErrorMessage::PictureNotLoaded), this);

  if (!shell_.trackerInstalled()) MainMenu->find(QStringLiteral("Tracker1"))->setVisible(false);
  if (!shell_.jobCostInstalled()) {
    MainMenu->find(QStringLiteral("Jobcost1"))->setVisible(false);
    MainMenu->find(QStringLiteral("ar16"))->setVisible(false);
  }

  translateAtStartup(QStringLiteral("MainMenu") + link().languageCode());
  printerMenu_->build();
  Wallpaper1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Wallpaper1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    popup_->setProperty("popupComponent", QVariant::fromValue<QObject*>(Wallpaper1));
    popup_->popup(Wallpaper1->mapToGlobal(at));
  });

  savedPosition_ = placement_.useSavedPosition();
}

void TLogoAppForm::ReadSettings() {
  const SettingsReading reading = readShellSettings(settings_);
  shell_ = reading.shell;
  applySettingsToLink(reading, link());
  localization::setProgramDirectory(reading.programDir);
  // Translated first, so that the settings' problems are told in the
  // language they give; but told before anything that follows from the
  // defaults, a language table not found among them.
  QString translationError;
  if (reading.language == 1 || reading.language == 2) {
    translateQt(reading.languageCode);
    try {
      translate(QStringLiteral("MainMenu") + reading.languageCode);
    } catch (const data::DatabaseError& e) {
      translationError = describe(e);
    }
  }
  for (const settings::SettingsProblem& problem : settings_.problems()) {
    QString what = Error_Messages->line(dispatch::lineOf(ErrorMessage::SettingsProblemFirst) +
                                        static_cast<int>(problem.kind));
    if (what.contains(QLatin1String("%1"))) what = what.arg(problem.detail);
    controls::Messages::error(message(ErrorMessage::SettingsUnusable).arg(problem.file, what), this);
  }
  if (!translationError.isEmpty()) controls::Messages::error(translationError, this);
  rawDataDrive_ = reading.rawDataDrive;
  data::Table::setLockWait(std::chrono::seconds(reading.lockWaitSeconds));
  session::setSharedLockDirectory(reading.rawDataDrive.toStdString());
  placement_ = WindowPlacement::parse(shell_.Form);
  runner_->setPayrollInstalled(shell_.payrollInstalled());
  Internationalize();
}

void TLogoAppForm::attach(const AppContext& context) {
  context_ = context;
  data::TUserDataModule& users = *context.UserDataModule;
  data::TCo_DataModule& companies = *context.Co_DataModule;
  UserSecurityManager1->setDataSource(users.User_datasource);
  UserSecurityManager1->setBytesField(QStringLiteral("User_security"));
  runner_->setCatalogue(context.ShortcutDlg);
  context.PropertiesDlg->setPictureDialog(PictureDlg, link().get(LinkRecord::Field::ProgramDir));

  session_ = std::make_unique<LoginSession>(users, companies, link(), shell_);
  companySwitch_ = std::make_unique<CompanySwitch>(companies, users, link());
  companyMenu_ =
      std::make_unique<CompanyMenu>(MainMenu->find(QStringLiteral("Changecompanies1")), CompanyListBox,
                                    components_, *companySwitch_, *context.CompPasswd_Frm, [this] {
                                      StatusPanels[0]->setText(link().get(LinkRecord::Field::CompanyName));
                                      if (shell_.trackerInstalled()) Load_database_menu();
                                      // The lists show the chosen company's records.
                                      panels_->refreshOpen();
                                      offerCompanySetup();
                                    });
  trackerMenu_ = std::make_unique<TrackerMenu>(MainMenu->find(QStringLiteral("trkopen")), TrackerAccounts,
                                               components_, *context.Gl_DataModule->trkdb_table, *runner_);
  toolsMenu_ = std::make_unique<ToolsMenu>(
      MainMenu->find(QStringLiteral("Accessories1")), MainMenu, components_, *companies.Applications_table,
      link(),
      ToolsMenu::Handlers{[this](MenuItem& item) { ExecuteOption(item); }, [this] { MaintainTools(); },
                          [this](const QString& text) { showError(text); },
                          [this](dispatch::ErrorMessage m) { return message(m); }});
  languageMenu_ =
      std::make_unique<LanguageMenu>(MainMenu->find(QStringLiteral("Setlanguage1")), components_,
                                     users.tblLanguage, [this](MenuItem& item) { English1Click(item); });
  panels_->attach(context);
  icons_->setDialogs({context.ShortcutDlg, context.PropertiesDlg, PictureDlg});
}

QString TLogoAppForm::message(ErrorMessage which) const {
  return Error_Messages->line(dispatch::lineOf(which));
}

void TLogoAppForm::translate(const QString& table) {
  localization::SetCaptions(this, components_, table);
  errorTexts_->load(table);
}

void TLogoAppForm::translateQt(const QString& languageCode) { qtTexts_->use(languageCode); }

QString TLogoAppForm::describe(const data::DatabaseError& error) const {
  return errorTexts_->describe(error);
}

void TLogoAppForm::translateAtStartup(const QString& table) {
  // Without its language table the window keeps its design texts; the user
  // is told why, and the program goes on.
  try {
    translate(table);
  } catch (const data::DatabaseError& e) {
    controls::Messages::error(describe(e), this);
  }
}

void TLogoAppForm::Changeproperties1Click() {
  const QString file = PictureDlg->choose(link().get(LinkRecord::Field::ProgramDir));
  if (file.isEmpty()) return;
  desktopChanged_ = true;
  if (!Wallpaper1->loadFromFile(file))
    controls::Messages::show(message(ErrorMessage::PictureNotLoaded), this);
}

void TLogoAppForm::showPrinterInStatus() { StatusPanels[1]->setText(printerMenu_->currentCaption()); }

bool TLogoAppForm::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  // The first activation logs the user in; it runs after the window is on
  // screen, from the event loop, so that its dialogs have a window to sit on.
  // Without a window manager a shown window is never activated; its first
  // showing counts as its first activation then.
  const bool first =
      event->type() == QEvent::WindowActivate || (event->type() == QEvent::Show && !event->spontaneous());
  // Once the window manager has framed the window (it moves the window
  // into its frame), the frame too goes on the screen.
  const bool placed = event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                      event->type() == QEvent::WindowActivate;
  if (placed && !fittedWithFrame_ && isVisible() && windowHandle() &&
      !windowHandle()->frameMargins().isNull()) {
    fittedWithFrame_ = true;
    fitOnScreen();
  }
  if (first && session_) QMetaObject::invokeMethod(this, &TLogoAppForm::FormActivate, Qt::QueuedConnection);
  return handled;
}

void TLogoAppForm::showError(const QString& text) { controls::Messages::error(text, this); }

void TLogoAppForm::setVisible(bool visible) {
  if (visible && !isVisible()) FormShow();
  QMainWindow::setVisible(visible);
}

void TLogoAppForm::FormShow() {
  if (windowState() & Qt::WindowMaximized) return;
  resize(placement_.width, placement_.height);
  if (savedPosition_) {
    move(placement_.left, placement_.top);
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.x() + (area.width() - placement_.width) / 2,
         area.y() + (area.height() - placement_.height) / 2);
  }
  // A placement saved on another screen (a larger one, one since removed)
  // is brought onto this one; the frame is taken into account once the
  // window manager has made it (fitOnScreen at the first activation).
  fitOnScreen();
  if (placement_.maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void TLogoAppForm::fitOnScreen() {
  if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)) return;
  const QRect client(geometry().topLeft(), size());
  const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  QScreen* screen = QGuiApplication::screenAt(client.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect fitted = fitClient(client, frame, screen->availableGeometry());
  if (fitted == client) return;
  resize(fitted.size());
  // move() places the frame.
  move(fitted.topLeft() - QPoint(frame.left(), frame.top()));
}

void TLogoAppForm::closeEvent(QCloseEvent* event) {
  if (!Exit_app()) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
  emit closed();
}

bool TLogoAppForm::Exit_app() {
  // Only a user's own desktop is stored: a login that stopped before the
  // desktop was set up (or a failed one) stores nothing, for nobody.
  if (desktopChanged_ && saveOnClose_ && desktopOwned_ &&
      context_.UserDataModule->Desktop_table->isActive() && !Save_Desktop())
    return false;
  WindowPlacement now;
  now.maximized = isMaximized();
  // Maximised, the window keeps the place it takes again when it is not.
  const QRect normal = now.maximized ? normalGeometry() : geometry();
  const QPoint frameOffset = geometry().topLeft() - pos();
  now.height = normal.height();
  now.left = normal.x() - frameOffset.x();
  now.top = normal.y() - frameOffset.y();
  now.width = normal.width();
  QString error;
  if (!settings_.setValue(kOrbaSection, QStringLiteral("Form"), now.toSavedText(), &error))
    controls::Messages::error(QStringLiteral("The window position could not be saved: %1").arg(error), this);
  return true;
}

void TLogoAppForm::Quit1Click() {
  saveOnClose_ = true;
  close();
}

}  // namespace orba::shell
