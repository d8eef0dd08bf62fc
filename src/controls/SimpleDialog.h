#pragma once

#include <QDialog>

#include "Form.h"

namespace orba::controls {

// A dialog with a fixed border: a title and a close button, nothing to
// minimise or maximise, so that the whole caption fits on its title bar.
inline constexpr Qt::WindowFlags kFixedDialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// A window without border icons, left only through its own buttons: the
// window manager is allowed to move it and nothing else. (Some window
// managers still draw their buttons on such a title bar; they do nothing.)
inline constexpr Qt::WindowFlags kNoBorderIconsFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

// A fixed-size modal window with a component name and a caption: the common
// ground of the program's small dialogs.
class SimpleDialog : public QDialog, public Form {
  Q_OBJECT
 public:
  SimpleDialog(const QString& name, const QString& caption, QSize clientSize, QWidget* parent = nullptr);
};

}  // namespace orba::controls
