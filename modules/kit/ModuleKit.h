#pragma once

// What the program's own module libraries share: the strings and folders of
// the link record, the module's windows translated from the language
// tables, the printer the user chose on the desktop, and the storage
// engine's locks shared with the desktop and every other workstation.
//
// A module library is loaded into the desktop's process and runs inside its
// QApplication, but it links its own copy of the data layer: prepare() gives
// that copy the settings the desktop's copy read at start-up.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "DatabaseError.h"
#include "Messages.h"
#include "castellan/linku.h"

class QAbstractItemView;
class QObject;

namespace orba::controls {
class ComponentList;
}
namespace orba::pdx {
class Env;
}

// For tests only, in every module library of the program: the file system
// the library's tables go through from now on (nullptr: the system's).
ORBA_MODULE_EXPORT void OrbaTestSetEnv(orba::pdx::Env* env);

namespace orba::kit {

// A string of the link record (UTF-8); empty for a null one.
QString text(OrbaString s);
// "en", "fr", ...
QString languageCode(const TLinkSection& link);
// The current company's folder: DataDir followed by CompanyNumber.
QString companyDir(const TLinkSection& link);
// The system tables' folder.
QString dataDir(const TLinkSection& link);

// Finds the language tables beside the program folder and takes the
// lock-control folder and the lock wait from the settings, as the desktop
// does. run() calls it before the module's own work.
void prepare(const TLinkSection& link);

// How every module library of the program starts: its entry point is
//
//   #define ORBA_ENTRY_POINT 1
//   #include "ModuleKit.h"
//
//   ORBA_MODULE_EXPORT int32_t ShowDllForm(TLinkSection link) {
//     return orba::kit::run(link, [&] { ...; return 1; });
//   }
//
// run() refuses (0) in a process without a QApplication to show windows in,
// prepares the kit, and runs the module. Only the standard library's
// exceptions leave it: the desktop unloads the library after the call, and
// an exception of a type defined inside would outlive its type information.
std::int32_t run(const TLinkSection& link, const std::function<std::int32_t()>& module);

// Translates a window (and its listed components) into the user's language
// from the language tables; a missing table leaves the design texts.
void translate(QObject* form, const controls::ComponentList& components, const TLinkSection& link);

// An error of the tables in the user's language (the sentences of the
// language tables, in the language prepare() was given), with the detail
// after it.
QString describe(const data::DatabaseError& error);

// The name of the printer the user chose on the desktop (PrinterIndex is its
// position in the print system's list of printers), or empty for the
// system's default.
QString printerName(const TLinkSection& link);

// Shows a module's main window, which lists a table and opens its own
// dialogs: translated (its dialogs too, each as it opens), filled from the
// table, then run. A table that cannot be read is told and nothing is shown.
template <typename Form>
std::int32_t showForm(Form& form, const TLinkSection& link) {
  translate(&form, form.components(), link);
  form.setTranslate([&link](QObject* window, const controls::ComponentList& components) {
    translate(window, components, link);
  });
  try {
    form.reload();
  } catch (const data::DatabaseError& e) {
    controls::Messages::error(e.userText(), form.parentWidget());
    return 1;
  }
  form.exec();
  return 1;
}

// Enter (or Return) on a row of a maintenance grid opens that row's record,
// as a double-click does; the key goes no further (the window's default
// button does not also take it).
void openOnEnter(QAbstractItemView* grid, std::function<void()> open);

// Names a component (translation and tests find it by its name) and
// returns it.
template <typename T>
T* named(T* component, const char* name) {
  component->setObjectName(QString::fromLatin1(name));
  return component;
}

// A click is an event of its own: an error of the tables is shown and the
// event abandoned; nothing escapes into the event loop.
template <typename F>
auto guarded(QWidget* window, F action) {
  return [window, action] {
    try {
      action();
    } catch (const data::DatabaseError& e) {
      controls::Messages::error(describe(e), window);
    }
  };
}

}  // namespace orba::kit
