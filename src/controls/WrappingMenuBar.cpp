#include "WrappingMenuBar.h"

#include <QAction>
#include <QActionEvent>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QShortcutEvent>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <algorithm>

namespace orba::controls {

namespace {

int styleMetric(const QWidget* w, QStyle::PixelMetric m) { return w->style()->pixelMetric(m, nullptr, w); }

}  // namespace

WrappingMenuBar::WrappingMenuBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("MenuBar"));
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_Hover);
  setBackgroundRole(QPalette::Button);
  setAutoFillBackground(true);
  // The window's keys for the bar (F10, Alt) and, while a menu of the bar
  // is open, the events of its pop-ups pass through this filter.
  qApp->installEventFilter(this);
  watchWindow();
}

WrappingMenuBar::~WrappingMenuBar() { qApp->removeEventFilter(this); }

std::vector<QAction*> WrappingMenuBar::shownActions() const {
  std::vector<QAction*> shown;
  for (QAction* a : actions())
    if (a->isVisible() && !a->isSeparator()) shown.push_back(a);
  return shown;
}

QSize WrappingMenuBar::itemSize(QAction* action) const {
  QStyleOptionMenuItem opt;
  opt.initFrom(this);
  opt.menuItemType = QStyleOptionMenuItem::Normal;
  opt.checkType = QStyleOptionMenuItem::NotCheckable;
  opt.text = action->text();
  opt.fontMetrics = fontMetrics();
  const QSize text = fontMetrics().size(Qt::TextShowMnemonic, action->text());
  return style()->sizeFromContents(QStyle::CT_MenuBarItem, &opt, text, this);
}

std::vector<WrappingMenuBar::Item> WrappingMenuBar::layoutFor(int width, int* height) const {
  const int frame = styleMetric(this, QStyle::PM_MenuBarPanelWidth);
  const int hmargin = styleMetric(this, QStyle::PM_MenuBarHMargin) + frame;
  const int vmargin = styleMetric(this, QStyle::PM_MenuBarVMargin) + frame;
  const int spacing = styleMetric(this, QStyle::PM_MenuBarItemSpacing);
  std::vector<Item> items;
  int rowHeight = fontMetrics().height();
  for (QAction* a : shownActions()) {
    const QSize size = itemSize(a);
    rowHeight = std::max(rowHeight, size.height());
    items.push_back({a, QRect(QPoint(), size)});
  }
  // Items are placed left to right; one that would cross the right edge
  // starts the next row, unless it is the first of its row (an item wider
  // than the bar keeps a row of its own).
  const int right = std::max(width - hmargin, hmargin + 1);
  int x = hmargin;
  int y = vmargin;
  bool rowEmpty = true;
  for (Item& item : items) {
    const int w = item.rect.width();
    if (!rowEmpty && x + w > right) {
      x = hmargin;
      y += rowHeight;
      rowEmpty = true;
    }
    item.rect = QRect(x, y, w, rowHeight);
    x += w + spacing;
    rowEmpty = false;
  }
  if (height) *height = (items.empty() ? rowHeight : y + rowHeight - vmargin) + 2 * vmargin;
  return items;
}

void WrappingMenuBar::relayout() {
  int height = 0;
  items_ = layoutFor(width(), &height);
  if (height != this->height()) updateGeometry();
  update();
}

int WrappingMenuBar::heightForWidth(int width) const {
  int height = 0;
  layoutFor(width, &height);
  return height;
}

QSize WrappingMenuBar::sizeHint() const {
  int width =
      2 * (styleMetric(this, QStyle::PM_MenuBarHMargin) + styleMetric(this, QStyle::PM_MenuBarPanelWidth));
  for (QAction* a : shownActions())
    width += itemSize(a).width() + styleMetric(this, QStyle::PM_MenuBarItemSpacing);
  return {width, heightForWidth(width)};
}

QSize WrappingMenuBar::minimumSizeHint() const {
  // Any width will do: the items wrap.
  return {0, heightForWidth(QWIDGETSIZE_MAX)};
}

