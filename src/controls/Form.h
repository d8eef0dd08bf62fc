#pragma once

#include "ComponentList.h"

namespace orba::controls {

// What every window and data module of the program has: a name and the
// ordered list of the components it owns, which translation walks.
class Form {
 public:
  virtual ~Form() = default;
  ComponentList& components() { return components_; }
  const ComponentList& components() const { return components_; }

 protected:
  ComponentList components_;
};

}  // namespace orba::controls
