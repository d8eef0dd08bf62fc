#include "LoginSession.h"

#include <QDir>
#include <QFileInfo>

#include "DataModules.h"
#include "LinkRecord.h"

namespace orba::shell {

using Field = dispatch::LinkRecord::Field;

LoginSession::LoginSession(data::TUserDataModule& users, data::TCo_DataModule& companies,
                           dispatch::LinkRecord& link, const TShellSettings& settings)
    : users_(users), companies_(companies), link_(link), settings_(settings) {}

QString LoginSession::dataDir() const { return link_.get(Field::DataDir); }

bool LoginSession::systemConnected() const { return companies_.Database2->isConnected(); }

bool LoginSession::connectSystem() {
  companies_.Database2->setParams({QStringLiteral("path=") + dataDir()});
  companies_.Database2->open();
  link_.setReservedFlag(false);
  // A new installation's data folder holds neither the companies nor the
  // users: company creation makes them with the first company.
  if (isNewInstallation()) return false;
  companies_.Co_Table->setDatabaseName(dataDir());
  companies_.Co_Table->open();
  return companies_.Co_Table->recordCount() > 0;
}

bool LoginSession::isNewInstallation() const {
  const QDir folder(dataDir());
  return folder.entryList({QStringLiteral("comp.db")}, QDir::Files).isEmpty() &&
         folder.entryList({QStringLiteral("user.db")}, QDir::Files).isEmpty();
}

QString LoginSession::firstCompanyDirectory() const { return CompanyDir(dataDir(), QStringLiteral("1")); }

void LoginSession::refreshCompanies() {
  if (companies_.Co_Table->isActive()) {
    companies_.Co_Table->refresh();
    return;
  }
  companies_.Co_Table->setDatabaseName(dataDir());
  companies_.Co_Table->open();
}

void LoginSession::openUsers() {
  users_.User_table->setDatabaseName(dataDir());
  users_.User_table->open();
}

void LoginSession::openDesktops() {
  users_.Desktop_table->setDatabaseName(dataDir());
  users_.Desktop_table->open();
}

void LoginSession::openLanguages() {
  users_.tblLanguage->close();
  users_.tblLanguage->setDatabaseName(dataDir());
  users_.tblLanguage->open();
}

LoginSession::LoginMode LoginSession::loginMode() {
  data::Table* users = users_.User_table;
  if (settings_.DisplayPW || users->recordCount() > 1) return LoginMode::Password;
  if (users->recordCount() == 0) return LoginMode::NoUser;
  users->first();
  return LoginMode::FirstUser;
}

bool LoginSession::findUser(const QString& password) { return users_.User_table->findKey({password}); }

QString LoginSession::usersFile() const { return users_.User_table->filePath(); }

std::optional<QString> LoginSession::applyUserLanguage() {
  data::Table* users = users_.User_table;
  const int language = users->value(QStringLiteral("User_language")).toInt();
  if (language == 0) return std::nullopt;
  link_.set(Field::LoginName, users->text(QStringLiteral("User_name")));
  link_.setLanguageNumber(language);
  data::Table* languages = users_.tblLanguage;
  if (languages->isActive())
    link_.setLanguageCode(languages->findKey({language}) ? languages->text(QStringLiteral("LangCode")).left(2)
                                                         : QStringLiteral("en"));
  else  // the languages table could not be read: the two the program ships
    link_.setLanguageCode(language == 2 ? QStringLiteral("fr") : QStringLiteral("en"));
  return QStringLiteral("MainMenu") + link_.languageCode();
}

LoginSession::Link LoginSession::setUpLink() {
  data::Table* companies = companies_.Co_Table;
  data::Table* users = users_.User_table;
  Link result;
  result.companies = readCompanies(*companies);

  link_.set(Field::UserName, users->text(QStringLiteral("User_name")));
  link_.setUserDetail(users->value(QStringLiteral("User_detail")).toInt());
  link_.set(Field::CompanyNumber, QString::number(users->value(QStringLiteral("User_company")).toInt()));
  link_.setLanguageNumber(users->value(QStringLiteral("User_language")).toInt());

  const QString company = link_.get(Field::CompanyNumber);
  if (companies->findKey({company.toInt()}))
    link_.set(Field::CompanyName, companies->text(QStringLiteral("Comp_Name")));

  data::Database* database = companies_.Database1;
  database->close();
  database->setParams({QStringLiteral("path=") + CompanyDir(dataDir(), company)});
  database->open();
  companies_.Ctrl_table->open();
  companies_.Ctrl_table->close();

  // The companies table's current record: the user's company, or where the
  // walk above left it when the user's company is not in the table.
  const QString current =
      companies->recordCount() > 0 ? companies->text(QStringLiteral("Comp_Code")) : QString();
  for (std::size_t i = 0; i < result.companies.size(); ++i) {
    if (result.companies[i].number != current) continue;
    result.current = static_cast<int>(i);
    break;
  }
  return result;
}

int LoginSession::userPrinterIndex(const QStringList& printers) const {
  const QString wanted = users_.User_table->text(QStringLiteral("User_printer"));
  if (wanted.isEmpty()) return -1;
  for (int i = 0; i < printers.size(); ++i)
    if (printers[i].compare(wanted, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

LoginSession::Notices LoginSession::setupNotices(bool payrollEntryEnabled, bool jobCostEntryEnabled) const {
  const QString companyDir = CompanyDir(dataDir(), link_.get(Field::CompanyNumber));
  auto missing = [&](const char* file) {
    return !QFileInfo::exists(data::resolveTableFile(companyDir, QString::fromLatin1(file)));
  };
  Notices notices;
  notices.payroll = settings_.payrollInstalled() && !payrollEntryEnabled && missing("pntrx.db");
  notices.jobCost = settings_.jobCostInstalled() && !jobCostEntryEnabled && missing("jcctrl.db");
  return notices;
}

}  // namespace orba::shell
