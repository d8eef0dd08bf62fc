#pragma once

// What the tests of the program's module libraries share: a library loaded
// the way the desktop loads it, a link record with strings laid out as the
// desktop lends them, and a script that drives the module's modal windows
// from the test process the way a user would, one window at a time.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "castellan/linku.h"

namespace harness {

// Strings laid out as the desktop lends them: [refcount][length][text][NUL].
class Strings {
 public:
  OrbaString operator()(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    auto block = std::make_unique<char[]>(8 + static_cast<std::size_t>(utf8.size()) + 1);
    const int32_t refcount = -1;
    const auto length = static_cast<int32_t>(utf8.size());
    std::memcpy(block.get(), &refcount, 4);
    std::memcpy(block.get() + 4, &length, 4);
    std::memcpy(block.get() + 8, utf8.constData(), static_cast<std::size_t>(utf8.size()));
    block[8 + static_cast<std::size_t>(utf8.size())] = '\0';
    blocks_.push_back(std::move(block));
    return blocks_.back().get() + 8;
  }

 private:
  std::vector<std::unique_ptr<char[]>> blocks_;
};

// The record of a logged-in user in the given language (1 English, 2
// French), the program and data folders of an installation.
inline TLinkSection link(Strings& s, const QString& programDir, const QString& dataDir, int language,
                         const QString& userName = QStringLiteral("Administrateur")) {
  TLinkSection l{};
  l.LoginName = s(userName);
  l.UserName = s(userName);
  l.CompanyNumber = s(QStringLiteral("1"));
  l.CompanyName = s(QStringLiteral("Les Entreprises Tremblay"));
  l.Language = language;
  l.LanguageCode.length = 2;
  std::memcpy(l.LanguageCode.chars, language == 2 ? "fr" : "en", 2);
  l.PrinterIndex = s(QStringLiteral("0"));
  l.ProgramDir = s(programDir);
  l.DataDir = s(dataDir);
  return l;
}

// dlopen by absolute path, dlclose at the end, as the desktop does.
class Library {
 public:
  explicit Library(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) throw std::runtime_error(dlerror());
  }
  ~Library() {
    if (handle_) dlclose(handle_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  template <typename Entry>
  Entry symbol(const char* name) {
    void* s = dlsym(handle_, name);
    if (!s) throw std::runtime_error(std::string("missing symbol ") + name);
    return reinterpret_cast<Entry>(s);
  }

 private:
  void* handle_;
};

// Drives modal windows: each step waits until the active modal window is
// the one it names ("QMessageBox" for any message box), then acts on it.
// A step must not block: it types, checks and clicks through click(), which
// lets the click (and any window it opens) happen after the step returns.
// A window that does not come within the time limit fails the test, and
// every modal window is then closed so that the module returns.
class ModalScript : public QObject {
 public:
  using Step = std::function<void(QWidget*)>;

  void then(const QString& window, Step step) { steps_.push_back({window, std::move(step)}); }
  // Adds steps while the script runs (after the current one).
  void next(const QString& window, Step step) { steps_.push_front({window, std::move(step)}); }

  void start() {
    clock_.start();
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
    timer_.start();
  }
  bool finished() const { return steps_.empty() && !aborting_; }

  // Clicks a button of a window once the current step has returned.
  static void click(QWidget* window, const QString& button) {
    auto* b = window->findChild<QAbstractButton*>(button);
    if (!b) {
      ADD_FAILURE() << "no button " << button.toStdString() << " in " << window->objectName().toStdString();
      return;
    }
    QTimer::singleShot(0, b, [b] { b->click(); });
  }
  // A message box's button by its text (without the accelerator marks).
  static void clickText(QWidget* box, const QString& text) {
    for (auto* b : box->findChildren<QAbstractButton*>())
      if (b->text().remove(QLatin1Char('&')) == text) {
        QTimer::singleShot(0, b, [b] { b->click(); });
        return;
      }
    ADD_FAILURE() << "no button " << text.toStdString();
  }
  static void closeBox(QWidget* box) {
    if (auto* m = qobject_cast<QMessageBox*>(box)) {
      QTimer::singleShot(0, m, [m] { m->done(QMessageBox::Ok); });
    }
  }
  static QString boxText(QWidget* box) {
    auto* m = qobject_cast<QMessageBox*>(box);
    return m ? m->text() : QString();
  }

 private:
  struct Pending {
    QString window;
    Step step;
  };

  static bool matches(QWidget* w, const QString& name) {
    if (!w || !w->isVisible()) return false;
    if (name == QLatin1String("QMessageBox")) return qobject_cast<QMessageBox*>(w) != nullptr;
    return w->objectName() == name;
  }

  void tick() {
    QWidget* active = QApplication::activeModalWidget();
    if (aborting_) {
      if (!active) {
        aborting_ = false;
        timer_.stop();
      } else if (auto* d = qobject_cast<QDialog*>(active)) {
        d->reject();
      }
      return;
    }
    if (steps_.empty()) {
      timer_.stop();
      return;
    }
    if (matches(active, steps_.front().window)) {
      Pending p = std::move(steps_.front());
      steps_.pop_front();
      clock_.restart();
      p.step(active);
      return;
    }
    if (clock_.elapsed() > 15000) {
      ADD_FAILURE() << "waited in vain for " << steps_.front().window.toStdString() << "; active: "
                    << (active ? active->objectName().toStdString() + " " + boxText(active).toStdString()
                               : std::string("none"));
      steps_.clear();
      aborting_ = true;
    }
  }

  std::deque<Pending> steps_;
  QTimer timer_;
  QElapsedTimer clock_;
  bool aborting_ = false;
};

}  // namespace harness
