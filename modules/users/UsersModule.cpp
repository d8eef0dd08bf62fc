// ut03: the users of the installation and their rights. The window lists
// user.db; each user is added, changed or deleted in one stored change.

#define ORBA_ENTRY_POINT 1
#include <QApplication>

#include "ModuleKit.h"
#include "SettingsStore.h"
#include "UserStore.h"
#include "UsersWindows.h"

namespace {

// The login asks for a password even with a single user when DisplayPW is
// exactly "Y", as the desktop reads it.
bool passwordAlwaysAsked() {
  orba::settings::SettingsStore store(orba::settings::SettingsStore::defaultPaths());
  return store.value(QString::fromLatin1("Orba"), QString::fromLatin1("DisplayPW"),
                     QString::fromLatin1("N")) == QLatin1String("Y");
}

}  // namespace

ORBA_MODULE_EXPORT int32_t ShowDllForm(TLinkSection link) {
  namespace kit = orba::kit;
  return kit::run(link, [&] {
    orba::users::UserStore store(kit::dataDir(link));
    const QString languageTable = QString::fromLatin1("MainMenu") + kit::languageCode(link);
    // On the stack: nothing of this library may outlive the call.
    orba::users::TUsersForm form(store, languageTable, passwordAlwaysAsked(), QApplication::activeWindow());
    return kit::showForm(form, link);
  });
}
