#include "Messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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
  box.exec();
  return static_cast<int>(made.indexOf(box.clickedButton()));
}

void Messages::post(Kind kind, const QString& text, QWidget* parent) {
  if (interceptor()) {
    interceptor()(kind, text);
    return;
  }
  const QString& title = Messages::title();
  switch (kind) {
    case Kind::Plain:
      QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent).exec();
      break;
    case Kind::Information:
      QMessageBox::information(parent, title, text);
      break;
    case Kind::Error:
      QMessageBox::critical(parent, title, text);
      break;
  }
}

void Messages::show(const QString& text, QWidget* parent) { post(Kind::Plain, text, parent); }
void Messages::information(const QString& text, QWidget* parent) { post(Kind::Information, text, parent); }
void Messages::error(const QString& text, QWidget* parent) { post(Kind::Error, text, parent); }

}  // namespace orba::controls
