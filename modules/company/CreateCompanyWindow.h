#pragma once

#include "CompanyStore.h"
#include "SimpleDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace orba::controls {
class MessageList;
}

namespace orba::company {

// Company creation: the new company's number (the next free one proposed;
// always 1 for the first company, which the set-up wizard expects), its
// name and an optional password. Create makes the company and closes the
// window; a refusal or a failure is told and the window stays.
class TfrmCreateCompany : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TfrmCreateCompany(CompanyStore& store, QWidget* parent = nullptr);

  // Reads the companies and proposes a number. False, after telling why,
  // when the list of companies cannot be read.
  bool prepare();
  // On a new installation (no list of companies, no users yet) the
  // creation also makes the system tables and the first user, who gets
  // `language`; the window says who that user is.
  void setNewInstallation(int language) {
    newInstallation_ = true;
    firstUserLanguage_ = language;
  }
  // The number of the company made, 0 until one is.
  int created() const { return created_; }

  QLabel* lblNumber;
  QSpinBox* spnNumber;
  // Where the company's files will be; not translated, filled in from the
  // messages.
  QLabel* lblFolder;
  QLabel* lblName;
  QLineEdit* edtName;
  QLabel* lblPassword;
  QLineEdit* edtPassword;
  QLabel* lblConfirm;
  QLineEdit* edtConfirm;
  QPushButton* btnCreate;
  QPushButton* btnCancel;
  controls::MessageList* memMessages;

 private:
  void showFolder();
  void createClicked();

  CompanyStore& store_;
  bool first_ = false;
  bool newInstallation_ = false;
  int firstUserLanguage_ = 1;
  int created_ = 0;
};

}  // namespace orba::company
