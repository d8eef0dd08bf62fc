// The masked edit in a real window under the offscreen platform: values
// written and read through the template, typing, moving and deleting with
// real keys, the clipboard, and the check made when the user leaves the
// control or presses Enter.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest/QTest>

#include "MaskEdit.h"

using orba::controls::EDBEditError;
using orba::controls::MaskTemplate;
using orba::controls::TTamberlyCustomMaskEdit;
using orba::controls::TTamberlyMaskEdit;

class MaskEditTest : public ::testing::Test {
 protected:
  QWidget window;
  TTamberlyMaskEdit* edit = new TTamberlyMaskEdit(&window);
  TTamberlyMaskEdit* other = new TTamberlyMaskEdit(&window);
  QPushButton* button = new QPushButton("OK", &window);
  QStringList errors;

  void SetUp() override {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    layout->addWidget(other);
    layout->addWidget(button);
    QObject::connect(edit, &TTamberlyCustomMaskEdit::editError, [this](const QString& m) { errors << m; });
    QObject::connect(other, &TTamberlyCustomMaskEdit::editError, [this](const QString& m) { errors << m; });
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  void focusOn(QWidget* w) {
    w->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(w->hasFocus());
  }
  // Masks the control and gives it the focus with the block on the first position.
  void start(const QString& mask) {
    edit->setEditMask(mask);
    edit->setValue("");
    focusOn(edit);
    QTest::keyClick(edit, Qt::Key_Home);
  }
  // The block cursor: where it starts and how many characters it covers.
  std::pair<int, int> block() const { return {edit->selectionStart(), int(edit->selectedText().size())}; }
};

TEST_F(MaskEditTest, WrittenValuesAreLaidIntoTheTemplateAndReadBackWithoutBlanks) {
  edit->setEditMask("!999;0");
  edit->setValue("7");
  EXPECT_EQ(edit->text(), "  7");
  EXPECT_EQ(edit->value(), "7");

  edit->setEditMask("000-000;1;_");
  edit->setValue("123");
  EXPECT_EQ(edit->text(), "123-___");
  EXPECT_EQ(edit->value(), "123-   ") << "literals kept, empty positions as spaces";
  edit->setValue("12-3456");
  EXPECT_EQ(edit->text(), "12_-345") << "each run fitted between the literals";
  edit->setValue(edit->value());
  EXPECT_EQ(edit->text(), "12_-345") << "a value read back is written back unchanged";

  edit->setEditMask("000-000;0;_");
  EXPECT_EQ(edit->text(), "12_-345") << "the value follows the new mask";
  edit->setValue("123");
  EXPECT_EQ(edit->text(), "123-___");
  EXPECT_EQ(edit->value(), "123");

  edit->setEditMask("");
  EXPECT_EQ(edit->text(), "123");
  EXPECT_FALSE(edit->isMasked());
}

TEST_F(MaskEditTest, MaskLanguage) {
  MaskTemplate escaped("\\0\\;00");
  EXPECT_EQ(escaped.size(), 4);
  EXPECT_TRUE(escaped.isLiteral(0) && escaped.isLiteral(1));
  EXPECT_EQ(escaped.at(1).ch, ';') << "an escaped semicolon is a literal, not the field part";

  const QChar halfWidthStop(0xFF61);
  EXPECT_TRUE(MaskTemplate("L", QLocale(QLocale::English)).accept(0, halfWidthStop).isNull());
  EXPECT_EQ(MaskTemplate("L", QLocale(QLocale::Japanese)).accept(0, halfWidthStop), halfWidthStop)
      << "half-width katakana count as letters in Japanese";

  MaskTemplate farSemicolon("0;0000");
  EXPECT_EQ(farSemicolon.size(), 6) << "a semicolon before the last four characters is a literal";

  MaskTemplate fields("999;0;*");
  EXPECT_EQ(fields.size(), 3);
  EXPECT_FALSE(fields.savesLiterals());
  EXPECT_EQ(fields.blank(), '*');

  const QLocale german(QLocale::German, QLocale::Germany);
  MaskTemplate date("99/99:99", german);
  EXPECT_EQ(date.format("123456", ' '), "12.34:56") << "the locale's date separator";

  start(">LL<ll<>l;0");
  QTest::keyClicks(edit, "abCDe");
  EXPECT_EQ(edit->text(), "ABcde");
  // One UTF-16 unit per position: a character outside the BMP is replaced,
  // never split over two positions.
  edit->setEditMask("ccc;0");
  edit->setValue(QString::fromUtf8("a\xF0\x9F\x98\x80z"));
  EXPECT_EQ(edit->text(), QString("a") + QChar(0xFFFD) + "z");
}

TEST_F(MaskEditTest, MaxLengthStaysTheTemplateLengthWhenMasked) {
  edit->setEditMask("000000;0");
  edit->setMaxLength(3);
  EXPECT_EQ(edit->maxLength(), 6);
  edit->setProperty("maxLength", 2);
  EXPECT_EQ(edit->maxLength(), 6);
  EXPECT_EQ(edit->QLineEdit::maxLength(), 6);

  edit->setEditMask("");
  EXPECT_EQ(edit->maxLength(), 0) << "no limit once unmasked";
  edit->setMaxLength(3);
  edit->clear();
  QTest::keyClicks(edit, "abcdef");
  EXPECT_EQ(edit->text(), "abc");
}

TEST_F(MaskEditTest, TypingFollowsTheClassesAndJumpsPastAMatchingLiteral) {
  start("000-000;1;_");
  QTest::keyClicks(edit, "1x");
  EXPECT_EQ(edit->text(), "1__-___") << "a letter refused at a digit position";
  EXPECT_EQ(block(), std::make_pair(1, 1));
  QTest::keyClick(edit, '-');
  EXPECT_EQ(block(), std::make_pair(4, 1)) << "past the hyphen";
  QTest::keyClicks(edit, "456");
  EXPECT_EQ(edit->text(), "1__-456");
  EXPECT_EQ(block(), std::make_pair(6, 1)) << "held on the last position";
  EXPECT_TRUE(edit->isModified());

  start("000.000;1;_");
  QTest::keyClick(edit, '-');
  EXPECT_EQ(edit->text(), "___.___");
  EXPECT_EQ(block(), std::make_pair(0, 1)) << "no hyphen ahead: nothing happens";

  start("#a;0;_");
  QTest::keyClicks(edit, "+?");
  EXPECT_EQ(edit->text(), "+_");
  QTest::keyClick(edit, '9');
  EXPECT_EQ(edit->text(), "+9");
}

TEST_F(MaskEditTest, KeysMoveTheBlockOverEditPositionsOnly) {
  start("(999) 999;1;_");
  EXPECT_EQ(block(), std::make_pair(1, 1)) << "Home: the first edit position";
  QTest::keyClick(edit, Qt::Key_Left);
  EXPECT_EQ(block(), std::make_pair(1, 1));
  for (int i = 0; i < 3; ++i) QTest::keyClick(edit, Qt::Key_Right);
  EXPECT_EQ(block(), std::make_pair(6, 1)) << "past \") \"";
  QTest::keyClick(edit, Qt::Key_Left);
  EXPECT_EQ(block(), std::make_pair(3, 1));
  QTest::keyClick(edit, Qt::Key_Up);
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_EQ(block(), std::make_pair(3, 1));
  QTest::keyClick(edit, Qt::Key_End);
  EXPECT_EQ(block(), std::make_pair(8, 1));

  QTest::keyClick(edit, Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(block(), std::make_pair(7, 2));
  QTest::keyClick(edit, Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(block(), std::make_pair(6, 3));
  QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(block(), std::make_pair(7, 2));
  QTest::keyClick(edit, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(block(), std::make_pair(0, 9));

  QTest::keyClick(edit, Qt::Key_Home);
  QTest::keyClick(edit, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(edit->selectedText().size(), 1) << "after a word move, still a block";
}

TEST_F(MaskEditTest, DeleteAndBackspaceClearWithoutShifting) {
  start("000-000;1;_");
  QTest::keyClicks(edit, "123456");
  QTest::keyClick(edit, Qt::Key_Home);
  QTest::keyClick(edit, Qt::Key_Right);
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_EQ(edit->text(), "1_3-456");
  EXPECT_EQ(block(), std::make_pair(1, 1));
  QTest::keyClick(edit, Qt::Key_Right);
  QTest::keyClick(edit, Qt::Key_Right);
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), "1__-456") << "the position before the block, over the hyphen";
  EXPECT_EQ(block(), std::make_pair(2, 1));
  QTest::keyClick(edit, Qt::Key_End);
  QTest::keyClick(edit, Qt::Key_Left, Qt::ShiftModifier);
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), "1__-4__") << "a selection is cleared as a whole";
  EXPECT_EQ(block(), std::make_pair(5, 1));

  edit->setReadOnly(true);
  QTest::keyClick(edit, Qt::Key_Home);
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClick(edit, '7');
  EXPECT_EQ(edit->text(), "1__-4__");
  edit->setReadOnly(false);
  QTest::keyClick(edit, Qt::Key_X, Qt::AltModifier);  // QLineEdit would type the x
  EXPECT_EQ(edit->text(), "1__-4__");
  EXPECT_EQ(block(), std::make_pair(0, 1));
}

TEST_F(MaskEditTest, EscapeAbandonsChangesAndOtherwiseGoesToTheDialog) {
  QDialog dialog;
  auto* field = new TTamberlyMaskEdit(&dialog);
  field->setEditMask("0000;0;_");
  field->setValue("12");
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  field->setFocus();
  QTest::keyClick(field, Qt::Key_End);
  QTest::keyClick(field, '9');
  EXPECT_EQ(field->text(), "12_9");
  QTest::keyClick(field, Qt::Key_Escape);
  EXPECT_EQ(field->text(), "12__");
  EXPECT_FALSE(field->isModified());
  EXPECT_TRUE(dialog.isVisible()) << "Escape was the control's";
  QTest::keyClick(field, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible()) << "nothing to abandon: the dialog is cancelled";
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(MaskEditTest, TheBlockFollowsClicksAndStaysOnEditPositions) {
  edit->setEditMask("000-000;1;_");
  QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 4, edit->height() / 2));
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_EQ(block(), std::make_pair(6, 1)) << "past the text: the last edit position";
  // Either side of the middle of character 5: the block starts at the
  // boundary nearest the pointer.
  const int y = edit->height() / 2;
  int x = 0;
  while (x < edit->width() && edit->cursorPositionAt(QPoint(x, y)) < 6) ++x;
  QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(x - 1, y));
  EXPECT_EQ(block(), std::make_pair(5, 1));
  QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(x + 1, y));
  EXPECT_EQ(block(), std::make_pair(6, 1));
  QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(1, y));
  EXPECT_EQ(block(), std::make_pair(0, 1));
  edit->QLineEdit::setText("98");
  EXPECT_EQ(edit->text(), "98_-___") << "an outside text is laid back into the template";
  EXPECT_EQ(edit->selectedText().size(), 1);
  EXPECT_EQ(edit->oldText(), "98_-___");
}

