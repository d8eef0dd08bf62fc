#pragma once

#include "OptionCatalogue.h"
#include "SimpleDialog.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace orba::desktop {

// Chooses the option of a new shortcut icon. It also keeps, for the whole
// run, the option catalogue: `OptionNames` the captions the user sees,
// `DllList` (hidden) the codes the user may run, line for line.
class TShortcutDlg : public controls::SimpleDialog, public dispatch::OptionCatalogue {
  Q_OBJECT
 public:
  explicit TShortcutDlg(QWidget* parent = nullptr);

  QLabel* Label2;
  QListWidget* OptionNames;
  QListWidget* DllList;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

  QStringList names() const override;
  QStringList codes() const override;
  void clear() override;
  void append(const QString& name, const QString& code) override;
};

// Edits a shortcut icon's caption and picture.
class TPropertiesDlg : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TPropertiesDlg(QWidget* parent = nullptr)
      : SimpleDialog(QStringLiteral("PropertiesDlg"), QStringLiteral("Properties"), {313, 178}, parent) {}
};

}  // namespace orba::desktop
