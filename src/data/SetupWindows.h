#pragma once

#include "SimpleDialog.h"

namespace orba::data {

// The setup wizard that records a new company's tax and currency defaults.
class TfrmDefaultInfo : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TfrmDefaultInfo(QWidget* parent = nullptr)
      : SimpleDialog(QStringLiteral("frmDefaultInfo"), QStringLiteral("Setup"), {560, 420}, parent) {}
};

// The notice that a module's files are not set up yet for this company.
class TfrmSetup : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TfrmSetup(QWidget* parent = nullptr)
      : SimpleDialog(QStringLiteral("frmSetup"), QStringLiteral("Setup"), {420, 260}, parent) {}
};

// The welcome window shown after login.
class TfrmWelcome : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TfrmWelcome(QWidget* parent = nullptr)
      : SimpleDialog(QStringLiteral("frmWelcome"), QStringLiteral("Welcome"), {480, 360}, parent) {}
};

}  // namespace orba::data
