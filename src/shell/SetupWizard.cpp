#include "SetupWizard.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

#include "DatabaseError.h"
#include "ErrorTexts.h"
#include "MaskEdit.h"
#include "MessageList.h"
#include "RadioGroup.h"

namespace orba::shell {

namespace {

// Provinces by their index in the list: the rules below name some of them.
constexpr int kNewfoundland = 3;
constexpr int kNovaScotia = 5;
constexpr int kQuebec = 7;
bool harmonized(int province) { return province >= kNewfoundland && province <= kNovaScotia; }

enum CaptionLine {
  kVatGroup = 0,
  kGstPstGroup = 1,
  kVat1 = 2,
  kVat2 = 3,
  kGst = 4,
  kPst = 5,
  kHst = 6,
  kGstQstGroup = 7,
  kQst = 8,
  kGstPstHstGroup = 9,
};

QPlainTextEdit* readOnlyText(const QString& name, const QString& text, QWidget* parent) {
  auto* memo = new QPlainTextEdit(text, parent);
  memo->setObjectName(name);
  memo->setReadOnly(true);
  memo->setFocusPolicy(Qt::NoFocus);
  return memo;
}

}  // namespace

TfrmDefaultInfo::TfrmDefaultInfo(QWidget* parent)
    : SimpleDialog(QStringLiteral("frmDefaultInfo"), QStringLiteral("Setup Wizard"), {560, 420}, parent) {
  // No way out but Close on the last page: no border icons.
  setWindowFlags(controls::kNoBorderIconsFlags);
  pages = new QStackedWidget(this);
  pages->setGeometry(0, 0, 560, 420);
  auto page = [this](const char* name) {
    auto* w = new QWidget;
    w->setObjectName(QString::fromLatin1(name));
    pages->addWidget(w);
    return w;
  };
  auto button = [this](const char* name, const char* text, QWidget* on, int x,
                       void (TfrmDefaultInfo::*click)()) {
    auto* b = components_.own(new QPushButton(QString::fromUtf8(text), on));
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, 380, 85, 27);
    connect(b, &QPushButton::clicked, this, click);
    return b;
  };
  auto label = [this](const char* name, const char* text, QWidget* on, QRect at) {
    auto* l = components_.own(new QLabel(QString::fromUtf8(text), on));
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(at);
    return l;
  };
  auto edit = [this](const char* name, QWidget* on, QRect at) {
    // Rates and words are free text: the masked edits carry no mask here.
    auto* e = components_.own(new controls::TTamberlyMaskEdit(on));
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(at);
    return e;
  };
  auto combo = [this](const char* name, const QStringList& items, QWidget* on, QRect at) {
    auto* c = components_.own(new QComboBox(on));
    c->setObjectName(QString::fromLatin1(name));
    c->addItems(items);
    c->setCurrentIndex(-1);
    c->setGeometry(at);
    return c;
  };

  tsInOrNotInCanada = page("tsInOrNotInCanada");
  memIntro = components_.own(readOnlyText(
      QStringLiteral("memIntro"),
      QStringLiteral("Welcome to the setup of your accounting system.\nThis wizard records the sales tax and "
                     "currency defaults of your company."),
      tsInOrNotInCanada));
  memIntro->setGeometry(20, 20, 520, 140);
  rgpInCanada = components_.own(new controls::RadioGroup(QStringLiteral("rgpInCanada"), tsInOrNotInCanada));
  rgpInCanada->setTitle(QStringLiteral("Location of your business"));
  rgpInCanada->addItem(QStringLiteral("&In Canada"));
  rgpInCanada->addItem(QStringLiteral("&Outside of Canada"));
  rgpInCanada->setItemIndex(1);
  rgpInCanada->setGeometry(20, 180, 520, 90);
  btnNext1 = button("btnNext1", "Next >", tsInOrNotInCanada, 455, &TfrmDefaultInfo::btnNext1Click);

  tsWhichProv = page("tsWhichProv");
  grpProvince = components_.own(new QGroupBox(QStringLiteral("Province"), tsWhichProv));
  grpProvince->setObjectName(QStringLiteral("grpProvince"));
  grpProvince->setGeometry(20, 20, 520, 120);
  lblProvince =
      label("lblProvince", "In which province is your business located?", grpProvince, {16, 30, 480, 20});
  cbxProvinces =
      combo("cbxProvinces",
            {QStringLiteral("Alberta"), QStringLiteral("British Columbia"), QStringLiteral("Manitoba"),
             QStringLiteral("Newfoundland"), QStringLiteral("New Brunswick"), QStringLiteral("Nova Scotia"),
             QStringLiteral("Prince Edward Island"), QStringLiteral("Québec"), QStringLiteral("Ontario"),
             QStringLiteral("Saskatchewan")},
            grpProvince, {16, 60, 260, 26});
  btnBack1 = button("btnBack1", "< Back", tsWhichProv, 360, &TfrmDefaultInfo::btnBack1Click);
  btnNext2 = button("btnNext2", "Next >", tsWhichProv, 455, &TfrmDefaultInfo::btnNext2Click);

