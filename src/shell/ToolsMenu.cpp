// The Tools menu, built from the applications table: external programs,
// module libraries run like options, and the maintenance of the menu itself.

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include "DataModules.h"
#include "DatabaseError.h"
#include "DesktopDialogs.h"
#include "LinkRecord.h"
#include "LogoAppForm.h"
#include "Messages.h"
#include "ModuleLibrary.h"
#include "RightsMap.h"
#include "WaitCursor.h"

namespace orba::shell {

using controls::MenuItem;

namespace {

LinkRecord& link() { return LinkRecord::instance(); }
bool french() { return link().language() == 2; }

// Opens the applications table, creating and seeding it when it cannot be
// opened.
void openApplications(data::Table* apps) {
  // Created when missing; a table that exists but cannot be opened (locked,
  // damaged) is an error to report, not a table to create.
  if (apps->exists()) {
    apps->open();
    return;
  }
  apps->createTable();
  apps->open();
  apps->append();
  apps->setValue(QStringLiteral("Application_name"), QStringLiteral("Maintenance of Tools menu"));
  apps->setValue(QStringLiteral("Application_name_fr"), QStringLiteral("Maintenance du menu Outils"));
  apps->setValue(QStringLiteral("Application_pgm"), QStringLiteral("mtools"));
  apps->setValue(QStringLiteral("Application_about"),
                 QStringLiteral("Security like Maintenance of parameters"));
  apps->setValue(QStringLiteral("Application_about_fr"),
                 QStringLiteral("Sécurité comme Maintenance des paramètres"));
  apps->setValue(QStringLiteral("Application_security"), QStringLiteral("ut02"));
  apps->setValue(QStringLiteral("Application_type"), true);
  apps->post();
  apps->close();
  apps->open();
}

QString caption(data::Table* apps) {
  return apps->text(french() ? QStringLiteral("Application_name_fr") : QStringLiteral("Application_name"));
}
QString hint(data::Table* apps) {
  return apps->text(french() ? QStringLiteral("Application_about_fr") : QStringLiteral("Application_about"));
}

}  // namespace

void TLogoAppForm::Load_applications() {
  MenuItem* tools = MainMenu->find(QStringLiteral("Accessories1"));
  for (MenuItem* old : tools->items()) components_.remove(old);
  tools->clear();
  data::Table* apps = peers_.companies->Applications_table;
  apps->setDatabaseName(link().get(LinkRecord::Field::DataDir));
  openApplications(apps);
  for (apps->first(); !apps->eof(); apps->next()) {
    auto* item = new MenuItem(QString(), caption(apps));
    item->setHint(hint(apps));
    const QString program = apps->text(QStringLiteral("Application_pgm")).trimmed();
    if (!apps->value(QStringLiteral("Application_type")).toBool())
      item->setOnClick([this](MenuItem& clicked) { ExecuteExe(clicked); });
    else if (program == QLatin1String("mtools"))
      item->setOnClick([this](MenuItem&) { MaintainTools(); });
    else
      item->setOnClick([this](MenuItem& clicked) { ExecuteOption(clicked); });
    item->setObjectName(program);

    // The tool borrows the right of the option it names.
    const QString security = apps->text(QStringLiteral("Application_security")).trimmed();
    for (int position : {0, 1, 2, 3, 4, 5, 6, 7, 9}) {
      MenuItem* top = moduleMenu(position);
      const int first = position <= 2 ? 4 : position == 3 ? 7 : 0;
      for (int i = first; i < top->count(); ++i)
        for (MenuItem* option : top->item(i)->items())
          if (option->name() == security) item->setEnabled(option->isEnabled());
    }
    tools->insert(-1, item);
    components_.own(item);
  }
  apps->close();
}

void TLogoAppForm::ChgLang_applications() {
  if (!peers_.companies) return;
  data::Table* apps = peers_.companies->Applications_table;
  MenuItem* tools = MainMenu->find(QStringLiteral("Accessories1"));
  if (tools->count() == 0) return;
  apps->open();
  int k = 0;
  for (apps->first(); !apps->eof() && k < tools->count(); apps->next(), ++k) {
    tools->item(k)->setCaption(caption(apps));
    tools->item(k)->setHint(hint(apps));
  }
  apps->close();
}

void TLogoAppForm::ExecuteExe(MenuItem& item) {
  data::Table* apps = peers_.companies->Applications_table;
  QString directory;
  try {
    apps->open();
    if (apps->locate(QStringLiteral("Application_pgm"), item.name()))
      directory = apps->text(QStringLiteral("Application_directory")).trimmed();
    apps->close();
  } catch (const data::DatabaseError& e) {
    showError(e.message());
    return;
  }
  if (!directory.isEmpty() && !QDir(directory).exists()) {
    showError(QStringLiteral("The folder %1 does not exist.").arg(directory));
    return;
  }
  // A name with a path is taken as it is; a bare name is looked for in the
  // program folder, then along the PATH. The program runs in its folder of
  // the table without changing the desktop's own current folder.
  QString program = item.name();
  if (!program.contains(QLatin1Char('/'))) {
    const QString found =
        QStandardPaths::findExecutable(program, {link().get(LinkRecord::Field::ProgramDir)});
    program = found.isEmpty() ? QStandardPaths::findExecutable(program) : found;
  }
  if (program.isEmpty() || !QProcess::startDetached(program, {}, directory))
    showError(QStringLiteral("The program %1 could not be started.").arg(item.name()));
}

void TLogoAppForm::MaintainTools() {
  dispatch::ModuleLibrary module = [] {
    WaitCursor wait;
    return dispatch::ModuleLibrary::load(link().get(LinkRecord::Field::ProgramDir), QStringLiteral("mtools"));
  }();
  if (module.isLoaded()) {
    repaint();
    QString failure;
    try {
      RebuildCatalogue(false);
      desktop::TShortcutDlg& catalogue = *peers_.ShortcutDlg;
      if (module.callWithCatalogue(link().section(), catalogue.names(), catalogue.codes()) == 0)
        controls::Messages::show(QStringLiteral("Access denied..."), this);
    } catch (const std::exception& e) {
      failure = QString::fromUtf8(e.what());
    } catch (...) {
      failure = QStringLiteral("The module mtools failed.");
    }
    module.unload();
    // Back to the user's rights whatever the module did.
    RebuildCatalogue(true);
    FinishOption(QStringLiteral("mtools"));
    repaint();
    if (!failure.isEmpty()) showError(failure);
  } else {
    controls::Messages::show(QStringLiteral("error loading mtools") + QString::number(module.errorNumber()),
                             this);
  }
  link().set(LinkRecord::Field::OptionContext, QString());
  setDateCaption();
}

}  // namespace orba::shell
