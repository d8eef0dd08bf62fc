#include "ShortcutIcons.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRegularExpression>
#include <algorithm>
#include <cstdlib>

#include "ComponentList.h"
#include "DesktopDialogs.h"
#include "Dialogs.h"
#include "PictureDialog.h"
#include "TransparentButton.h"
#include "Wallpaper.h"

namespace orba::shell {

using desktop::TTransparentButton;
using dispatch::ErrorMessage;

bool loadBitmapGlyph(const QString& path, QImage* glyph, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
  }
  if (file.peek(2) != "BM") {
    *error = QStringLiteral("%1: not a bitmap").arg(QDir::toNativeSeparators(path));
    return false;
  }
  QImageReader reader(&file, "bmp");
  reader.setDecideFormatFromContent(false);
  const QImage image = reader.read();
  if (image.isNull()) {
    *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reader.errorString());
    return false;
  }
  *glyph = image;
  return true;
}

ShortcutIcons::ShortcutIcons(desktop::TWallpaper* wallpaper, controls::ComponentList& components,
                             DesktopPanels& panels, QObject* parent)
    : QObject(parent), wallpaper_(wallpaper), components_(components), panels_(panels) {}

void ShortcutIcons::setPopupMenu(QMenu* menu, const QString& name) {
  popup_ = menu;
  popupName_ = name;
}

void ShortcutIcons::changed() {
  if (hooks_.changed) hooks_.changed();
}

TTransparentButton* ShortcutIcons::create() {
  auto* icon = new TTransparentButton(wallpaper_);
  icon->hide();
  components_.own(icon);
  icons_.emplace_back(icon);
  // Moving over a movable icon is enough to mark the desktop changed: the
  // button drags itself and says nothing else.
  connect(icon, &TTransparentButton::OnMouseMove, this, [this](TTransparentButton* sender, auto, auto) {
    if (sender->isMovable()) changed();
  });
  connect(icon, &TTransparentButton::OnKeyDown, this,
          [this](TTransparentButton* sender, int key, Qt::KeyboardModifiers) { moveFocus(sender, key); });
  keepBeneath();
  return icon;
}

void ShortcutIcons::keepBeneath() {
  // Lowered from the last to the first: the first ends at the bottom, each
  // later one just above the one before, all of them under the panels.
  const std::vector<TTransparentButton*> all = icons();
  for (auto it = all.rbegin(); it != all.rend(); ++it) (*it)->lower();
}

void ShortcutIcons::moveFocus(TTransparentButton* from, int key) {
  const QPoint c = from->geometry().center();
  TTransparentButton* best = nullptr;
  long bestCost = 0;
  for (TTransparentButton* icon : icons()) {
    if (icon == from || !icon->isVisible()) continue;
    const QPoint d = icon->geometry().center() - c;
    // How far along the direction, and how far off it (which counts double).
    long along = 0, across = 0;
    switch (key) {
      case Qt::Key_Right:
        along = d.x(), across = d.y();
        break;
      case Qt::Key_Left:
        along = -d.x(), across = d.y();
        break;
      case Qt::Key_Down:
        along = d.y(), across = d.x();
        break;
      case Qt::Key_Up:
        along = -d.y(), across = d.x();
        break;
      default:
        return;
    }
    if (along <= 0) continue;
    const long cost = along + 2 * std::abs(across);
    if (!best || cost < bestCost) best = icon, bestCost = cost;
  }
  if (best) best->setFocus(Qt::OtherFocusReason);
}

void ShortcutIcons::bringOntoDesktop() {
  // Off screen the desktop has no real size yet.
  if (!wallpaper_->isVisible()) return;
  const QSize desk = wallpaper_->size();
  for (TTransparentButton* icon : icons()) {
    const QRect r = icon->geometry();
    const int x = std::clamp(r.x(), 0, std::max(0, desk.width() - r.width() - 1));
    const int y = std::clamp(r.y(), 0, std::max(0, desk.height() - r.height() - 1));
    if (x != r.x() || y != r.y()) icon->move(x, y);
  }
}

QPoint ShortcutIcons::freeSpot(QSize size) const {
  const QPoint usual(296, 256);
  auto covers = [&](QPoint at) {
    const QRect place(at, size);
    for (TTransparentButton* icon : icons())
      if (!icon->isHidden() && icon->geometry().intersects(place)) return true;
    return false;
  };
  if (!covers(usual)) return usual;
  // From the usual spot on, then from the top left, a step of the icon's size.
  const QSize desk = wallpaper_->size();
  const int stepX = std::max(8, size.width() + 4), stepY = std::max(8, size.height() + 4);
  for (int pass = 0; pass < 2; ++pass)
    for (int y = pass == 0 ? usual.y() : 0; y + size.height() < desk.height(); y += stepY)
      for (int x = pass == 0 && y == usual.y() ? usual.x() : 0; x + size.width() < desk.width(); x += stepX)
        if (!covers({x, y})) return {x, y};
  return usual;  // a desktop full of icons: over the others, as before
}

