#include "AboutBox.h"

#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QUrl>

#include "DesktopServices.h"
#include "MessageList.h"
#include "Messages.h"
#include "ShellSettings.h"

namespace orba::shell {

namespace {
enum PayrollItem { kNone = 0, kRegular = 1, kCcq = 2 };

// The program's picture: a ledger, open on its ruled pages.
QPixmap programPicture() {
  QPixmap picture(48, 48);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0, 0, 96), 1.5));
  p.setBrush(QColor(0, 0, 128));
  p.drawRoundedRect(QRectF(4, 6, 40, 36), 3, 3);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(8, 9, 15, 29));
  p.drawRect(QRectF(25, 9, 15, 29));
  p.setPen(QPen(QColor(0, 128, 128), 1));
  for (int y = 15; y < 36; y += 4) {
    p.drawLine(10, y, 21, y);
    p.drawLine(27, y, 38, y);
  }
  return picture;
}
}  // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : SimpleDialog(QStringLiteral("AboutBox"), QStringLiteral("About"), {371, 290}, parent) {
  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setGeometry(8, 8, 355, 234);
  auto label = [this, panel](const char* name, const char* text, QRect at) {
    auto* l = components_.own(new QLabel(QString::fromUtf8(text), panel));
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(at);
    return l;
  };
  // The picture and the database location are not texts to translate.
  ProgramIcon = new QLabel(panel);
  ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
  ProgramIcon->setGeometry(12, 12, 48, 48);
  ProgramIcon->setPixmap(programPicture());
  ProductName = label("ProductName", "Castellan/Moravend", {76, 14, 260, 22});
  QFont bigger = ProductName->font();
  bigger.setPointSize(bigger.pointSize() + 3);
  bigger.setBold(true);
  ProductName->setFont(bigger);
  Version = label("Version", "Version 3.5", {76, 42, 260, 18});
  Label1 = label("Label1", "Database location", {12, 96, 330, 18});
  lblDatabase = new QLabel(panel);
  lblDatabase->setObjectName(QStringLiteral("lblDatabase"));
  lblDatabase->setGeometry(12, 116, 330, 36);
  lblDatabase->setWordWrap(true);
  lblDatabase->setStyleSheet(QStringLiteral("color: blue;"));
  lblDatabase->setCursor(Qt::PointingHandCursor);
  lblDatabase->installEventFilter(this);
  Label2 = label("Label2", "Payroll type", {12, 170, 150, 18});
  cbxPayroll = components_.own(new QComboBox(panel));
  cbxPayroll->setObjectName(QStringLiteral("cbxPayroll"));
  cbxPayroll->addItems({QStringLiteral("None"), QStringLiteral("Regular"), QStringLiteral("CCQ")});
  cbxPayroll->setGeometry(170, 166, 160, 24);
  cbxPayroll->setEnabled(false);
  OKButton = components_.own(new QPushButton(QStringLiteral("OK"), this));
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(148, 254, 75, 27);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
  memTexts = components_.own(new controls::MessageList(
      QStringLiteral("memTexts"), {QStringLiteral("The folder %1 could not be opened.")}, this));
}

void TAboutBox::setInstallation(const QString& dataDrive, const QString& payroll, const QString& payrollCCQ) {
  dataDrive_ = dataDrive;
  payroll_ = payroll;
  payrollCCQ_ = payrollCCQ;
}

void TAboutBox::showEvent(QShowEvent* event) {
  SimpleDialog::showEvent(event);
  FormShow();
}

void TAboutBox::FormShow() {
  lblDatabase->setText(dataDrive_);
  // The regular payroll wins when both are switched on.
  int item = kNone;
  if (TShellSettings::isYes(payroll_))
    item = kRegular;
  else if (TShellSettings::isYes(payrollCCQ_))
    item = kCcq;
  cbxPayroll->setCurrentIndex(item);
  OKButton->setFocus();
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lblDatabase && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    lblDatabaseClick();
    return true;
  }
  return SimpleDialog::eventFilter(watched, event);
}

void TAboutBox::lblDatabaseClick() {
  const QString folder = lblDatabase->text();
  if (folder.isEmpty()) return;
  if (!DesktopServices::openUrl(QUrl::fromLocalFile(QDir::cleanPath(folder))))
    controls::Messages::error(memTexts->line(0).arg(folder), this);
}

}  // namespace orba::shell
