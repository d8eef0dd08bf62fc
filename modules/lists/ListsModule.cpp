// The list maintenance library: clients (ar01), suppliers (ap01), general
// ledger accounts (gl01), employees (pa101) and products (iv01). One build
// is installed under the five option names; the option is the library's own
// file name without ".so".
//
// Run from a menu or an icon it shows the list window. Run by the Insert
// key of a desktop list, the link record's OptionContext is "new": it shows
// the form of a new record at once, and returns when that form closes.

#define ORBA_ENTRY_POINT 1
#include <dlfcn.h>

#include <QApplication>
#include <cstdint>
#include <memory>

#include "DatabaseError.h"
#include "ListWindows.h"
#include "ModuleKit.h"

namespace {

using namespace orba::lists;

QString optionName() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&optionName), &info) || !info.dli_fname) return {};
  QString name = QString::fromLocal8Bit(info.dli_fname);
  name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
  if (name.endsWith(QLatin1String(".so"))) name.chop(3);
  return name;
}

std::int32_t run(const TLinkSection& link) {
  QWidget* parent = QApplication::activeWindow();
  const ListTexts texts(&link);
  const QString option = optionName();
  const ListDefinition* definition = definitionFor(option);
  if (!definition) {
    texts.tell(parent, texts.line(ListTexts::NotAListOption).arg(option));
    return 1;
  }
  std::unique_ptr<RecordStore> store;
  try {
    store = std::make_unique<RecordStore>(*definition, orba::kit::companyDir(link));
  } catch (const orba::data::DatabaseError& e) {
    texts.tell(parent, texts.line(ListTexts::CannotOpen).arg(e.userText()));
    return 1;
  }
  if (orba::kit::text(link.OptionContext) == QLatin1String("new")) {
    RecordForm form(*store, texts, &link, std::nullopt, parent);
    form.exec();
    return 1;
  }
  ListWindow window(*store, texts, &link, parent);
  window.exec();
  return 1;
}

}  // namespace

ORBA_MODULE_EXPORT std::int32_t ShowDllForm(TLinkSection link) {
  return orba::kit::run(link, [&] { return run(link); });
}
