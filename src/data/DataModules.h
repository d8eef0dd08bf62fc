#pragma once

#include "Form.h"

#include <QObject>

namespace orba::data {

// A non-visual container of tables, created once at start-up. Its tables
// are opened at login or when a panel needs them, never before.
class DataModule : public QObject, public controls::Form {
  Q_OBJECT
 public:
  explicit DataModule(const QString& name, QObject* parent = nullptr) : QObject(parent) {
    setObjectName(name);
  }
};

// Users, desktops and languages.
class TUserDataModule : public DataModule {
  Q_OBJECT
 public:
  TUserDataModule() : DataModule(QStringLiteral("UserDataModule")) {}
};

// General-ledger accounts.
class TGl_DataModule : public DataModule {
  Q_OBJECT
 public:
  TGl_DataModule() : DataModule(QStringLiteral("Gl_DataModule")) {}
};

// Clients.
class TAr_DataModule : public DataModule {
  Q_OBJECT
 public:
  TAr_DataModule() : DataModule(QStringLiteral("Ar_DataModule")) {}
};

// Suppliers.
class TAp_DataModule : public DataModule {
  Q_OBJECT
 public:
  TAp_DataModule() : DataModule(QStringLiteral("Ap_DataModule")) {}
};

// Companies, control and applications tables, and the two databases.
class TCo_DataModule : public DataModule {
  Q_OBJECT
 public:
  TCo_DataModule() : DataModule(QStringLiteral("Co_DataModule")) {}
};

// Employees.
class TEmp_DataModule : public DataModule {
  Q_OBJECT
 public:
  TEmp_DataModule() : DataModule(QStringLiteral("Emp_DataModule")) {}
};

// Products and inventory.
class TInvDataModule : public DataModule {
  Q_OBJECT
 public:
  TInvDataModule() : DataModule(QStringLiteral("InvDataModule")) {}
};

}  // namespace orba::data
