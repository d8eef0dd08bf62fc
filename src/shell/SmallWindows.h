#pragma once

#include "SimpleDialog.h"

class QLineEdit;

namespace orba::shell {

// The about box of the Help menu.
class TAboutBox : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr)
      : SimpleDialog(QStringLiteral("AboutBox"), QStringLiteral("About"), {371, 290}, parent) {}
};

// The contact window of the Help menu.
class TContactUs : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TContactUs(QWidget* parent = nullptr)
      : SimpleDialog(QStringLiteral("ContactUs"), QStringLiteral("Contact us"), {520, 460}, parent) {}
};

// The password asked for before switching to a protected company. Unlike
// the login password, the text keeps its letter case.
class TCompPasswd_Frm : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TCompPasswd_Frm(QWidget* parent = nullptr);
  QLineEdit* Password;
};

}  // namespace orba::shell
