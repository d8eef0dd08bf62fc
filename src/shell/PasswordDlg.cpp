#include "PasswordDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "SimpleDialog.h"

namespace orba::shell {

TPasswordDlg::TPasswordDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("PasswordDlg"));
  setWindowTitle(QStringLiteral("Password Dialog"));
  setWindowFlags(controls::kFixedDialogFlags);

  Label1 = components_.own(new QLabel(QStringLiteral("Enter password:"), this));
  Label1->setObjectName(QStringLiteral("Label1"));
  Password = components_.own(new QLineEdit(this));
  Password->setObjectName(QStringLiteral("Password"));
  Password->setEchoMode(QLineEdit::Password);
  connect(Password, &QLineEdit::textEdited, this, [this](const QString& text) {
    const QString upper = text.toUpper();
    if (upper != text) {
      const int cursor = Password->cursorPosition();
      Password->setText(upper);
      Password->setCursorPosition(cursor);
    }
  });
  OKBtn = components_.own(new QPushButton(QStringLiteral("OK"), this));
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setDefault(true);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  CancelBtn = components_.own(new QPushButton(QStringLiteral("Cancel"), this));
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  DesktopCheckBox = components_.own(new QCheckBox(QStringLiteral("Use Standard Desktop"), this));
  DesktopCheckBox->setObjectName(QStringLiteral("DesktopCheckBox"));

  auto* layout = new QGridLayout(this);
  layout->addWidget(Label1, 0, 0, 1, 2);
  layout->addWidget(Password, 1, 0, 1, 2);
  layout->addWidget(DesktopCheckBox, 2, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  layout->addLayout(buttons, 3, 0, 1, 2);
  // Wide enough for its caption on a title bar in either language.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  Password->setMinimumWidth(220);
  // The label's accelerator reaches the field; Tab goes down the dialog
  // as it reads: the password, the standard desktop, OK, Cancel.
  Label1->setBuddy(Password);
  setTabOrder(Password, DesktopCheckBox);
  setTabOrder(DesktopCheckBox, OKBtn);
  setTabOrder(OKBtn, CancelBtn);
}

void TPasswordDlg::showEvent(QShowEvent* event) {
  Password->clear();
  Password->setFocus();
  QDialog::showEvent(event);
}

}  // namespace orba::shell
