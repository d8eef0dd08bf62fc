#pragma once

#include "AboutBox.h"
#include "ContactUs.h"
#include "SimpleDialog.h"

class QLineEdit;

namespace orba::shell {

// The password asked for before switching to a protected company. Unlike
// the login password, the text keeps its letter case.
class TCompPasswd_Frm : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TCompPasswd_Frm(QWidget* parent = nullptr);
  QLineEdit* Password;
};

}  // namespace orba::shell