  tsTaxInfo = page("tsTaxInfo");
  lblDateFormat = label("lblDateFormat", "Date format:", tsTaxInfo, {20, 24, 150, 20});
  cbxDateFormat =
      combo("cbxDateFormat",
            {QStringLiteral("yyyy/mm/dd"), QStringLiteral("dd/mm/yyyy"), QStringLiteral("mm/dd/yyyy")},
            tsTaxInfo, {180, 20, 160, 26});
  grpTax = components_.own(new QGroupBox(QStringLiteral("Enter your GST/PST rates"), tsTaxInfo));
  grpTax->setObjectName(QStringLiteral("grpTax"));
  grpTax->setGeometry(20, 60, 520, 300);
  lblGST = label("lblGST", "GST rate", grpTax, {16, 34, 200, 20});
  edtGST = edit("edtGST", grpTax, {230, 30, 100, 24});
  lblPST = label("lblPST", "PST rate", grpTax, {16, 70, 200, 20});
  edtPST = edit("edtPST", grpTax, {230, 66, 100, 24});
  lblHST = label("lblHST", "HST rate", grpTax, {16, 106, 200, 20});
  edtHST = edit("edtHST", grpTax, {230, 102, 100, 24});
  memVat = components_.own(readOnlyText(
      QStringLiteral("memVat"),
      QStringLiteral(
          "The tax accounts and descriptions are left blank.\nComplete them later with the Parameters "
          "maintenance option."),
      grpTax));
  memVat->setGeometry(16, 150, 488, 120);
  memVat->hide();
  memCaptions = components_.own(new controls::MessageList(
      QStringLiteral("memCaptions"),
      {QStringLiteral("Enter your sales tax  and VAT rates"), QStringLiteral("Enter your GST/PST rates"),
       QStringLiteral("VAT/Tax 1 rate"), QStringLiteral("VAT/Tax 2 rate"), QStringLiteral("GST rate"),
       QStringLiteral("PST rate"), QStringLiteral("HST rate"), QStringLiteral("Enter your GST/QST rates"),
       QStringLiteral("QST rate"), QStringLiteral("Enter your GST/PST/HST rates")},
      this));
  btnBack2 = button("btnBack2", "< Back", tsTaxInfo, 360, &TfrmDefaultInfo::btnBack2Click);
  btnNext3 = button("btnNext3", "Next >", tsTaxInfo, 455, &TfrmDefaultInfo::btnNext3Click);

  tsCurrencyInfo = page("tsCurrencyInfo");
  grpCurrency = components_.own(new QGroupBox(QStringLiteral("Currency"), tsCurrencyInfo));
  grpCurrency->setObjectName(QStringLiteral("grpCurrency"));
  grpCurrency->setGeometry(20, 20, 520, 220);
  lblSymbol = label("lblSymbol", "Currency symbol:", grpCurrency, {16, 34, 200, 20});
  edtSymbol = edit("edtSymbol", grpCurrency, {230, 30, 80, 24});
  lblAlignment = label("lblAlignment", "Symbol position:", grpCurrency, {16, 74, 200, 20});
  cbxAlignment = combo("cbxAlignment", {QStringLiteral("Left"), QStringLiteral("Right")}, grpCurrency,
                       {230, 70, 140, 26});
  lblCurrDescription =
      label("lblCurrDescription", "Currency name (cheques):", grpCurrency, {16, 114, 200, 20});
  edtCurrDescription = edit("edtCurrDescription", grpCurrency, {230, 110, 200, 24});
  lblFractDescription =
      label("lblFractDescription", "Fraction name (cheques):", grpCurrency, {16, 154, 200, 20});
  edtFractDescription = edit("edtFractDescription", grpCurrency, {230, 150, 200, 24});
  btnBack3 = button("btnBack3", "< Back", tsCurrencyInfo, 360, &TfrmDefaultInfo::btnBack3Click);
  btnNext4 = button("btnNext4", "Next >", tsCurrencyInfo, 455, &TfrmDefaultInfo::btnNext4Click);

