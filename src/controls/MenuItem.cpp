#include "MenuItem.h"

#include <QDebug>
#include <algorithm>
#include <exception>

namespace orba::controls {

namespace {
MenuItem::ErrorReporter& reporter() {
  static MenuItem::ErrorReporter current;
  return current;
}
}  // namespace

void MenuItem::setErrorReporter(ErrorReporter report) { reporter() = std::move(report); }

MenuItem::MenuItem(const QString& name, const QString& caption, MenuItem* parent)
    : QObject(nullptr), caption_(caption) {
  setObjectName(name);
  if (parent) parent->insert(-1, this);
}

MenuItem* MenuItem::separator(const QString& name, MenuItem* parent) {
  auto* item = new MenuItem(name, QStringLiteral("-"), parent);
  item->separator_ = true;
  return item;
}

bool MenuItem::setName(const QString& name) {
  if (parent_) {
    for (MenuItem* sibling : parent_->items_)
      if (sibling != this && sibling->objectName() == name) return false;
  }
  setObjectName(name);
  return true;
}

void MenuItem::setCaption(const QString& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  emit changed(this);
}

void MenuItem::setHint(const QString& hint) {
  if (hint_ == hint) return;
  hint_ = hint;
  emit changed(this);
}

void MenuItem::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  emit changed(this);
}

void MenuItem::setVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  emit changed(this);
}

void MenuItem::setChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  emit changed(this);
}

void MenuItem::click() {
  if (!onClick_) return;
  // The handler may rebuild the menu that holds this item: it runs from a
  // copy, and the item itself outlives the click (see discard()).
  const ClickHandler handler = onClick_;
  // A click is an event of its own: whatever fails in it is reported and the
  // event abandoned, and nothing escapes into the event loop.
  try {
    handler(*this);
  } catch (const std::exception& e) {
    if (reporter())
      reporter()(e);
    else
      qWarning().noquote() << QString::fromUtf8(e.what());
  }
}

MenuItem* MenuItem::item(int index) const {
  return index >= 0 && index < count() ? items_[static_cast<std::size_t>(index)] : nullptr;
}

int MenuItem::menuIndex() const {
  if (!parent_) return -1;
  const auto& siblings = parent_->items_;
  return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

MenuItem* MenuItem::add(const QString& name, const QString& caption, int index) {
  auto* child = new MenuItem(name, caption);
  insert(index, child);
  return child;
}

void MenuItem::insert(int index, MenuItem* child) {
  if (child->parent_) {
    auto& old = child->parent_->items_;
    old.erase(std::remove(old.begin(), old.end(), child), old.end());
    emit child->parent_->itemsChanged(child->parent_);
  }
  child->parent_ = this;
  child->setParent(this);
  if (index < 0 || index > count()) index = count();
  items_.insert(items_.begin() + index, child);
  emit itemsChanged(this);
}

void MenuItem::discard(MenuItem* child) {
  // Out of the tree at once; the object itself goes once the event being
  // handled is over, since that event may be this item's own click (a Tools
  // entry whose maintenance rebuilds the Tools menu).
  child->parent_ = nullptr;
  child->setParent(nullptr);
  child->onClick_ = nullptr;
  child->deleteLater();
}

void MenuItem::remove(MenuItem* child) {
  const auto it = std::find(items_.begin(), items_.end(), child);
  if (it == items_.end()) return;
  items_.erase(it);
  discard(child);
  emit itemsChanged(this);
}

void MenuItem::clear() {
  if (items_.empty()) return;
  std::vector<MenuItem*> old;
  old.swap(items_);
  for (MenuItem* child : old) discard(child);
  emit itemsChanged(this);
}

MenuItem* MenuItem::find(const QString& name) {
  if (objectName() == name) return this;
  for (MenuItem* child : items_)
    if (MenuItem* found = child->find(name)) return found;
  return nullptr;
}

void MenuItem::forEach(const std::function<void(MenuItem&)>& visit) {
  visit(*this);
  for (MenuItem* child : items_) child->forEach(visit);
}

}  // namespace orba::controls
