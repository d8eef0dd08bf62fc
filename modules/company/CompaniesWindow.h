#pragma once

#include <functional>

#include "CompanyStore.h"
#include "SimpleDialog.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace orba::controls {
class MessageList;
}

namespace orba::company {

// Company maintenance: the companies of comp.db with their numbers, names
// and whether they have a password. A company can be created (company
// creation's window, over this one); the chosen company can be renamed, be
// given a password or lose it, or be taken off the list after a question;
// its files are never deleted. The company the user works in stays listed.
class TfrmCompanies : public controls::SimpleDialog {
  Q_OBJECT
 public:
  // `currentNumber` is the company the user works in (0: none).
  TfrmCompanies(CompanyStore& store, int currentNumber, QWidget* parent = nullptr);

  // Lists the companies, keeping the chosen one when it is still there.
  // False, after telling why, when comp.db cannot be read.
  bool fill();
  // The number of the chosen company, 0 when none.
  int chosen() const;

  // Puts company creation's window into the user's language before it is
  // shown; without one it keeps its design texts.
  using Translate = std::function<void(controls::SimpleDialog&)>;
  void setTranslate(Translate translate) { translate_ = std::move(translate); }

  QTableWidget* grdCompanies;
  QPushButton* btnNew;
  QLabel* lblName;
  QLineEdit* edtName;
  QPushButton* btnRename;
  QGroupBox* grpPassword;
  QLabel* lblCurrentPassword;
  QLineEdit* edtCurrentPassword;
  QLabel* lblNewPassword;
  QLineEdit* edtNewPassword;
  QLabel* lblConfirm;
  QLineEdit* edtConfirm;
  QPushButton* btnSetPassword;
  QPushButton* btnClearPassword;
  QPushButton* btnRemove;
  QPushButton* btnClose;
  controls::MessageList* memMessages;

 private:
  const Company* chosenCompany() const;
  void choose(int number);
  void chosenChanged();
  void renameClicked();
  void passwordClicked(bool clear);
  void removeClicked();
  // Runs company creation; the company made is listed and chosen.
  void newClicked();
  // Tells the verdict of a change; true when it was made.
  bool report(Verdict verdict, const Company& company);
  // Runs a change of comp.db, telling its failure; lists the companies
  // again afterwards either way.
  template <typename Change>
  void change(Change&& run);

  CompanyStore& store_;
  int current_;
  std::vector<Company> companies_;
  Translate translate_;
};

}  // namespace orba::company
