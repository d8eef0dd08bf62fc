#include "SmallWindows.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orba::shell {

TCompPasswd_Frm::TCompPasswd_Frm(QWidget* parent)
    : SimpleDialog(QStringLiteral("CompPasswd_Frm"), QStringLiteral("Password"), {233, 93}, parent) {
  auto* label = components_.own(new QLabel(QStringLiteral("Enter password:"), this));
  label->setObjectName(QStringLiteral("Label1"));
  label->setGeometry(8, 8, 217, 16);
  Password = components_.own(new QLineEdit(this));
  Password->setObjectName(QStringLiteral("Password"));
  Password->setEchoMode(QLineEdit::Password);
  Password->setGeometry(8, 28, 217, 21);
  auto* ok = components_.own(new QPushButton(QStringLiteral("OK"), this));
  ok->setObjectName(QStringLiteral("OKBtn"));
  ok->setGeometry(70, 60, 75, 25);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* cancel = components_.own(new QPushButton(QStringLiteral("Cancel"), this));
  cancel->setObjectName(QStringLiteral("CancelBtn"));
  cancel->setGeometry(150, 60, 75, 25);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace orba::shell
