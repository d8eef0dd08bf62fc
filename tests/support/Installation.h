#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>
#include <functional>

#include "DataModules.h"
#include "Oracle.h"
#include "RightsMap.h"
#include "Table.h"

// Writes the system and company tables of an installation with the data
// layer, the way the program itself reads them.
class Installation {
 public:
  explicit Installation(const QString& root) : dataDir_(root + "/Orba/data") { QDir().mkpath(dataDir_); }

  QString dataDir() const { return dataDir_; }
  QString companyDir(int code) const { return dataDir_ + QString::number(code); }

  // The rights bytes that grant exactly the listed options ("*" grants all),
  // from the rights map written out apart from the program's (Oracle.h).
  static QByteArray rights(const QStringList& codes) { return oracle::rightsBytes(codes); }

  // The languages of a new installation.
  void addLanguages() {
    fill(orba::data::schemas::tblLanguage, dataDir_, [](orba::data::Table& t) {
      for (const oracle::Language& language : oracle::languages()) {
        t.append();
        t.setValue("LangKey", language.key);
        t.setValue("LangCode", language.code);
        t.setValue("LangName", language.name);
        t.post();
      }
    });
  }
  void addCompany(int code, const QString& name, const QString& password = {}) {
    fill(orba::data::schemas::Co_Table, dataDir_, [&](orba::data::Table& t) {
      t.append();
      t.setValue("Comp_Code", code);
      t.setValue("Comp_Name", name);
      if (!password.isEmpty()) t.setValue("Comp_Passwd", password);
      t.post();
    });
    // A company's folder holds at least its control record.
    fill(orba::data::schemas::Co_Ctrl_table, companyDir(code), [](orba::data::Table& t) {
      t.append();
      t.setValue("Ctrl_periods", 12);
      t.post();
    });
  }
  void emptyCompanies() {
    fill(orba::data::schemas::Co_Table, dataDir_, [](orba::data::Table&) {});
  }
  void addUser(const QString& password, const QString& code, const QString& name, int language, int company,
               const QStringList& options, const QString& printer = {}) {
    fill(orba::data::schemas::User_table, dataDir_, [&](orba::data::Table& t) {
      t.append();
      t.setValue("User_password", password);
      t.setValue("User_code", code);
      t.setValue("User_name", name);
      t.setValue("User_detail", 7);
      t.setValue("User_language", language);
      t.setValue("User_company", company);
      if (!printer.isEmpty()) t.setValue("User_printer", printer);
      if (!options.isEmpty()) t.setValue("User_security", rights(options));
      t.post();
    });
  }
  void ensureDesktops() {
    fill(orba::data::schemas::Desktop_table, dataDir_, [](orba::data::Table&) {});
  }
  // A company's clients, by code and name.
  void addClients(int company, const QList<std::pair<QString, QString>>& clients) {
    fill(orba::data::schemas::Ar_Table, companyDir(company), [&](orba::data::Table& t) {
      for (const auto& [code, name] : clients) {
        t.append();
        t.setValue("Cli_code", code);
        t.setValue("Cli_name", name);
        t.post();
      }
    });
  }
  // A row of the Tools menu's table (apps.db).
  void addTool(const QString& program, bool isModule, const QString& security,
               const QString& directory = {}) {
    fill(orba::data::schemas::Applications_table, dataDir_, [&](orba::data::Table& t) {
      t.append();
      t.setValue("Application_name", program);
      t.setValue("Application_name_fr", program);
      t.setValue("Application_pgm", program);
      if (!security.isEmpty()) t.setValue("Application_security", security);
      t.setValue("Application_type", isModule);
      if (!directory.isEmpty()) t.setValue("Application_directory", directory);
      t.post();
    });
  }
  void touch(int company, const QString& file) {
    QFile f(companyDir(company) + "/" + file);
    f.open(QIODevice::WriteOnly);
  }

  // Creates the table when it is missing, then lets `rows` add to it.
  static void fill(const orba::data::TableSpec& shape, const QString& dir,
                   const std::function<void(orba::data::Table&)>& rows) {
    orba::data::Table t("Maker");
    t.declare(shape);
    t.setDatabaseName(dir);
    if (!t.exists()) t.createTable();
    t.open();
    rows(t);
    t.close();
  }

 private:
  QString dataDir_;
};
