// The list maintenance library: clients (ar01), suppliers (ap01), general
// ledger accounts (gl01), employees (pa101) and products (iv01). One build
// is installed under the five option names; the option is the library's own
// file name without ".so".
//
// Run from a menu or an icon it shows the list window. Run by the Insert
// key of a desktop list, the link record's OptionContext is "new": it shows
// the form of a new record at once, and returns when that form closes.

#include <dlfcn.h>

#include <QApplication>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "DatabaseError.h"
#include "ListWindows.h"
#include "ModuleKit.h"
#include "castellan/linku.h"

#define ORBA_EXPORT extern "C" __attribute__((visibility("default")))

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
  orba::kit::prepare(link);
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

ORBA_EXPORT std::int32_t ShowDllForm(TLinkSection link) {
  // The host's application runs the windows; without one there is nothing
  // to show them in.
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
  // Only the standard library's exceptions leave the library: the desktop
  // unloads it, and an exception of a type defined here would outlive its
  // type information.
  try {
    return run(link);
  } catch (const std::exception& e) {
    throw std::runtime_error(e.what());
  } catch (...) {
    throw std::runtime_error("The list maintenance failed.");
  }
}
static_assert(std::is_same_v<decltype(&ShowDllForm), OrbaShowDllForm>);
