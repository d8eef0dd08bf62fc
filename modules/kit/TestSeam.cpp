// The tests' way into a module library's tables: the file system they go
// through, so that a test can make a write fail on purpose. Compiled into
// each module library of the program (orba_add_system_module) rather than
// kept in the kit's archive, whose symbols stay inside the library.

#include "ModuleKit.h"
#include "Table.h"

ORBA_MODULE_EXPORT void OrbaTestSetEnv(orba::pdx::Env* env) { orba::data::Table::setEnv(env); }
