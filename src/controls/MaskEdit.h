#pragma once

#include <QLineEdit>
#include <QLocale>
#include <QString>
#include <functional>
#include <stdexcept>
#include <vector>

namespace orba::controls {

// A masked value that failed validation. validateEdit() throws it; when the
// check runs inside an event (leaving the control, Enter) nothing may be
// thrown into Qt's event loop, so the control reports the same message
// through its editError signal instead.
class EDBEditError : public std::runtime_error {
 public:
  explicit EDBEditError(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

// An edit mask taken apart: the template's positions (literals and edit
// positions with their character class), the directives in force, and the
// field part ";save;blank". Every position of the template is one UTF-16
// code unit of the displayed text.
class MaskTemplate {
 public:
  enum class Case { None, Upper, Lower };
  struct Position {
    bool literal = false;
    QChar ch;  // the literal as shown (date and time separators converted), or the class: 0 9 # L l A a C c
    Case letterCase = Case::None;
  };

  MaskTemplate() = default;
  // The separators "/" and ":" are taken from the locale's short date and
  // time formats, and a Japanese locale counts half-width katakana as letters.
  explicit MaskTemplate(const QString& mask, const QLocale& locale = QLocale());

  int size() const { return static_cast<int>(positions_.size()); }
  const Position& at(int i) const { return positions_[static_cast<std::size_t>(i)]; }
  bool isLiteral(int i) const { return at(i).literal; }
  bool rightAligned() const { return rightAligned_; }
  bool savesLiterals() const { return saveLiterals_; }
  QChar blank() const { return blank_; }

  // First edit position at or after `from`, last one before `before`; -1 when none.
  int nextEdit(int from) const;
  int previousEdit(int before) const;
  int firstEdit() const { return nextEdit(0); }
  int lastEdit() const { return previousEdit(size()); }
  // First literal position after `position`, -1 when none.
  int nextLiteral(int position) const;

  // The character as it is written into edit position i (case directives
  // applied), or a null QChar when the position's class refuses it.
  QChar accept(int i, QChar c) const;
  // The first required position left empty (the blank, or a space outside
  // a "C" position); -1 when there is none.
  int firstFailure(const QString& display) const;
  // Whether the text has the template's length and its literals in place.
  bool fits(const QString& display) const;

  // A value without literals laid into the template, empty positions shown
  // as `blank`; right-aligned under "!".
  QString format(const QString& value, QChar blank) const;
  // The characters at edit positions, trailing blanks (leading ones under
  // "!") dropped, other blanks turned into spaces (or `blankAs`).
  QString unformat(const QString& display, QChar blankAs = QLatin1Char(' ')) const;
  // A value that holds the literals, each run between them fitted to its
  // number of edit positions; spaces at edit positions become the blank.
  QString pad(const QString& value) const;

  // The separators a template shows for "/" and ":".
  static QChar dateSeparator(const QLocale& locale);
  static QChar timeSeparator(const QLocale& locale);

 private:
  bool isLetter(QChar c) const;

  std::vector<Position> positions_;
  bool rightAligned_ = false;
  bool saveLiterals_ = true;
  QChar blank_ = QLatin1Char(' ');
  bool japanese_ = false;
};

// A single-line edit that, given an edit mask, shows a fixed template of
// literals and blank positions, takes only the characters the mask allows,
// keeps a one-character block cursor on edit positions and checks the value
// when the user leaves it or presses Enter. Without a mask it is a plain
// QLineEdit. Its background takes the entry colour while it has the focus.
//
// Two texts: QLineEdit::text() is what is displayed (literals, blanks);
// value() / setValue() is the stored value (see docs/masked-edit.md).
class TTamberlyCustomMaskEdit : public QLineEdit {
  Q_OBJECT
 public:
  // May change the verdict either way. `value` is the displayed text being
  // checked; the sender's value() gives the stored form.
  using TValidateEvent =
      std::function<void(TTamberlyCustomMaskEdit* sender, const QString& value, bool& valid)>;

  explicit TTamberlyCustomMaskEdit(QWidget* parent = nullptr);
  ~TTamberlyCustomMaskEdit() override;

  QString editMask() const { return mask_; }
  void setEditMask(const QString& mask);
  bool isMasked() const { return masked_; }
  const MaskTemplate& maskTemplate() const { return template_; }

  // 0 means no limit. With a mask the limit is the template's length and
  // writes are ignored. (Shadows QLineEdit's, whose "none" is 32767.)
  int maxLength() const { return limit_; }
  void setMaxLength(int length);

  // The stored value: without a mask the text itself; with one the
  // displayed text less its literals (kept, with empty positions as spaces,
  // when the mask's save flag is set).
  QString value() const;
  void setValue(const QString& value);

  // Whether entering with the keyboard selects the whole text (default on).
  bool autoSelect() const { return autoSelect_; }
  void setAutoSelect(bool on) { autoSelect_ = on; }

  // The displayed text Escape goes back to.
  QString oldText() const { return oldText_; }

  void setOnValidate(TValidateEvent handler) { onValidate_ = std::move(handler); }
  const TValidateEvent& onValidate() const { return onValidate_; }

  // Checks a modified masked value now. On failure the control takes the
  // focus with the cursor on the first failing position, and EDBEditError
  // is thrown. Does nothing unmasked or unmodified.
  void validateEdit();
  // The validation failure message, naming the mask.
  QString errorMessage() const;

  // Background while the control has the focus.
  static QColor focusColor();

 public slots:
  // With a mask, through the input rules; without one, QLineEdit's.
  // (They shadow QLineEdit's slots of the same names.)
  void paste();
  void cut();

 signals:
  // A masked value failed the check on leaving (queued, once the focus is
  // back) or on Enter (at once). Without a receiver the control shows the
  // message in the program's error box.
  void editError(const QString& message);

 protected:
  // The validate hook: runs OnValidate when assigned.
  virtual void doValidate(const QString& value, bool& valid);
  virtual bool canEdit() const { return true; }
  // Puts back the old text when modified, and clears the modified flag.
  virtual void reset();

  // Walks the template over `display`; `position` gets the first failing
  // position (0 when the hook alone refused). Then the hook decides.
  bool validate(const QString& display, int& position);
  // Turns an empty selection into the block cursor (masked, focused).
  void checkCursor();

  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool event(QEvent* event) override;

 private:
  int caret() const;
  void setBlock(int position);
  int normalized(int position) const;
  bool editable() const { return canEdit() && !isReadOnly(); }
  // Replaces the display for a user edit: modified, textEdited, block at `caretAfter`.
  void writeEdited(const QString& display, int caretAfter);
  // Replaces the display for a change from outside: old text refreshed, not modified.
  void writeOutside(const QString& display);
  void onTextChanged();
  void clearSelection(bool backspace);
  void input(QChar c);
  void insertText(const QString& text);
  void moveSelection(int step, bool extend);
  void passThrough(QKeyEvent* event);
  void takeFocusBack(int position, bool swallowClick);
  void report(const QString& message);
  void setBackground(const QColor& colour);

  QString mask_;
  MaskTemplate template_;
  bool masked_ = false;
  int limit_ = 0;
  QString oldText_;
  bool reentering_ = false;
  bool entered_ = false;
  bool autoSelect_ = true;
  bool internal_ = false;
  TValidateEvent onValidate_;
};

// The masked edit as forms use it: its properties published.
class TTamberlyMaskEdit : public TTamberlyCustomMaskEdit {
  Q_OBJECT
  Q_PROPERTY(QString editMask READ editMask WRITE setEditMask)
  Q_PROPERTY(int maxLength READ maxLength WRITE setMaxLength)
  Q_PROPERTY(QString value READ value WRITE setValue USER true)
  Q_PROPERTY(bool autoSelect READ autoSelect WRITE setAutoSelect)
 public:
  explicit TTamberlyMaskEdit(QWidget* parent = nullptr) : TTamberlyCustomMaskEdit(parent) {}
};

}  // namespace orba::controls
