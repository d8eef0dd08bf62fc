#pragma once

#include <QApplication>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <chrono>
#include <functional>
#include <string>
#include <type_traits>

#include "XInput.h"

class QAction;
class QMenu;

// What a scenario's steps use: they run on a thread of their own, look at the
// program through gui() (which runs a function on the program's thread and
// waits for it) and act only through the X server, as a user does.
//
// A step that opens a modal window must be real input, never gui(): gui()
// waits for its function, and the window's loop would not let it return.
class Driver {
 public:
  explicit Driver(QString screenshotDir);

  // Runs `fn` on the program's thread and returns what it returns.
  template <typename F>
  auto gui(F&& fn) -> std::invoke_result_t<F> {
    using R = std::invoke_result_t<F>;
    if constexpr (std::is_void_v<R>) {
      QMetaObject::invokeMethod(qApp, std::forward<F>(fn), Qt::BlockingQueuedConnection);
    } else {
      R result{};
      QMetaObject::invokeMethod(
          qApp, [&] { result = fn(); }, Qt::BlockingQueuedConnection);
      return result;
    }
  }

  // Asks `condition` on the program's thread until it holds; false when it
  // did not within the time (the step then failed: say what was awaited).
  bool waitUntil(const std::function<bool()>& condition, int milliseconds = 15000);
  // Lets the program handle what the X server has sent it so far.
  void settle(int milliseconds = 150);

  // These look at the widgets: call them on the program's thread, inside
  // gui() or a waitUntil() condition.
  // A visible top-level window with this object name (or class name).
  QWidget* window(const QString& name) const;
  // A visible window's child by object name.
  QWidget* child(const QString& window, const QString& name) const;
  // The text of the message box on screen, empty when none is.
  QString messageBoxText() const;
  bool waitForWindow(const QString& name, int milliseconds = 15000);
  bool waitForWindowGone(const QString& name, int milliseconds = 15000);
  // Every window on screen, for a failure's message.
  QString windowsOnScreen() const;

  // Waits (up to 3 s) until the window is on the screen where it stays:
  // exposed, its position the same over a few looks.
  void waitUntilPlaced(const QString& window);

  // Waits until the window has the keyboard; when the window manager has
  // not given it within 3 s, clicks the window's margin. False when the
  // window is not there or never gets it.
  bool giveKeyboardTo(const QString& window);

  // Input through the X server.
  void clickAt(QPoint global, int button = 1);
  void click(const QString& window, const QString& child = {}, int button = 1);
  void doubleClick(const QString& window, const QString& child);
  void doubleClickAt(QPoint global);
  // Presses the left button at `from`, moves in small steps to `to` and
  // releases it there, as a hand drags.
  void drag(QPoint from, QPoint to);
  // Clicks the button of a window whose text, without its accelerator, is
  // `text` (the buttons of message boxes have no names).
  bool clickButton(const QString& window, const QString& text);
  void key(const std::string& combination) { input_.key(combination); }
  void type(const QString& text) { input_.type(text.toStdString()); }

  // The menu bar: opens a top-level menu by clicking it, then chooses the
  // items by object name ("#n" for the n-th item shown), submenu by
  // submenu, with the mouse.
  bool chooseMenu(const QStringList& path);
  // Where a menu bar entry or an open pop-up's item is on the screen (on
  // the program's thread).
  QRect barItemRect(const QString& name) const;
  QRect openMenuItemRect(const QString& name) const;

  // The whole screen, into the screenshot folder.
  QString screenshot(const QString& name);

 private:
  XInput input_;
  QString screenshotDir_;
};
