#pragma once

// What the company tests share: an installation on disk whose tables are
// read back as the program reads them, and a script that plays the user in
// the modal windows a module opens, from the event loop those windows run.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <map>

#include "Table.h"
#include "TableSchemas.h"

namespace company_test {

// The rows of comp.db, number to name and password.
struct Listed {
  QString name;
  QString password;
  bool operator==(const Listed&) const = default;
};
inline std::map<int, Listed> listed(const QString& dataDir) {
  orba::data::Table t("Check");
  t.declare(orba::data::schemas::Co_Table);
  t.setDatabaseName(dataDir);
  t.open();
  std::map<int, Listed> out;
  for (t.first(); !t.eof(); t.next())
    out[t.value("Comp_Code").toInt()] = {t.text("Comp_Name"), t.text("Comp_Passwd")};
  t.close();
  return out;
}

// The files of a folder, sorted.
inline QStringList filesOf(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// Plays the user: each step waits for the modal window of its name (the
// object name; a module's message boxes are "CompanyMessage" and
// "CompanyQuestion") to be the active one, then acts on it. A step's action
// may open the next modal window; the script goes on from inside it. A step
// that waits more than five seconds closes whatever is open and is recorded
// as a failure, so a test never hangs on a window nobody expected.
class ModalScript {
 public:
  using Action = std::function<void(QWidget*)>;

  ModalScript& then(const QString& name, Action action) {
    steps_.push_back({name, std::move(action)});
    return *this;
  }
  // Reads a message box's text into *text and presses the button named
  // `button` (OK when empty).
  ModalScript& message(const QString& name, QString* text, const QString& button = {}) {
    return then(name, [text, button](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box) return;
      if (text) *text = box->text();
      QAbstractButton* press =
          button.isEmpty() ? box->button(QMessageBox::Ok) : box->findChild<QAbstractButton*>(button);
      if (press)
        press->click();
      else
        box->reject();
    });
  }
  void start() {
    clock_.start();
    arm();
  }
  bool finished() const { return steps_.empty(); }
  QStringList failures;

 private:
  void arm() {
    QTimer::singleShot(10, &guard_, [this] { tick(); });
  }
  void tick() {
    if (abandoning_) {
      // Closes what is left open, one window at a time, inner first.
      if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        open->reject();
        arm();
      }
      return;
    }
    if (steps_.empty()) return;
    QWidget* active = QApplication::activeModalWidget();
    if (active && active->isVisible() && active->objectName() == steps_.front().first) {
      Action action = std::move(steps_.front().second);
      steps_.pop_front();
      clock_.restart();
      arm();  // before acting: the action may run a nested event loop
      action(active);
      return;
    }
    if (clock_.elapsed() > 5000) {
      QString seen = active ? active->objectName() : QStringLiteral("nothing");
      if (auto* box = qobject_cast<QMessageBox*>(active)) seen += ": " + box->text();
      failures << QStringLiteral("waited for %1, saw %2").arg(steps_.front().first, seen);
      steps_.clear();
      abandoning_ = true;
      arm();
      return;
    }
    arm();
  }

  std::deque<std::pair<QString, Action>> steps_;
  QElapsedTimer clock_;
  bool abandoning_ = false;
  QObject guard_;
};

}  // namespace company_test
