#include "CreateCompanyWindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "DatabaseError.h"
#include "MessageBoxes.h"
#include "MessageList.h"
#include "SystemFolder.h"

namespace orba::company {

namespace {

// The lines of memMessages.
enum Line {
  kEmptyName = 0,
  kNumberInUse,
  kFolderExists,
  kNameInUse,
  kPasswordsDiffer,
  kNotCreated,
  kLeftover,
  kFolder,
  kFirstCompany,
  kUnreadable,
  kOutOfRange,
  kNewInstallation,
};

QLabel* label(const char* name, const char* text, QWidget* parent) {
  auto* l = new QLabel(str(text), parent);
  l->setObjectName(str(name));
  return l;
}

QLineEdit* edit(const char* name, int maxLength, bool secret, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(str(name));
  e->setMaxLength(maxLength);
  if (secret) e->setEchoMode(QLineEdit::Password);
  return e;
}

}  // namespace

TfrmCreateCompany::TfrmCreateCompany(CompanyStore& store, QWidget* parent)
    : SimpleDialog(str("frmCreateCompany"), str("Create a company"), {460, 250}, parent), store_(store) {
  lblNumber = components_.own(label("lblNumber", "Company &number:", this));
  spnNumber = components_.own(new QSpinBox(this));
  spnNumber->setObjectName(str("spnNumber"));
  spnNumber->setRange(kFirstNumber, kLastNumber);
  lblNumber->setBuddy(spnNumber);
  lblFolder = new QLabel(this);
  lblFolder->setObjectName(str("lblFolder"));
  lblFolder->setWordWrap(true);
  lblName = components_.own(label("lblName", "Company n&ame:", this));
  edtName = components_.own(edit("edtName", kNameLength, false, this));
  lblName->setBuddy(edtName);
  lblPassword = components_.own(label("lblPassword", "&Password (optional):", this));
  edtPassword = components_.own(edit("edtPassword", kPasswordLength, true, this));
  lblPassword->setBuddy(edtPassword);
  lblConfirm = components_.own(label("lblConfirm", "&Confirm the password:", this));
  edtConfirm = components_.own(edit("edtConfirm", kPasswordLength, true, this));
  lblConfirm->setBuddy(edtConfirm);
  btnCreate = components_.own(new QPushButton(str("Create"), this));
  btnCreate->setObjectName(str("btnCreate"));
  btnCreate->setDefault(true);
  btnCancel = components_.own(new QPushButton(str("Cancel"), this));
  btnCancel->setObjectName(str("btnCancel"));
  memMessages = components_.own(new controls::MessageList(
      str("memMessages"),
      {
          str("Enter the company's name."),
          str("Company number %1 is already in the list of companies. Choose another number."),
          str("The folder %1 already exists. Choose another number, or move that folder away first."),
          str("Another company is already named %1. Give this company a name of its own."),
          str("The password and its confirmation differ. Type the same password in both boxes."),
          str("Company %1 was not created, and nothing was changed: %2"),
          str("Company %1 was not created: %2 The unfinished folder %3 could not be removed; remove it "
              "before creating the company again."),
          str("The company's files will be in the folder %1."),
          str("The first company is number 1."),
          str("The list of companies cannot be read: %1"),
          str("The company number must be between 1 and 32767."),
          str("This is a new installation: the user ADMIN, password ADMIN, holds every right. Give yourself "
              "a "
              "password of your own with System > Users and rights."),
      },
      this));

  auto* grid = new QGridLayout(this);
  grid->addWidget(lblNumber, 0, 0);
  grid->addWidget(spnNumber, 0, 1, Qt::AlignLeft);
  grid->addWidget(lblFolder, 1, 0, 1, 2);
  grid->addWidget(lblName, 2, 0);
  grid->addWidget(edtName, 2, 1);
  grid->addWidget(lblPassword, 3, 0);
  grid->addWidget(edtPassword, 3, 1);
  grid->addWidget(lblConfirm, 4, 0);
  grid->addWidget(edtConfirm, 4, 1);
  grid->setRowStretch(5, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnCreate);
  buttons->addWidget(btnCancel);
  grid->addLayout(buttons, 6, 0, 1, 2);

  connect(spnNumber, &QSpinBox::valueChanged, this, &TfrmCreateCompany::showFolder);
  connect(btnCreate, &QPushButton::clicked, this, &TfrmCreateCompany::createClicked);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfrmCreateCompany::prepare() {
  if (newInstallation_) {
    // A new installation: there is no list of companies yet.
    first_ = true;
    spnNumber->setValue(kFirstNumber);
    spnNumber->setEnabled(false);
    showFolder();
    edtName->setFocus();
    return true;
  }
  try {
    first_ = store_.companies().empty();
    const int proposed = store_.nextFreeNumber();
    spnNumber->setValue(proposed > 0 ? proposed : kLastNumber);
  } catch (const data::DatabaseError& e) {
    tell(this, memMessages->line(kUnreadable).arg(e.userText()));
    return false;
  }
  // The desktop's first start sets up company 1 and logs its first user
  // into it: the first company can have no other number.
  spnNumber->setEnabled(!first_);
  showFolder();
  edtName->setFocus();
  return true;
}

void TfrmCreateCompany::showFolder() {
  QString text = memMessages->line(kFolder).arg(store_.companyFolder(spnNumber->value()));
  if (first_) text = memMessages->line(kFirstCompany) + QLatin1Char(' ') + text;
  lblFolder->setText(text);
}

void TfrmCreateCompany::createClicked() {
  const Company company{spnNumber->value(), edtName->text().trimmed(), edtPassword->text()};
  if (company.name.isEmpty()) {
    tell(this, memMessages->line(kEmptyName));
    edtName->setFocus();
    return;
  }
  if (edtPassword->text() != edtConfirm->text()) {
    tell(this, memMessages->line(kPasswordsDiffer));
    edtConfirm->clear();
    edtPassword->setFocus();
    return;
  }
  const QString number = QString::number(company.number);
  Verdict verdict = Verdict::Done;
  try {
    // A new installation gets its system tables with the first company.
    if (newInstallation_) initialiseSystemFolder(store_.dataDir(), firstUserLanguage_);
    verdict = store_.create(company);
  } catch (const CreationFailed& failed) {
    if (failed.leftover.isEmpty())
      tell(this, memMessages->line(kNotCreated).arg(number, failed.reason));
    else
      tell(this, memMessages->line(kLeftover).arg(number, failed.reason, failed.leftover));
    return;
  } catch (const data::DatabaseError& e) {
    // Reading the list of companies failed before anything was written.
    tell(this, memMessages->line(kNotCreated).arg(number, e.userText()));
    return;
  }
  switch (verdict) {
    case Verdict::Done:
      created_ = company.number;
      if (newInstallation_) tell(this, memMessages->line(kNewInstallation));
      accept();
      return;
    case Verdict::EmptyName:
      tell(this, memMessages->line(kEmptyName));
      return;
    case Verdict::NameInUse:
      tell(this, memMessages->line(kNameInUse).arg(company.name));
      edtName->setFocus();
      return;
    case Verdict::NumberInUse:
      tell(this, memMessages->line(kNumberInUse).arg(number));
      spnNumber->setFocus();
      return;
    case Verdict::FolderExists:
      tell(this, memMessages->line(kFolderExists).arg(store_.companyFolder(company.number)));
      spnNumber->setFocus();
      return;
    case Verdict::NumberOutOfRange:
    case Verdict::NotListed:
    case Verdict::WrongPassword:
      tell(this, memMessages->line(kOutOfRange));
      return;
  }
}

}  // namespace orba::company
