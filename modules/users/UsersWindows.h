#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "Form.h"
#include "UserStore.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace orba::controls {
class ComponentList;
class MessageList;
}  // namespace orba::controls

namespace orba::users {

class RightsTree;

// One user: code, name, password (asked twice), language, company and the
// rights. OK hands the user to `save`; the window stays open, with what was
// typed, when `save` refuses.
class TUserDlg : public QDialog, public controls::Form {
  Q_OBJECT
 public:
  using Save = std::function<bool(const User&)>;
  TUserDlg(const QString& languageTable, const std::vector<UserStore::Language>& languages,
           const std::vector<UserStore::Company>& companies, const QString& installationLanguage,
           QWidget* parent = nullptr);

  void load(const User& user);
  // The user as typed; the rights not shown as options are kept from load().
  User user() const;
  void setSave(Save save) { save_ = std::move(save); }
  // Shown when the password and its confirmation differ.
  void setMismatchText(const QString& text) { mismatch_ = text; }

  QLabel* CodeLabel;
  QLineEdit* CodeEdit;
  QLabel* NameLabel;
  QLineEdit* NameEdit;
  QLabel* PasswordLabel;
  QLineEdit* PasswordEdit;
  QLabel* ConfirmLabel;
  QLineEdit* ConfirmEdit;
  QLabel* LanguageLabel;
  QComboBox* LanguageCombo;
  QLabel* CompanyLabel;
  QComboBox* CompanyCombo;
  QLabel* RightsLabel;
  RightsTree* RightsTreeView;
  QPushButton* AllBtn;
  QPushButton* NoneBtn;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

 private:
  void ok();
  static void choose(QComboBox* combo, int value);

  QByteArray loadedRights_;
  QString mismatch_;
  Save save_;
};

// The users of user.db with their language and company; add, change and
// delete them. Every change is stored at once, whole or not at all.
class TUsersForm : public QDialog, public controls::Form {
  Q_OBJECT
 public:
  // `passwordAlwaysAsked`: the login asks for a password even with a single
  // user (DisplayPW), so the number of users does not change the login.
  TUsersForm(UserStore& store, const QString& languageTable, bool passwordAlwaysAsked,
             QWidget* parent = nullptr);

  // How each user window is translated (the main window is translated by
  // whoever shows it).
  using Translate = std::function<void(QObject*, const controls::ComponentList&)>;
  void setTranslate(Translate translate) { translate_ = std::move(translate); }

  // Reads the users again; keeps `select` (a code) selected when given.
  void reload(const QString& select = {});
  void addUser();
  void editUser();
  void deleteUser();

  QTableWidget* UsersGrid;
  QPushButton* AddBtn;
  QPushButton* EditBtn;
  QPushButton* DeleteBtn;
  QPushButton* CloseBtn;
  controls::MessageList* Messages;
  // What is said when a user was stored but their stored desktop could not
  // follow the change.
  controls::MessageList* DesktopMessages;

 private:
  void desktopNotFollowed(const QString& reason);
  // Runs the user window; `store` stores what it returns.
  void runUserDlg(const User& start, const std::function<void(const User&)>& store);
  // Reports a refused or failed change; true when the user window should
  // close all the same (the user is gone).
  bool report(const std::function<void()>& change);
  QString line(int index, const QString& subject = {}) const;
  const User* selected() const;

  UserStore& store_;
  Translate translate_;
  QString languageTable_;
  bool passwordAlwaysAsked_;
  std::vector<User> users_;
  std::vector<UserStore::Language> languages_;
  std::vector<UserStore::Company> companies_;
  bool columnsSized_ = false;
};

}  // namespace orba::users
