#include "DesktopDialogs.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

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

}  // namespace orba::desktop
