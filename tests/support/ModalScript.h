#pragma once

// Plays the user in the modal windows that the code under test opens (a
// module library's entry point, a key on the desktop): each step waits until
// the active modal window is the one it names, then acts on it from inside
// that window's event loop. Start the script, then call what opens the
// windows.
//
// A window is named by its object name, or "QMessageBox" for any message
// box. A step may type, check and click at once, even a click that opens the
// next window and waits for it: the script goes on from inside. A window
// that does not come within fifteen seconds fails the test, and every modal
// window is then closed so that the code under test returns.

#include <QObject>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class QWidget;

class ModalScript {
 public:
  using Action = std::function<void(QWidget*)>;

  ModalScript& then(const QString& window, Action action);
  // A step to run right after the current one, added while the script runs.
  ModalScript& next(const QString& window, Action action);
  // Reads a message box's text into *text (when given) and presses the
  // button with this object name, or OK.
  ModalScript& message(const QString& window, QString* text, const QString& button = {});
  // Adds a message box's text to *texts and closes it as OK does.
  ModalScript& collect(const QString& window, QStringList* texts);

  void start();
  // Every step ran and none was waited for in vain.
  bool finished() const { return steps_.empty() && failures_.isEmpty(); }
  // What was waited for in vain, with what was seen instead.
  const QStringList& failures() const { return failures_; }

  // Clicks a window's button, by object name or (for a message box) by its
  // text without accelerator marks, once the current step has returned.
  static void click(QWidget* window, const QString& button);
  static void clickText(QWidget* box, const QString& text);
  // Closes a message box as its OK button does.
  static void closeBox(QWidget* box);
  static QString boxText(QWidget* box);
  // Replaces the text of a window's line edit the way a user types it (key
  // by key where the test library has keys, that is for plain ASCII).
  static void type(QWidget* window, const QString& edit, const QString& text);

 private:
  struct Step {
    QString window;
    Action action;
  };
  void arm();
  void poll();
  void abandon(QWidget* active);

  std::deque<Step> steps_;
  QStringList failures_;
  int waited_ = 0;  // polls since the last step
  int seen_ = 0;    // polls in a row that saw the awaited window
  bool abandoning_ = false;
  // Owns the pending poll, so that none outlives the script into the next test.
  QObject guard_;
};
