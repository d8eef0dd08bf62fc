#include "Dialogs.h"

#include <QCoreApplication>
#include <QDialog>
#include <QShowEvent>

namespace orba::controls {

namespace {
Dialogs::Interceptor& interceptor() {
  static Dialogs::Interceptor current;
  return current;
}
}  // namespace

int Dialogs::exec(QDialog& dialog) {
  if (interceptor()) {
    // What showing the dialog would do before the user acts on it.
    QShowEvent show;
    QCoreApplication::sendEvent(&dialog, &show);
    const int result = interceptor()(dialog);
    dialog.setResult(result);
    return result;
  }
  return dialog.exec();
}

void Dialogs::setInterceptor(Interceptor handler) { interceptor() = std::move(handler); }

}  // namespace orba::controls
