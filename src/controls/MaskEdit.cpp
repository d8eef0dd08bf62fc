#include "MaskEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaMethod>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>

#include "Messages.h"

namespace orba::controls {

namespace {

constexpr int kNoLimit = 32767;  // QLineEdit's own "no limit"
constexpr char16_t kReplacement = 0xFFFD;

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

bool isClass(QChar c) { return QStringLiteral("09#LlAaCc").contains(c); }

bool isRequired(QChar c) { return QStringLiteral("0LAC").contains(c); }

// A position holds one UTF-16 unit: characters beyond the BMP are replaced
// (one position each) so that no position ever holds half a pair.
QString singleUnits(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      out += QChar(kReplacement);
      ++i;
    } else if (text[i].isSurrogate()) {
      out += QChar(kReplacement);
    } else {
      out += text[i];
    }
  }
  return out;
}

// The first separator of a date or time format: skips letters, quoted text
// and spaces.
QChar separatorOf(const QString& format, QChar fallback) {
  bool quoted = false;
  for (QChar c : format) {
    if (c == QLatin1Char('\'')) {
      quoted = !quoted;
      continue;
    }
    if (quoted || c.isLetter() || c.isSpace()) continue;
    return c;
  }
  return fallback;
}

// Eats the mouse press that moved the focus away from a control taking it
// back, and the release that goes with it, so that a button clicked while
// the value is refused is not pressed. Gone at once when no such press
// comes (the focus moved for another reason).
class PressEater : public QObject {
 public:
  explicit PressEater(QWidget* keeper) : QObject(keeper), keeper_(keeper) {
    qApp->installEventFilter(this);
    QTimer::singleShot(0, this, [this] {
      if (!pressed_) finish();
    });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Widgets only: the release must still pass through its window, which
    // ends the press there.
    if (!watched->isWidgetType()) return false;
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
        if (watched == keeper_ || pressed_) return false;
        pressed_ = true;
        event->accept();
        return true;
      case QEvent::MouseButtonRelease:
        if (!pressed_) return false;
        finish();
        event->accept();
        return true;
      default:
        return false;
    }
  }

 private:
  void finish() {
    qApp->removeEventFilter(this);
    deleteLater();
  }

  QObject* keeper_;
  bool pressed_ = false;
};

}  // namespace

// ---------------------------------------------------------------------------
// MaskTemplate

MaskTemplate::MaskTemplate(const QString& mask, const QLocale& locale)
    : japanese_(locale.language() == QLocale::Japanese) {
  const int n = static_cast<int>(mask.size());
  std::vector<bool> escaped(static_cast<std::size_t>(n), false);
  for (int i = 0; i + 1 < n; ++i)
    if (mask[i] == QLatin1Char('\\') && !escaped[static_cast<std::size_t>(i)])
      escaped[static_cast<std::size_t>(i + 1)] = true;

  // The field part starts at the first unescaped ";" of the last four characters.
  int end = n;
  for (int i = std::max(0, n - 4); i < n; ++i) {
    if (mask[i] == QLatin1Char(';') && !escaped[static_cast<std::size_t>(i)]) {
      end = i;
      break;
    }
  }
  if (end < n) {
    if (end + 1 < n) saveLiterals_ = mask[end + 1] != QLatin1Char('0');
    for (int i = end + 1; i < n; ++i) {
      if (mask[i] == QLatin1Char(';') && !escaped[static_cast<std::size_t>(i)]) {
        if (i + 1 < n) blank_ = mask[n - 1];
        break;
      }
    }
  }

  const QChar date = dateSeparator(locale);
  const QChar time = timeSeparator(locale);
  Case letterCase = Case::None;
  for (int i = 0; i < end; ++i) {
    const QChar c = mask[i];
    Position p;
    p.letterCase = letterCase;
    if (c == QLatin1Char('\\')) {
      if (i + 1 >= end) continue;
      p.literal = true;
      p.ch = mask[++i];
    } else if (c == QLatin1Char('!')) {
      rightAligned_ = true;
      continue;
    } else if (c == QLatin1Char('>')) {
      letterCase = Case::Upper;
      continue;
    } else if (c == QLatin1Char('<')) {
      if (i + 1 < end && mask[i + 1] == QLatin1Char('>')) {
        letterCase = Case::None;
        ++i;
      } else {
        letterCase = Case::Lower;
      }
      continue;
    } else if (isClass(c)) {
      p.ch = c;
    } else {
      p.literal = true;
      p.ch = c == QLatin1Char('/') ? date : c == QLatin1Char(':') ? time : c;
    }
    positions_.push_back(p);
  }
}

