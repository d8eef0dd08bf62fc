#pragma once

// Drives modal windows from a test the way a user would: each step waits
// until a modal window with the given object name is the active one, then
// acts on it (fills it in, clicks). Start the script, then call what opens
// the windows (a module library's entry point, a key on the desktop): the
// steps run inside its event loops.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

// Steps run one after another, each once a modal window of the given name
// is the active one. A step may click something that opens the next modal
// window, so the next step is always scheduled before the action runs.
class ModalScript {
 public:
  using Action = std::function<void(QWidget*)>;
  ModalScript& then(const QString& window, Action action) {
    steps_.push_back({window, std::move(action)});
    return *this;
  }
  void start() { schedule(); }
  bool finished() const { return next_ == steps_.size() && !aborted_; }

 private:
  struct Step {
    QString window;
    Action action;
  };
  // Tied to the script: no poll outlives it into the next test.
  void schedule() {
    QTimer::singleShot(10, &guard_, [this] { poll(); });
  }
  void poll() {
    QWidget* active = QApplication::activeModalWidget();
    if (aborted_) {
      // Close whatever is left open so that the library returns.
      if (active) {
        if (auto* dialog = qobject_cast<QDialog*>(active)) dialog->reject();
        schedule();
      }
      return;
    }
    if (next_ >= steps_.size()) return;
    // Seen on two polls in a row: a window that comes back when a message
    // box closes is acted on once the code after the box has run.
    const bool match = active && active->objectName() == steps_[next_].window;
    seen_ = match ? seen_ + 1 : 0;
    if (seen_ >= 2) {
      seen_ = 0;
      Action action = steps_[next_].action;
      ++next_;
      tries_ = 0;
      if (next_ < steps_.size()) schedule();
      action(active);
      return;
    }
    if (++tries_ > 300) {
      ADD_FAILURE() << "waited for " << steps_[next_].window.toStdString() << ", the active window is "
                    << (active ? active->objectName().toStdString() : std::string("none"));
      aborted_ = true;
    }
    schedule();
  }
  QObject guard_;
  std::vector<Step> steps_;
  size_t next_ = 0;
  int tries_ = 0;
  int seen_ = 0;
  bool aborted_ = false;
};
