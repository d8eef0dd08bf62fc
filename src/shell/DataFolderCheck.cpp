// The first step of the first activation: the data folder. A new
// installation's is made; when it cannot be, the user is told, in the
// language of the settings, which folder is missing or closed to the
// account, which setting names it and what to do.

#include <pwd.h>
#include <unistd.h>

#include "DataFolder.h"
#include "LinkRecord.h"
#include "LogoAppForm.h"
#include "MessageList.h"
#include "Messages.h"
#include "SettingsStore.h"

namespace orba::shell {

using dispatch::LinkRecord;

namespace {

// The lines of Folder_Messages. The folder and the setting are told in
// sentences of their own, joined here.
enum FolderLine {
  kMissingRoot = 0,  // %1 the data folder, %2 the missing folder
  kNotWritable = 1,  // %1 the folder, %2 the data folder
  kJoinGroup = 2,    // %1 the account's name
  kCannotMake = 3,   // %1 the data folder, %2 the reason
  kSetting = 4,      // %1 the settings file
  kCreateOrMount = 5,
  kCorrect = 6,
};

QString accountName() {
  if (const passwd* account = ::getpwuid(::geteuid()); account && account->pw_name)
    return QString::fromLocal8Bit(account->pw_name);
  return qEnvironmentVariable("USER");
}

}  // namespace

controls::MessageList* TLogoAppForm::createFolderMessages() {
  return new controls::MessageList(
      QStringLiteral("Folder_Messages"),
      {QStringLiteral("The data folder %1 cannot be made: the folder %2 does not exist."),
       QStringLiteral(
           "Your account may not write in the folder %1, where the data folder %2 of Castellan/Orba "
           "belongs."),
       // The office's group, as the package sets it up.
       QStringLiteral("Ask your administrator to add your account to the group castellan (adduser %1 "
                      "castellan), then log in again."),
       QStringLiteral("The data folder %1 cannot be made: %2"),
       QStringLiteral("The data folder follows from the setting datadrive, in the section [Orba] of the "
                      "settings file %1."),
       QStringLiteral(
           "Create the missing folder or mount the drive that holds it, or correct the setting, then "
           "start Castellan/Orba again."),
       QStringLiteral("Correct the problem or the setting, then start Castellan/Orba again.")},
      this);
}

bool TLogoAppForm::checkDataFolder() {
  const QString dataDir = LinkRecord::instance().get(LinkRecord::Field::DataDir);
  const DataFolderState state = prepareDataFolder(rawDataDrive_, dataDir);
  if (state.usable()) return true;
  const QString settingsFile = settings_.fileOf(kOrbaSection, QStringLiteral("datadrive"));
  const auto line = [this](FolderLine which) { return Folder_Messages->line(which); };
  const QString setting = line(kSetting).arg(settingsFile);
  QString text;
  switch (state.kind) {
    case DataFolderState::Kind::MissingRoot:
      text = line(kMissingRoot).arg(dataDir, state.folder) + QStringLiteral("\n\n") + setting +
             QLatin1Char(' ') + line(kCreateOrMount);
      break;
    case DataFolderState::Kind::NotWritable: {
      QString group = line(kJoinGroup);
      if (group.contains(QLatin1String("%1"))) group = group.arg(accountName());
      text = line(kNotWritable).arg(state.folder, dataDir) + QStringLiteral("\n\n") + group;
      break;
    }
    case DataFolderState::Kind::CannotMake:
      text = line(kCannotMake).arg(dataDir, state.detail) + QStringLiteral("\n\n") + setting +
             QLatin1Char(' ') + line(kCorrect);
      break;
    case DataFolderState::Kind::Ready:
    case DataFolderState::Kind::Made:
      return true;
  }
  controls::Messages::error(text, this);
  return false;
}

}  // namespace orba::shell
