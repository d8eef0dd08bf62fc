#include "MainMenuBuilder.h"

#include "RightsMap.h"

namespace orba::shell {

using controls::MenuItem;

namespace {

void addModuleMenu(MenuItem* root, const dispatch::ModuleMenu& module,
                   const MenuItem::ClickHandler& onOption) {
  MenuItem* top = root->add(module.name, module.designCaption);
  top->setTag(module.module);

  if (module.name == QLatin1String("Tracker1")) {
    // The accounts of the tracker database, filled at login.
    top->add(QStringLiteral("trkopen"), QStringLiteral("Ouvrir"));
    MenuItem* create =
        top->add(QStringLiteral("Createdatabase1"), QStringLiteral("Créer une base de données"));
    create->setOnClick(onOption);
  }
  for (const QString& quick : module.quickEntries) {
    MenuItem* entry = top->add(quick, quick.chopped(1));
    entry->setGroupIndex(0);
    entry->setOnClick(onOption);
  }
  if (!module.separator.isEmpty())
    MenuItem::separator(module.separator, top)->setGroupIndex(module.submenuGroupIndex);

  for (int g = 0; g < 4; ++g) {
    MenuItem* group = top->add(module.groupNames[g], module.groupCaptions[g]);
    group->setGroupIndex(module.submenuGroupIndex);
    for (const QString& code : module.groups[g]) {
      MenuItem* option = group->add(code, code);
      option->setOnClick(onOption);
    }
  }
}

}  // namespace

MenuItem* buildMainMenu(const MenuItem::ClickHandler& onOption) {
  auto* root = new MenuItem(QStringLiteral("MainMenu"));
  for (const dispatch::ModuleMenu& module : dispatch::moduleMenus()) addModuleMenu(root, module, onOption);

  // The set-up wizard of the current company, after the System menu's
  // groups. It is no option (no module library, no bit of its own in the
  // rights field): the right to Parameters maintenance grants it, after
  // the login. Until then it is disabled like every option.
  MenuItem* system = root->find(QStringLiteral("Systemmanager1"));
  MenuItem::separator(QStringLiteral("N10"), system);
  system->add(QStringLiteral("Setupwizard1"), QStringLiteral("Assistant de configuration..."))
      ->setEnabled(false);

  MenuItem* settings = root->add(QStringLiteral("Settings1"), QStringLiteral("Options"));
  settings->add(QStringLiteral("Changecompanies1"), QStringLiteral("Compagnie"));
  settings->add(QStringLiteral("Selectprinter1"), QStringLiteral("Imprimante"));
  settings->add(QStringLiteral("Setlanguage1"), QStringLiteral("Langue"));
  MenuItem* desktop = settings->add(QStringLiteral("Setdesktop1"), QStringLiteral("Bureau"));
  desktop->add(QStringLiteral("Changeproperties1"), QStringLiteral("Changer les propriétés"));
  desktop->add(QStringLiteral("Addshortcut1"), QStringLiteral("Ajouter un raccourci"));

  root->add(QStringLiteral("Accessories1"), QStringLiteral("Outils"));

  MenuItem* help = root->add(QStringLiteral("Help1"), QStringLiteral("Aide"));
  help->add(QStringLiteral("Helptopics1"), QStringLiteral("Liste de A à Z"));
  help->add(QStringLiteral("About1"), QStringLiteral("A propos"));
  help->add(QStringLiteral("Contactus1"), QStringLiteral("Contactez-nous"));

  root->add(QStringLiteral("Quit1"), QStringLiteral("Quitter"));
  return root;
}

}  // namespace orba::shell