QRect WrappingMenuBar::actionGeometry(QAction* action) const {
  for (const Item& item : items_)
    if (item.action == action) return item.rect;
  return {};
}

QAction* WrappingMenuBar::actionAt(const QPoint& position) const {
  for (const Item& item : items_)
    if (item.rect.contains(position)) return item.action;
  return nullptr;
}

int WrappingMenuBar::rowCount() const {
  std::vector<int> tops;
  for (const Item& item : items_)
    if (std::find(tops.begin(), tops.end(), item.rect.top()) == tops.end()) tops.push_back(item.rect.top());
  return static_cast<int>(tops.size());
}

QAction* WrappingMenuBar::neighbour(QAction* from, int step) const {
  const std::vector<QAction*> shown = shownActions();
  if (shown.empty()) return nullptr;
  const auto it = std::find(shown.begin(), shown.end(), from);
  const int count = static_cast<int>(shown.size());
  int index = it == shown.end() ? (step > 0 ? -1 : count) : static_cast<int>(it - shown.begin());
  // Disabled items are passed over, as long as some item is enabled.
  for (int tries = 0; tries < count; ++tries) {
    index = ((index + step) % count + count) % count;
    if (shown[static_cast<std::size_t>(index)]->isEnabled()) return shown[static_cast<std::size_t>(index)];
  }
  return nullptr;
}

void WrappingMenuBar::setActive(QAction* action) {
  if (active_ == action) return;
  active_ = action;
  update();
}

void WrappingMenuBar::activate(QAction* action) {
  if (!action || !action->isEnabled()) return;
  if (action->menu())
    showMenu(action, false);
  else {
    closeMenu();
    leaveKeyboardMode();
    action->activate(QAction::Trigger);
  }
}

void WrappingMenuBar::showMenu(QAction* action, bool selectFirst) {
  QMenu* menu = action ? action->menu() : nullptr;
  if (!menu) return;
  if (open_ == menu) return;
  closeMenu();
  setActive(action);
  open_ = menu;
  connect(
      menu, &QMenu::aboutToHide, this,
      [this, menu] {
        if (open_ != menu) return;
        open_ = nullptr;
        if (!keyboardMode_) setActive(nullptr);
        update();
      },
      Qt::SingleShotConnection);
  const QRect r = actionGeometry(action);
  QPoint at = mapToGlobal(QPoint(r.left(), r.bottom() + 1));
  // A menu that would leave the screen at the bottom opens above its item.
  if (QScreen* screen = this->screen()) {
    const QRect area = screen->availableGeometry();
    const QSize size = menu->sizeHint();
    if (at.y() + size.height() > area.bottom() && mapToGlobal(r.topLeft()).y() - size.height() >= area.top())
      at.setY(mapToGlobal(r.topLeft()).y() - size.height());
    if (at.x() + size.width() > area.right()) at.setX(std::max(area.left(), area.right() - size.width()));
  }
  menu->popup(at);
  if (selectFirst) {
    // As the Down key does: the first entry highlighted, its submenu (if it
    // has one) still closed.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &down);
  }
  update();
}

void WrappingMenuBar::closeMenu() {
  if (QMenu* menu = open_) {
    open_ = nullptr;
    menu->hide();
  }
}

void WrappingMenuBar::toggleKeyboardMode() {
  if (keyboardMode_) {
    leaveKeyboardMode();
  } else if (QAction* first = neighbour(nullptr, 1)) {
    keyboardMode_ = true;
    setFocus(Qt::MenuBarFocusReason);
    setActive(first);
  }
}

void WrappingMenuBar::leaveKeyboardMode() {
  keyboardMode_ = false;
  if (hasFocus()) clearFocus();
  if (!open_) setActive(nullptr);
}