QChar MaskTemplate::dateSeparator(const QLocale& locale) {
  return separatorOf(locale.dateFormat(QLocale::ShortFormat), QLatin1Char('/'));
}

QChar MaskTemplate::timeSeparator(const QLocale& locale) {
  return separatorOf(locale.timeFormat(QLocale::ShortFormat), QLatin1Char(':'));
}

int MaskTemplate::nextEdit(int from) const {
  for (int i = std::max(0, from); i < size(); ++i)
    if (!isLiteral(i)) return i;
  return -1;
}

int MaskTemplate::previousEdit(int before) const {
  for (int i = std::min(before, size()) - 1; i >= 0; --i)
    if (!isLiteral(i)) return i;
  return -1;
}

int MaskTemplate::nextLiteral(int position) const {
  for (int i = std::max(0, position + 1); i < size(); ++i)
    if (isLiteral(i)) return i;
  return -1;
}

bool MaskTemplate::isLetter(QChar c) const {
  if (japanese_ && c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F) return true;  // half-width katakana
  return c.isLetter();
}

QChar MaskTemplate::accept(int i, QChar c) const {
  if (i < 0 || i >= size() || isLiteral(i) || c.isSurrogate() || !c.isPrint()) return {};
  bool ok = false;
  switch (at(i).ch.unicode()) {
    case '0':
    case '9':
      ok = isDigit(c);
      break;
    case '#':
      ok = isDigit(c) || c == QLatin1Char(' ') || c == QLatin1Char('+') || c == QLatin1Char('-');
      break;
    case 'L':
    case 'l':
      ok = isLetter(c);
      break;
    case 'A':
    case 'a':
      ok = isLetter(c) || isDigit(c);
      break;
    default:  // C, c
      ok = true;
  }
  if (!ok) return {};
  if (at(i).letterCase == Case::Upper) return c.toUpper();
  if (at(i).letterCase == Case::Lower) return c.toLower();
  return c;
}

int MaskTemplate::firstFailure(const QString& display) const {
  for (int i = 0; i < size(); ++i) {
    const Position& p = at(i);
    if (p.literal || !isRequired(p.ch)) continue;
    if (i >= display.size()) return i;
    const QChar c = display[i];
    if (c == blank_ || (c == QLatin1Char(' ') && p.ch != QLatin1Char('C'))) return i;
  }
  return -1;
}

bool MaskTemplate::fits(const QString& display) const {
  if (display.size() != size()) return false;
  for (int i = 0; i < size(); ++i) {
    if (isLiteral(i) ? display[i] != at(i).ch : display[i].isSurrogate()) return false;
  }
  return true;
}

QString MaskTemplate::format(const QString& raw, QChar blank) const {
  const QString value = singleUnits(raw);
  QString out(size(), blank);
  if (!rightAligned_) {
    qsizetype j = 0;
    for (int i = 0; i < size(); ++i) out[i] = isLiteral(i) ? at(i).ch : j < value.size() ? value[j++] : blank;
  } else {
    qsizetype j = value.size() - 1;
    for (int i = size() - 1; i >= 0; --i) out[i] = isLiteral(i) ? at(i).ch : j >= 0 ? value[j--] : blank;
  }
  return out;
}

QString MaskTemplate::unformat(const QString& display, QChar blankAs) const {
  QString out;
  const int n = std::min(size(), static_cast<int>(display.size()));
  for (int i = 0; i < n; ++i)
    if (!isLiteral(i)) out += display[i];
  if (rightAligned_) {
    qsizetype k = 0;
    while (k < out.size() && out[k] == blank_) ++k;
    out.remove(0, k);
  } else {
    qsizetype k = out.size();
    while (k > 0 && out[k - 1] == blank_) --k;
    out.truncate(k);
  }
  out.replace(blank_, blankAs);
  return out;
}

