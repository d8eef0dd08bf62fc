#include "Messages.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace orba::controls {

namespace {
Messages::Interceptor& interceptor() {
  static Messages::Interceptor current;
  return current;
}
Messages::Chooser& chooser() {
  static Messages::Chooser current;
  return current;
}
}  // namespace

const QString& Messages::title() {
  static const QString text = QStringLiteral("Castellan/Orba");
  return text;
}

void Messages::setInterceptor(Interceptor handler) { interceptor() = std::move(handler); }

void Messages::makeRoomForTitle(QMessageBox& box) {
  // The window manager draws the title in its own font, with its buttons
  // beside it: the title's width in a bold application font, and room for
  // three buttons and the frame.
  QFont font = QApplication::font();
  font.setBold(true);
  const int wanted = QFontMetrics(font).horizontalAdvance(box.windowTitle()) + 150;
  // A message box sizes itself from its layout; a spacer as wide as the
  // title needs, across the bottom row, holds it open.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0,
                  1, grid->columnCount());
}

void Messages::setChooser(Chooser answer) { chooser() = std::move(answer); }

int Messages::choose(const QString& text, const QStringList& buttons, QWidget* parent) {
  if (chooser()) return chooser()(text, buttons);
  QMessageBox box(QMessageBox::Warning, title(), text, QMessageBox::NoButton, parent);
  box.setObjectName(QStringLiteral("ChoiceBox"));
  QList<QAbstractButton*> made;
  for (int i = 0; i < buttons.size(); ++i) {
    const auto role = i == buttons.size() - 1 ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
    made << box.addButton(buttons[i], role);
  }
  if (!made.isEmpty()) {
    box.setDefaultButton(qobject_cast<QPushButton*>(made.front()));
    box.setEscapeButton(made.back());
  }
  makeRoomForTitle(box);
  box.exec();
  return static_cast<int>(made.indexOf(box.clickedButton()));
}

void Messages::post(Kind kind, const QString& text, QWidget* parent) {
  if (interceptor()) {
    interceptor()(kind, text);
    return;
  }
  const QMessageBox::Icon icon = kind == Kind::Information ? QMessageBox::Information
                                 : kind == Kind::Error     ? QMessageBox::Critical
                                                           : QMessageBox::NoIcon;
  QMessageBox box(icon, title(), text, QMessageBox::Ok, parent);
  makeRoomForTitle(box);
  box.exec();
}

void Messages::show(const QString& text, QWidget* parent) { post(Kind::Plain, text, parent); }
void Messages::information(const QString& text, QWidget* parent) { post(Kind::Information, text, parent); }
void Messages::error(const QString& text, QWidget* parent) { post(Kind::Error, text, parent); }

}  // namespace orba::controls