bool WrappingMenuBar::windowKey(QObject* watched, QEvent* event) {
  // F10, or Alt pressed and released alone, enters or leaves keyboard mode
  // whichever control of the window has the focus: a grid or a list takes
  // the keys it knows, but these belong to the menu bar. An event passes
  // here once for each widget it is offered to, the focus first; only that
  // first offer counts.
  if (event->type() == QEvent::MouseButtonPress) {
    altAlone_ = false;
    return false;
  }
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || !watchedWindow_ || widget->window() != watchedWindow_) return false;
  QWidget* focus = QApplication::focusWidget();
  if (widget != (focus && focus->window() == watchedWindow_ ? focus : watchedWindow_.data())) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (event->type() == QEvent::KeyPress) {
    altAlone_ = key->key() == Qt::Key_Alt && !key->isAutoRepeat();
    if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::NoModifier) {
      toggleKeyboardMode();
      return true;
    }
  } else if (key->key() == Qt::Key_Alt && altAlone_ && !key->isAutoRepeat()) {
    altAlone_ = false;
    toggleKeyboardMode();
    return true;
  }
  return false;
}

bool WrappingMenuBar::eventFilter(QObject* watched, QEvent* event) {
  if (!open_) return windowKey(watched, event);
  // While a menu of the bar is open, every event of the application passes
  // here: the menus themselves, and their submenus, are popups that hold the
  // keyboard and the mouse.
  auto* menu = qobject_cast<QMenu*>(watched);
  if (!open_ || !menu) return false;
  const bool topMenu = menu == open_;
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      QAction* current = menu->activeAction();
      const bool entersSubmenu = current && current->menu() && current->isEnabled();
      int step = 0;
      if (key->key() == Qt::Key_Right && !entersSubmenu) step = 1;
      if (key->key() == Qt::Key_Left && topMenu) step = -1;
      if (step == 0) return false;
      if (QAction* next = neighbour(active_, step)) {
        if (next->menu())
          showMenu(next, true);
        else {
          closeMenu();
          keyboardMode_ = true;
          setFocus(Qt::MenuBarFocusReason);
          setActive(next);
        }
      }
      return true;
    }
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint global = mouse->globalPosition().toPoint();
      // A pop-up lies over the bar's lower rows: what falls on an open menu
      // is that menu's, whatever lies beneath it.
      if (onOpenMenu(global)) return false;
      const QPoint here = mapFromGlobal(global);
      if (!rect().contains(here)) return false;
      QAction* under = actionAt(here);
      if (event->type() == QEvent::MouseButtonPress) {
        // A click on the open menu's own item closes it; on another item
        // opens that one. Either way the menu does not see the click.
        if (!under || under == active_) {
          closeMenu();
          leaveKeyboardMode();
        } else {
          activate(under);
        }
        return true;
      }
      if (under && under != active_ && under->isEnabled() && under->menu()) showMenu(under, false);
      return false;
    }
    default:
      return false;
  }
}

bool WrappingMenuBar::onOpenMenu(const QPoint& global) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* menu = qobject_cast<QMenu*>(w); menu && menu->isVisible() && menu->geometry().contains(global))
      return true;
  return false;
}

bool WrappingMenuBar::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::Shortcut: {
      auto* shortcut = static_cast<QShortcutEvent*>(event);
      if (QAction* action = shortcuts_.value(shortcut->shortcutId())) {
        keyboardMode_ = false;
        // Opened from the keyboard, a menu shows its first entry
        // highlighted, as the system's menus do.
        if (action->menu() && action->isEnabled())
          showMenu(action, true);
        else
          activate(action);
        if (!action->menu() || !open_) setActive(nullptr);
        return true;
      }
      break;
    }
    case QEvent::ParentChange:
      watchWindow();
      break;
    case QEvent::ShortcutOverride: {
      // In keyboard mode the bar's own keys are not shortcuts.
      auto* key = static_cast<QKeyEvent*>(event);
      if (keyboardMode_ &&
          (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right || key->key() == Qt::Key_Down ||
           key->key() == Qt::Key_Up || key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return)) {
        event->accept();
        return true;
      }
      break;
    }
    default:
      break;
  }
  return QWidget::event(event);
}

void WrappingMenuBar::watchWindow() {
  QWidget* top = window();
  watchedWindow_ = top != this ? top : nullptr;
}