QString MaskTemplate::pad(const QString& raw) const {
  const QString value = singleUnits(raw);
  const auto fit = [this](const QString& run, int width) -> QString {
    if (run.size() > width) return rightAligned_ ? run.right(width) : run.left(width);
    const QString fill(width - run.size(), QLatin1Char(' '));
    return rightAligned_ ? fill + run : run + fill;
  };
  QString out;
  out.reserve(size());
  qsizetype from = 0;
  int runStart = 0;
  for (int i = 0; i < size(); ++i) {
    if (!isLiteral(i)) continue;
    const qsizetype k = value.indexOf(at(i).ch, from);
    const QString run = k < 0 ? value.mid(from) : value.mid(from, k - from);
    from = k < 0 ? value.size() : k + 1;
    out += fit(run, i - runStart);
    out += at(i).ch;
    runStart = i + 1;
  }
  out += fit(value.mid(from), size() - runStart);
  for (int i = 0; i < size(); ++i)
    if (!isLiteral(i) && out[i] == QLatin1Char(' ')) out[i] = blank_;
  return out;
}

// ---------------------------------------------------------------------------
// TTamberlyCustomMaskEdit

TTamberlyCustomMaskEdit::TTamberlyCustomMaskEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, &TTamberlyCustomMaskEdit::onTextChanged);
}

TTamberlyCustomMaskEdit::~TTamberlyCustomMaskEdit() = default;

QColor TTamberlyCustomMaskEdit::focusColor() { return QColor(184, 208, 208); }

void TTamberlyCustomMaskEdit::setEditMask(const QString& mask) {
  if (mask == mask_) return;
  const int start = caret();
  // The value as it stands; from a masked display, its edit positions with
  // the old blanks as the new ones.
  const bool wasMasked = masked_;
  const QString stored = value();
  const MaskTemplate old = template_;

  mask_ = mask;
  template_ = MaskTemplate(mask);
  masked_ = !mask.isEmpty();
  QLineEdit::setMaxLength(kNoLimit);
  QString display = stored;
  if (masked_ && wasMasked)
    display = template_.format(old.unformat(text(), template_.blank()), template_.blank());
  else if (masked_)
    display = template_.savesLiterals() ? template_.pad(stored) : template_.format(stored, template_.blank());
  writeOutside(display);
  limit_ = masked_ && template_.size() >= 1 ? template_.size() : 0;
  QLineEdit::setMaxLength(limit_ > 0 ? limit_ : kNoLimit);
  if (hasFocus()) {
    if (masked_)
      setBlock(start);
    else
      setCursorPosition(start);
  }
}

void TTamberlyCustomMaskEdit::setMaxLength(int length) {
  if (masked_) return;
  limit_ = std::max(0, length);
  QLineEdit::setMaxLength(limit_ > 0 ? limit_ : kNoLimit);
}

QString TTamberlyCustomMaskEdit::value() const {
  if (!masked_) return text();
  const QString bare = template_.unformat(text());
  return template_.savesLiterals() ? template_.format(bare, QLatin1Char(' ')) : bare;
}

void TTamberlyCustomMaskEdit::setValue(const QString& value) {
  if (!masked_) {
    if (value != text()) QLineEdit::setText(value);
    return;
  }
  const QString display =
      template_.savesLiterals() ? template_.pad(value) : template_.format(value, template_.blank());
  if (display != text()) writeOutside(display);
}

// --- display and cursor ----------------------------------------------------

int TTamberlyCustomMaskEdit::caret() const { return hasSelectedText() ? selectionStart() : cursorPosition(); }

int TTamberlyCustomMaskEdit::normalized(int position) const {
  const int last = template_.lastEdit();
  if (last < 0) return std::clamp(position, 0, std::max(0, template_.size() - 1));
  position = std::clamp(position, 0, last);
  return template_.isLiteral(position) ? template_.nextEdit(position) : position;
}

