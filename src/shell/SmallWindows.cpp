#include "SmallWindows.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "MessageList.h"

namespace orba::shell {

TCompPasswd_Frm::TCompPasswd_Frm(QWidget* parent)
    : SimpleDialog(QStringLiteral("CompPasswd_Frm"), QStringLiteral("Password"), {233, 113}, parent) {
  CompanyLabel = components_.own(new QLabel(this));
  CompanyLabel->setObjectName(QStringLiteral("CompanyLabel"));
  CompanyLabel->setGeometry(8, 8, 217, 16);
  QFont bold = CompanyLabel->font();
  bold.setBold(true);
  CompanyLabel->setFont(bold);
  auto* label = components_.own(new QLabel(QStringLiteral("Enter password:"), this));
  label->setObjectName(QStringLiteral("Label1"));
  label->setGeometry(8, 28, 217, 16);
  Password = components_.own(new QLineEdit(this));
  Password->setObjectName(QStringLiteral("Password"));
  Password->setEchoMode(QLineEdit::Password);
  Password->setGeometry(8, 48, 217, 21);
  label->setBuddy(Password);
  auto* ok = components_.own(new QPushButton(QStringLiteral("OK"), this));
  ok->setObjectName(QStringLiteral("OKBtn"));
  ok->setGeometry(70, 80, 75, 25);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* cancel = components_.own(new QPushButton(QStringLiteral("Cancel"), this));
  cancel->setObjectName(QStringLiteral("CancelBtn"));
  cancel->setGeometry(150, 80, 75, 25);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  Messages = components_.own(new controls::MessageList(
      QStringLiteral("Messages"),
      {QStringLiteral("The password is not correct. Type it again or press Cancel.")}, this));
}

void TCompPasswd_Frm::setCompany(const QString& name) {
  CompanyLabel->setText(fontMetrics().elidedText(name, Qt::ElideRight, CompanyLabel->width()));
  CompanyLabel->setToolTip(name);
}

QString TCompPasswd_Frm::wrongPasswordText() const { return Messages->line(0); }

}  // namespace orba::shell
