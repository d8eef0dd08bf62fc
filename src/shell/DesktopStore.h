#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace orba::controls {
class ComponentList;
}
namespace orba::data {
class Table;
}
namespace orba::desktop {
class TWallpaper;
}

namespace orba::shell {

class DesktopPanels;
class ShortcutIcons;
class SystemCaptions;

// One saved component of a user's desktop, as Desktop.db holds it.
struct DesktopRow {
  enum Kind { Wallpaper = 0, Icon = 1, Panel = 2, Grid = 3, ToDoText = 4 };
  int kind = 0;
  int index = 0;  // panels and grids: which one; the others: their position at save time
  QByteArray stream;
  bool operator==(const DesktopRow&) const = default;
};

// A stored row the restore skipped, and why.
struct DesktopRowProblem {
  int kind = 0;
  int index = 0;
  QString reason;
};

// A user's desktop and its rows in Desktop.db: the rows it is saved as, the
// user's rows replaced at once, and the rows applied back onto the desktop.
class DesktopStore {
 public:
  DesktopStore(desktop::TWallpaper& wallpaper, DesktopPanels& panels, ShortcutIcons& icons,
               const controls::ComponentList& components);

  // The desktop as rows, in the window's component order: the wallpaper,
  // the icons, the panels, the grids and the to-do text.
  std::vector<DesktopRow> rows() const;

  // Replaces the user's rows by these in one change: until it is stored,
  // the old rows stay; a failure (DatabaseError) stores none of it.
  static void save(data::Table& desktopTable, const QString& user, const std::vector<DesktopRow>& rows);
  // The rows the table shows (the current user's), in their order. A row
  // that cannot be read (a damaged value) is left out and told in
  // `problems`, the others are read all the same.
  static std::vector<DesktopRow> load(data::Table& desktopTable, std::vector<DesktopRowProblem>* problems);

  // Applies rows in two passes: first the wallpaper and the panels (a panel
  // stored open opens with its tables), then the icons, grids and to-do
  // text. A row that cannot be applied is skipped, leaving its component
  // as it was, and returned; the others are applied all the same.
  //
  // Then what the rows cannot know of today: the panels and icons are
  // brought onto this desktop (it may be smaller than the one they were
  // stored on), and the system's texts take the current language (see
  // SystemCaptions) instead of the one they were stored in.
  std::vector<DesktopRowProblem> restore(const std::vector<DesktopRow>& rows);

  void setSystemCaptions(SystemCaptions* captions) { captions_ = captions; }

 private:
  desktop::TWallpaper& wallpaper_;
  DesktopPanels& panels_;
  ShortcutIcons& icons_;
  const controls::ComponentList& components_;
  SystemCaptions* captions_ = nullptr;
};

}  // namespace orba::shell
