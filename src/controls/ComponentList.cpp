#include "ComponentList.h"

#include <algorithm>

namespace orba::controls {

void ComponentList::remove(QObject* component) {
  components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
}

std::vector<QObject*> ComponentList::components() const {
  std::vector<QObject*> out;
  out.reserve(components_.size());
  for (const auto& c : components_)
    if (c) out.push_back(c.data());
  return out;
}

QObject* ComponentList::find(const QString& name) const {
  for (const auto& c : components_)
    if (c && c->objectName() == name) return c.data();
  return nullptr;
}

}  // namespace orba::controls