void TTamberlyCustomMaskEdit::setBlock(int position) {
  if (template_.size() == 0) return;
  setSelection(normalized(position), 1);
}

void TTamberlyCustomMaskEdit::checkCursor() {
  if (masked_ && hasFocus() && !hasSelectedText()) setBlock(cursorPosition());
}

void TTamberlyCustomMaskEdit::writeEdited(const QString& display, int caretAfter) {
  if (display != text()) {
    internal_ = true;
    QLineEdit::setText(display);
    setModified(true);
    internal_ = false;
    emit textEdited(display);
  }
  setBlock(caretAfter);
}

void TTamberlyCustomMaskEdit::writeOutside(const QString& display) {
  const int position = caret();
  internal_ = true;
  QLineEdit::setText(display);
  internal_ = false;
  oldText_ = display;
  if (masked_ && hasFocus()) setBlock(position);
}

// A change that did not come through the control (QLineEdit's own setText,
// insert, clear, ...): a masked display that lost its shape is laid back into
// the template, and it becomes the text Escape returns to.
void TTamberlyCustomMaskEdit::onTextChanged() {
  if (internal_) return;
  if (masked_ && !template_.fits(text())) {
    const bool modified = isModified();
    internal_ = true;
    QLineEdit::setText(template_.pad(text()));
    setModified(modified);
    internal_ = false;
  }
  oldText_ = text();
  checkCursor();
}

// --- editing ---------------------------------------------------------------

void TTamberlyCustomMaskEdit::clearSelection(bool backspace) {
  QString display = text();
  const QChar blank = template_.blank();
  const int length = hasSelectedText() ? static_cast<int>(selectedText().size()) : 0;
  if (length <= 1 && backspace) {
    const int before = template_.previousEdit(caret());
    if (before < 0) return;
    display[before] = blank;
    writeEdited(display, before);
    return;
  }
  const int start = caret();
  const int end = std::max(start + length, start + 1);
  int first = -1;
  for (int i = start; i < end && i < display.size(); ++i) {
    if (template_.isLiteral(i)) continue;
    display[i] = blank;
    if (first < 0) first = i;
  }
  writeEdited(display, first >= 0 ? first : start);
}

void TTamberlyCustomMaskEdit::input(QChar c) {
  if (template_.firstEdit() < 0) return;
  if (hasSelectedText() && selectedText().size() > 1) clearSelection(false);
  const int position = normalized(caret());
  const QChar accepted = template_.accept(position, c);
  if (!accepted.isNull()) {
    QString display = text();
    display[position] = accepted;
    writeEdited(display, position + 1);
    return;
  }
  const int literal = template_.nextLiteral(position);
  if (literal >= 0 && template_.at(literal).ch == c) setBlock(literal + 1);
}

// Lays the text over the template from the selection's start: a character
// equal to the literal in its way steps over it, any other skips the literal;
// one that an edit position refuses leaves a blank there.
void TTamberlyCustomMaskEdit::insertText(const QString& raw) {
  if (!editable() || template_.firstEdit() < 0) return;
  QString text = raw;
  while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))) text.chop(1);
  const int start = caret();
  if (hasSelectedText()) clearSelection(false);
  QString display = QLineEdit::text();
  int position = std::clamp(start, 0, template_.size());
  for (qsizetype k = 0; k < text.size() && position < template_.size(); ++k) {
    QChar c = text[k];
    if (c.isHighSurrogate() && k + 1 < text.size() && text[k + 1].isLowSurrogate()) ++k;
    if (c.isSurrogate()) c = QChar();  // refused everywhere
    if (template_.isLiteral(position)) {
      if (c == template_.at(position).ch) {
        ++position;
        continue;
      }
      position = template_.nextEdit(position);
      if (position < 0) break;
    }
    const QChar accepted = c.isNull() ? QChar() : template_.accept(position, c);
    display[position] = accepted.isNull() ? template_.blank() : accepted;
    ++position;
  }
  writeEdited(display, position);
}

