#include "HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "DesktopServices.h"
#include "HelpBook.h"
#include "MessageList.h"
#include "Messages.h"

namespace orba::shell {

namespace {

enum Text { kResultsFor = 0, kNothingFound = 1, kBookMissing = 2 };

// A page's words, without its markup.
QString plainText(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return {};
  QTextDocument document;
  document.setHtml(QString::fromUtf8(f.readAll()));
  return document.toPlainText();
}

constexpr char kSearchScheme[] = "help-search";

// A browser that also shows generated pages: the search results have an
// address of their own, so that Back and Forward treat them like any page.
class BookBrowser : public QTextBrowser {
 public:
  BookBrowser(std::function<QString(const QString&)> results, QWidget* parent)
      : QTextBrowser(parent), results_(std::move(results)) {}

  QVariant loadResource(int type, const QUrl& name) override {
    if (name.scheme() == QLatin1String(kSearchScheme)) return results_(name.path());
    return QTextBrowser::loadResource(type, name);
  }

 private:
  std::function<QString(const QString&)> results_;
};

}  // namespace

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Help"));
  resize(760, 560);
  auto button = [this](const char* name, const char* text) {
    auto* b = components_.own(new QPushButton(QString::fromUtf8(text), this));
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  btnContents = button("btnContents", "Contents");
  btnBack = button("btnBack", "< Back");
  btnForward = button("btnForward", "Forward >");
  edtSearch = components_.own(new QLineEdit(this));
  edtSearch->setObjectName(QStringLiteral("edtSearch"));
  btnSearch = button("btnSearch", "Search");
  Viewer = components_.own(new BookBrowser([this](const QString& words) { return results(words); }, this));
  Viewer->setObjectName(QStringLiteral("Viewer"));
  // Every link comes through follow(): pages of the book open here, the
  // rest in the user's own programs.
  Viewer->setOpenLinks(false);
  memTexts = components_.own(new controls::MessageList(
      QStringLiteral("memTexts"),
      {QStringLiteral("Pages that contain \"%1\""), QStringLiteral("No page contains \"%1\"."),
       QStringLiteral("The help file %1 cannot be found.")},
      this));

  auto* bar = new QHBoxLayout;
  bar->addWidget(btnContents);
  bar->addWidget(btnBack);
  bar->addWidget(btnForward);
  bar->addStretch(1);
  bar->addWidget(edtSearch);
  bar->addWidget(btnSearch);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(Viewer, 1);

  btnBack->setEnabled(false);
  btnForward->setEnabled(false);
  connect(Viewer, &QTextBrowser::backwardAvailable, btnBack, &QPushButton::setEnabled);
  connect(Viewer, &QTextBrowser::forwardAvailable, btnForward, &QPushButton::setEnabled);
  connect(btnBack, &QPushButton::clicked, Viewer, &QTextBrowser::backward);
  connect(btnForward, &QPushButton::clicked, Viewer, &QTextBrowser::forward);
  connect(btnContents, &QPushButton::clicked, this, [this] {
    if (!folder_.isEmpty()) showContents(folder_);
  });
  connect(btnSearch, &QPushButton::clicked, this, [this] { search(edtSearch->text()); });
  connect(edtSearch, &QLineEdit::returnPressed, this, [this] { search(edtSearch->text()); });
  connect(Viewer, &QTextBrowser::anchorClicked, this, &THelpWindow::follow);
}

bool THelpWindow::showTopic(const QString& folder, const QString& topic) {
  const QString page = help_book::pageFor(folder, topic);
  if (page.isEmpty()) {
    controls::Messages::error(memTexts->line(kBookMissing).arg(QDir::toNativeSeparators(folder)), this);
    return false;
  }
  folder_ = folder;
  Viewer->setSource(QUrl::fromLocalFile(page));
  show();
  raise();
  activateWindow();
  return true;
}

void THelpWindow::switchBook(const QString& folder) {
  const QUrl page = Viewer->source();
  const QString topic = page.isLocalFile() ? QFileInfo(page.toLocalFile()).completeBaseName() : QString();
  showTopic(folder, topic == QLatin1String("contents") ? QString() : topic);
}

QUrl THelpWindow::currentPage() const { return Viewer->source(); }

void THelpWindow::follow(const QUrl& link) {
  const QUrl url = Viewer->source().resolved(link);
  if (!url.isLocalFile()) {
    DesktopServices::openUrl(url);
    return;
  }
  Viewer->setSource(url);
}

void THelpWindow::search(const QString& words) {
  const QString simplified = words.simplified();
  if (simplified.isEmpty() || folder_.isEmpty()) return;
  QUrl url;
  url.setScheme(QLatin1String(kSearchScheme));
  url.setPath(simplified);
  Viewer->setSource(url, QTextDocument::HtmlResource);
}

QString THelpWindow::results(const QString& words) const {
  const QStringList wanted = words.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  QString list;
  const QFileInfoList pages =
      QDir(folder_).entryInfoList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
  for (const QFileInfo& page : pages) {
    const QString text = plainText(page.filePath());
    const bool all = std::all_of(wanted.begin(), wanted.end(),
                                 [&](const QString& w) { return text.contains(w, Qt::CaseInsensitive); });
    if (!all) continue;
    // A page's first line is its heading.
    const QString title = text.trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
    list += QStringLiteral("<li><a href=\"%1\">%2</a></li>")
                .arg(QUrl::fromLocalFile(page.filePath()).toString(), title.toHtmlEscaped());
  }
  if (list.isEmpty())
    return QStringLiteral("<p>%1</p>").arg(memTexts->line(kNothingFound).arg(words).toHtmlEscaped());
  return QStringLiteral("<h2>%1</h2><ul>%2</ul>")
      .arg(memTexts->line(kResultsFor).arg(words).toHtmlEscaped(), list);
}

}  // namespace orba::shell
