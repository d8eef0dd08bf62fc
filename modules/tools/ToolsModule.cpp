// mtools: the maintenance of the Tools menu. The desktop lends the option
// catalogue (every visible option's caption and code, rights ignored) so
// that each entry can borrow the right of an existing option; it builds the
// Tools menu again once this returns.
//
// The host must already have a QApplication; without one ShowDllForm
// returns 0 rather than create a second application object.

#include <QApplication>
#include <algorithm>

#include "DatabaseError.h"
#include "Messages.h"
#include "ModuleKit.h"
#include "Table.h"
#include "ToolStore.h"
#include "ToolsWindows.h"
#include "castellan/linku.h"

#define ORBA_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The options the user can pick: the lines that carry a code, copied, since
// the lists are only lent for the call.
std::vector<orba::tools::CatalogueOption> catalogue(const OrbaStringList* names,
                                                    const OrbaStringList* codes) {
  std::vector<orba::tools::CatalogueOption> out;
  if (!names || !codes || !names->lines || !codes->lines) return out;
  const int32_t count = std::min(names->count, codes->count);
  for (int32_t i = 0; i < count; ++i) {
    const QString code = QString::fromUtf8(codes->lines[i] ? codes->lines[i] : "");
    if (!code.isEmpty()) out.push_back({QString::fromUtf8(names->lines[i] ? names->lines[i] : ""), code});
  }
  return out;
}

}  // namespace

ORBA_EXPORT int32_t ShowDllForm(TLinkSection link, const OrbaStringList* optionNames,
                                const OrbaStringList* dllList) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
  namespace kit = orba::kit;
  kit::prepare(link);
  orba::tools::ToolStore store(kit::dataDir(link));
  // On the stack: nothing of this library may outlive the call.
  orba::tools::TToolsForm form(store, catalogue(optionNames, dllList), link.Language,
                               QApplication::activeWindow());
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
