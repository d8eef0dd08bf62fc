#pragma once

#include <QGroupBox>
#include <QPointer>
#include <QToolButton>

#include "StreamValues.h"

namespace orba::desktop {

// A list panel of the desktop (clients, suppliers, accounts, employees,
// products, the to-do list): a framed box with its caption, three small
// buttons on its title row (reduce, enlarge, close) and its list (a grid or
// the to-do text) along its bottom edge. The state a stored desktop keeps is
// here; its Tag is 1 while the panel is open.
//
// The panel reports what happens on its own surface (not on its list or
// buttons) and the focus entering its list; what that does to the desktop
// (dragging, bringing to the front) is decided by its owner.
class TListPanel : public QGroupBox {
  Q_OBJECT
 public:
  explicit TListPanel(const QString& name, QWidget* parent = nullptr);

  QString caption() const { return title(); }
  void setCaption(const QString& caption) { setTitle(caption); }
  TColor color() const { return color_; }
  void setColor(TColor color);
  const StreamFont& streamFont() const { return font_; }
  void setStreamFont(const StreamFont& font);
  bool parentFont() const { return parentFont_; }
  void setParentFont(bool on);

  int tag = 0;
  bool parentColor = false;
  std::string dragCursor = "crDrag";
  QString popupMenuName;
  int tabOrder = -1;

  // The title row's buttons, children of the panel; they never take the
  // focus.
  void setTitleButtons(QToolButton* reduce, QToolButton* enlarge, QToolButton* close);
  QToolButton* reduceButton() const { return reduce_; }
  QToolButton* enlargeButton() const { return enlarge_; }
  QToolButton* closeButton() const { return close_; }
  // The list, a child of the panel kept along its bottom edge at the height
  // it has (the title-row layout sets that height).
  void setList(QWidget* list);
  QWidget* list() const { return list_; }
  // The title-row layout, with the panel's width W and height H: the close
  // button at W - 23, the enlarge button at W - 46, the reduce button at
  // W - 65, and the list H - 34 high (never less than nothing).
  void layoutTitleRow();

 signals:
  void surfaceMouseDown(orba::desktop::TListPanel* panel, Qt::MouseButton button, QPoint at);
  void surfaceMouseMove(orba::desktop::TListPanel* panel, QPoint at);
  void surfaceMouseUp(orba::desktop::TListPanel* panel, Qt::MouseButton button, QPoint at);
  // A press and release on the panel's own surface.
  void surfaceClicked(orba::desktop::TListPanel* panel);
  // The input focus moved into the list from outside the panel.
  void listEntered(orba::desktop::TListPanel* panel);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void placeList();

  TColor color_ = clBtnFace;
  StreamFont font_;
  bool parentFont_ = true;
  QPointer<QToolButton> reduce_;
  QPointer<QToolButton> enlarge_;
  QPointer<QToolButton> close_;
  QPointer<QWidget> list_;
  bool pressed_ = false;
};

// A title-row button: a tool button that never takes the focus and also
// reports a double-click (its second press still clicks, as any button's).
class TTitleButton : public QToolButton {
  Q_OBJECT
 public:
  explicit TTitleButton(const QString& name, QWidget* parent = nullptr);

 signals:
  void doubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  // Drawn as the small flat-faced buttons of a title row: a one-pixel 3D
  // frame and the glyph (or caption) unscaled in the middle, one pixel
  // further down and right while pressed.
  void paintEvent(QPaintEvent* event) override;
};

// The pictures of the title row's reduce and enlarge buttons: 15 x 15, in the
// sixteen classic colours on a transparent ground.
QImage reduceGlyph();
QImage enlargeGlyph();

}  // namespace orba::desktop
