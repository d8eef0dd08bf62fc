#include "DataModules.h"

namespace orba::data {

DataModule::DataModule(const QString& name, QObject* parent) : QObject(parent) { setObjectName(name); }

Table* DataModule::table(const QString& component, const TableSpec& shape, const QString& database,
                         bool readOnly) {
  auto* t = components_.own(new Table(component, this));
  t->declare(shape);
  t->setDatabaseName(database);
  t->setReadOnly(readOnly);
  return t;
}

DataSource* DataModule::source(const QString& component, Table* table) {
  return components_.own(new DataSource(component, table, this));
}

TUserDataModule::TUserDataModule() : DataModule(QStringLiteral("UserDataModule")) {
  // The database of these tables is set to the data directory at login.
  User_table = table(QStringLiteral("User_table"), schemas::User_table, {}, true);
  Desktop_table = table(QStringLiteral("Desktop_table"), schemas::Desktop_table);
  tblLanguage = table(QStringLiteral("tblLanguage"), schemas::tblLanguage);
  User_datasource = source(QStringLiteral("User_datasource"), User_table);
  DataSource1 = source(QStringLiteral("DataSource1"), Desktop_table);
  Desktop_table->setMaster(User_table, QStringLiteral("User_code"), QStringLiteral("Desktop_user"));
}

TGl_DataModule::TGl_DataModule() : DataModule(QStringLiteral("Gl_DataModule")) {
  Gl_Table = table(QStringLiteral("Gl_Table"), schemas::Gl_Table, kCompanyDatabase);
  // The two descriptions are declared for the accounts panel; nothing fills
  // them, so they read as empty.
  Gl_Table->setOnCalcFields([](Table&) {});
  Ctrl_table = table(QStringLiteral("Ctrl_table"), schemas::Gl_Ctrl_table, kCompanyDatabase);
  trkdb_table = table(QStringLiteral("trkdb_table"), schemas::trkdb_table, kCompanyDatabase);
  Gl_DataSource = source(QStringLiteral("Gl_DataSource"), Gl_Table);
  Ctrl_Datasource = source(QStringLiteral("Ctrl_Datasource"), Ctrl_table);
  DataSource1 = source(QStringLiteral("DataSource1"), trkdb_table);
}

TAr_DataModule::TAr_DataModule() : DataModule(QStringLiteral("Ar_DataModule")) {
  Ar_Table = table(QStringLiteral("Ar_Table"), schemas::Ar_Table, kCompanyDatabase, true);
  Ar_DataSource = source(QStringLiteral("Ar_DataSource"), Ar_Table);
}

TAp_DataModule::TAp_DataModule() : DataModule(QStringLiteral("Ap_DataModule")) {
  Ap_Table = table(QStringLiteral("Ap_Table"), schemas::Ap_Table, kCompanyDatabase, true);
  Ap_DataSource = source(QStringLiteral("Ap_DataSource"), Ap_Table);
}

TCo_DataModule::TCo_DataModule() : DataModule(QStringLiteral("Co_DataModule")) {
  Database1 = components_.own(new Database(QStringLiteral("Database1"), kCompanyDatabase, this));
  Database2 = components_.own(new Database(QStringLiteral("Database2"), kSystemDatabase, this));
  Co_Table = table(QStringLiteral("Co_Table"), schemas::Co_Table, kSystemDatabase, true);
  Ctrl_table = table(QStringLiteral("Ctrl_table"), schemas::Co_Ctrl_table, kCompanyDatabase);
  Applications_table =
      table(QStringLiteral("Applications_table"), schemas::Applications_table, kSystemDatabase);
  Co_DataSource = source(QStringLiteral("Co_DataSource"), Co_Table);
  DataSource2 = source(QStringLiteral("DataSource2"), Ctrl_table);
  DataSource3 = source(QStringLiteral("DataSource3"), Applications_table);
}

TEmp_DataModule::TEmp_DataModule() : DataModule(QStringLiteral("Emp_DataModule")) {
  Emp_Table = table(QStringLiteral("Emp_Table"), schemas::Emp_Table, kCompanyDatabase, true);
  Emp_DataSource = source(QStringLiteral("Emp_DataSource"), Emp_Table);
}

TInvDataModule::TInvDataModule() : DataModule(QStringLiteral("InvDataModule")) {
  IvprodTable = table(QStringLiteral("IvprodTable"), schemas::IvprodTable, kCompanyDatabase);
  IvinvTable = table(QStringLiteral("IvinvTable"), schemas::IvinvTable, kCompanyDatabase);
  IvinvTable->setOnCalcFields([](Table& t) {
    // Summed in order in extended precision; an empty quantity counts as 0.
    long double onHand = 0;
    for (const char* field : {"Ivinv_qty1", "Ivinv_qty2", "Ivinv_qty3", "Ivinv_qty4", "Ivinv_qty5"})
      onHand += t.value(QString::fromLatin1(field)).toDouble();
    t.setCalculated(QStringLiteral("ivinv_on_hand"), static_cast<double>(onHand));
  });
  DataSource1 = source(QStringLiteral("DataSource1"), IvprodTable);
  DataSource2 = source(QStringLiteral("DataSource2"), IvinvTable);
}

}  // namespace orba::data
