#include "OrbaApplication.h"

#include <QApplication>

#include "DataModules.h"
#include "DesktopDialogs.h"
#include "Dialogs.h"
#include "PasswordDlg.h"
#include "SetupWindows.h"
#include "SmallWindows.h"

namespace orba::shell {

OrbaApplication::OrbaApplication(Options options)
    : options_(std::move(options)),
      settings_(std::make_unique<settings::SettingsStore>(options_.settings)),
      progress_(options_.progressLibraries) {}

OrbaApplication::~OrbaApplication() {
  // Windows go before the data modules they may refer to: reverse order.
  for (auto it = instances_.rbegin(); it != instances_.rend(); ++it) delete *it;
}

template <typename T>
T* OrbaApplication::create(T* instance) {
  instances_.push_back(instance);
  return instance;
}

QObject* OrbaApplication::instance(const QString& name) const {
  for (QObject* object : instances_)
    if (object->objectName() == name) return object;
  return nullptr;
}

void OrbaApplication::start() {
  progress_.open();
  progress_.setCaption(0);
  QApplication::setApplicationDisplayName(QStringLiteral("Castellan/Orba"));
  progress_.step();
  progress_.setCaption(1);

  mainWindow_ = create(new TLogoAppForm(*settings_));
  create(new TAboutBox(mainWindow_));
  create(new TPasswordDlg(mainWindow_));
  create(new data::TUserDataModule);
  create(new data::TGl_DataModule);
  create(new data::TAr_DataModule);
  create(new data::TAp_DataModule);
  create(new data::TCo_DataModule);
  create(new data::TEmp_DataModule);
  create(new TCompPasswd_Frm(mainWindow_));
  create(new data::TInvDataModule);
  create(new TContactUs(mainWindow_));
  create(new data::TfrmDefaultInfo(mainWindow_));
  create(new data::TfrmSetup(mainWindow_));
  create(new data::TfrmWelcome(mainWindow_));
  create(new desktop::TShortcutDlg(mainWindow_));
  create(new desktop::TPropertiesDlg(mainWindow_));

  auto showModal = [this](const QString& name) {
    return [this, name](controls::MenuItem&) {
      if (auto* dialog = qobject_cast<QDialog*>(instance(name))) controls::Dialogs::exec(*dialog);
    };
  };
  TLogoAppForm::Peers peers;
  peers.users = qobject_cast<data::TUserDataModule*>(instance(QStringLiteral("UserDataModule")));
  peers.companies = qobject_cast<data::TCo_DataModule*>(instance(QStringLiteral("Co_DataModule")));
  peers.ledger = qobject_cast<data::TGl_DataModule*>(instance(QStringLiteral("Gl_DataModule")));
  peers.clients = qobject_cast<data::TAr_DataModule*>(instance(QStringLiteral("Ar_DataModule")));
  peers.suppliers = qobject_cast<data::TAp_DataModule*>(instance(QStringLiteral("Ap_DataModule")));
  peers.employees = qobject_cast<data::TEmp_DataModule*>(instance(QStringLiteral("Emp_DataModule")));
  peers.inventory = qobject_cast<data::TInvDataModule*>(instance(QStringLiteral("InvDataModule")));
  peers.PasswordDlg = qobject_cast<TPasswordDlg*>(instance(QStringLiteral("PasswordDlg")));
  peers.CompPasswd_Frm = qobject_cast<TCompPasswd_Frm*>(instance(QStringLiteral("CompPasswd_Frm")));
  peers.ContactUs = qobject_cast<TContactUs*>(instance(QStringLiteral("ContactUs")));
  peers.AboutBox = qobject_cast<TAboutBox*>(instance(QStringLiteral("AboutBox")));
  peers.ShortcutDlg = qobject_cast<desktop::TShortcutDlg*>(instance(QStringLiteral("ShortcutDlg")));
  peers.PropertiesDlg = qobject_cast<desktop::TPropertiesDlg*>(instance(QStringLiteral("PropertiesDlg")));
  peers.frmDefaultInfo = qobject_cast<data::TfrmDefaultInfo*>(instance(QStringLiteral("frmDefaultInfo")));
  peers.frmSetup = qobject_cast<data::TfrmSetup*>(instance(QStringLiteral("frmSetup")));
  peers.frmWelcome = qobject_cast<data::TfrmWelcome*>(instance(QStringLiteral("frmWelcome")));
  mainWindow_->setPeers(peers);

  mainWindow_->MainMenu->find(QStringLiteral("About1"))->setOnClick(showModal(QStringLiteral("AboutBox")));
  mainWindow_->MainMenu->find(QStringLiteral("Contactus1"))
      ->setOnClick(showModal(QStringLiteral("ContactUs")));

  ReadRegionalSettings(*settings_);
  progress_.step();
  progress_.step();
  progress_.close();
}

}  // namespace orba::shell
