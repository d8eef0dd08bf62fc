#include "ContactUs.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

#include "DesktopServices.h"

namespace orba::shell {

const QString TContactUs::kSupportText =
    QStringLiteral("If you require assistance the support team can be reached at:");
const QString TContactUs::kServicesText = QStringLiteral(
    "In addition to technical support, we offer a complete range of services designed to ensure that you are "
    "up "
    "and running as fast as possible and that you are using your software confidently and efficiently.  If "
    "you "
    "would like to know more about these services, please contact us at:");
const QString TContactUs::kProductsText = QStringLiteral(
    "Tamberly offers a wide range of products to assist you in the management of your business.  To know "
    "more "
    "about these products please contact us at:");

namespace {
// The three e-mail links stand beside their caption, and 4 pixels further
// left under the English texts of language 10. (The captions of this
// platform's fonts, "Courriel :" in French, need more room than the 43
// pixels of the original design.)
constexpr int kMailLeft = 80;
constexpr int kMailLeftEnglish = kMailLeft - 4;
constexpr int kPanelWidth = 504;
}  // namespace

QFrame* TContactUs::panel(const char* name, QRect at) {
  auto* p = new QFrame(this);
  p->setObjectName(QString::fromLatin1(name));
  p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  p->setGeometry(at);
  p->setAutoFillBackground(true);
  QPalette colours = p->palette();
  colours.setColor(QPalette::Window, colours.color(QPalette::ToolTipBase));
  colours.setColor(QPalette::WindowText, colours.color(QPalette::ToolTipText));
  p->setPalette(colours);
  return p;
}

QLabel* TContactUs::label(const char* name, const QString& text, QWidget* on, QRect at) {
  auto* l = components_.own(new QLabel(text, on));
  l->setObjectName(QString::fromLatin1(name));
  l->setGeometry(at);
  return l;
}

QLabel* TContactUs::link(const char* name, const QString& text, QWidget* on, QRect at) {
  QLabel* l = label(name, text, on, at);
  l->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
  l->setCursor(Qt::PointingHandCursor);
  l->installEventFilter(this);
  return l;
}

QPlainTextEdit* TContactUs::memo(const char* name, const QString& text, QWidget* on, QRect at) {
  auto* m = components_.own(new QPlainTextEdit(text, on));
  m->setObjectName(QString::fromLatin1(name));
  m->setReadOnly(true);
  m->setFrameShape(QFrame::NoFrame);
  m->viewport()->setAutoFillBackground(false);
  m->setGeometry(at);
  m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Entering a text sends the focus on to Close.
  m->installEventFilter(this);
  return m;
}

TContactUs::TContactUs(QWidget* parent)
    : SimpleDialog(QStringLiteral("ContactUs"), QStringLiteral("Contact us"), {520, 490}, parent) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setAutoFillBackground(true);
  QPalette teal = palette();
  teal.setColor(QPalette::Window, QColor(0, 128, 128));
  setPalette(teal);

  QFrame* support = panel("Panel1", {8, 8, kPanelWidth, 122});
  Memo1 = memo("Memo1", kSupportText, support, {6, 4, 492, 44});
  label("Label1", QStringLiteral("E-mail:"), support, {6, 50, 72, 18});
  Label3 = link("Label3", QStringLiteral("support@tamberly.example"), support, {kMailLeft, 50, 220, 18});
  label("Label2", QStringLiteral("Internet:"), support, {6, 72, 72, 18});
  Label4 = link("Label4", QStringLiteral("www.tamberly.example/support"), support, {kMailLeft, 72, 280, 18});
  label("Label5", QStringLiteral("Telephone: 1-800-555-0142"), support, {6, 96, 240, 18});
  label("Label6", QStringLiteral("Fax: 1-800-555-0143"), support, {260, 96, 230, 18});

  QFrame* services = panel("Panel2", {8, 138, kPanelWidth, 160});
  Memo2 = memo("Memo2", kServicesText, services, {6, 4, 492, 76});
  label("Label10", QStringLiteral("E-mail:"), services, {6, 84, 72, 18});
  Label12 = link("Label12", QStringLiteral("services@tamberly.example"), services, {kMailLeft, 84, 220, 18});
  label("Label11", QStringLiteral("Internet:"), services, {6, 106, 72, 18});
  Label13 =
      link("Label13", QStringLiteral("www.tamberly.example/services"), services, {kMailLeft, 106, 280, 18});
  label("Label14", QStringLiteral("Telephone: 1-800-555-0144"), services, {6, 130, 240, 18});
  label("Label15", QStringLiteral("Fax: 1-800-555-0145"), services, {260, 130, 230, 18});

  QFrame* products = panel("Panel3", {8, 306, kPanelWidth, 140});
  Memo3 = memo("Memo3", kProductsText, products, {6, 4, 492, 44});
  label("Label17", QStringLiteral("E-mail:"), products, {6, 50, 72, 18});
  Label19 = link("Label19", QStringLiteral("sales@tamberly.example"), products, {kMailLeft, 50, 180, 18});
  Label18 = link("Label18", QStringLiteral("www.tamberly.example/products"), products, {270, 50, 228, 18});
  label("Label20", QStringLiteral("Telephone: 1-800-555-0146"), products, {6, 72, 240, 18});
  label("Label21", QStringLiteral("Fax: 1-800-555-0147"), products, {260, 72, 230, 18});
  label("Label22", QStringLiteral("or visit the following pages on our website:"), products,
        {6, 94, 400, 18});
  Label23 = link("Label23", QStringLiteral("www.tamberly.example/add-ons"), products, {6, 114, 300, 18});

  Button1 = components_.own(new QPushButton(QStringLiteral("Close"), this));
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(222, 456, 75, 26);
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

void TContactUs::showEvent(QShowEvent* event) {
  SimpleDialog::showEvent(event);
  FormActivate();
}

void TContactUs::FormActivate() {
  if (language_ != 10) return;  // the texts stay as translation left them
  Memo1->setPlainText(kSupportText);
  Memo2->setPlainText(kServicesText);
  Memo3->setPlainText(kProductsText);
  for (QLabel* mail : {Label3, Label12, Label19}) mail->move(kMailLeftEnglish, mail->y());
}

bool TContactUs::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn && (watched == Memo1 || watched == Memo2 || watched == Memo3)) {
    Button1->setFocus();
    return false;
  }
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
    if (auto* l = qobject_cast<QLabel*>(watched)) {
      Label3Click(l);
      return true;
    }
  return SimpleDialog::eventFilter(watched, event);
}

void TContactUs::Label3Click(QLabel* l) {
  const QString text = l->text();
  // Web addresses are written without a scheme; the browser is asked for
  // the page over the web.
  if (text.startsWith(QLatin1Char('w')))
    DesktopServices::openUrl(QUrl::fromUserInput(text));
  else
    DesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + text));
}

}  // namespace orba::shell
