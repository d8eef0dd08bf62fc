#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "CompanySwitch.h"
#include "ShellSettings.h"

namespace orba::data {
class TCo_DataModule;
class TUserDataModule;
}  // namespace orba::data
namespace orba::dispatch {
class LinkRecord;
}

namespace orba::shell {

// The data steps of the main window's first activation, without a window:
// the system database, the user's login, the link record and the user's
// company. The main window shows the dialogs between these steps and applies
// what they return to its menus. A step that cannot open a table or connect
// a database throws DatabaseError with the engine's message.
class LoginSession {
 public:
  // REQUIRES: everything passed outlives the session.
  LoginSession(data::TUserDataModule& users, data::TCo_DataModule& companies, dispatch::LinkRecord& link,
               const TShellSettings& settings);

  // The system database is connected: the first activation has begun.
  bool systemConnected() const;
  // Connects the system database and opens the companies table. Returns
  // false when there is no company yet (company creation and the set-up
  // wizard come first then).
  bool connectSystem();
  // Neither comp.db nor user.db in the data folder (whatever their letter
  // case): nothing but the settings is installed yet.
  bool isNewInstallation() const;
  // The folder of company 1, where the set-up wizard writes a new company's
  // defaults.
  QString firstCompanyDirectory() const;
  // The companies written by company creation: the table reads the file as
  // it was when opened.
  void refreshCompanies();
  // The users table, without which nobody logs in.
  void openUsers();
  // The desktops and the languages tables, each of which the login can do
  // without (the standard desktop, the settings' language).
  void openDesktops();
  void openLanguages();

  enum class LoginMode {
    NoUser,     // nobody can log in: the users table is empty
    FirstUser,  // no password asked: the first user logs in
    Password,   // the password dialog decides
  };
  // With DisplayPW off and one user at most, no password is asked; the
  // first user is then the current record.
  LoginMode loginMode();
  // The user whose password (typed in upper case) this is, made current.
  bool findUser(const QString& password);
  // The users table, for what the messages name.
  QString usersFile() const;

  // When the user has a language of their own, makes it the link record's
  // (LoginName, Language, LanguageCode) and returns the language table the
  // windows are translated from ("MainMenu" + code). Without one, the
  // settings' language stays.
  std::optional<QString> applyUserLanguage();

  // Links the desktop to the user's company: the user's name, detail,
  // company number and name and language into the link record, the company
  // database connected to the company's folder, its control table opened
  // and closed once. Returns the companies in key order and the position of
  // the current one (-1 when none matches).
  struct Link {
    std::vector<Company> companies;
    int current = -1;
  };
  Link setUpLink();

  // The position of the user's printer in `printers`, by name without
  // regard to case; -1 when the user has none or it is not installed.
  int userPrinterIndex(const QStringList& printers) const;

  // The module set-up notices that apply after the rights are known: a
  // module installed, its entry option disabled and its files missing.
  struct Notices {
    bool payroll = false;
    bool jobCost = false;
  };
  Notices setupNotices(bool payrollEntryEnabled, bool jobCostEntryEnabled) const;

 private:
  QString dataDir() const;

  data::TUserDataModule& users_;
  data::TCo_DataModule& companies_;
  dispatch::LinkRecord& link_;
  const TShellSettings& settings_;
};

}  // namespace orba::shell
