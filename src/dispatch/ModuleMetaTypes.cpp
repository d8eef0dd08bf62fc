#include "ModuleMetaTypes.h"

#include <dlfcn.h>

#include <QMetaType>

namespace orba::dispatch {

void forgetModuleMetaTypes(const void* addressInModule) {
  Dl_info module{};
  if (!addressInModule || !dladdr(addressInModule, &module) || !module.dli_fbase) return;
  // Custom types are numbered from QMetaType::User on; an unregistered
  // number leaves a gap that a later type may fill, so the walk goes on past
  // gaps until a long run of free numbers ends it.
  int free = 0;
  for (int id = QMetaType::User; free < 1024; ++id) {
    if (!QMetaType::isRegistered(id)) {
      ++free;
      continue;
    }
    free = 0;
    QMetaType type(id);
    Dl_info owner{};
    if (dladdr(type.iface(), &owner) && owner.dli_fbase == module.dli_fbase)
      QMetaType::unregisterMetaType(type);
  }
}

}  // namespace orba::dispatch
