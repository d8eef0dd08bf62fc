#pragma once

#include <QDialog>

#include "Form.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orba::shell {

// The login dialog: the password (shown as stars, typed letters turned to
// upper case) and the choice of the standard desktop instead of the saved one.
class TPasswordDlg : public QDialog, public controls::Form {
  Q_OBJECT
 public:
  explicit TPasswordDlg(QWidget* parent = nullptr);

  QLineEdit* Password;
  QCheckBox* DesktopCheckBox;
  QLabel* Label1;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

 protected:
  // The password box is emptied each time the dialog comes up.
  void showEvent(QShowEvent* event) override;
};

}  // namespace orba::shell
