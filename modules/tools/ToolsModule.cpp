// mtools: the maintenance of the Tools menu. The desktop lends the option
// catalogue (every visible option's caption and code, rights ignored) so
// that each entry can borrow the right of an existing option; it builds the
// Tools menu again once this returns.

#define ORBA_ENTRY_POINT 3
#include <QApplication>
#include <algorithm>

#include "ModuleKit.h"
#include "ToolStore.h"
#include "ToolsWindows.h"

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

ORBA_MODULE_EXPORT int32_t ShowDllForm(TLinkSection link, const OrbaStringList* optionNames,
                                       const OrbaStringList* dllList) {
  namespace kit = orba::kit;
  return kit::run(link, [&] {
    orba::tools::ToolStore store(kit::dataDir(link));
    // On the stack: nothing of this library may outlive the call.
    orba::tools::TToolsForm form(store, catalogue(optionNames, dllList), link.Language,
                                 QApplication::activeWindow());
    return kit::showForm(form, link);
  });
}
