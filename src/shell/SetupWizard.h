#pragma once

#include <QString>
#include <optional>

#include "CompanyDefaults.h"
#include "SimpleDialog.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace orba::controls {
class MessageList;
class RadioGroup;
class TTamberlyMaskEdit;
}  // namespace orba::controls
namespace orba::localization {
class ErrorTexts;
}
namespace orba::settings {
class SettingsStore;
}

namespace orba::shell {

// The set-up wizard of a company: in or outside Canada, the province, the
// sales-tax rates and date format, the currency presentation; on Close the
// company's control record (and, outside Canada, its tax-rate tables) and
// the display settings are written. The first start runs it for company 1;
// a company whose set-up was never completed is offered it again, and the
// System menu runs it for the current company.
//
// Five pages, moved between by the wizard's own buttons only. A Next button
// fills in a default only where the user left a field empty or a list
// without choice, so going back and forth keeps what was typed. The window
// lives for the whole run and keeps its values between showings.
// The lines of memOffer.
enum SetupOffer {
  kOfferWhy = 0,  // %1: the company's name
  kOfferQuestion = 1,
  kOfferNow = 2,
  kOfferLater = 3,
};

class TfrmDefaultInfo : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TfrmDefaultInfo(QWidget* parent = nullptr);

  // The folder of the company's tables the wizard writes (the data folder
  // followed by "1").
  void setDirectory(const QString& directory) { directory_ = directory; }
  QString directory() const { return directory_; }
  // Where the display settings go, and the data folder (which names the
  // edition) and the user's language number (which decides a default).
  void setSettings(settings::SettingsStore* settings) { settings_ = settings; }
  void setDataDir(const QString& dataDir) { dataDir_ = dataDir; }
  void setLanguage(int language) { language_ = language; }
  // How a failure of the save is told: in the user's language, naming the
  // field by its label and page. REQUIRES: outlives the wizard's showing.
  void setErrorTexts(const localization::ErrorTexts* texts) { errorTexts_ = texts; }
  // At the first start there is no way out but Close on the last page. Run
  // for a company later, the wizard may also be left by Escape or the
  // window's close button, storing nothing.
  void setCancellable(bool cancellable);
  bool cancellable() const { return cancellable_; }
  // Starts the pages from what the company's control record holds: its
  // rates and currency words (empty where none is stored) and, when stored,
  // whether the business is in Canada.
  void startFrom(const RecordedSetup& recorded);

  // Pages, in order.
  QStackedWidget* pages;
  QWidget* tsInOrNotInCanada;
  QWidget* tsWhichProv;
  QWidget* tsTaxInfo;
  QWidget* tsCurrencyInfo;
  QWidget* tsEnd;

  QPlainTextEdit* memIntro;
  controls::RadioGroup* rgpInCanada;
  QPushButton* btnNext1;
  QGroupBox* grpProvince;
  QLabel* lblProvince;
  QComboBox* cbxProvinces;
  QPushButton* btnBack1;
  QPushButton* btnNext2;
  QLabel* lblDateFormat;
  QComboBox* cbxDateFormat;
  QGroupBox* grpTax;
  QLabel* lblGST;
  controls::TTamberlyMaskEdit* edtGST;
  QLabel* lblPST;
  controls::TTamberlyMaskEdit* edtPST;
  QLabel* lblHST;
  controls::TTamberlyMaskEdit* edtHST;
  QPlainTextEdit* memVat;
  controls::MessageList* memCaptions;
  QPushButton* btnBack2;
  QPushButton* btnNext3;
  QGroupBox* grpCurrency;
  QLabel* lblSymbol;
  controls::TTamberlyMaskEdit* edtSymbol;
  QLabel* lblAlignment;
  QComboBox* cbxAlignment;
  QLabel* lblCurrDescription;
  controls::TTamberlyMaskEdit* edtCurrDescription;
  QLabel* lblFractDescription;
  controls::TTamberlyMaskEdit* edtFractDescription;
  QPushButton* btnBack3;
  QPushButton* btnNext4;
  QPlainTextEdit* Memo1;
  QPushButton* btnBack4;
  QPushButton* btnClose;
  // Why the last save failed, shown on the last page.
  QLabel* lblError;
  // What the desktop says when it offers the wizard for a company whose
  // set-up was never completed (SetupOffer lines).
  controls::MessageList* memOffer;

  // The handlers of the buttons (the buttons call them).
  void FormActivate();
  void btnNext1Click();
  void btnBack1Click();
  void btnNext2Click();
  void btnBack2Click();
  void btnNext3Click();
  void btnBack3Click();
  void btnNext4Click();
  void btnBack4Click();
  // Saves and closes; a save that fails keeps the wizard on its last page
  // with the reason, and stores nothing.
  void btnCloseClick();

  // What the pages hold now, as it would be saved.
  CompanyDefaults defaults() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  QString caption(int line) const;
  bool inCanada() const;

  QString directory_;
  QString dataDir_;
  int language_ = 1;
  settings::SettingsStore* settings_ = nullptr;
  const localization::ErrorTexts* errorTexts_ = nullptr;
  // The field of the control record as the user sees it: its label and the
  // title of the page's group ("GST rate (Enter your GST/PST rates)").
  QString fieldCaption(const QString& field) const;
  QString closingTemplate_;
  bool cancellable_ = false;
  // What the company's tables received by the last Close, if anything.
  std::optional<CompanyDefaults> storedTables_;
  QString storedDirectory_;
};

}  // namespace orba::shell
