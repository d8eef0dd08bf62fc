#include "Messages.h"

#include <QApplication>
#include <QMessageBox>

namespace orba::controls {

namespace {
Messages::Interceptor& interceptor() {
  static Messages::Interceptor current;
  return current;
}
}  // namespace

const QString& Messages::title() {
  static const QString text = QStringLiteral("Castellan/Orba");
  return text;
}

void Messages::setInterceptor(Interceptor handler) { interceptor() = std::move(handler); }

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
