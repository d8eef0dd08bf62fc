#pragma once

#include <QFileDialog>

namespace orba::desktop {

// The main window's picture dialog (PictureDlg): bitmap and JPEG files that
// exist, starting in the program folder. Shown through controls::Dialogs,
// so tests answer it in advance.
class TPictureDlg : public QFileDialog {
  Q_OBJECT
 public:
  explicit TPictureDlg(QWidget* parent = nullptr);

  // Shows the dialog in `folder`; the chosen file, or empty when the user
  // cancelled.
  QString choose(const QString& folder);
};

}  // namespace orba::desktop
