#pragma once

#include <functional>

class QDialog;

namespace orba::controls {

// Every modal dialog of the program is run through here, so that tests can
// answer it in advance: an interceptor receives the dialog, may fill it in,
// and returns its result instead of the user.
class Dialogs {
 public:
  using Interceptor = std::function<int(QDialog&)>;
  static int exec(QDialog& dialog);
  static void setInterceptor(Interceptor interceptor);
};

}  // namespace orba::controls
