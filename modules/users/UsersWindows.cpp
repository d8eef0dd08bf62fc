#include "UsersWindows.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "DatabaseError.h"
#include "MessageList.h"
#include "Messages.h"
#include "ModuleKit.h"
#include "RightsTree.h"
#include "SimpleDialog.h"

namespace orba::users {

namespace {

using kit::guarded;
using kit::named;
using kit::openOnEnter;

// The messages of the users window, in English until translated; the
// reasons of UserRefused are their line numbers.
QStringList designMessages() {
  return {
      QString::fromUtf8("The user code is missing."),
      QString::fromUtf8("The user name is missing."),
      QString::fromUtf8("The password is missing."),
      QString::fromUtf8("The password and its confirmation differ."),
      QString::fromUtf8("The user code %1 is already used."),
      QString::fromUtf8(
          "This password is already the password of %1. At login the password tells who the user "
          "is, so each user needs a password of their own."),
      QString::fromUtf8("A password holds at most 10 characters."),
      QString::fromUtf8("%1 is the last user with the right to Users and rights: that right cannot be taken "
                        "away, or nobody could manage the users any more."),
      QString::fromUtf8("%1 is the last user with the right to Users and rights and cannot be deleted."),
      QString::fromUtf8("Delete the user %1?"),
      QString::fromUtf8("The users table could not be changed: %1"),
      QString::fromUtf8(
          "The user %1 was changed or deleted on another workstation. The list has been read again."),
      QString::fromUtf8("Language of the installation"),
      QString::fromUtf8(
          "There is more than one user now: from the next login on, each user types a password."),
      QString::fromUtf8("Only one user is left: from the next login on, no password is asked."),
      QString::fromUtf8("A user code holds at most 10 characters."),
      QString::fromUtf8("A user name holds at most 30 characters."),
      QString::fromUtf8("&Delete"),
      QString::fromUtf8("Cancel"),
  };
}

enum Line {
  kConfirmDelete = 9,
  kStoreFailed = 10,
  kInstallationLanguage = 12,
  kNowPasswords = 13,
  kNowNoPassword = 14,
  kDeleteButton = 17,
  kCancelButton = 18,
};

// Typed letters become upper case, as in the login's password box.
void upperCaseAsTyped(QLineEdit* edit) {
  QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
    const QString upper = text.toUpper();
    if (upper == text) return;
    const int cursor = edit->cursorPosition();
    edit->setText(upper);
    edit->setCursorPosition(cursor);
  });
}

}  // namespace

// ---------------------------------------------------------------------------

