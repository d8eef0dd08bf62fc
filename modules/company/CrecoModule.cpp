// The company-creation option "creco": one window that makes a company and
// lists it. The desktop also runs it at its first start, when no company
// exists yet, before the set-up wizard fills in company 1.

#include <QApplication>

#include "CompanyStore.h"
#include "CreateCompanyWindow.h"
#include "ModuleKit.h"
#include "SystemFolder.h"
#include "castellan/linku.h"

#define ORBA_EXPORT extern "C" __attribute__((visibility("default")))

ORBA_EXPORT int32_t ShowDllForm(TLinkSection link) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
  orba::kit::prepare(link);
  orba::company::CompanyStore store(orba::kit::dataDir(link));
  orba::company::TfrmCreateCompany window(store, QApplication::activeWindow());
  if (orba::company::isBlankInstallation(store.dataDir())) window.setNewInstallation(link.Language);
  orba::kit::translate(&window, window.components(), link);
  if (window.prepare()) window.exec();
  return 1;
}
