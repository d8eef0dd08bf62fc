#include "CompaniesWindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "CreateCompanyWindow.h"
#include "DatabaseError.h"
#include "MessageBoxes.h"
#include "MessageList.h"

namespace orba::company {

namespace {

// The lines of memMessages.
enum Line {
  kEmptyName = 0,
  kNameInUse,
  kPasswordsDiffer,
  kEmptyPassword,
  kWrongPassword,
  kCurrentCompany,
  kRemoveQuestion,
  kYes,
  kNo,
  kNotStored,
  kUnreadable,
  kNotListed,
  kHasPassword,
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

QPushButton* button(const char* name, const char* text, QWidget* parent) {
  auto* b = new QPushButton(str(text), parent);
  b->setObjectName(str(name));
  b->setAutoDefault(false);
  return b;
}

}  // namespace

TfrmCompanies::TfrmCompanies(CompanyStore& store, int currentNumber, QWidget* parent)
    : SimpleDialog(str("frmCompanies"), str("Company maintenance"), {560, 460}, parent),
      store_(store),
      current_(currentNumber) {
  grdCompanies = components_.own(new QTableWidget(0, 3, this));
  grdCompanies->setObjectName(str("grdCompanies"));
  grdCompanies->setHorizontalHeaderLabels({str("Number"), str("Name"), str("Password")});
  grdCompanies->setSelectionBehavior(QAbstractItemView::SelectRows);
  grdCompanies->setSelectionMode(QAbstractItemView::SingleSelection);
  grdCompanies->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdCompanies->verticalHeader()->hide();
  grdCompanies->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  btnNew = components_.own(button("btnNew", "&New company...", this));

  lblName = components_.own(label("lblName", "N&ame:", this));
  edtName = components_.own(edit("edtName", kNameLength, false, this));
  lblName->setBuddy(edtName);
  btnRename = components_.own(button("btnRename", "&Rename", this));

  grpPassword = components_.own(new QGroupBox(str("Password"), this));
  grpPassword->setObjectName(str("grpPassword"));
  lblCurrentPassword = components_.own(label("lblCurrentPassword", "C&urrent password:", grpPassword));
  edtCurrentPassword = components_.own(edit("edtCurrentPassword", kPasswordLength, true, grpPassword));
  lblCurrentPassword->setBuddy(edtCurrentPassword);
  lblNewPassword = components_.own(label("lblNewPassword", "Ne&w password:", grpPassword));
  edtNewPassword = components_.own(edit("edtNewPassword", kPasswordLength, true, grpPassword));
  lblNewPassword->setBuddy(edtNewPassword);
  lblConfirm = components_.own(label("lblConfirm", "Con&firm:", grpPassword));
  edtConfirm = components_.own(edit("edtConfirm", kPasswordLength, true, grpPassword));
  lblConfirm->setBuddy(edtConfirm);
  btnSetPassword = components_.own(button("btnSetPassword", "&Set the password", grpPassword));
  btnClearPassword = components_.own(button("btnClearPassword", "Cl&ear the password", grpPassword));

  btnRemove = components_.own(button("btnRemove", "Remove from the &list...", this));
  btnClose = components_.own(button("btnClose", "Close", this));
  btnClose->setDefault(true);

  memMessages = components_.own(new controls::MessageList(
      str("memMessages"),
      {
          str("Enter the company's name."),
          str("Another company is already named %1. Give this company a name of its own."),
          str("The new password and its confirmation differ. Type the same password in both boxes."),
          str("Type the new password, or clear the password instead."),
          str("The current password of %1 is not correct."),
          str("You are working in %1, so it stays in the list. Change to another company first, then "
              "remove this one."),
          str("Remove company %1, %2, from the list of companies? Its files are not deleted: they stay "
              "in the folder %3."),
          str("&Yes"),
          str("&No"),
          str("The change was not stored: %1"),
          str("The list of companies cannot be read: %1"),
          str("Company %1 is no longer in the list of companies."),
          str("Yes"),
      },
      this));

  auto* passwordGrid = new QGridLayout(grpPassword);
  passwordGrid->addWidget(lblCurrentPassword, 0, 0);
  passwordGrid->addWidget(edtCurrentPassword, 0, 1);
  passwordGrid->addWidget(lblNewPassword, 1, 0);
  passwordGrid->addWidget(edtNewPassword, 1, 1);
  passwordGrid->addWidget(lblConfirm, 2, 0);
  passwordGrid->addWidget(edtConfirm, 2, 1);
  auto* passwordButtons = new QHBoxLayout;
  passwordButtons->addStretch(1);
  passwordButtons->addWidget(btnSetPassword);
  passwordButtons->addWidget(btnClearPassword);
  passwordGrid->addLayout(passwordButtons, 3, 0, 1, 2);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grdCompanies, 1);
  auto* newRow = new QHBoxLayout;
  newRow->addStretch(1);
  newRow->addWidget(btnNew);
  layout->addLayout(newRow);
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(lblName);
  nameRow->addWidget(edtName, 1);
  nameRow->addWidget(btnRename);
  layout->addLayout(nameRow);
  layout->addWidget(grpPassword);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(btnRemove);
  bottom->addStretch(1);
  bottom->addWidget(btnClose);
  layout->addLayout(bottom);

