#pragma once

#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "StreamValues.h"

namespace orba::desktop {

enum class TFrameStyle { fsRegular, fsIndent, fsExplorer, fsNone, fsLight, fsDark, fsMono };
enum class TTextAlign {
  ttaTopLeft,
  ttaTop,
  ttaTopRight,
  ttaRight,
  ttaBottomRight,
  ttaBottom,
  ttaBottomLeft,
  ttaLeft,
  ttaCenter
};

// The desktop's icon button: a glyph and a caption drawn over whatever lies
// beneath it (the button paints on its parent's surface and leaves the rest
// alone), one of seven frame styles, hot tracking, a pressed look, an
// optional latched state, its own pop-up menu on the right button, and
// dragging within its parent.
//
// The glyph holds one to four frames side by side (normal, disabled,
// pressed, ...); the button derives a gray version (for the explorer style
// while the mouse is elsewhere) and an embossed disabled version of the
// first frame. Each frame is drawn through a mask made of its bottom-left
// pixel's colour.
//
// A new button is 40 x 40 with the creation values, which are not all the
// declared defaults a component stream leaves out (see the table in
// TransparentButtonStream.cpp).
//
// The keyboard reaches it as it reaches any button: it takes the focus (Tab,
// or its owner's arrow keys, OnKeyDown), Enter does what a double-click does,
// and the menu key or Shift+F10 shows its pop-up menu. A dotted frame shows
// the focus once the keyboard has moved it there.
class TTransparentButton : public QWidget {
  Q_OBJECT
 public:
  explicit TTransparentButton(QWidget* parent = nullptr);
  ~TTransparentButton() override;

  bool autoGray() const { return autoGray_; }
  void setAutoGray(bool on) { autoGray_ = on; }
  int borderWidth() const { return borderWidth_; }
  void setBorderWidth(int width);
  QString caption() const { return caption_; }
  void setCaption(const QString& caption);
  bool isDown() const { return down_; }
  void setDown(bool down);
  TFrameStyle frameStyle() const { return frameStyle_; }
  void setFrameStyle(TFrameStyle style);
  const QImage& glyph() const { return glyph_; }
  void setGlyph(const QImage& glyph);
  int numGlyphs() const { return numGlyphs_; }
  void setNumGlyphs(int count);
  bool showPressed() const { return showPressed_; }
  void setShowPressed(bool on) { showPressed_ = on; }
  int spacing() const { return spacing_; }
  void setSpacing(int spacing);
  TTextAlign textAlign() const { return textAlign_; }
  void setTextAlign(TTextAlign align);
  bool isTransparent() const { return transparent_; }
  void setTransparent(bool on);
  bool wordWrap() const { return wordWrap_; }
  void setWordWrap(bool on);
  bool isMovable() const { return movable_; }
  void setMovable(bool on) { movable_ = on; }

  // The font as the stream holds it; used when parentFont() is false.
  const StreamFont& streamFont() const { return font_; }
  void setStreamFont(const StreamFont& font);
  bool parentFont() const { return parentFont_; }
  void setParentFont(bool on);
  bool parentShowHint() const { return parentShowHint_; }
  void setParentShowHint(bool on) { parentShowHint_ = on; }
  bool showHint() const { return showHint_; }
  void setShowHint(bool on) { showHint_ = on; }

  // The pop-up menu of the right button, and the name the stream gives it.
  QMenu* popUpMenu() const { return popUpMenu_; }
  const QString& popUpMenuName() const { return popUpMenuName_; }
  void setPopUpMenu(QMenu* menu, const QString& name);

  // The component's Tag: 1 while the icon is shown on the desktop.
  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }

  // The images built from the glyph: the frames, then the gray version,
  // then the disabled version of frame 0.
  const std::vector<QImage>& glyphList() const { return glyphList_; }
  bool isDrawnDown() const { return drawnDown_; }
  bool isMouseInside() const { return mouseInside_; }

  // Moving the button to (x, y) keeps it wholly inside its parent, short of
  // the right and bottom edges.
  bool FitsInParent(int x, int y) const;

  QSize sizeHint() const override { return {40, 40}; }

  // The gray level of a colour: (R * 11 + G * 59 + B * 30) / 100.
  static int grayLevel(QRgb rgb);
  static QImage grayVersion(const QImage& frame);
  QImage disabledVersion(const QImage& frame) const;

 signals:
  void OnClick(orba::desktop::TTransparentButton* sender);
  void OnDblClick(orba::desktop::TTransparentButton* sender);
  void OnMouseDown(orba::desktop::TTransparentButton* sender, Qt::MouseButton button,
                   Qt::KeyboardModifiers modifiers, QPoint at);
  void OnMouseMove(orba::desktop::TTransparentButton* sender, Qt::KeyboardModifiers modifiers, QPoint at);
  void OnMouseUp(orba::desktop::TTransparentButton* sender, Qt::MouseButton button,
                 Qt::KeyboardModifiers modifiers, QPoint at);
  void OnMouseEnter(orba::desktop::TTransparentButton* sender);
  void OnMouseExit(orba::desktop::TTransparentButton* sender);
  // A key the button does not use itself (the arrows, for its owner to
  // move the focus among its buttons).
  void OnKeyDown(orba::desktop::TTransparentButton* sender, int key, Qt::KeyboardModifiers modifiers);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // Shows the pop-up menu for the keyboard, below the glyph.
  void popUpFromKeyboard();
  void glyphChanged();
  void BuildGlyphList();
  void release(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at);
  void updateAccelerator();
  QFont captionFont() const;

  bool autoGray_ = true;
  int borderWidth_ = 1;
  QString caption_;
  bool down_ = false;
  TFrameStyle frameStyle_ = TFrameStyle::fsRegular;
  QImage glyph_;
  int numGlyphs_ = 1;
  bool showPressed_ = false;
  int spacing_ = 2;
  TTextAlign textAlign_ = TTextAlign::ttaBottom;
  bool transparent_ = true;
  bool wordWrap_ = true;
  bool movable_ = true;
  StreamFont font_;
  bool parentFont_ = true;
  bool parentShowHint_ = true;
  bool showHint_ = false;
  QPointer<QMenu> popUpMenu_;
  QString popUpMenuName_;
  int tag_ = 0;

  std::vector<QImage> glyphList_;
  bool pressPending_ = false;
  bool tracking_ = false;
  bool drawnDown_ = false;
  bool mouseInside_ = false;
  bool clickArmed_ = false;
  int dragAnchorX_ = 0;
  int dragAnchorY_ = 0;
  int accelerator_ = 0;
  // The focus came by the keyboard: the focus frame is drawn.
  bool keyboardFocus_ = false;
};

}  // namespace orba::desktop
