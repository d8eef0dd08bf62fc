#pragma once

#include <QAction>
#include <QHash>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <vector>

namespace orba::controls {

// The main window's menu bar. It is driven by actions, as QMenuBar is: an
// action with a menu opens that menu below its item, any other action
// triggers when clicked. Unlike QMenuBar, which hides the items that do not
// fit behind an extension button, this bar wraps: the items go on to as many
// rows as they need, as the system's own menu bar does, and the bar grows
// taller (height for width) so that the window's area below it shrinks.
//
// Keyboard: Alt+letter opens the item whose caption has that mnemonic, its
// first entry highlighted; F10 (or Alt pressed and released alone), from
// whichever control of the window has the focus, highlights the first item,
// after which Left and Right move through the items in reading order, from
// the end of one row to the start of the next, and Down, Enter or Space
// open the highlighted menu. With a menu open, Left and Right open the
// previous or next item's menu, across rows, unless a submenu takes the key;
// the mouse moving over another item opens that item's menu.
class WrappingMenuBar : public QWidget {
  Q_OBJECT
 public:
  explicit WrappingMenuBar(QWidget* parent = nullptr);
  ~WrappingMenuBar() override;

  // Where the action's item lies in the bar; empty for a hidden action.
  QRect actionGeometry(QAction* action) const;
  QAction* actionAt(const QPoint& position) const;
  // The rows the items take at the current width.
  int rowCount() const;
  // The item highlighted by the keyboard or the mouse, or whose menu is open.
  QAction* activeAction() const { return active_; }
  // The menu shown from the bar, while one is.
  QMenu* openMenu() const { return open_; }

  // Opens an action's menu below its item (or triggers an action without
  // one), as a click on the item does.
  void activate(QAction* action);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // F10 and Alt alone, from whichever control of the window has the focus.
  bool windowKey(QObject* watched, QEvent* event);
  void actionEvent(QActionEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  struct Item {
    QAction* action;
    QRect rect;
  };
  // The items' places for a width, and the height they need.
  std::vector<Item> layoutFor(int width, int* height) const;
  void relayout();
  QSize itemSize(QAction* action) const;
  std::vector<QAction*> shownActions() const;
  // The shown action `step` places away from `from`, wrapping around.
  QAction* neighbour(QAction* from, int step) const;
  void setActive(QAction* action);
  void showMenu(QAction* action, bool selectFirst);
  void closeMenu();
  void toggleKeyboardMode();
  void leaveKeyboardMode();
  void updateShortcuts();
  void watchWindow();
  // Whether the point of the screen lies on a menu that is open.
  static bool onOpenMenu(const QPoint& global);

  std::vector<Item> items_;
  QPointer<QAction> active_;
  QPointer<QMenu> open_;
  QPointer<QAction> pressed_;
  bool keyboardMode_ = false;
  bool altAlone_ = false;
  QHash<int, QPointer<QAction>> shortcuts_;
  QPointer<QWidget> watchedWindow_;
};

}  // namespace orba::controls
