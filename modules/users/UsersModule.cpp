// ut03: the users of the installation and their rights. The window lists
// user.db; each user is added, changed or deleted in one stored change.
//
// The host must already have a QApplication; without one ShowDllForm
// returns 0 rather than create a second application object.

#include <QApplication>

#include "DatabaseError.h"
#include "Messages.h"
#include "ModuleKit.h"
#include "SettingsStore.h"
#include "Table.h"
#include "UserStore.h"
#include "UsersWindows.h"
#include "castellan/linku.h"

#define ORBA_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The login asks for a password even with a single user when DisplayPW is
// exactly "Y", as the desktop reads it.
bool passwordAlwaysAsked() {
  orba::settings::SettingsStore store(orba::settings::SettingsStore::defaultPaths());
  return store.value(QStringLiteral("Orba"), QStringLiteral("DisplayPW"), QStringLiteral("N")) ==
         QLatin1String("Y");
}

}  // namespace

ORBA_EXPORT int32_t ShowDllForm(TLinkSection link) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
  namespace kit = orba::kit;
  kit::prepare(link);
  orba::users::UserStore store(kit::dataDir(link));
  const QString languageTable = QStringLiteral("MainMenu") + kit::languageCode(link);
  // On the stack: nothing of this library may outlive the call.
  orba::users::TUsersForm form(store, languageTable, passwordAlwaysAsked(), QApplication::activeWindow());
  kit::translate(&form, form.components(), link);
  form.setTranslate([&link](QObject* window, const orba::controls::ComponentList& components) {
    kit::translate(window, components, link);
  });
  try {
    form.reload();
  } catch (const orba::data::DatabaseError& e) {
    orba::controls::Messages::error(e.userText(), QApplication::activeWindow());
    return 1;
  }
  form.exec();
  return 1;
}

// For tests only: the file system this library's tables go through
// (nullptr: the system's), to make its writes fail on purpose.
ORBA_EXPORT void OrbaTestSetEnv(orba::pdx::Env* env) { orba::data::Table::setEnv(env); }
