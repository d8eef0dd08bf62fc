#pragma once

#include <QString>

namespace orba::dispatch {

// A code as it reaches the dispatch, reduced to the option it names: one
// trailing "p" is dropped (except from "mcomp", whose "p" is its own), then
// one trailing "f" (a quick entry), then one trailing "S" (a shortcut icon or
// a list's Insert key), each only when it is then the last character.
struct OptionRequest {
  QString code;
  bool fromShortcut = false;  // had the "S": its right is checked at run time
};
OptionRequest normalizeOptionCode(const QString& received);

// The library that runs an option, without extension: the code itself, or
// for the report options every module shares, the general ledger's report
// library, with the module it serves in `context` (left as it was for any
// other code).
QString moduleLibraryName(const QString& code, QString* context);

}  // namespace orba::dispatch