void ShortcutIcons::destroy(TTransparentButton* icon) {
  // Out of the window's components at once (its name is free again); the
  // object itself goes when the event that led here is over.
  components_.remove(icon);
  std::erase_if(icons_, [icon](const QPointer<TTransparentButton>& i) { return i == icon; });
  icon->hide();
  icon->deleteLater();
}

TTransparentButton* ShortcutIcons::createForRestore() { return create(); }

void ShortcutIcons::bind(TTransparentButton* icon) {
  disconnect(icon, &TTransparentButton::OnDblClick, this, nullptr);
  if (const std::optional<PanelId> panel = DesktopPanels::fromIconName(icon->objectName())) {
    const PanelId id = *panel;
    connect(icon, &TTransparentButton::OnDblClick, this, [this, id] { panels_.toggle(id); });
  } else {
    connect(icon, &TTransparentButton::OnDblClick, this, [this](TTransparentButton* sender) {
      if (hooks_.runOption) hooks_.runOption(sender->objectName());
    });
  }
}

std::vector<TTransparentButton*> ShortcutIcons::icons() const {
  std::vector<TTransparentButton*> out;
  for (const auto& icon : icons_)
    if (icon) out.push_back(icon);
  return out;
}

void ShortcutIcons::destroyAll() {
  for (TTransparentButton* icon : icons()) destroy(icon);
  icons_.clear();
}

void ShortcutIcons::applyPopupMenu() {
  for (TTransparentButton* icon : icons()) icon->setPopUpMenu(popup_, popupName_);
}

TTransparentButton* ShortcutIcons::add() {
  desktop::TShortcutDlg* dialog = dialogs_.shortcut;
  if (!dialog) return nullptr;
  dialog->OptionNames->setCurrentRow(0);
  if (controls::Dialogs::exec(*dialog) != QDialog::Accepted) return nullptr;
  const int chosen = dialog->OptionNames->currentRow();
  // An empty catalogue leaves nothing chosen.
  if (chosen < 0 || chosen >= dialog->DllList->count()) return nullptr;

  QImage glyph;
  QString error;
  if (!loadBitmapGlyph(QDir(programDir_).filePath(QStringLiteral("sysedit.bmp")), &glyph, &error)) {
    if (hooks_.showError) hooks_.showError(error);
    return nullptr;
  }
  const QString code = dialog->DllList->item(chosen)->text();
  if (code.isEmpty()) {
    // The user sees the option but may not run it.
    if (hooks_.showMessage) hooks_.showMessage(ErrorMessage::NoRight);
    return nullptr;
  }
  const QString name = code + QLatin1Char('S');
  static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
  if (!identifier.match(name).hasMatch() || components_.find(name)) {
    if (hooks_.showMessage) hooks_.showMessage(ErrorMessage::ShortcutExists);
    return nullptr;
  }

  TTransparentButton* icon = create();
  icon->setObjectName(name);
  icon->setGlyph(glyph);
  icon->setCaption(dialog->OptionNames->item(chosen)->text());
  // The usual spot, unless an icon is there already: a new icon covers none.
  icon->setGeometry(QRect(freeSpot({89, 89}), QSize(89, 89)));
  icon->setBorderWidth(0);
  icon->setTag(1);
  desktop::StreamFont font;
  font.name = QStringLiteral("Arial");
  font.height = -13;  // 10 points
  font.color = desktop::clWhite;
  icon->setParentFont(false);
  icon->setStreamFont(font);
  icon->setPopUpMenu(popup_, popupName_);
  bind(icon);
  icon->show();
  changed();
  return icon;
}

void ShortcutIcons::remove(QObject* target) {
  if (!target) return;
  if (const std::optional<PanelId> panel = DesktopPanels::fromIconName(target->objectName())) {
    panels_.closePanel(*panel);
    changed();
  }
  if (auto* icon = qobject_cast<TTransparentButton*>(target)) {
    destroy(icon);
    changed();
  }
}

void ShortcutIcons::editProperties(TTransparentButton* icon) {
  desktop::TPropertiesDlg* dialog = dialogs_.properties;
  if (!icon || !dialog) return;
  dialog->IconChanged = false;
  dialog->setPreview(icon->glyph());
  dialog->NewCaption->setText(icon->caption());
  QString label = icon->objectName();
  if (label.endsWith(QLatin1Char('S'))) label.chop(1);
  dialog->DllLabel->setText(label);
  // Opening the dialog counts as a change, even when it is cancelled.
  changed();
  if (controls::Dialogs::exec(*dialog) != QDialog::Accepted) return;
  icon->setCaption(dialog->NewCaption->text());
  if (!dialog->IconChanged) return;
  QImage glyph;
  QString error;
  if (loadBitmapGlyph(dialog->chosenFile(), &glyph, &error))
    icon->setGlyph(glyph);
  else if (hooks_.showMessage)
    hooks_.showMessage(ErrorMessage::PictureNotLoaded);
}

}  // namespace orba::shell