void TTamberlyCustomMaskEdit::paste() {
  if (!masked_) {
    QLineEdit::paste();
    return;
  }
  insertText(QGuiApplication::clipboard()->text());
}

void TTamberlyCustomMaskEdit::cut() {
  if (!masked_) {
    QLineEdit::cut();
    return;
  }
  copy();
  if (editable()) clearSelection(false);
}

void TTamberlyCustomMaskEdit::moveSelection(int step, bool extend) {
  const int n = template_.size();
  if (!extend) {
    if (step < 0) {
      const int before = template_.previousEdit(caret());
      setBlock(before >= 0 ? before : caret());
    } else {
      const int end = hasSelectedText() ? selectionEnd() : cursorPosition() + 1;
      const int after = template_.nextEdit(end);
      setBlock(after >= 0 ? after : template_.lastEdit());
    }
    return;
  }
  // The block grows to two characters on the side of the key; a longer
  // selection moves its cursor end by one.
  const int start = caret();
  const int length = hasSelectedText() ? static_cast<int>(selectedText().size()) : 0;
  int anchor = 0;
  int cursor = 0;
  if (length <= 1) {
    anchor = step > 0 ? start : start + 1;
    cursor = step > 0 ? start + 2 : start - 1;
  } else {
    cursor = cursorPosition();
    anchor = cursor == start ? start + length : start;
    cursor += step;
  }
  anchor = std::clamp(anchor, 0, n);
  cursor = std::clamp(cursor, 0, n);
  setSelection(anchor, cursor - anchor);
  checkCursor();
}

// --- keys ------------------------------------------------------------------

bool TTamberlyCustomMaskEdit::event(QEvent* e) {
  // Escape is asked for only while there is something to abandon, so that a
  // dialog's Cancel takes it otherwise.
  if (e->type() == QEvent::ShortcutOverride && masked_) {
    auto* key = static_cast<QKeyEvent*>(e);
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
      if (isModified())
        e->accept();
      else
        e->ignore();
      return true;
    }
  }
  return QLineEdit::event(e);
}

void TTamberlyCustomMaskEdit::keyPressEvent(QKeyEvent* e) {
  if (!masked_) {
    QLineEdit::keyPressEvent(e);
    return;
  }
  const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
  const bool shift = mods & Qt::ShiftModifier;
  const bool ctrl = mods & Qt::ControlModifier;
  const bool command = ctrl && !(mods & Qt::AltModifier);  // Ctrl+Alt is AltGr on some keyboards
  if ((mods & Qt::AltModifier) && !ctrl) {
    passThrough(e);  // menu mnemonics; QLineEdit would type the letter
    return;
  }
  if (e->matches(QKeySequence::Paste)) {
    paste();
    e->accept();
    return;
  }
  if (e->matches(QKeySequence::Cut)) {
    cut();
    e->accept();
    return;
  }
  if (e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo)) {
    e->accept();  // the history would bring back texts that skipped the rules
    return;
  }
  switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
      if (ctrl) break;  // to QLineEdit; the cursor is checked on key up
      moveSelection(e->key() == Qt::Key_Left ? -1 : 1, shift);
      e->accept();
      return;
    case Qt::Key_Up:
    case Qt::Key_Down:
      e->accept();
      return;
    case Qt::Key_Home:
    case Qt::Key_End: {
      const bool home = e->key() == Qt::Key_Home;
      if (!shift) {
        setBlock(home ? 0 : template_.size() - 1);
      } else {
        const int start = caret();
        const int end = hasSelectedText() ? selectionEnd() : start + 1;
        if (home)
          setSelection(end, -end);
        else
          setSelection(start, template_.size() - start);
      }
      e->accept();
      return;
    }
    case Qt::Key_Delete:
      if (!shift && !ctrl && editable()) clearSelection(false);
      e->accept();
      return;
    case Qt::Key_Backspace:
      if (editable()) clearSelection(true);
      e->accept();
      return;
    case Qt::Key_Escape:
      if (!isModified()) {
        e->ignore();
        return;
      }
      reset();
      e->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (isModified()) {
        int position = 0;
        if (!validate(text(), position)) {
          setBlock(position);
          report(errorMessage());
          e->accept();
          return;
        }
      }
      QLineEdit::keyPressEvent(e);  // returnPressed, then on to the dialog
      return;
    default:
      break;
  }
  const QString typed = e->text();
  if (!command && !typed.isEmpty() && typed[0].isPrint()) {
    if (!isReadOnly()) {
      for (qsizetype k = 0; k < typed.size(); ++k) {
        if (typed[k].isHighSurrogate() && k + 1 < typed.size())
          ++k;  // a pair fits no position
        else if (!typed[k].isSurrogate())
          input(typed[k]);
      }
    }
    e->accept();
    return;
  }
  passThrough(e);
}

