#pragma once

#include "SimpleDialog.h"

namespace orba::desktop {

// Chooses the option of a new shortcut icon; also keeps the option
// catalogue (captions and codes the user may run).
class TShortcutDlg : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TShortcutDlg(QWidget* parent = nullptr)
      : SimpleDialog(QStringLiteral("ShortcutDlg"), QStringLiteral("Shortcut"), {400, 330}, parent) {}
};

// Edits a shortcut icon's caption and picture.
class TPropertiesDlg : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TPropertiesDlg(QWidget* parent = nullptr)
      : SimpleDialog(QStringLiteral("PropertiesDlg"), QStringLiteral("Properties"), {360, 220}, parent) {}
};

}  // namespace orba::desktop