TUserDlg::TUserDlg(const QString& languageTable, const std::vector<UserStore::Language>& languages,
                   const std::vector<UserStore::Company>& companies, const QString& installationLanguage,
                   QWidget* parent)
    : QDialog(parent) {
  setObjectName(QString::fromUtf8("UserDlg"));
  setWindowTitle(QString::fromUtf8("User"));
  setWindowFlags(controls::kFixedDialogFlags | Qt::WindowMaximizeButtonHint);

  CodeLabel = components_.own(named(new QLabel(QString::fromUtf8("&Code:"), this), "CodeLabel"));
  CodeEdit = components_.own(named(new QLineEdit(this), "CodeEdit"));
  CodeEdit->setMaxLength(10);
  NameLabel = components_.own(named(new QLabel(QString::fromUtf8("&Name:"), this), "NameLabel"));
  NameEdit = components_.own(named(new QLineEdit(this), "NameEdit"));
  NameEdit->setMaxLength(30);
  PasswordLabel = components_.own(named(new QLabel(QString::fromUtf8("&Password:"), this), "PasswordLabel"));
  PasswordEdit = components_.own(named(new QLineEdit(this), "PasswordEdit"));
  ConfirmLabel =
      components_.own(named(new QLabel(QString::fromUtf8("Con&firm password:"), this), "ConfirmLabel"));
  ConfirmEdit = components_.own(named(new QLineEdit(this), "ConfirmEdit"));
  for (QLineEdit* edit : {PasswordEdit, ConfirmEdit}) {
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(10);
    upperCaseAsTyped(edit);
  }
  LanguageLabel = components_.own(named(new QLabel(QString::fromUtf8("&Language:"), this), "LanguageLabel"));
  LanguageCombo = components_.own(named(new QComboBox(this), "LanguageCombo"));
  LanguageCombo->addItem(installationLanguage, 0);
  for (const UserStore::Language& l : languages) LanguageCombo->addItem(l.name, l.key);
  CompanyLabel = components_.own(named(new QLabel(QString::fromUtf8("C&ompany:"), this), "CompanyLabel"));
  CompanyCombo = components_.own(named(new QComboBox(this), "CompanyCombo"));
  for (const UserStore::Company& c : companies)
    CompanyCombo->addItem(QString::number(c.code) + QString::fromUtf8(" - ") + c.name, c.code);
  RightsLabel = components_.own(named(new QLabel(QString::fromUtf8("&Rights:"), this), "RightsLabel"));
  RightsTreeView = components_.own(named(new RightsTree(languageTable, this), "RightsTree"));
  AllBtn = components_.own(named(new QPushButton(QString::fromUtf8("&Grant all"), this), "AllBtn"));
  NoneBtn = components_.own(named(new QPushButton(QString::fromUtf8("Grant non&e"), this), "NoneBtn"));
  OKBtn = components_.own(named(new QPushButton(QString::fromUtf8("OK"), this), "OKBtn"));
  CancelBtn = components_.own(named(new QPushButton(QString::fromUtf8("Cancel"), this), "CancelBtn"));
  OKBtn->setDefault(true);
  CodeLabel->setBuddy(CodeEdit);
  NameLabel->setBuddy(NameEdit);
  PasswordLabel->setBuddy(PasswordEdit);
  ConfirmLabel->setBuddy(ConfirmEdit);
  LanguageLabel->setBuddy(LanguageCombo);
  CompanyLabel->setBuddy(CompanyCombo);
  RightsLabel->setBuddy(RightsTreeView);

  connect(AllBtn, &QPushButton::clicked, this, [this] { RightsTreeView->setAll(true); });
  connect(NoneBtn, &QPushButton::clicked, this, [this] { RightsTreeView->setAll(false); });
  connect(OKBtn, &QPushButton::clicked, this, &TUserDlg::ok);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

  auto* fields = new QGridLayout;
  int row = 0;
  for (auto [label, field] :
       std::initializer_list<std::pair<QLabel*, QWidget*>>{{CodeLabel, CodeEdit},
                                                           {NameLabel, NameEdit},
                                                           {PasswordLabel, PasswordEdit},
                                                           {ConfirmLabel, ConfirmEdit},
                                                           {LanguageLabel, LanguageCombo},
                                                           {CompanyLabel, CompanyCombo}}) {
    fields->addWidget(label, row, 0);
    fields->addWidget(field, row++, 1);
  }
  auto* rightsButtons = new QHBoxLayout;
  rightsButtons->addWidget(AllBtn);
  rightsButtons->addWidget(NoneBtn);
  rightsButtons->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(RightsLabel);
  layout->addWidget(RightsTreeView, 1);
  layout->addLayout(rightsButtons);
  layout->addLayout(buttons);
  resize(520, 640);
}

void TUserDlg::choose(QComboBox* combo, int value) {
  int index = combo->findData(value);
  if (index < 0) {
    // A value the tables do not list stays what it is.
    combo->addItem(QString::number(value), value);
    index = combo->count() - 1;
  }
  combo->setCurrentIndex(index);
}

void TUserDlg::load(const User& user) {
  CodeEdit->setText(user.code);
  NameEdit->setText(user.name);
  PasswordEdit->setText(user.password);
  ConfirmEdit->setText(user.password);
  choose(LanguageCombo, user.language);
  if (CompanyCombo->count() > 0 || user.company != 0) choose(CompanyCombo, user.company);
  loadedRights_ = user.rights;
  RightsTreeView->setRights(user.rights);
}

