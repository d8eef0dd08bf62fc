#include "ModalScript.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QtTest/QTest>

namespace {

constexpr int kPollMs = 5;
constexpr int kPatienceMs = 15000;

bool matches(QWidget* w, const QString& name) {
  if (!w || !w->isVisible()) return false;
  if (name == QLatin1String("QMessageBox")) return qobject_cast<QMessageBox*>(w) != nullptr;
  return w->objectName() == name;
}

QString describe(QWidget* w) {
  if (!w) return QStringLiteral("no modal window");
  QString text = w->objectName();
  if (auto* box = qobject_cast<QMessageBox*>(w)) text += QStringLiteral(": ") + box->text();
  return text;
}

}  // namespace

ModalScript& ModalScript::then(const QString& window, Action action) {
  steps_.push_back({window, std::move(action)});
  return *this;
}

ModalScript& ModalScript::next(const QString& window, Action action) {
  steps_.push_front({window, std::move(action)});
  return *this;
}

ModalScript& ModalScript::message(const QString& window, QString* text, const QString& button) {
  return then(window, [text, button](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    if (!box) {
      ADD_FAILURE() << w->objectName().toStdString() << " is not a message box";
      return;
    }
    if (text) *text = box->text();
    QAbstractButton* press =
        button.isEmpty() ? box->button(QMessageBox::Ok) : box->findChild<QAbstractButton*>(button);
    if (!press) ADD_FAILURE() << "no button " << button.toStdString() << " in " << box->text().toStdString();
    QTimer::singleShot(0, box, [box, press] { press ? press->click() : box->reject(); });
  });
}

ModalScript& ModalScript::collect(const QString& window, QStringList* texts) {
  return then(window, [texts](QWidget* box) {
    *texts << boxText(box);
    closeBox(box);
  });
}

void ModalScript::start() { arm(); }

void ModalScript::arm() {
  QTimer::singleShot(kPollMs, &guard_, [this] { poll(); });
}

void ModalScript::poll() {
  QWidget* active = QApplication::activeModalWidget();
  if (abandoning_) return abandon(active);
  if (steps_.empty()) return;
  // Seen on two polls in a row: a window that comes back when a message box
  // closes is acted on once the code after the box has run.
  seen_ = matches(active, steps_.front().window) ? seen_ + 1 : 0;
  if (seen_ >= 2) {
    Step step = std::move(steps_.front());
    steps_.pop_front();
    seen_ = 0;
    waited_ = 0;
    arm();  // before acting: the action may run a window's event loop
    step.action(active);
    return;
  }
  if (++waited_ * kPollMs > kPatienceMs) {
    failures_ << QStringLiteral("waited for %1, saw %2").arg(steps_.front().window, describe(active));
    ADD_FAILURE() << failures_.last().toStdString();
    steps_.clear();
    abandoning_ = true;
  }
  arm();
}

void ModalScript::abandon(QWidget* active) {
  // One window at a time, the innermost first, until the code under test
  // has returned from all of them.
  if (auto* dialog = qobject_cast<QDialog*>(active)) {
    dialog->reject();
    arm();
  } else {
    abandoning_ = false;
  }
}

void ModalScript::click(QWidget* window, const QString& button) {
  auto* b = window->findChild<QAbstractButton*>(button);
  if (!b) {
    ADD_FAILURE() << "no button " << button.toStdString() << " in " << window->objectName().toStdString();
    return;
  }
  QTimer::singleShot(0, b, [b] { b->click(); });
}

void ModalScript::clickText(QWidget* box, const QString& text) {
  for (auto* b : box->findChildren<QAbstractButton*>())
    if (b->text().remove(QLatin1Char('&')) == text) {
      QTimer::singleShot(0, b, [b] { b->click(); });
      return;
    }
  ADD_FAILURE() << "no button " << text.toStdString() << " in " << box->objectName().toStdString();
}

void ModalScript::closeBox(QWidget* box) {
  if (auto* m = qobject_cast<QMessageBox*>(box))
    QTimer::singleShot(0, m, [m] { m->done(QMessageBox::Ok); });
  else
    ADD_FAILURE() << box->objectName().toStdString() << " is not a message box";
}

QString ModalScript::boxText(QWidget* box) {
  auto* m = qobject_cast<QMessageBox*>(box);
  return m ? m->text() : QString();
}

void ModalScript::type(QWidget* window, const QString& edit, const QString& text) {
  auto* e = window->findChild<QLineEdit*>(edit);
  if (!e) {
    ADD_FAILURE() << "no edit " << edit.toStdString() << " in " << window->objectName().toStdString();
    return;
  }
  e->clear();
  bool ascii = true;
  for (QChar c : text) ascii = ascii && c.unicode() < 128;
  if (ascii)
    QTest::keyClicks(e, text);
  else
    e->insert(text);
}
