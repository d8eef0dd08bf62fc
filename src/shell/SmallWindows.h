#pragma once

#include "AboutBox.h"
#include "ContactUs.h"
#include "SimpleDialog.h"

class QLabel;
class QLineEdit;

namespace orba::controls {
class MessageList;
}

namespace orba::shell {

// The password asked for before switching to a protected company. Unlike
// the login password, the text keeps its letter case. It names the company
// it is asked for, and comes back empty after a wrong password.
class TCompPasswd_Frm : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TCompPasswd_Frm(QWidget* parent = nullptr);

  // The company the password is asked for, shown above the field.
  void setCompany(const QString& name);
  // What a wrong password says, in the current language.
  QString wrongPasswordText() const;

  QLabel* CompanyLabel;
  QLineEdit* Password;
  controls::MessageList* Messages;
};

}  // namespace orba::shell