User TUserDlg::user() const {
  User u;
  u.code = CodeEdit->text();
  u.name = NameEdit->text();
  u.password = PasswordEdit->text();
  u.language = LanguageCombo->currentData().toInt();
  u.company = CompanyCombo->currentData().toInt();
  u.rights = RightsTreeView->rights(loadedRights_);
  return u;
}

void TUserDlg::ok() {
  if (UserStore::storedPassword(PasswordEdit->text()) != UserStore::storedPassword(ConfirmEdit->text())) {
    controls::Messages::error(mismatch_, this);
    ConfirmEdit->setFocus();
    return;
  }
  if (!save_ || save_(user())) accept();
}

// ---------------------------------------------------------------------------

TUsersForm::TUsersForm(UserStore& store, const QString& languageTable, bool passwordAlwaysAsked,
                       QWidget* parent)
    : QDialog(parent),
      store_(store),
      languageTable_(languageTable),
      passwordAlwaysAsked_(passwordAlwaysAsked) {
  setObjectName(QString::fromUtf8("UsersForm"));
  setWindowTitle(QString::fromUtf8("Users and rights"));
  setWindowFlags(controls::kFixedDialogFlags | Qt::WindowMaximizeButtonHint);

  UsersGrid = components_.own(named(new QTableWidget(0, 4, this), "UsersGrid"));
  UsersGrid->setHorizontalHeaderLabels({QString::fromUtf8("Code"), QString::fromUtf8("Name"),
                                        QString::fromUtf8("Language"), QString::fromUtf8("Company")});
  UsersGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  UsersGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  UsersGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  UsersGrid->verticalHeader()->hide();
  UsersGrid->setWordWrap(false);
  UsersGrid->horizontalHeader()->setStretchLastSection(true);
  AddBtn = components_.own(named(new QPushButton(QString::fromUtf8("&Add..."), this), "AddBtn"));
  EditBtn = components_.own(named(new QPushButton(QString::fromUtf8("&Change..."), this), "EditBtn"));
  DeleteBtn = components_.own(named(new QPushButton(QString::fromUtf8("&Delete"), this), "DeleteBtn"));
  CloseBtn = components_.own(named(new QPushButton(QString::fromUtf8("Close"), this), "CloseBtn"));
  Messages =
      components_.own(new controls::MessageList(QString::fromUtf8("Messages"), designMessages(), this));
  DesktopMessages = components_.own(new controls::MessageList(
      QString::fromUtf8("DesktopMessages"),
      {QString::fromUtf8("The user was stored, but their stored desktop could not follow the change: %1")},
      this));

  connect(AddBtn, &QPushButton::clicked, this, guarded(this, [this] { addUser(); }));
  connect(EditBtn, &QPushButton::clicked, this, guarded(this, [this] { editUser(); }));
  connect(DeleteBtn, &QPushButton::clicked, this, guarded(this, [this] { deleteUser(); }));
  connect(CloseBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(UsersGrid, &QTableWidget::cellDoubleClicked, this, guarded(this, [this] { editUser(); }));
  openOnEnter(UsersGrid, guarded(this, [this] { editUser(); }));

  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {AddBtn, EditBtn, DeleteBtn}) buttons->addWidget(b);
  buttons->addStretch();
  buttons->addWidget(CloseBtn);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(UsersGrid, 1);
  layout->addLayout(buttons);
  resize(620, 360);
}

QString TUsersForm::line(int index, const QString& subject) const {
  const QString text = Messages->line(index);
  return text.contains(QString::fromUtf8("%1")) ? text.arg(subject) : text;
}