TEST_F(MaskEditTest, PasteAndCutGoThroughTheInputRules) {
  start("000-000;1;_");
  QApplication::clipboard()->setText("12a456\n");
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), "12_-456") << "a refused character leaves a blank; the hyphen is stepped over";
  QApplication::clipboard()->setText("987-654");
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), "987-654") << "the copied hyphen meets the template's";
  EXPECT_EQ(block(), std::make_pair(6, 1));

  QTest::keyClick(edit, Qt::Key_Home);
  QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "98");
  EXPECT_EQ(edit->text(), "__7-654");
  EXPECT_EQ(block(), std::make_pair(0, 1));

  // The context menu's Paste takes the same way, and offers no Undo.
  QApplication::clipboard()->setText("1x");
  QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(2, 2), edit->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(edit, &menuEvent);
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  QStringList shown;
  QAction* pasteAction = nullptr;
  for (QAction* a : menu->actions()) {
    if (a->isVisible()) shown << a->objectName();
    if (a->objectName() == "edit-paste") pasteAction = a;
  }
  EXPECT_FALSE(shown.contains("edit-undo")) << shown.join(' ').toStdString();
  ASSERT_NE(pasteAction, nullptr) << shown.join(' ').toStdString();
  pasteAction->trigger();
  menu->close();
  EXPECT_EQ(edit->text(), "1_7-654");
}