  tsEnd = page("tsEnd");
  Memo1 = components_.own(readOnlyText(
      QStringLiteral("Memo1"),
      QStringLiteral(
          "The basic setup of %s is complete.\n\nClick Close to save these settings and start using "
          "the program."),
      tsEnd));
  Memo1->setGeometry(20, 20, 520, 240);
  lblError = new QLabel(tsEnd);
  lblError->setObjectName(QStringLiteral("lblError"));
  lblError->setGeometry(20, 270, 520, 100);
  lblError->setWordWrap(true);
  lblError->setStyleSheet(QStringLiteral("color: #800000;"));
  btnBack4 = button("btnBack4", "< Back", tsEnd, 360, &TfrmDefaultInfo::btnBack4Click);
  btnClose = button("btnClose", "Close", tsEnd, 455, &TfrmDefaultInfo::btnCloseClick);
  memOffer = components_.own(new controls::MessageList(
      QStringLiteral("memOffer"),
      {QStringLiteral(
           "The set-up of %1 was never completed: its sales tax rates and currency are not recorded "
           "yet."),
       QStringLiteral(
           "Complete it now with the Setup Wizard? If you choose Later, you will be asked again at "
           "the next start."),
       QStringLiteral("Complete it now"), QStringLiteral("Later")},
      this));

  // Return takes the shown page's way on: Next, and Close on the last page.
  const std::pair<QWidget*, QPushButton*> forward[] = {{tsInOrNotInCanada, btnNext1},
                                                       {tsWhichProv, btnNext2},
                                                       {tsTaxInfo, btnNext3},
                                                       {tsCurrencyInfo, btnNext4},
                                                       {tsEnd, btnClose}};
  connect(pages, &QStackedWidget::currentChanged, this, [this, forward](int) {
    for (const auto& [page, next] : forward)
      if (page == pages->currentWidget()) next->setDefault(true);
  });
}

void TfrmDefaultInfo::setCancellable(bool cancellable) {
  cancellable_ = cancellable;
  setWindowFlags(cancellable ? controls::kFixedDialogFlags : controls::kNoBorderIconsFlags);
}

void TfrmDefaultInfo::startFrom(const RecordedSetup& recorded) {
  edtGST->setText(recorded.gstRate);
  edtPST->setText(recorded.pstRate);
  edtHST->setText(recorded.hstRate);
  edtCurrDescription->setText(recorded.currencyName);
  edtFractDescription->setText(recorded.fractionName);
  if (recorded.taxSystem == 0 || recorded.taxSystem == 1) rgpInCanada->setItemIndex(*recorded.taxSystem);
  lblError->clear();
}

QString TfrmDefaultInfo::caption(int line) const { return memCaptions->line(line); }
bool TfrmDefaultInfo::inCanada() const { return rgpInCanada->itemIndex() == 0; }

void TfrmDefaultInfo::showEvent(QShowEvent* event) {
  SimpleDialog::showEvent(event);
  FormActivate();
}

void TfrmDefaultInfo::reject() {
  // At the first start Escape and the window manager's close do not leave
  // the wizard: the defaults must be saved before the company is used.
  if (cancellable_) SimpleDialog::reject();
}

void TfrmDefaultInfo::FormActivate() { pages->setCurrentWidget(tsInOrNotInCanada); }

void TfrmDefaultInfo::btnNext1Click() {
  if (inCanada()) {
    if (cbxProvinces->currentIndex() < 0) cbxProvinces->setCurrentIndex(0);
    memVat->hide();
    pages->setCurrentWidget(tsWhichProv);
    return;
  }
  if (cbxDateFormat->currentIndex() < 0) cbxDateFormat->setCurrentIndex(2);
  grpTax->setTitle(caption(kVatGroup));
  lblGST->setText(caption(kVat1));
  lblPST->setText(caption(kVat2));
  lblHST->hide();
  edtHST->hide();
  memVat->setVisible(rgpInCanada->itemIndex() == 1 && !isQuillmarkEdition(directory_));
  pages->setCurrentWidget(tsTaxInfo);
}

void TfrmDefaultInfo::btnBack1Click() { pages->setCurrentWidget(tsInOrNotInCanada); }

