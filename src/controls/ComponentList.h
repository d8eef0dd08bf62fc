#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

namespace orba::controls {

// The components a form owns, in component order. Translation and the
// desktop walk a form's components in this order, which is the order in
// which the form created them, not the order of QObject::children().
class ComponentList {
 public:
  // Adds the component and returns it, for use in initialisers.
  template <typename T>
  T* own(T* component) {
    components_.emplace_back(component);
    return component;
  }
  void remove(QObject* component);

  // Components that were deleted elsewhere are skipped.
  std::vector<QObject*> components() const;
  QObject* find(const QString& name) const;

 private:
  std::vector<QPointer<QObject>> components_;
};

}  // namespace orba::controls