// Keys the control leaves to QLineEdit (copy, select all, word moves, ...);
// one that changes the text there is undone.
void TTamberlyCustomMaskEdit::passThrough(QKeyEvent* e) {
  const QString before = text();
  const bool modified = isModified();
  const int cursor = cursorPosition();
  const int anchor = !hasSelectedText()           ? cursor
                     : cursor == selectionStart() ? selectionEnd()
                                                  : selectionStart();
  internal_ = true;
  QLineEdit::keyPressEvent(e);
  if (text() != before) {
    QLineEdit::setText(before);
    setModified(modified);
    setSelection(anchor, cursor - anchor);
  }
  internal_ = false;
  checkCursor();
}

void TTamberlyCustomMaskEdit::keyReleaseEvent(QKeyEvent* e) {
  QLineEdit::keyReleaseEvent(e);
  checkCursor();
}

void TTamberlyCustomMaskEdit::inputMethodEvent(QInputMethodEvent* e) {
  if (!masked_) {
    QLineEdit::inputMethodEvent(e);
    return;
  }
  if (!isReadOnly())
    for (QChar c : e->commitString())
      if (!c.isSurrogate()) input(c);
  e->accept();
}

void TTamberlyCustomMaskEdit::reset() {
  if (!isModified()) return;
  const int position = caret();
  internal_ = true;
  QLineEdit::setText(oldText_);  // clears the modified flag
  internal_ = false;
  if (masked_ && hasFocus()) setBlock(position);
}

// --- mouse, menu, drops ----------------------------------------------------

void TTamberlyCustomMaskEdit::mousePressEvent(QMouseEvent* e) {
  QLineEdit::mousePressEvent(e);
  // The caret went to the boundary nearest the pointer: the block starts
  // there, and a drag extends the selection from it.
  if (masked_ && e->button() == Qt::LeftButton && !hasSelectedText()) setBlock(cursorPosition());
}

