#include "DesktopDialogs.h"

#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

#include "Messages.h"
#include "PictureDialog.h"

namespace orba::desktop {

namespace {
QStringList linesOf(const QListWidget* list) {
  QStringList lines;
  lines.reserve(list->count());
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}
}  // namespace

TShortcutDlg::TShortcutDlg(QWidget* parent)
    : SimpleDialog(QStringLiteral("ShortcutDlg"), QStringLiteral("Shortcut"), {313, 291}, parent) {
  Label2 = components_.own(new QLabel(QStringLiteral("Choose the option for the Shortcut"), this));
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setGeometry(8, 0, 297, 16);
  OptionNames = components_.own(new QListWidget(this));
  OptionNames->setObjectName(QStringLiteral("OptionNames"));
  OptionNames->setGeometry(8, 16, 297, 217);
  OptionNames->setSelectionMode(QAbstractItemView::SingleSelection);
  // Rows 13 pixels high, as designed for the 8-point font, or the font's
  // own line height where it needs more, so that no caption is cut.
  OptionNames->setUniformItemSizes(true);
  OptionNames->setStyleSheet(QStringLiteral("QListWidget::item { height: %1px; padding: 0px; }")
                                 .arg(std::max(13, OptionNames->fontMetrics().height())));
  DllList = components_.own(new QListWidget(this));
  DllList->setObjectName(QStringLiteral("DllList"));
  DllList->setGeometry(8, 256, 121, 33);
  DllList->hide();
  OKBtn = components_.own(new QPushButton(QStringLiteral("OK"), this));
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setGeometry(151, 252, 75, 25);
  OKBtn->setDefault(true);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  CancelBtn = components_.own(new QPushButton(QStringLiteral("Cancel"), this));
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  CancelBtn->setGeometry(231, 252, 75, 25);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QStringList TShortcutDlg::names() const { return linesOf(OptionNames); }
QStringList TShortcutDlg::codes() const { return linesOf(DllList); }

void TShortcutDlg::clear() {
  OptionNames->clear();
  DllList->clear();
}

void TShortcutDlg::append(const QString& name, const QString& code) {
  OptionNames->addItem(name);
  DllList->addItem(code);
}

TPropertiesDlg::TPropertiesDlg(QWidget* parent)
    : SimpleDialog(QStringLiteral("PropertiesDlg"), QStringLiteral("Properties"), {313, 178}, parent) {
  Bevel1 = components_.own(new QFrame(this));
  Bevel1->setObjectName(QStringLiteral("Bevel1"));
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Bevel1->setGeometry(8, 8, 297, 129);
  Image1 = components_.own(new QLabel(this));
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(16, 24, 41, 41);
  Image1->setScaledContents(true);
  NewCaption = components_.own(new QLineEdit(this));
  NewCaption->setObjectName(QStringLiteral("NewCaption"));
  NewCaption->setGeometry(16, 72, 281, 21);
  DllLabel = components_.own(new QLabel(QStringLiteral("Option"), this));
  DllLabel->setObjectName(QStringLiteral("DllLabel"));
  DllLabel->setGeometry(16, 112, 170, 18);
  DllLabel->setFont(QFont(QStringLiteral("Arial"), 10));
  ChangeIcon = components_.own(new QPushButton(QStringLiteral("Change icon"), this));
  ChangeIcon->setObjectName(QStringLiteral("ChangeIcon"));
  ChangeIcon->setGeometry(199, 106, 99, 25);
  connect(ChangeIcon, &QPushButton::clicked, this, &TPropertiesDlg::ChangeIconClick);
  OKBtn = components_.own(new QPushButton(QStringLiteral("OK"), this));
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setGeometry(151, 148, 75, 25);
  OKBtn->setDefault(true);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  CancelBtn = components_.own(new QPushButton(QStringLiteral("Cancel"), this));
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  CancelBtn->setGeometry(231, 148, 75, 25);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TPropertiesDlg::setPictureDialog(TPictureDlg* dialog, const QString& programDir) {
  pictures_ = dialog;
  programDir_ = programDir;
}

void TPropertiesDlg::setPreview(const QImage& picture) { Image1->setPixmap(QPixmap::fromImage(picture)); }

void TPropertiesDlg::ChangeIconClick() {
  IconChanged = false;
  if (!pictures_) return;
  const QString file = pictures_->choose(programDir_);
  if (file.isEmpty()) return;
  // The preview takes a bitmap or a JPEG image; a file that is neither is
  // said, and the preview keeps what it showed.
  QImageReader reader(file);
  const QImage picture = reader.read();
  if (picture.isNull()) {
    controls::Messages::error(QStringLiteral("%1: %2").arg(file, reader.errorString()), this);
    return;
  }
  setPreview(picture);
  chosenFile_ = file;
  IconChanged = true;
}

}  // namespace orba::desktop
