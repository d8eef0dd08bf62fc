#pragma once

#include "SimpleDialog.h"
#include "castellan/linku.h"

namespace orba::shell {

// The setup wizard that records a new company's tax and currency defaults.
class TfrmDefaultInfo : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TfrmDefaultInfo(QWidget* parent = nullptr)
      : SimpleDialog(QStringLiteral("frmDefaultInfo"), QStringLiteral("Setup"), {560, 420}, parent) {}
  // The folder of the company's tables the wizard writes.
  void setDirectory(const QString& directory) { directory_ = directory; }
  QString directory() const { return directory_; }

 private:
  QString directory_;
};

// The notice that a module's files are not set up yet for this company.
class TfrmSetup : public controls::SimpleDialog {
  Q_OBJECT
 public:
  enum class Module { Payroll, JobCost };
  explicit TfrmSetup(QWidget* parent = nullptr)
      : SimpleDialog(QStringLiteral("frmSetup"), QStringLiteral("Setup"), {420, 260}, parent) {}
  void setModule(Module module) { module_ = module; }
  Module module() const { return module_; }

 private:
  Module module_ = Module::Payroll;
};

// The welcome window shown after login.
class TfrmWelcome : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TfrmWelcome(QWidget* parent = nullptr)
      : SimpleDialog(QStringLiteral("frmWelcome"), QStringLiteral("Welcome"), {480, 360}, parent) {}
  // The settings section whose ShowWelcome value the window writes.
  void setSettingsSection(const QString& section) { section_ = section; }
  QString settingsSection() const { return section_; }
  // A copy of the user's context while the window is shown; its strings are
  // the desktop's, valid until the context changes.
  void setLinkSection(const TLinkSection& link) { link_ = link; }
  const TLinkSection& linkSection() const { return link_; }

 private:
  QString section_;
  TLinkSection link_{};
};

}  // namespace orba::shell