void TfrmDefaultInfo::btnNext2Click() {
  const int province = cbxProvinces->currentIndex();
  grpTax->setTitle(caption(kGstPstGroup));
  lblGST->setText(caption(kGst));
  lblPST->setText(caption(kPst));
  lblHST->setText(caption(kHst));
  if (edtGST->text().isEmpty()) edtGST->setText(QStringLiteral("7"));
  if (harmonized(province)) {
    // The harmonized tax replaces both, whatever was typed.
    edtGST->setText(QStringLiteral("0"));
    edtPST->setText(QStringLiteral("0"));
    if (edtHST->text().isEmpty()) edtHST->setText(QStringLiteral("15"));
    lblHST->show();
    edtHST->show();
    grpTax->setTitle(caption(kGstPstHstGroup));
  }
  if (province == kQuebec) {
    if (edtPST->text().isEmpty()) edtPST->setText(QStringLiteral("7.5"));
    if (cbxDateFormat->currentIndex() < 0) cbxDateFormat->setCurrentIndex(1);
    grpTax->setTitle(caption(kGstQstGroup));
    lblPST->setText(caption(kQst));
  }
  if (cbxDateFormat->currentIndex() < 0) cbxDateFormat->setCurrentIndex(2);
  if (!harmonized(province)) {
    lblHST->hide();
    edtHST->hide();
  }
  pages->setCurrentWidget(tsTaxInfo);
}

void TfrmDefaultInfo::btnBack2Click() {
  pages->setCurrentWidget(inCanada() ? tsWhichProv : tsInOrNotInCanada);
}

void TfrmDefaultInfo::btnNext3Click() {
  if (edtSymbol->text().isEmpty()) edtSymbol->setText(QStringLiteral("$"));
  if (cbxAlignment->currentIndex() < 0)
    cbxAlignment->setCurrentIndex(cbxProvinces->currentIndex() == kQuebec && language_ == 2 ? 1 : 0);
  if (edtCurrDescription->text().isEmpty()) edtCurrDescription->setText(QStringLiteral("Dollars"));
  if (edtFractDescription->text().isEmpty()) edtFractDescription->setText(QStringLiteral("Cents"));
  pages->setCurrentWidget(tsCurrencyInfo);
}

void TfrmDefaultInfo::btnBack3Click() { pages->setCurrentWidget(tsTaxInfo); }

void TfrmDefaultInfo::btnNext4Click() {
  // The text's placeholder receives the edition's name (once: the formatted
  // text has none left).
  QString text = Memo1->toPlainText();
  text.replace(QLatin1String("%s"), editionName(dataDir_));
  Memo1->setPlainText(text);
  lblError->clear();
  pages->setCurrentWidget(tsEnd);
}

void TfrmDefaultInfo::btnBack4Click() { pages->setCurrentWidget(tsCurrencyInfo); }

CompanyDefaults TfrmDefaultInfo::defaults() const {
  CompanyDefaults d;
  d.gstRate = edtGST->text();
  d.pstRate = edtPST->text();
  d.hstRate = edtHST->text();
  d.currencyName = edtCurrDescription->text();
  d.fractionName = edtFractDescription->text();
  d.taxSystem = rgpInCanada->itemIndex();
  d.dateFormat = cbxDateFormat->currentText();
  d.currencySymbol = edtSymbol->text();
  d.currencyLeft = cbxAlignment->currentIndex() == 0;
  return d;
}

QString TfrmDefaultInfo::fieldCaption(const QString& field) const {
  const std::pair<const char*, std::pair<QLabel*, QGroupBox*>> labels[] = {
      {"Ctrl_fed_rate", {lblGST, grpTax}},
      {"Ctrl_pro_rate1", {lblPST, grpTax}},
      {"Ctrl_pro_rate2", {lblHST, grpTax}},
      {"Ctrl_dollars1", {lblCurrDescription, grpCurrency}},
      {"Ctrl_cents1", {lblFractDescription, grpCurrency}},
  };
  const auto plain = [](QString text) {
    text.remove(QLatin1Char('&'));
    while (text.endsWith(QLatin1Char(':')) || text.endsWith(QLatin1Char(' '))) text.chop(1);
    return text;
  };
  for (const auto& [name, where] : labels)
    if (field.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
      return QStringLiteral("%1 (%2)").arg(plain(where.first->text()), plain(where.second->title()));
  return field;
}

void TfrmDefaultInfo::btnCloseClick() {
  if (!settings_) return;
  try {
    // After a failure of the settings alone, Close again writes the
    // settings only: the tables already hold these values, and their rate
    // rows must not be appended twice.
    const CompanyDefaults d = defaults();
    if (!storedTables_ || *storedTables_ != d || storedDirectory_ != directory_) {
      saveCompanyTables(directory_, d);
      storedTables_ = d;
      storedDirectory_ = directory_;
    }
    saveDisplaySettings(d, *settings_);
  } catch (const data::DatabaseError& e) {
    // Stays on its last page with the reason; nothing was stored.
    lblError->setText(errorTexts_ ? errorTexts_->describe(e, fieldCaption(e.subject())) : e.message());
    pages->setCurrentWidget(tsEnd);
    return;
  }
  lblError->clear();
  accept();
}

}  // namespace orba::shell
