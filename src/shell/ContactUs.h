#pragma once

#include "SimpleDialog.h"

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace orba::shell {

// The contact window of the Help menu: support, services and products,
// each with its texts, e-mail address, web page and numbers. The addresses
// are links to the user's mail program and browser.
class TContactUs : public controls::SimpleDialog {
  Q_OBJECT
 public:
  explicit TContactUs(QWidget* parent = nullptr);

  // The user's language number, set before each showing.
  void setLanguage(int language) { language_ = language; }
  int language() const { return language_; }

  void FormActivate();
  // Any link label: a web address (written from its "w") opens in the
  // browser, anything else is an e-mail address for the mail program.
  void Label3Click(QLabel* link);

  QPlainTextEdit* Memo1;  // support
  QPlainTextEdit* Memo2;  // services
  QPlainTextEdit* Memo3;  // products
  QLabel* Label3;         // support e-mail
  QLabel* Label4;         // support web page
  QLabel* Label12;        // services e-mail
  QLabel* Label13;        // services web page
  QLabel* Label19;        // sales e-mail
  QLabel* Label18;        // products web page
  QLabel* Label23;        // add-ons web page
  QPushButton* Button1;

  // The English texts of the three panels, as language 10 shows them.
  static const QString kSupportText;
  static const QString kServicesText;
  static const QString kProductsText;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QFrame* panel(const char* name, QRect at);
  QLabel* label(const char* name, const QString& text, QWidget* on, QRect at);
  QLabel* link(const char* name, const QString& text, QWidget* on, QRect at);
  QPlainTextEdit* memo(const char* name, const QString& text, QWidget* on, QRect at);

  int language_ = 1;
};

}  // namespace orba::shell