void TTamberlyCustomMaskEdit::mouseReleaseEvent(QMouseEvent* e) {
  if (masked_ && e->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
    setBlock(cursorPositionAt(e->position().toPoint()));
    insertText(QGuiApplication::clipboard()->text(QClipboard::Selection));
    e->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(e);
  checkCursor();
}

// QLineEdit's own menu would cut, paste and undo behind the rules; this one
// has its entries (in QLineEdit's translated wording) without Undo and Redo.
void TTamberlyCustomMaskEdit::contextMenuEvent(QContextMenuEvent* e) {
  if (!masked_) {
    QLineEdit::contextMenuEvent(e);
    return;
  }
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const bool selected = hasSelectedText() && echoMode() == QLineEdit::Normal;
  const auto add = [&](const char* name, const char* caption, QKeySequence::StandardKey key, bool enabled,
                       auto slot) {
    QString text = QCoreApplication::translate("QLineEdit", caption);
    if (key != QKeySequence::UnknownKey)
      text += QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setEnabled(enabled);
    connect(action, &QAction::triggered, this, slot);
  };
  const bool canPaste = editable() && !QGuiApplication::clipboard()->text().isEmpty();
  add("edit-cut", "Cu&t", QKeySequence::Cut, selected && editable(), [this] { cut(); });
  add("edit-copy", "&Copy", QKeySequence::Copy, selected, [this] { copy(); });
  add("edit-paste", "&Paste", QKeySequence::Paste, canPaste, [this] { paste(); });
  add("edit-delete", "Delete", QKeySequence::UnknownKey, editable() && hasSelectedText(),
      [this] { clearSelection(false); });
  menu->addSeparator();
  add("select-all", "Select All", QKeySequence::SelectAll, !text().isEmpty(), [this] { selectAll(); });
  menu->popup(e->globalPos());
}

void TTamberlyCustomMaskEdit::dropEvent(QDropEvent* e) {
  if (!masked_) {
    QLineEdit::dropEvent(e);
    return;
  }
  if (!editable() || !e->mimeData()->hasText()) {
    e->ignore();
    return;
  }
  setFocus(Qt::MouseFocusReason);
  setBlock(cursorPositionAt(e->position().toPoint()));
  insertText(e->mimeData()->text());
  e->acceptProposedAction();
}

// --- focus and validation --------------------------------------------------

void TTamberlyCustomMaskEdit::setBackground(const QColor& colour) {
  QPalette p = palette();
  p.setColor(QPalette::Base, colour);
  setPalette(p);
}

void TTamberlyCustomMaskEdit::focusInEvent(QFocusEvent* e) {
  const bool hadSelection = hasSelectedText();
  QLineEdit::focusInEvent(e);  // selects everything when entered with the keyboard
  if (!entered_) {
    entered_ = true;
    if (!reentering_) {
      oldText_ = text();
      if (!autoSelect_ && !hadSelection && hasSelectedText()) deselect();
    } else if (hasSelectedText()) {
      deselect();
    }
    reentering_ = false;
    setBackground(focusColor());
  }
  checkCursor();
}

// The window losing the activation, or a popup opening, is not leaving.
void TTamberlyCustomMaskEdit::focusOutEvent(QFocusEvent* e) {
  const Qt::FocusReason reason = e->reason();
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || !entered_) {
    QLineEdit::focusOutEvent(e);
    return;
  }
  int position = 0;
  if (masked_ && isModified() && isVisible() && !validate(text(), position)) {
    takeFocusBack(position, reason == Qt::MouseFocusReason);
    const QString message = errorMessage();
    QMetaObject::invokeMethod(
        this, [this, message] { report(message); }, Qt::QueuedConnection);
    return;
  }
  entered_ = false;
  setBackground(QApplication::palette(this).color(QPalette::Base));
  QLineEdit::focusOutEvent(e);
}

// Called while the focus is on its way to another widget: it comes straight
// back here. That widget has not been entered yet, so its own leaving check
// does not run and the two never pass the focus to and fro.
void TTamberlyCustomMaskEdit::takeFocusBack(int position, bool swallowClick) {
  reentering_ = true;
  entered_ = false;
  setFocus(Qt::OtherFocusReason);
  if (swallowClick) new PressEater(this);
  setBlock(position);
}

bool TTamberlyCustomMaskEdit::validate(const QString& display, int& position) {
  const int failing = template_.firstFailure(display);
  bool valid = failing < 0;
  position = std::max(0, failing);
  doValidate(display, valid);
  return valid;
}

void TTamberlyCustomMaskEdit::doValidate(const QString& value, bool& valid) {
  if (onValidate_) onValidate_(this, value, valid);
}

void TTamberlyCustomMaskEdit::validateEdit() {
  if (!masked_ || !isModified()) return;
  int position = 0;
  if (validate(text(), position)) return;
  if (!hasFocus()) {
    reentering_ = true;
    entered_ = false;
    setFocus(Qt::OtherFocusReason);
  }
  setBlock(position);
  throw EDBEditError(errorMessage());
}

QString TTamberlyCustomMaskEdit::errorMessage() const {
  return tr("Invalid input value. The edit mask is \"%1\". Press Escape to abandon the changes.").arg(mask_);
}

void TTamberlyCustomMaskEdit::report(const QString& message) {
  if (isSignalConnected(QMetaMethod::fromSignal(&TTamberlyCustomMaskEdit::editError)))
    emit editError(message);
  else
    Messages::error(message, this);
}

}  // namespace orba::controls
