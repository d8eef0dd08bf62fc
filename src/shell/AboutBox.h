#pragma once

#include "SimpleDialog.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace orba::controls {
class MessageList;
}

namespace orba::shell {

// The about box of the Help menu: the program, its version, where its
// databases are and which payroll it runs.
class TAboutBox : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  // The raw datadrive setting and the payroll switches, as the main window
  // read them; applied by the next showing.
  void setInstallation(const QString& dataDrive, const QString& payroll, const QString& payrollCCQ);

  void FormShow();
  // Opens the database location in the file manager.
  void lblDatabaseClick();

  QLabel* ProgramIcon;
  QLabel* ProductName;
  QLabel* Version;
  QLabel* Label1;  // "Database location"
  QLabel* lblDatabase;
  QLabel* Label2;  // "Payroll type"
  QComboBox* cbxPayroll;
  QPushButton* OKButton;
  controls::MessageList* memTexts;  // what a failed click says

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QString dataDrive_;
  QString payroll_;
  QString payrollCCQ_;
};

}  // namespace orba::shell
