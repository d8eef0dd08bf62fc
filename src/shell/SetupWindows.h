#pragma once

#include <QString>
#include <functional>

#include "SetupWizard.h"
#include "SimpleDialog.h"
#include "castellan/linku.h"

class QCheckBox;
class QGroupBox;
class QPlainTextEdit;
class QPrinter;
class QPushButton;

namespace orba::controls {
class MessageList;
}
namespace orba::settings {
class SettingsStore;
}

namespace orba::shell {

// Opens a help book (a folder, see HelpBook.h) at a topic, or at its
// contents when the topic is empty.
using HelpOpener = std::function<void(const QString& folder, const QString& topic)>;

// The notice that an installed module (payroll, job cost) has not been set
// up for this company yet, with the steps to do it.
class TfrmSetup : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TfrmSetup(QWidget* parent = nullptr);

  // Which notices the next showing holds.
  void setNotices(bool payroll, bool jobCost);
  bool payrollNotice() const { return payroll_; }
  bool jobCostNotice() const { return jobCost_; }

  void FormActivate();
  // Prints the window's image on the current printer.
  void btnPrintFormClick();
  // Tests print to a file: `setUp` adjusts every printer before it prints,
  // knowing the name of the printer chosen (which a machine without that
  // printer does not keep in the QPrinter).
  using PrinterSetUp = std::function<void(QPrinter&, const QString& chosen)>;
  static void setPrinterSetUp(PrinterSetUp setUp);

  QGroupBox* grpMemo;
  QPlainTextEdit* memPayroll;
  QPlainTextEdit* memJobCost;
  QPushButton* btnPrintForm;
  QPushButton* btnOk;
  controls::MessageList* memTexts;  // what a failed print says

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool payroll_ = false;
  bool jobCost_ = false;
};

// The welcome window shown after login: offers the help's introduction and
// can be switched off for the next starts.
class TfrmWelcome : public controls::SimpleDialog {
  Q_OBJECT
 public:
  // The results of its two buttons.
  static constexpr int kYes = 6;
  static constexpr int kNo = 7;

  explicit TfrmWelcome(QWidget* parent = nullptr);

  // The settings section whose ShowWelcome value the window writes.
  void setSettingsSection(const QString& section) { section_ = section; }
  QString settingsSection() const { return section_; }
  void setSettings(settings::SettingsStore* settings) { settings_ = settings; }
  void setHelpOpener(HelpOpener opener) { help_ = std::move(opener); }
  // A copy of the user's context while the window is shown; its strings are
  // the desktop's, valid until the context changes.
  void setLinkSection(const TLinkSection& link) { link_ = link; }
  const TLinkSection& linkSection() const { return link_; }

  // Opens the help's "Introduction" in the user's language and closes with
  // the Yes result.
  void btnYesClick();
  // Whatever closed the window: a ticked box switches it off.
  void FormClose();

  QPlainTextEdit* memMessage;
  QPushButton* btnYes;
  QPushButton* btnNo;
  QCheckBox* chkAlwaysShow;

  void done(int result) override;

 private:
  QString section_;
  TLinkSection link_{};
  settings::SettingsStore* settings_ = nullptr;
  HelpOpener help_;
};

}  // namespace orba::shell
