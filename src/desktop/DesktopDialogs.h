#pragma once

#include "OptionCatalogue.h"
#include "SimpleDialog.h"

class QFrame;
class QImage;
class QLabel;
class QLineEdit;
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

class TPictureDlg;

// Shows an icon's picture, caption and option code, and lets the user
// change the caption and the picture. The caller clears IconChanged, fills
// the controls and shows the dialog; on OK it reads NewCaption and, when
// IconChanged, takes the file last chosen in the picture dialog.
class TPropertiesDlg : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TPropertiesDlg(QWidget* parent = nullptr);

  QFrame* Bevel1;
  QLabel* Image1;  // the picture, stretched to its box
  QLineEdit* NewCaption;
  QLabel* DllLabel;  // the icon's option code
  QPushButton* ChangeIcon;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

  // A new picture was chosen during this showing.
  bool IconChanged = false;
  // The file of that picture.
  const QString& chosenFile() const { return chosenFile_; }

  // The main window's picture dialog and the folder it starts in.
  void setPictureDialog(TPictureDlg* dialog, const QString& programDir);
  // Shows a picture in the preview.
  void setPreview(const QImage& picture);

  // The "Change icon" button: the picture dialog in the program folder; a
  // file that loads becomes the preview. IconChanged is cleared first, so
  // a cancelled second try leaves the icon as it was.
  void ChangeIconClick();

 private:
  TPictureDlg* pictures_ = nullptr;
  QString programDir_;
  QString chosenFile_;
};

}  // namespace orba::desktop
