#include "SetupWindows.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>

#include "HelpBook.h"
#include "MessageList.h"
#include "Messages.h"
#include "PrinterCatalog.h"
#include "SettingsStore.h"

namespace orba::shell {

namespace {

QPlainTextEdit* readOnlyMemo(const QString& name, const QString& text, QWidget* parent) {
  auto* memo = new QPlainTextEdit(text, parent);
  memo->setObjectName(name);
  memo->setReadOnly(true);
  return memo;
}

TfrmSetup::PrinterSetUp& printerSetUp() {
  static TfrmSetup::PrinterSetUp setUp;
  return setUp;
}

QString text(OrbaString s) { return s ? QString::fromUtf8(s) : QString(); }

}  // namespace

TfrmSetup::TfrmSetup(QWidget* parent)
    : SimpleDialog(QStringLiteral("frmSetup"), QStringLiteral("Module Setup"), {460, 330}, parent) {
  grpMemo = components_.own(new QGroupBox(QStringLiteral("Setup required"), this));
  grpMemo->setObjectName(QStringLiteral("grpMemo"));
  grpMemo->setGeometry(8, 8, 444, 270);
  // Both notices fill the same area; the showing decides which is seen.
  memPayroll = components_.own(readOnlyMemo(
      QStringLiteral("memPayroll"),
      QStringLiteral("The payroll module is installed but has not been set up for this company yet."),
      grpMemo));
  memJobCost = components_.own(readOnlyMemo(
      QStringLiteral("memJobCost"),
      QStringLiteral("The job cost module is installed but has not been set up for this company yet."),
      grpMemo));
  for (QPlainTextEdit* memo : {memPayroll, memJobCost}) {
    memo->setGeometry(10, 24, 424, 236);
    memo->hide();
  }
  btnPrintForm = components_.own(new QPushButton(QStringLiteral("Print"), this));
  btnPrintForm->setObjectName(QStringLiteral("btnPrintForm"));
  btnPrintForm->setToolTip(QStringLiteral("Print Screen"));
  btnPrintForm->setGeometry(8, 292, 90, 27);
  connect(btnPrintForm, &QPushButton::clicked, this, &TfrmSetup::btnPrintFormClick);
  btnOk = components_.own(new QPushButton(QStringLiteral("OK"), this));
  btnOk->setObjectName(QStringLiteral("btnOk"));
  btnOk->setGeometry(362, 292, 90, 27);
  btnOk->setDefault(true);
  connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
  memTexts = components_.own(new controls::MessageList(
      QStringLiteral("memTexts"), {QStringLiteral("The window could not be printed on the printer %1.")},
      this));
}

void TfrmSetup::setNotices(bool payroll, bool jobCost) {
  payroll_ = payroll;
  jobCost_ = jobCost;
}

void TfrmSetup::showEvent(QShowEvent* event) {
  SimpleDialog::showEvent(event);
  FormActivate();
}

void TfrmSetup::FormActivate() {
  memPayroll->setVisible(payroll_);
  memJobCost->setVisible(jobCost_);
}

void TfrmSetup::setPrinterSetUp(PrinterSetUp setUp) { printerSetUp() = std::move(setUp); }

void TfrmSetup::btnPrintFormClick() {
  const QPixmap image = grab();
  QPrinter printer(QPrinter::HighResolution);
  const QString current = printers::PrinterCatalog::instance().currentName();
  if (!current.isEmpty()) printer.setPrinterName(current);
  printer.setDocName(windowTitle());
  if (printerSetUp()) printerSetUp()(printer, current);
  QPainter painter;
  if (!painter.begin(&printer)) {
    controls::Messages::error(memTexts->line(0).arg(current), this);
    return;
  }
  // The window's image, as large as the page allows, keeping its shape.
  const QRect page = painter.viewport();
  QSize size = image.size();
  size.scale(page.size(), Qt::KeepAspectRatio);
  painter.setViewport(page.x(), page.y(), size.width(), size.height());
  painter.setWindow(image.rect());
  painter.drawPixmap(0, 0, image);
  painter.end();
}

TfrmWelcome::TfrmWelcome(QWidget* parent)
    : SimpleDialog(QStringLiteral("frmWelcome"), QStringLiteral("Welcome"), {400, 190}, parent) {
  // No border icons: the window is left through its buttons.
  setWindowFlags(controls::kNoBorderIconsFlags);
  memMessage =
      components_.own(readOnlyMemo(QStringLiteral("memMessage"),
                                   QStringLiteral("Welcome to Castellan.  Would you like to view the \n"
                                                  "Introduction help file that explains how Castellan \n"
                                                  "functions?"),
                                   this));
  memMessage->setGeometry(12, 12, 376, 90);
  memMessage->setFrameShape(QFrame::NoFrame);
  memMessage->setFocusPolicy(Qt::NoFocus);
  memMessage->viewport()->setAutoFillBackground(false);
  chkAlwaysShow =
      components_.own(new QCheckBox(QStringLiteral("Do not show when entering into Castellan"), this));
  chkAlwaysShow->setObjectName(QStringLiteral("chkAlwaysShow"));
  chkAlwaysShow->setGeometry(12, 112, 376, 22);
  btnYes = components_.own(new QPushButton(QStringLiteral("Yes"), this));
  btnYes->setObjectName(QStringLiteral("btnYes"));
  btnYes->setGeometry(110, 150, 85, 27);
  btnYes->setDefault(true);
  connect(btnYes, &QPushButton::clicked, this, &TfrmWelcome::btnYesClick);
  btnNo = components_.own(new QPushButton(QStringLiteral("No"), this));
  btnNo->setObjectName(QStringLiteral("btnNo"));
  btnNo->setGeometry(205, 150, 85, 27);
  connect(btnNo, &QPushButton::clicked, this, [this] { done(kNo); });
}

void TfrmWelcome::btnYesClick() {
  // The introduction topic of the user's language: "Help" followed by the
  // language code for any language but English.
  const QString folder = help_book::folder(
      text(link_.ProgramDir), link_.Language,
      QString::fromLatin1(link_.LanguageCode.chars, qMin<int>(link_.LanguageCode.length, 2)));
  if (help_) help_(folder, QStringLiteral("Introduction"));
  done(kYes);
}

void TfrmWelcome::done(int result) {
  SimpleDialog::done(result);
  FormClose();
}

void TfrmWelcome::FormClose() {
  // Only ever switched off here: a clear box writes nothing.
  if (!chkAlwaysShow->isChecked() || !settings_) return;
  QString error;
  if (!settings_->setValue(section_, QStringLiteral("ShowWelcome"), QStringLiteral("N"), &error))
    controls::Messages::error(error, parentWidget());
}

}  // namespace orba::shell