void WrappingMenuBar::updateShortcuts() {
  for (auto it = shortcuts_.begin(); it != shortcuts_.end(); ++it) releaseShortcut(it.key());
  shortcuts_.clear();
  for (QAction* a : actions()) {
    if (a->isSeparator()) continue;
    const QKeySequence mnemonic = QKeySequence::mnemonic(a->text());
    if (mnemonic.isEmpty()) continue;
    const int id = grabShortcut(mnemonic, Qt::WindowShortcut);
    setShortcutEnabled(id, a->isVisible() && a->isEnabled());
    shortcuts_.insert(id, a);
  }
}

void WrappingMenuBar::actionEvent(QActionEvent* event) {
  if (event->type() == QEvent::ActionRemoved) {
    if (event->action() == active_) active_ = nullptr;
    if (open_ && event->action()->menu() == open_) closeMenu();
  }
  updateShortcuts();
  relayout();
}

void WrappingMenuBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionMenuItem empty;
  empty.initFrom(this);
  empty.menuRect = rect();
  empty.rect = rect();
  empty.state = QStyle::State_None;
  style()->drawControl(QStyle::CE_MenuBarEmptyArea, &empty, &painter, this);
  for (const Item& item : items_) {
    QStyleOptionMenuItem opt;
    opt.initFrom(this);
    opt.state = QStyle::State_None;
    if (isEnabled() && item.action->isEnabled())
      opt.state |= QStyle::State_Enabled;
    else
      opt.palette.setCurrentColorGroup(QPalette::Disabled);
    if (item.action == active_) {
      opt.state |= QStyle::State_Selected;
      if (open_ && item.action->menu() == open_) opt.state |= QStyle::State_Sunken;
    }
    if (hasFocus() || active_) opt.state |= QStyle::State_HasFocus;
    opt.fontMetrics = fontMetrics();
    opt.menuRect = rect();
    opt.menuItemType = QStyleOptionMenuItem::Normal;
    opt.checkType = QStyleOptionMenuItem::NotCheckable;
    opt.text = item.action->text();
    opt.rect = item.rect;
    style()->drawControl(QStyle::CE_MenuBarItem, &opt, &painter, this);
  }
}

void WrappingMenuBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  relayout();
}

void WrappingMenuBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  QAction* action = actionAt(event->position().toPoint());
  keyboardMode_ = false;
  if (!action || !action->isEnabled()) {
    closeMenu();
    setActive(nullptr);
    return;
  }
  if (action->menu()) {
    showMenu(action, false);
  } else {
    pressed_ = action;
    setActive(action);
  }
}

void WrappingMenuBar::mouseReleaseEvent(QMouseEvent* event) {
  QAction* action = actionAt(event->position().toPoint());
  if (pressed_ && action == pressed_) {
    pressed_ = nullptr;
    setActive(nullptr);
    action->activate(QAction::Trigger);
    return;
  }
  pressed_ = nullptr;
}

void WrappingMenuBar::mouseMoveEvent(QMouseEvent* event) {
  if (keyboardMode_ || open_) return;
  QAction* action = actionAt(event->position().toPoint());
  setActive(action && action->isEnabled() ? action : nullptr);
}

void WrappingMenuBar::leaveEvent(QEvent*) {
  if (!keyboardMode_ && !open_) setActive(nullptr);
}

void WrappingMenuBar::keyPressEvent(QKeyEvent* event) {
  if (!keyboardMode_) {
    QWidget::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Left:
      setActive(neighbour(active_, -1));
      break;
    case Qt::Key_Right:
      setActive(neighbour(active_, 1));
      break;
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      if (active_ && active_->menu())
        showMenu(active_, true);
      else if (QAction* action = active_) {
        leaveKeyboardMode();
        action->activate(QAction::Trigger);
      }
      break;
    case Qt::Key_Escape:
      leaveKeyboardMode();
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

void WrappingMenuBar::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  // The bar loses the focus to its own menu while one is open.
  if (keyboardMode_ && !open_ && event->reason() != Qt::PopupFocusReason) leaveKeyboardMode();
}

void WrappingMenuBar::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) relayout();
}

}  // namespace orba::controls
