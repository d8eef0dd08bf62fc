#include "OrbaApplication.h"

#include "DataModules.h"
#include "DatabaseError.h"
#include "DesktopDialogs.h"
#include "Dialogs.h"
#include "HelpBook.h"
#include "HelpWindow.h"
#include "LinkRecord.h"
#include "LogoAppForm.h"
#include "MenuItem.h"
#include "Messages.h"
#include "PasswordDlg.h"
#include "PrinterCatalog.h"
#include "SetupWindows.h"
#include "SmallWindows.h"
#include "SystemPrinterCatalog.h"

namespace orba::shell {

OrbaApplication::OrbaApplication(Options options)
    : options_(std::move(options)),
      settings_(std::make_unique<settings::SettingsStore>(options_.settings)),
      progress_(options_.progressLibraries) {
  // An error escaping from a menu click is shown like every other error.
  data::DatabaseError::setDescriber([this](const data::DatabaseError& e) {
    return context_.LogoAppForm ? context_.LogoAppForm->describe(e) : e.message();
  });
  controls::MenuItem::setErrorReporter([this](const std::exception& e) {
    const auto* database = dynamic_cast<const data::DatabaseError*>(&e);
    TLogoAppForm* window = context_.LogoAppForm;
    if (database && window)
      controls::Messages::error(window->describe(*database), window);
    else
      controls::Messages::error(QString::fromUtf8(e.what()), window);
  });
  // A change stored with something left to repair is said, not hidden.
  data::Table::setNoteHandler([](const QString& text) { controls::Messages::information(text); });
  if (!printers::PrinterCatalog::hasInstance())
    printers::PrinterCatalog::setInstance(makeSystemPrinterCatalog());
}

OrbaApplication::~OrbaApplication() {
  // What reaches the windows goes with them.
  data::DatabaseError::setDescriber({});
  controls::MenuItem::setErrorReporter({});
  // Windows go before the data modules they may refer to: reverse order.
  for (auto it = instances_.rbegin(); it != instances_.rend(); ++it) delete *it;
}

template <typename T>
T* OrbaApplication::create(T* instance) {
  instances_.push_back(instance);
  return instance;
}

void OrbaApplication::start() {
  progress_.open();
  progress_.setCaption(0);
  // The application title is the message boxes' caption (Messages::title);
  // it is not Qt's display name, which would be appended to every window
  // title.
  progress_.step();
  progress_.setCaption(1);

  AppContext& c = context_;
  c.LogoAppForm = create(new TLogoAppForm(*settings_));
  c.AboutBox = create(new TAboutBox(c.LogoAppForm));
  c.PasswordDlg = create(new TPasswordDlg(c.LogoAppForm));
  c.UserDataModule = create(new data::TUserDataModule);
  c.Gl_DataModule = create(new data::TGl_DataModule);
  c.Ar_DataModule = create(new data::TAr_DataModule);
  c.Ap_DataModule = create(new data::TAp_DataModule);
  c.Co_DataModule = create(new data::TCo_DataModule);
  c.Emp_DataModule = create(new data::TEmp_DataModule);
  c.CompPasswd_Frm = create(new TCompPasswd_Frm(c.LogoAppForm));
  c.InvDataModule = create(new data::TInvDataModule);
  c.ContactUs = create(new TContactUs(c.LogoAppForm));
  c.frmDefaultInfo = create(new TfrmDefaultInfo(c.LogoAppForm));
  c.frmSetup = create(new TfrmSetup(c.LogoAppForm));
  c.frmWelcome = create(new TfrmWelcome(c.LogoAppForm));
  c.ShortcutDlg = create(new desktop::TShortcutDlg(c.LogoAppForm));
  c.PropertiesDlg = create(new desktop::TPropertiesDlg(c.LogoAppForm));
  c.HelpWindow = create(new THelpWindow(c.LogoAppForm));
  c.LogoAppForm->attach(c);

  controls::MenuItem* menu = c.LogoAppForm->MainMenu;
  menu->find(QStringLiteral("About1"))->setOnClick([&c](controls::MenuItem&) {
    const TShellSettings& shell = c.LogoAppForm->shellSettings();
    c.AboutBox->setInstallation(c.LogoAppForm->rawDataDrive(), shell.payroll, shell.payrollCCQ);
    controls::Dialogs::exec(*c.AboutBox);
  });
  menu->find(QStringLiteral("Contactus1"))->setOnClick([&c](controls::MenuItem&) {
    c.ContactUs->setLanguage(dispatch::LinkRecord::instance().language());
    controls::Dialogs::exec(*c.ContactUs);
  });
  // The help of the user's language, at its contents.
  menu->find(QStringLiteral("Helptopics1"))->setOnClick([&c](controls::MenuItem&) {
    const dispatch::LinkRecord& link = dispatch::LinkRecord::instance();
    c.HelpWindow->showContents(help_book::folder(link.get(dispatch::LinkRecord::Field::ProgramDir),
                                                 link.language(), link.languageCode()));
  });
  c.frmWelcome->setHelpOpener(
      [&c](const QString& folder, const QString& topic) { c.HelpWindow->showTopic(folder, topic); });

  ReadRegionalSettings(*settings_);
  progress_.step();
  progress_.step();
  progress_.close();
}

}  // namespace orba::shell
