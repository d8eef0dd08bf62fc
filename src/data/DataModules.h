#pragma once

#include <QObject>

#include "ComponentList.h"
#include "DataSource.h"
#include "Database.h"
#include "Table.h"

namespace orba::data {

// A non-visual container of tables, created once at start-up. Its tables
// are opened at login or when a panel needs them, never before. Its
// components (tables, data sources, databases) keep their names and order:
// other windows refer to them as "Module.Component".
class DataModule : public QObject {
  Q_OBJECT
 public:
  explicit DataModule(const QString& name, QObject* parent = nullptr);
  const controls::ComponentList& components() const { return components_; }

 protected:
  controls::ComponentList components_;
  Table* table(const QString& component, const TableSpec& shape, const QString& database = {},
               bool readOnly = false);
  DataSource* source(const QString& component, Table* table);
};

// Users, their desktops and the languages, in the data directory.
class TUserDataModule : public DataModule {
  Q_OBJECT
 public:
  TUserDataModule();
  Table* User_table;
  Table* Desktop_table;  // the current user's rows only
  Table* tblLanguage;
  DataSource* User_datasource;
  DataSource* DataSource1;
};

// General-ledger accounts, the control record, the tracker accounts.
class TGl_DataModule : public DataModule {
  Q_OBJECT
 public:
  TGl_DataModule();
  Table* Gl_Table;
  Table* Ctrl_table;
  Table* trkdb_table;
  DataSource* Gl_DataSource;
  DataSource* Ctrl_Datasource;
  DataSource* DataSource1;
};

// Clients.
class TAr_DataModule : public DataModule {
  Q_OBJECT
 public:
  TAr_DataModule();
  Table* Ar_Table;
  DataSource* Ar_DataSource;
};

// Suppliers.
class TAp_DataModule : public DataModule {
  Q_OBJECT
 public:
  TAp_DataModule();
  Table* Ap_Table;
  DataSource* Ap_DataSource;
};

// Companies, the control and applications tables, and the two databases:
// Database1 "menudata" (the current company) and Database2 "menumydb" (the
// system tables).
class TCo_DataModule : public DataModule {
  Q_OBJECT
 public:
  TCo_DataModule();
  Database* Database1;
  Database* Database2;
  Table* Co_Table;
  Table* Ctrl_table;
  Table* Applications_table;
  DataSource* Co_DataSource;
  DataSource* DataSource2;
  DataSource* DataSource3;
};

// Employees.
class TEmp_DataModule : public DataModule {
  Q_OBJECT
 public:
  TEmp_DataModule();
  Table* Emp_Table;
  DataSource* Emp_DataSource;
};

// Products and inventory; a product's quantity on hand is the sum of its five
// quantities.
class TInvDataModule : public DataModule {
  Q_OBJECT
 public:
  TInvDataModule();
  Table* IvprodTable;
  Table* IvinvTable;
  DataSource* DataSource1;
  DataSource* DataSource2;
};

inline const QString kCompanyDatabase = QStringLiteral("menudata");
inline const QString kSystemDatabase = QStringLiteral("menumydb");

}  // namespace orba::data
