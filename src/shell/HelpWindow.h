#pragma once

#include <QUrl>
#include <QWidget>

#include "Form.h"

class QLineEdit;
class QPushButton;
class QTextBrowser;

namespace orba::controls {
class MessageList;
}

namespace orba::shell {

// The program's help: the pages of a help book (see HelpBook.h) in a window
// of its own, with the contents, back and forward, and a search through
// every page of the book. Links to the web or to an e-mail address go to the
// user's browser or mail program.
class THelpWindow : public QWidget, public controls::Form {
  Q_OBJECT
 public:
  explicit THelpWindow(QWidget* parent = nullptr);

  // Shows the topic ("Introduction") of the book in `folder`, or its
  // contents when the topic is empty or missing; a missing book is reported
  // and the window stays as it was. Returns false then.
  bool showTopic(const QString& folder, const QString& topic);
  bool showContents(const QString& folder) { return showTopic(folder, {}); }

  // Shows the page of the same name in another book (another language),
  // or that book's contents when it has no such page.
  void switchBook(const QString& folder);

  // The pages of the current book whose text holds every word, as links.
  void search(const QString& words);

  QString folder() const { return folder_; }
  QUrl currentPage() const;

  QPushButton* btnContents;
  QPushButton* btnBack;
  QPushButton* btnForward;
  QLineEdit* edtSearch;
  QPushButton* btnSearch;
  QTextBrowser* Viewer;
  // "Search results for ...", "No page ...", "The help file ... cannot be found."
  controls::MessageList* memTexts;

 private:
  void follow(const QUrl& url);
  QString results(const QString& words) const;

  QString folder_;
};

}  // namespace orba::shell
