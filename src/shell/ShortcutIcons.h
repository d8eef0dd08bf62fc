#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

#include "DesktopPanels.h"
#include "ErrorMessages.h"

class QMenu;

namespace orba::controls {
class ComponentList;
}
namespace orba::desktop {
class TPictureDlg;
class TPropertiesDlg;
class TShortcutDlg;
class TTransparentButton;
class TWallpaper;
}  // namespace orba::desktop

namespace orba::shell {

// The shortcut icons on the desktop: picture buttons that run an option, or
// open and close a list panel, on a double-click. The user adds one for any
// option of the catalogue, changes its caption and picture, drags it about
// and deletes it. Icons are components of the main window, after the
// window's own, in the order they were created.
//
// The icons lie on the desktop's surface: beneath every list panel, stacked
// among themselves in their order of creation, so that an open panel covers
// them and takes its own clicks. The arrow keys move the focus from one icon
// to the nearest in that direction.
class ShortcutIcons : public QObject {
  Q_OBJECT
 public:
  struct Hooks {
    std::function<void()> changed;
    // Runs the option an icon names (its name, the code followed by "S").
    std::function<void(const QString& name)> runOption;
    std::function<void(dispatch::ErrorMessage message)> showMessage;
    std::function<void(const QString& message)> showError;
  };
  struct Dialogs {
    desktop::TShortcutDlg* shortcut = nullptr;
    desktop::TPropertiesDlg* properties = nullptr;
    desktop::TPictureDlg* pictures = nullptr;
  };

  ShortcutIcons(desktop::TWallpaper* wallpaper, controls::ComponentList& components, DesktopPanels& panels,
                QObject* parent = nullptr);
  void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }
  void setDialogs(Dialogs dialogs) { dialogs_ = dialogs; }
  // The program folder, where the picture of a new icon is.
  void setProgramDir(const QString& dir) { programDir_ = dir; }
  // The desktop's context menu, which every icon shows.
  void setPopupMenu(QMenu* menu, const QString& name);

  // Adds an icon for the option chosen in the shortcut dialog; nullptr when
  // none was added (cancelled, no right, one exists already).
  desktop::TTransparentButton* add();
  // Deletes the icon the context menu was opened on; for a panel's icon
  // the panel closes too. On the bare wallpaper, nothing.
  void remove(QObject* target);
  // Edits the icon's caption and picture in the properties dialog.
  void editProperties(desktop::TTransparentButton* icon);

  // A new hidden icon on the wallpaper, for a stored one to be read into.
  desktop::TTransparentButton* createForRestore();
  // What a double-click on the icon does, by the name it has: a panel's
  // toggle for the six panel icons, the option otherwise.
  void bind(desktop::TTransparentButton* icon);
  // Deletes an icon without a word (one a stored row could not be read into).
  void discard(desktop::TTransparentButton* icon) { destroy(icon); }
  // Every icon, in the order of creation.
  std::vector<desktop::TTransparentButton*> icons() const;
  void destroyAll();
  // Gives every icon the desktop's context menu.
  void applyPopupMenu();
  // Moves the icons that lie partly or wholly outside the desktop back onto
  // it (a desktop stored on a larger screen, a window made smaller).
  void bringOntoDesktop();
  // Where a new icon of this size goes: the usual spot when it is free,
  // otherwise the first place from there, row by row, that covers no icon.
  QPoint freeSpot(QSize size) const;

 private:
  desktop::TTransparentButton* create();
  void destroy(desktop::TTransparentButton* icon);
  void changed();
  // The icons beneath every other control of the desktop, in creation order.
  void keepBeneath();
  // The arrow keys on an icon: the focus to the nearest icon that way.
  void moveFocus(desktop::TTransparentButton* from, int key);

  desktop::TWallpaper* wallpaper_;
  controls::ComponentList& components_;
  DesktopPanels& panels_;
  Hooks hooks_;
  Dialogs dialogs_;
  QString programDir_;
  QPointer<QMenu> popup_;
  QString popupName_;
  std::vector<QPointer<desktop::TTransparentButton>> icons_;
};

// Reads a bitmap file as an icon's glyph: the glyph is a bitmap, so a JPEG
// or any other picture is refused (false, with the reason in *error).
bool loadBitmapGlyph(const QString& path, QImage* glyph, QString* error);

}  // namespace orba::shell
