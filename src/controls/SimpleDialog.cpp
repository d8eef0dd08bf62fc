#include "SimpleDialog.h"

namespace orba::controls {

SimpleDialog::SimpleDialog(const QString& name, const QString& caption, QSize clientSize, QWidget* parent)
    : QDialog(parent) {
  setObjectName(name);
  setWindowTitle(caption);
  setFixedSize(clientSize);
  setWindowFlags(kFixedDialogFlags);
}

}  // namespace orba::controls
