#include "OrbaApplication.h"

#include "DataModules.h"
#include "DesktopDialogs.h"
#include "PasswordDlg.h"
#include "SetupWindows.h"
#include "SmallWindows.h"

#include <QApplication>

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
      if (auto* dialog = qobject_cast<QDialog*>(instance(name))) dialog->exec();
    };
  };
  auto* users = qobject_cast<data::TUserDataModule*>(instance(QStringLiteral("UserDataModule")));
  auto* contact = qobject_cast<TContactUs*>(instance(QStringLiteral("ContactUs")));
  auto* about = qobject_cast<TAboutBox*>(instance(QStringLiteral("AboutBox")));
  TLogoAppForm::LanguageFollowers followers;
  followers.languages = users->tblLanguage;
  followers.windows = {{contact, contact}, {about, about}};
  mainWindow_->setLanguageFollowers(std::move(followers));

  mainWindow_->MainMenu->find(QStringLiteral("About1"))->setOnClick(showModal(QStringLiteral("AboutBox")));
  mainWindow_->MainMenu->find(QStringLiteral("Contactus1"))->setOnClick(showModal(QStringLiteral("ContactUs")));

  ReadRegionalSettings(*settings_);
  progress_.step();
  progress_.step();
  progress_.close();
}

}  // namespace orba::shell
