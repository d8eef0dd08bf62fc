#include "PrinterMenu.h"

#include <QListWidget>

#include "LinkRecord.h"
#include "MenuItem.h"
#include "MenuRefill.h"
#include "PrinterCatalog.h"

namespace orba::shell {

using controls::MenuItem;
using Field = dispatch::LinkRecord::Field;

PrinterMenu::PrinterMenu(MenuItem* menu, QListWidget* names, dispatch::LinkRecord& link,
                         std::function<void()> changed)
    : menu_(menu), names_(names), link_(link), changed_(std::move(changed)) {}

void PrinterMenu::build() {
  printers::PrinterCatalog& catalog = printers::PrinterCatalog::instance();
  const QStringList names = catalog.printerNames();
  names_->clear();
  names_->addItems(names);
  menu_->clear();
  for (const QString& name : names)
    menu_->add(QString(), name)->setOnClick([this](MenuItem& clicked) { choose(clicked); });
  const int current = catalog.currentIndex();
  controls::checkOnly(menu_, current);
  link_.set(Field::PrinterIndex, current >= 0 ? QString::number(current) : QString());
}

void PrinterMenu::select(int index) {
  printers::PrinterCatalog& catalog = printers::PrinterCatalog::instance();
  catalog.setCurrentIndex(index);
  const int current = catalog.currentIndex();
  controls::checkOnly(menu_, current);
  link_.set(Field::PrinterIndex, current >= 0 ? QString::number(current) : QString());
}

void PrinterMenu::choose(MenuItem& item) {
  select(item.menuIndex());
  if (changed_) changed_();
}

QString PrinterMenu::currentCaption() const {
  MenuItem* current = menu_->item(printers::PrinterCatalog::instance().currentIndex());
  return current ? current->caption() : QString();
}

}  // namespace orba::shell
