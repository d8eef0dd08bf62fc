#include "PictureDialog.h"

#include "Dialogs.h"

namespace orba::desktop {

TPictureDlg::TPictureDlg(QWidget* parent) : QFileDialog(parent) {
  setObjectName(QStringLiteral("PictureDlg"));
  // Our own dialog rather than the desktop environment's, so that it looks
  // and answers the same everywhere (and in tests).
  setOption(QFileDialog::DontUseNativeDialog);
  setFileMode(QFileDialog::ExistingFile);
  setAcceptMode(QFileDialog::AcceptOpen);
  setNameFilters(
      {QStringLiteral("Bitmap image (*.bmp *.BMP)"), QStringLiteral("Jpeg image (*.jpg *.jpeg *.JPG)")});
}

QString TPictureDlg::choose(const QString& folder) {
  setDirectory(folder);
  selectFile(QString());
  if (controls::Dialogs::exec(*this) != QDialog::Accepted) return {};
  const QStringList files = selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

}  // namespace orba::desktop