TEST_F(MaskEditTest, RequiredPositionsAreCheckedOnEnter) {
  QSignalSpy returns(edit, &QLineEdit::returnPressed);
  start("000;1;_");
  QTest::keyClicks(edit, "12");
  QTest::keyClick(edit, Qt::Key_Return);
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains("000;1;_")) << errors[0].toStdString();
  EXPECT_EQ(block(), std::make_pair(2, 1)) << "the first failing position";
  EXPECT_EQ(returns.size(), 0);

  bool seenValid = true;
  edit->setOnValidate([&](TTamberlyCustomMaskEdit* sender, const QString& value, bool& valid) {
    EXPECT_EQ(sender, edit);
    EXPECT_EQ(value, "12_");
    seenValid = valid;
    valid = true;
  });
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_FALSE(seenValid);
  EXPECT_EQ(errors.size(), 1) << "the handler accepted it";
  EXPECT_EQ(returns.size(), 1);

  edit->setOnValidate([](TTamberlyCustomMaskEdit*, const QString&, bool& valid) { valid = false; });
  QTest::keyClick(edit, '3');
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(errors.size(), 2) << "a complete value refused by the handler";
}

TEST_F(MaskEditTest, ASpaceFailsARequiredPositionUnlessItsClassIsC) {
  const auto throws = [this](const QString& mask, const QString& display) {
    edit->setEditMask(mask);
    edit->QLineEdit::setText(display);
    edit->setModified(true);
    try {
      edit->validateEdit();
      return false;
    } catch (const EDBEditError& e) {
      EXPECT_EQ(e.message(), edit->errorMessage());
      return true;
    }
  };
  EXPECT_TRUE(throws("00;1;_", "1 "));
  EXPECT_FALSE(throws("0C;1;_", "1 "));
  EXPECT_TRUE(throws("0C", "1 ")) << "a space is the blank here";
  EXPECT_FALSE(throws("09;1;_", "1_")) << "optional";
  edit->setEditMask("00;1;_");
  edit->QLineEdit::setText("1_");
  EXPECT_NO_THROW(edit->validateEdit()) << "unmodified: not checked";
}

