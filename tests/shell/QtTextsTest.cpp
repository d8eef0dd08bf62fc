// Qt's own texts (the file dialog's labels and buttons, a text field's
// context menu) in the user's language, following a live switch.

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <memory>

#include "DesktopFixture.h"
#include "PictureDialog.h"
#include "QtTranslations.h"

namespace {

// What the picture dialog and a line edit's menu say, without accelerators.
struct QtTexts {
  QString lookIn, fileName, fileType, accept, reject;
  QStringList contextMenu;
};

QString plain(QString text) { return text.remove(QLatin1Char('&')).trimmed(); }

QtTexts read() {
  QtTexts t;
  orba::desktop::TPictureDlg dialog;
  t.lookIn = plain(dialog.findChild<QLabel*>("lookInLabel")->text());
  t.fileName = plain(dialog.findChild<QLabel*>("fileNameLabel")->text());
  t.fileType = plain(dialog.findChild<QLabel*>("fileTypeLabel")->text());
  auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
  t.accept = plain(buttons->button(QDialogButtonBox::Open)->text());
  t.reject = plain(buttons->button(QDialogButtonBox::Cancel)->text());
  QLineEdit edit;
  edit.setText("12,50");
  std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) t.contextMenu << plain(a->text().section(QLatin1Char('\t'), 0, 0));
  return t;
}

}  // namespace

class QtTextsTest : public DesktopFixture {};

TEST_F(QtTextsTest, TheFileDialogAndATextFieldsMenuSpeakTheUsersLanguageAndFollowTheSwitch) {
  standardData();
  install->addUser("ADMIN", "ADMIN", "Marie-Ève", 2, 1, {"*"});
  start();
  ASSERT_EQ(link().languageCode(), "fr");

  const QtTexts french = read();
  EXPECT_EQ(french.fileName, "Nom de fichier :");
  EXPECT_EQ(french.reject, "Annuler");
  EXPECT_EQ(french.accept, "Ouvrir");
  EXPECT_EQ(french.lookIn, "Voir dans :");
  EXPECT_EQ(french.fileType, "Fichiers de type :");
  EXPECT_EQ(french.contextMenu, (QStringList{"Annuler", "Rétablir", "Couper", "Copier", "Coller", "Supprimer",
                                             "Tout sélectionner"}));

  // The kinds of picture are the program's own texts.
  EXPECT_EQ(window->PictureDlg->nameFilters(),
            (QStringList{"Image bitmap (*.bmp *.BMP)", "Image JPEG (*.jpg *.jpeg *.JPG)"}));

  // Live to English: Qt's own English.
  menu->find("MenuItemen")->click();
  ASSERT_EQ(link().languageCode(), "en");
  const QtTexts english = read();
  EXPECT_EQ(english.lookIn, "Look in:");
  EXPECT_EQ(english.fileName, "File name:");
  EXPECT_EQ(english.fileType, "Files of type:");
  EXPECT_EQ(english.reject, "Cancel");
  EXPECT_TRUE(english.contextMenu.contains("Select All")) << english.contextMenu.join("|").toStdString();
  EXPECT_EQ(window->PictureDlg->nameFilters().value(0), "Bitmap image (*.bmp *.BMP)");

  // And back: French again, the same as at login.
  menu->find("MenuItemfr")->click();
  const QtTexts again = read();
  EXPECT_EQ(again.lookIn, french.lookIn);
  EXPECT_EQ(again.fileType, french.fileType);
  EXPECT_EQ(again.contextMenu, french.contextMenu);
}

// A language Qt has no translation for leaves Qt's English, and says so
// once; the program goes on.
TEST(QtTranslations, AnUnknownLanguageKeepsQtsEnglish) {
  orba::shell::QtTranslations texts;
  EXPECT_TRUE(texts.use("fr"));
  EXPECT_EQ(texts.current(), "fr");
  EXPECT_FALSE(texts.use("xx"));
  EXPECT_EQ(texts.current(), "");
  EXPECT_TRUE(texts.use("en"));
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
}
