#include "MessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

namespace orba::company {

namespace {
QString title() { return str("Castellan/Orba"); }
}  // namespace

void tell(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Warning, title(), text, QMessageBox::Ok, parent);
  box.setObjectName(str("CompanyMessage"));
  box.exec();
}

bool ask(QWidget* parent, const QString& text, const QString& yes, const QString& no) {
  QMessageBox box(QMessageBox::Question, title(), text, QMessageBox::NoButton, parent);
  box.setObjectName(str("CompanyQuestion"));
  QPushButton* yesButton = box.addButton(yes, QMessageBox::YesRole);
  yesButton->setObjectName(str("btnYes"));
  QPushButton* noButton = box.addButton(no, QMessageBox::NoRole);
  noButton->setObjectName(str("btnNo"));
  box.setDefaultButton(noButton);
  box.setEscapeButton(noButton);
  box.exec();
  return box.clickedButton() == yesButton;
}

}  // namespace orba::company
