#include "Driver.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>
#include <thread>

#include "LogoAppForm.h"
#include "WrappingMenuBar.h"

Driver::Driver(QString screenshotDir) : screenshotDir_(std::move(screenshotDir)) {}

bool Driver::waitUntil(const std::function<bool()>& condition, int milliseconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    if (gui([&] { return condition(); })) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
}

void Driver::settle(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  gui([] { QApplication::processEvents(); });
}

QWidget* Driver::window(const QString& name) const {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() &&
        (w->objectName() == name || QString::fromLatin1(w->metaObject()->className()) == name))
      return w;
  return nullptr;
}

bool Driver::waitForWindow(const QString& name, int milliseconds) {
  return waitUntil([&] { return window(name) != nullptr; }, milliseconds);
}

bool Driver::waitForWindowGone(const QString& name, int milliseconds) {
  return waitUntil([&] { return window(name) == nullptr; }, milliseconds);
}

QWidget* Driver::child(const QString& windowName, const QString& name) const {
  QWidget* w = window(windowName);
  if (!w) return nullptr;
  for (QWidget* c : w->findChildren<QWidget*>(name))
    if (c->isVisible()) return c;
  return nullptr;
}

QString Driver::messageBoxText() const {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box->text();
  return {};
}

QString Driver::windowsOnScreen() const {
  return const_cast<Driver*>(this)->gui([] {
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible())
        names << QStringLiteral("%1(%2) \"%3\"")
                     .arg(w->metaObject()->className(), w->objectName(), w->windowTitle());
    return names.join(QStringLiteral(", "));
  });
}

void Driver::clickAt(QPoint global, int button) { input_.click(global.x(), global.y(), button); }

void Driver::waitUntilPlaced(const QString& windowName) {
  // Qt calls a window visible when it asks for it to be shown; the window
  // manager maps and places it afterwards. A click computed before that
  // lands where the window is not yet.
  QPoint last(-1, -1);
  int steady = 0;
  waitUntil(
      [&] {
        QWidget* w = window(windowName);
        if (!w || !w->windowHandle() || !w->windowHandle()->isExposed()) return false;
        const QPoint at = w->mapToGlobal(QPoint(0, 0));
        steady = at == last ? steady + 1 : 0;
        last = at;
        return steady >= 3;
      },
      3000);
}

bool Driver::giveKeyboardTo(const QString& windowName) {
  waitUntilPlaced(windowName);
  auto active = [&] {
    QWidget* w = window(windowName);
    return w && w->isActiveWindow();
  };
  if (waitUntil(active, 3000)) return true;
  // On a busy machine the window manager may not have given the new window
  // the keyboard yet; a click on its margin does, as a user's would.
  const QPoint margin = gui([&] {
    QWidget* w = window(windowName);
    return w ? w->mapToGlobal(QPoint(3, 3)) : QPoint(-1, -1);
  });
  if (margin.x() < 0) return false;
  clickAt(margin);
  return waitUntil(active, 5000);
}

void Driver::click(const QString& windowName, const QString& childName, int button) {
  waitUntilPlaced(windowName);
  const QPoint where = gui([&] {
    QWidget* target = childName.isEmpty() ? window(windowName) : child(windowName, childName);
    return target ? target->mapToGlobal(target->rect().center()) : QPoint(-1, -1);
  });
  if (where.x() >= 0) clickAt(where, button);
}

void Driver::doubleClick(const QString& windowName, const QString& childName) {
  waitUntilPlaced(windowName);
  const QPoint where = gui([&] {
    QWidget* target = child(windowName, childName);
    return target ? target->mapToGlobal(target->rect().center()) : QPoint(-1, -1);
  });
  if (where.x() >= 0) input_.doubleClick(where.x(), where.y());
}

void Driver::doubleClickAt(QPoint global) { input_.doubleClick(global.x(), global.y()); }

void Driver::drag(QPoint from, QPoint to) {
  input_.move(from.x(), from.y());
  settle(50);
  input_.press(1);
  settle(50);
  constexpr int kSteps = 8;
  for (int i = 1; i <= kSteps; ++i) {
    const QPoint at = from + (to - from) * i / kSteps;
    input_.move(at.x(), at.y());
    settle(30);
  }
  input_.release(1);
  settle(100);
}

bool Driver::clickButton(const QString& windowName, const QString& text) {
  waitUntilPlaced(windowName);
  const QPoint where = gui([&] {
    if (QWidget* w = window(windowName))
      for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
        if (b->isVisible() && b->text().remove(QLatin1Char('&')) == text)
          return b->mapToGlobal(b->rect().center());
    return QPoint(-1, -1);
  });
  if (where.x() < 0) return false;
  clickAt(where);
  return true;
}

QRect Driver::barItemRect(const QString& name) const {
  return [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* form = qobject_cast<orba::shell::TLogoAppForm*>(w);
      if (!form || !form->isVisible()) continue;
      orba::controls::WrappingMenuBar* bar = form->menuBarWidget();
      for (QAction* a : bar->actions())
        if (a->objectName() == name && a->isVisible()) {
          const QRect r = bar->actionGeometry(a);
          return QRect(bar->mapToGlobal(r.topLeft()), r.size());
        }
    }
    return QRect();
  }();
}

QRect Driver::openMenuItemRect(const QString& name) const {
  return [&] {
    // "#n": the n-th item shown, for entries built from data without names.
    bool byPlace = false;
    const int place = name.startsWith(QLatin1Char('#')) ? name.mid(1).toInt(&byPlace) : -1;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* menu = qobject_cast<QMenu*>(w);
      if (!menu || !menu->isVisible()) continue;
      // By place, in the menu opened last (the pop-up on top).
      if (byPlace && menu != QApplication::activePopupWidget()) continue;
      int shown = 0;
      for (QAction* a : menu->actions())
        if (a->isVisible() && !a->isSeparator() && (byPlace ? shown++ == place : a->objectName() == name)) {
          const QRect r = menu->actionGeometry(a);
          return QRect(menu->mapToGlobal(r.topLeft()), r.size());
        }
    }
    return QRect();
  }();
}

bool Driver::chooseMenu(const QStringList& path) {
  if (path.isEmpty()) return false;
  const QRect top = gui([&] { return barItemRect(path.front()); });
  if (!top.isValid()) return false;
  clickAt(top.center());
  for (int i = 1; i < path.size(); ++i) {
    QRect item;
    if (!waitUntil([&] { return openMenuItemRect(path[i]).isValid(); }, 5000)) return false;
    item = gui([&] { return openMenuItemRect(path[i]); });
    // Over the item first, as a hand moves, so a submenu opens.
    input_.move(item.center().x(), item.center().y());
    settle(80);
    clickAt(item.center());
  }
  return true;
}

QString Driver::screenshot(const QString& name) {
  QDir().mkpath(screenshotDir_);
  const QString path = screenshotDir_ + QLatin1Char('/') + name + QStringLiteral(".png");
  gui([&] { QGuiApplication::primaryScreen()->grabWindow(0).save(path); });
  return path;
}
