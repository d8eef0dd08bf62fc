#pragma once

namespace orba::dispatch {

// Qt keeps, for the whole process, a registry of the types it has met in
// signals, properties and variants; each entry points at a description that
// lives in the library that first named the type. A module library carries
// its own copy of the program's classes, so it may be the first to name one
// of them, and once it is unloaded that entry points into freed memory: the
// next library (or the desktop) naming the same type is compared with it.
// Before a module library goes, its entries go.
//
// `addressInModule`: any address inside the library (its entry point).
void forgetModuleMetaTypes(const void* addressInModule);

}  // namespace orba::dispatch