void TUsersForm::reload(const QString& select) {
  languages_ = store_.languages();
  companies_ = store_.companies();
  users_ = store_.users();
  std::sort(users_.begin(), users_.end(), [](const User& a, const User& b) {
    return QString::compare(a.code, b.code, Qt::CaseInsensitive) < 0;
  });
  UsersGrid->setRowCount(static_cast<int>(users_.size()));
  int selectRow = users_.empty() ? -1 : 0;
  for (int r = 0; r < static_cast<int>(users_.size()); ++r) {
    const User& u = users_[static_cast<std::size_t>(r)];
    QString language = u.language == 0 ? line(kInstallationLanguage) : QString::number(u.language);
    for (const auto& l : languages_)
      if (l.key == u.language) language = l.name;
    QString company = QString::number(u.company);
    for (const auto& c : companies_)
      if (c.code == u.company) company = c.name;
    const QStringList cells = {u.code, u.name, language, company};
    for (int c = 0; c < cells.size(); ++c) UsersGrid->setItem(r, c, new QTableWidgetItem(cells[c]));
    if (!select.isEmpty() && u.code == select) selectRow = r;
  }
  // Sized to the users once; after that the widths are the user's own and
  // an add or a change keeps them.
  if (!columnsSized_) {
    UsersGrid->resizeColumnsToContents();
    columnsSized_ = !users_.empty();
  }
  if (selectRow >= 0) UsersGrid->selectRow(selectRow);
  EditBtn->setEnabled(!users_.empty());
  DeleteBtn->setEnabled(!users_.empty());
}

void TUsersForm::desktopNotFollowed(const QString& reason) {
  if (!reason.isEmpty()) controls::Messages::error(DesktopMessages->line(0).arg(reason), this);
}

const User* TUsersForm::selected() const {
  const int row = UsersGrid->currentRow();
  if (row < 0 || row >= static_cast<int>(users_.size())) return nullptr;
  return &users_[static_cast<std::size_t>(row)];
}

bool TUsersForm::report(const std::function<void()>& change) {
  try {
    change();
    return true;
  } catch (const UserRefused& refused) {
    controls::Messages::error(line(refused.reason, refused.subject), this);
    if (refused.reason == UserRefused::Vanished) {
      try {
        reload();
      } catch (const data::DatabaseError& e) {
        controls::Messages::error(e.userText(), this);
      }
      return true;
    }
  } catch (const data::DatabaseError& e) {
    controls::Messages::error(line(kStoreFailed, e.userText()), this);
  }
  return false;
}

void TUsersForm::runUserDlg(const User& start, const std::function<void(const User&)>& store) {
  TUserDlg dlg(languageTable_, languages_, companies_, line(kInstallationLanguage), this);
  if (translate_) translate_(&dlg, dlg.components());
  dlg.setMismatchText(line(UserRefused::PasswordsDiffer));
  dlg.load(start);
  dlg.setSave([&](const User& u) { return report([&] { store(u); }); });
  dlg.exec();
}

void TUsersForm::addUser() {
  User start;
  if (!companies_.empty()) start.company = companies_.front().code;
  runUserDlg(start, [this](const User& u) {
    const std::size_t before = store_.users().size();
    const QString desktop = store_.add(u);
    reload(u.code.trimmed());
    desktopNotFollowed(desktop);
    if (!passwordAlwaysAsked_ && before <= 1 && users_.size() > 1)
      controls::Messages::information(line(kNowPasswords), this);
  });
}

void TUsersForm::editUser() {
  const User* user = selected();
  if (!user) return;
  const User start = *user;
  runUserDlg(start, [this, &start](const User& u) {
    const QString desktop = store_.update(start.code, u);
    reload(u.code.trimmed());
    desktopNotFollowed(desktop);
  });
}

void TUsersForm::deleteUser() {
  const User* user = selected();
  if (!user) return;
  const User gone = *user;
  QMessageBox ask(QMessageBox::Question, controls::Messages::title(), line(kConfirmDelete, gone.name),
                  QMessageBox::NoButton, this);
  QPushButton* yes = ask.addButton(line(kDeleteButton), QMessageBox::DestructiveRole);
  ask.setDefaultButton(ask.addButton(line(kCancelButton), QMessageBox::RejectRole));
  ask.exec();
  if (ask.clickedButton() != yes) return;
  report([&] {
    const std::size_t before = users_.size();
    const QString desktop = store_.remove(gone.code);
    reload();
    desktopNotFollowed(desktop);
    if (!passwordAlwaysAsked_ && before > 1 && users_.size() == 1)
      controls::Messages::information(line(kNowNoPassword), this);
  });
}

}  // namespace orba::users
