// The company-creation option "creco": one window that makes a company and
// lists it. The desktop also runs it at its first start, when no company
// exists yet, before the set-up wizard fills in company 1.

#define ORBA_ENTRY_POINT 1
#include <QApplication>

#include "CompanyStore.h"
#include "CreateCompanyWindow.h"
#include "ModuleKit.h"
#include "SystemFolder.h"

ORBA_MODULE_EXPORT int32_t ShowDllForm(TLinkSection link) {
  return orba::kit::run(link, [&] {
    orba::company::CompanyStore store(orba::kit::dataDir(link));
    orba::company::TfrmCreateCompany window(store, QApplication::activeWindow());
    if (orba::company::isBlankInstallation(store.dataDir())) window.setNewInstallation(link.Language);
    orba::kit::translate(&window, window.components(), link);
    if (window.prepare()) window.exec();
    return 1;
  });
}
