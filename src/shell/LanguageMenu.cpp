// The language menu of the main window, the switch between languages and the
// international wording of a few English menu entries.

#include <QDateTime>
#include <QLabel>

#include "DataModules.h"
#include "DatabaseError.h"
#include "FileVersion.h"
#include "LinkRecord.h"
#include "LogoAppForm.h"
#include "PrinterCatalog.h"
#include "RegionalFormats.h"
#include "SetCaptions.h"
#include "SmallWindows.h"
#include "Table.h"

namespace orba::shell {

using controls::MenuItem;

void TLogoAppForm::Load_language_menu() {
  data::Table* languages = peers_.users ? peers_.users->tblLanguage : nullptr;
  MenuItem* menu = MainMenu->find(QStringLiteral("Setlanguage1"));
  for (MenuItem* old : menu->items()) components_.remove(old);
  menu->clear();
  if (!languages) return;
  languages->close();
  languages->open();
  for (languages->first(); !languages->eof(); languages->next()) {
    MenuItem* item = menu->add(QString(), languages->text(QStringLiteral("LangName")));
    // The code becomes part of the item's name, so it must be unique.
    if (!item->setName(QStringLiteral("MenuItem") + languages->text(QStringLiteral("LangCode")).trimmed())) {
      menu->remove(item);
      throw data::DatabaseError(QStringLiteral("A component named MenuItem%1 already exists")
                                    .arg(languages->text(QStringLiteral("LangCode"))));
    }
    item->setOnClick([this](MenuItem& clicked) { English1Click(clicked); });
    components_.own(item);
  }
}

void TLogoAppForm::setVersionPanel() {
  StatusPanels[3]->setText(QStringLiteral("Version ") +
                           QString::fromStdString(version::ProgramVersionText()));
}

void TLogoAppForm::English1Click(MenuItem& item) {
  for (MenuItem* other : item.parentItem()->items()) other->setChecked(false);
  item.setChecked(true);

  data::Table* languages = peers_.users ? peers_.users->tblLanguage : nullptr;
  LinkRecord& link = LinkRecord::instance();
  if (languages) {
    languages->close();
    languages->open();
    // No row with this name leaves the table on its first row.
    languages->locate(QStringLiteral("LangName"), item.caption());
    link.setLanguageCode(languages->text(QStringLiteral("LangCode")).left(2));
    link.setLanguageNumber(languages->value(QStringLiteral("LangKey")).toInt());
  }

  const QString table = QStringLiteral("MainMenu") + link.languageCode();
  translate(table);
  if (peers_.ContactUs) localization::SetCaptions(peers_.ContactUs, peers_.ContactUs->components(), table);
  if (peers_.AboutBox) localization::SetCaptions(peers_.AboutBox, peers_.AboutBox->components(), table);

  setVersionPanel();
  if (peers_.ShortcutDlg) fillCatalogue();

  const QString pattern = QStringLiteral("\"") + windowTitle() + QStringLiteral(" \"   dddd, d mmmm yyyy ");
  setWindowTitle(formats::formatDateWithPattern(QDate::currentDate(), pattern, QLocale::system()));

  StatusPanels[0]->setText(link.get(LinkRecord::Field::CompanyName));
  MenuItem* printers = MainMenu->find(QStringLiteral("Selectprinter1"));
  if (MenuItem* current = printers->item(printers::PrinterCatalog::instance().currentIndex()))
    StatusPanels[1]->setText(current->caption());

  ChgLang_applications();
  Internationalize();
}

void TLogoAppForm::Internationalize() {
  if (LinkRecord::instance().language() == 2) return;
  if (!shell_.international()) return;
  // Reached by position: the menu's layout keeps these places.
  struct Wording {
    int top, submenu, item;
    const char* caption;
  };
  static constexpr Wording kWordings[] = {
      {2, 5, 2, "Edit check entries"},          {2, 5, 3, "Recurring check entries"},
      {2, 6, 2, "List of checks to be issued"}, {2, 6, 3, "List of recurring checks"},
      {2, 7, 0, "Print and update checks"},     {4, 0, 4, "Maintenance of check format"},
  };
  for (const Wording& w : kWordings) {
    MenuItem* top = MainMenu->item(w.top);
    MenuItem* submenu = top ? top->item(w.submenu) : nullptr;
    if (MenuItem* item = submenu ? submenu->item(w.item) : nullptr)
      item->setCaption(QString::fromLatin1(w.caption));
  }
}

}  // namespace orba::shell
