#pragma once

#include <QDialog>

#include "Form.h"

namespace orba::controls {

// A fixed-size modal window with a component name and a caption: the common
// ground of the program's small dialogs.
class SimpleDialog : public QDialog, public Form {
  Q_OBJECT
 public:
  SimpleDialog(const QString& name, const QString& caption, QSize clientSize, QWidget* parent = nullptr);
};

}  // namespace orba::controls