TEST_F(MaskEditTest, LeavingWithAnInvalidValueKeepsTheFocus) {
  edit->setEditMask("000-000;1;_");
  focusOn(edit);
  EXPECT_EQ(edit->palette().color(QPalette::Base), TTamberlyCustomMaskEdit::focusColor());
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_TRUE(other->hasFocus()) << "not modified: not checked";
  EXPECT_EQ(edit->palette().color(QPalette::Base), QApplication::palette(edit).color(QPalette::Base));

  focusOn(edit);
  QTest::keyClick(edit, Qt::Key_Home);
  QTest::keyClicks(edit, "1234");
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_EQ(block(), std::make_pair(5, 1));
  EXPECT_EQ(edit->palette().color(QPalette::Base), TTamberlyCustomMaskEdit::focusColor());
  EXPECT_TRUE(errors.isEmpty()) << "reported once the focus is back";
  QApplication::processEvents();
  EXPECT_EQ(errors.size(), 1);

  QSignalSpy clicks(button, &QPushButton::clicked);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_EQ(clicks.size(), 0) << "the click that tried to leave is dropped";
  QApplication::processEvents();
  EXPECT_EQ(errors.size(), 2);

  QTest::keyClicks(edit, "56");
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_TRUE(button->hasFocus());
  EXPECT_EQ(clicks.size(), 1);
  EXPECT_EQ(edit->value(), "123-456");
}

TEST_F(MaskEditTest, EnteringWithTheKeyboardSelectsEverythingAndTypingStartsAfresh) {
  other->setEditMask("000-000;1;_");
  other->setValue("123-456");
  focusOn(edit);
  QTest::keyClick(edit, Qt::Key_Tab);
  ASSERT_TRUE(other->hasFocus());
  EXPECT_EQ(other->selectedText(), "123-456");
  QTest::keyClick(other, '9');
  EXPECT_EQ(other->text(), "9__-___");
  EXPECT_EQ(other->selectionStart(), 1);

  QTest::keyClick(other, Qt::Key_Escape);
  other->setAutoSelect(false);
  QTest::keyClick(other, Qt::Key_Backtab);
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_EQ(other->selectedText().size(), 1);
}

TEST_F(MaskEditTest, TwoRefusedControlsDoNotPassTheFocusToAndFro) {
  other->setEditMask("00;1;_");
  other->QLineEdit::setText("1_");
  other->setModified(true);
  start("00;1;_");
  QTest::keyClick(edit, '5');
  QTest::keyClick(edit, Qt::Key_Tab);
  QApplication::processEvents();
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_EQ(errors.size(), 1);

  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(edit->text(), "__");
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_TRUE(other->hasFocus()) << "changes abandoned: nothing to check";
  QTest::keyClick(other, Qt::Key_Tab);
  QApplication::processEvents();
  EXPECT_TRUE(other->hasFocus());
  EXPECT_EQ(errors.size(), 2);
}

TEST_F(MaskEditTest, WithoutAMaskItIsAPlainLineEdit) {
  focusOn(edit);
  QTest::keyClicks(edit, "hello");
  QTest::keyClick(edit, Qt::Key_Left);
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), "helo");
  QTest::keyClick(edit, Qt::Key_L, Qt::AltModifier);
  EXPECT_EQ(edit->text(), "hello");
  EXPECT_EQ(edit->value(), "hello");
  EXPECT_FALSE(edit->hasSelectedText());
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_TRUE(other->hasFocus());
  EXPECT_TRUE(errors.isEmpty());
}