  connect(grdCompanies, &QTableWidget::itemSelectionChanged, this, &TfrmCompanies::chosenChanged);
  connect(btnNew, &QPushButton::clicked, this, &TfrmCompanies::newClicked);
  connect(btnRename, &QPushButton::clicked, this, &TfrmCompanies::renameClicked);
  connect(btnSetPassword, &QPushButton::clicked, this, [this] { passwordClicked(false); });
  connect(btnClearPassword, &QPushButton::clicked, this, [this] { passwordClicked(true); });
  connect(btnRemove, &QPushButton::clicked, this, &TfrmCompanies::removeClicked);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
  chosenChanged();
}

bool TfrmCompanies::fill() {
  const int keep = chosen() ? chosen() : current_;
  try {
    companies_ = store_.companies();
  } catch (const data::DatabaseError& e) {
    companies_.clear();
    grdCompanies->setRowCount(0);
    tell(this, memMessages->line(kUnreadable).arg(e.userText()));
    return false;
  }
  const QSignalBlocker quiet(grdCompanies);
  grdCompanies->clearSelection();
  grdCompanies->setRowCount(static_cast<int>(companies_.size()));
  for (int row = 0; row < grdCompanies->rowCount(); ++row) {
    const Company& c = companies_[static_cast<size_t>(row)];
    const QString cells[] = {QString::number(c.number), c.name,
                             c.password.isEmpty() ? QString() : memMessages->line(kHasPassword)};
    for (int column = 0; column < 3; ++column)
      grdCompanies->setItem(row, column, new QTableWidgetItem(cells[column]));
  }
  choose(keep);
  return true;
}

void TfrmCompanies::choose(int number) {
  {
    const QSignalBlocker quiet(grdCompanies);
    grdCompanies->clearSelection();
    for (size_t row = 0; row < companies_.size(); ++row)
      if (companies_[row].number == number) grdCompanies->selectRow(static_cast<int>(row));
  }
  chosenChanged();
}

const Company* TfrmCompanies::chosenCompany() const {
  const QList<QTableWidgetItem*> items = grdCompanies->selectedItems();
  if (items.isEmpty()) return nullptr;
  const int row = items.first()->row();
  return row >= 0 && row < static_cast<int>(companies_.size()) ? &companies_[static_cast<size_t>(row)]
                                                               : nullptr;
}

int TfrmCompanies::chosen() const {
  const Company* c = chosenCompany();
  return c ? c->number : 0;
}

void TfrmCompanies::chosenChanged() {
  const Company* c = chosenCompany();
  edtName->setText(c ? c->name : QString());
  for (QLineEdit* e : {edtCurrentPassword, edtNewPassword, edtConfirm}) e->clear();
  for (QWidget* w : std::initializer_list<QWidget*>{edtName, btnRename, grpPassword, btnRemove})
    w->setEnabled(c != nullptr);
  // Only another company's password is asked for, as when choosing it.
  const bool asks = c && !c->password.isEmpty() && c->number != current_;
  lblCurrentPassword->setEnabled(asks);
  edtCurrentPassword->setEnabled(asks);
  btnClearPassword->setEnabled(c && !c->password.isEmpty());
}

bool TfrmCompanies::report(Verdict verdict, const Company& company) {
  switch (verdict) {
    case Verdict::Done:
      return true;
    case Verdict::EmptyName:
      tell(this, memMessages->line(kEmptyName));
      break;
    case Verdict::NameInUse:
      tell(this, memMessages->line(kNameInUse).arg(edtName->text().trimmed()));
      break;
    case Verdict::WrongPassword:
      tell(this, memMessages->line(kWrongPassword).arg(company.name));
      break;
    case Verdict::NotListed:
    case Verdict::NumberOutOfRange:
    case Verdict::NumberInUse:
    case Verdict::FolderExists:
      tell(this, memMessages->line(kNotListed).arg(company.number));
      break;
  }
  return false;
}

template <typename Change>
void TfrmCompanies::change(Change&& run) {
  const Company* chosenOne = chosenCompany();
  if (!chosenOne) return;
  const Company company = *chosenOne;
  try {
    report(run(company), company);
  } catch (const data::DatabaseError& e) {
    tell(this, memMessages->line(kNotStored).arg(e.userText()));
  }
  fill();
}

void TfrmCompanies::renameClicked() {
  change([this](const Company& c) { return store_.rename(c.number, edtName->text()); });
}

void TfrmCompanies::passwordClicked(bool clear) {
  const Company* c = chosenCompany();
  if (!c) return;
  if (!clear) {
    if (edtNewPassword->text().isEmpty()) {
      tell(this, memMessages->line(kEmptyPassword));
      edtNewPassword->setFocus();
      return;
    }
    if (edtNewPassword->text() != edtConfirm->text()) {
      tell(this, memMessages->line(kPasswordsDiffer));
      edtConfirm->clear();
      edtNewPassword->setFocus();
      return;
    }
  }
  const QString password = clear ? QString() : edtNewPassword->text();
  change([&](const Company& company) {
    return store_.setPassword(company.number, password, edtCurrentPassword->text(), current_);
  });
}

void TfrmCompanies::newClicked() {
  TfrmCreateCompany creation(store_, this);
  if (translate_) translate_(creation);
  // Creation tells its own refusals and failures, and stays open on them.
  if (creation.prepare()) creation.exec();
  fill();
  if (creation.created()) choose(creation.created());
}

void TfrmCompanies::removeClicked() {
  const Company* chosenOne = chosenCompany();
  if (!chosenOne) return;
  const Company company = *chosenOne;
  if (company.number == current_) {
    tell(this, memMessages->line(kCurrentCompany).arg(company.name));
    return;
  }
  const QString question =
      memMessages->line(kRemoveQuestion)
          .arg(QString::number(company.number), company.name, store_.companyFolder(company.number));
  if (!ask(this, question, memMessages->line(kYes), memMessages->line(kNo))) return;
  change([this](const Company& c) { return store_.removeFromList(c.number); });
}

}  // namespace orba::company
