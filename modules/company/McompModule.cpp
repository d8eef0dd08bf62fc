// The company-maintenance option "mcomp": the list of companies, a new
// company (company creation's window), their names and passwords, and
// taking a company off the list. The desktop rebuilds its company menu when
// the option returns.

#define ORBA_ENTRY_POINT 1
#include <QApplication>

#include "CompaniesWindow.h"
#include "CompanyStore.h"
#include "ModuleKit.h"

ORBA_MODULE_EXPORT int32_t ShowDllForm(TLinkSection link) {
  return orba::kit::run(link, [&] {
    orba::company::CompanyStore store(orba::kit::dataDir(link));
    bool numbered = false;
    const int current = orba::kit::text(link.CompanyNumber).toInt(&numbered);
    orba::company::TfrmCompanies window(store, numbered ? current : 0, QApplication::activeWindow());
    orba::kit::translate(&window, window.components(), link);
    window.setTranslate([&link](orba::controls::SimpleDialog& creation) {
      orba::kit::translate(&creation, creation.components(), link);
    });
    if (window.fill()) window.exec();
    return 1;
  });
}
