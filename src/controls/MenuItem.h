#pragma once

#include <QObject>
#include <QString>
#include <exception>
#include <functional>
#include <vector>

namespace orba::controls {

// One item of a menu tree: a top-level menu, a submenu, an option, a
// separator. The tree is the menu as the program thinks of it: rights,
// translation and the language switch work on it by name and by position,
// without a screen; MenuBarMirror shows it.
//
// objectName() is the component name ("gl03", "Settings1"). An item owns its
// children (as their QObject parent) and keeps them in menu order.
class MenuItem : public QObject {
  Q_OBJECT
 public:
  using ClickHandler = std::function<void(MenuItem&)>;

  explicit MenuItem(const QString& name, const QString& caption = {}, MenuItem* parent = nullptr);

  static MenuItem* separator(const QString& name, MenuItem* parent);

  QString name() const { return objectName(); }
  // Fails (returns false) when a sibling already has the name.
  bool setName(const QString& name);

  QString caption() const { return caption_; }
  void setCaption(const QString& caption);
  QString hint() const { return hint_; }
  void setHint(const QString& hint);
  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  int groupIndex() const { return groupIndex_; }
  void setGroupIndex(int index) { groupIndex_ = index; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  bool isVisible() const { return visible_; }
  void setVisible(bool visible);
  bool isChecked() const { return checked_; }
  void setChecked(bool checked);
  bool isSeparator() const { return separator_; }

  void setOnClick(ClickHandler handler) { onClick_ = std::move(handler); }
  bool hasClickHandler() const { return static_cast<bool>(onClick_); }
  // What choosing the item does. A click is an event of its own: an error
  // escaping from the handler is reported, and the event abandoned.
  void click();

  // Where click errors are reported (the program's message boxes, which
  // turn the error into the user's words); without one they go to the log.
  using ErrorReporter = std::function<void(const std::exception&)>;
  static void setErrorReporter(ErrorReporter report);

  MenuItem* parentItem() const { return parent_; }
  int count() const { return static_cast<int>(items_.size()); }
  MenuItem* item(int index) const;
  const std::vector<MenuItem*>& items() const { return items_; }
  // Position among the parent's items, -1 for a root.
  int menuIndex() const;
  // Appends (index < 0) or inserts a new child.
  MenuItem* add(const QString& name, const QString& caption = {}, int index = -1);
  void insert(int index, MenuItem* child);
  // Removes one child, or all of them, from the tree at once; the removed
  // items are deleted when control returns to the event loop, so that a
  // click handler may rebuild the very menu it was chosen from.
  void remove(MenuItem* child);
  void clear();

  // The first item of this subtree with the name, this one included.
  MenuItem* find(const QString& name);
  // Every item of the subtree in menu order, depth first, this one first.
  void forEach(const std::function<void(MenuItem&)>& visit);

 signals:
  // State shown on screen changed: caption, enabled, visible, checked.
  void changed(orba::controls::MenuItem* item);
  // Children were added, removed or reordered.
  void itemsChanged(orba::controls::MenuItem* item);

 private:
  static void discard(MenuItem* child);

  MenuItem* parent_ = nullptr;
  std::vector<MenuItem*> items_;
  QString caption_;
  QString hint_;
  int tag_ = 0;
  int groupIndex_ = 0;
  bool enabled_ = true;
  bool visible_ = true;
  bool checked_ = false;
  bool separator_ = false;
  ClickHandler onClick_;
};

}  // namespace orba::controls
