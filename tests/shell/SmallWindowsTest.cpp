// The small windows of the Help menu and of the first activation, driven as
// a user would: the about box, the contact window's links, the welcome
// window, the set-up notices and their print, the help window over a book.

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtTest/QTest>

#include "DesktopServices.h"
#include "HelpBook.h"
#include "HelpWindow.h"
#include "MessageList.h"
#include "ModuleLink.h"
#include "SettingsStore.h"
#include "SetupWindows.h"
#include "ShellFixture.h"
#include "SmallWindows.h"

using orba::shell::DesktopServices;
using orba::shell::TAboutBox;
using orba::shell::TContactUs;
using orba::shell::TfrmSetup;
using orba::shell::TfrmWelcome;
using orba::shell::THelpWindow;

namespace {

// Records what the program asks the desktop to open.
class OpenedUrls {
 public:
  OpenedUrls() {
    DesktopServices::setOpener([this](const QUrl& url) {
      urls << url.toString();
      return true;
    });
  }
  ~OpenedUrls() { DesktopServices::setOpener({}); }
  QStringList urls;
};

void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(2, 2)); }

}  // namespace

class SmallWindowsTest : public ShellFixture {};

TEST_F(SmallWindowsTest, AboutBoxShowsTheRawLocationAndThePayrollInUse) {
  TAboutBox about;
  struct Case {
    const char* payroll;
    const char* ccq;
    const char* shown;
  } cases[] = {{"Y", "Y", "Regular"}, {"n", "Y", "CCQ"}, {"y", "n", "Regular"}, {"n", "y", "CCQ"},
               {"N", "N", "None"},    {"", "", "None"},  {"yes", "Y", "CCQ"}};
  for (const Case& c : cases) {
    about.setInstallation("~/castellan/../castellan", c.payroll, c.ccq);
    about.show();
    EXPECT_EQ(about.cbxPayroll->currentText(), c.shown) << c.payroll << "/" << c.ccq;
    EXPECT_FALSE(about.cbxPayroll->isEnabled());
    about.hide();
  }
  EXPECT_EQ(about.lblDatabase->text(), "~/castellan/../castellan") << "the setting as written";
  EXPECT_EQ(about.size(), QSize(371, 290));

  OpenedUrls opened;
  about.setInstallation(dir.path(), "n", "n");
  about.show();
  click(about.lblDatabase);
  EXPECT_EQ(opened.urls, QStringList{QUrl::fromLocalFile(dir.path()).toString()});
  EXPECT_TRUE(messages.isEmpty());

  // A desktop that cannot open the folder is said so.
  DesktopServices::setOpener([](const QUrl&) { return false; });
  click(about.lblDatabase);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(dir.path())) << messages[0].toStdString();
}

TEST_F(SmallWindowsTest, ContactLinksGoToTheBrowserFromALowerCaseWAndToMailOtherwise) {
  OpenedUrls opened;
  TContactUs contact;
  contact.show();
  click(contact.Label3);
  click(contact.Label4);
  click(contact.Label23);
  // A capital W is not a web address.
  contact.Label12->setText("Www.tamberly.example");
  click(contact.Label12);
  EXPECT_EQ(opened.urls,
            (QStringList{"mailto:support@tamberly.example", "http://www.tamberly.example/support",
                         "http://www.tamberly.example/add-ons", "mailto:Www.tamberly.example"}));
  // The texts never keep the focus.
  contact.activateWindow();
  contact.Memo2->setFocus();
  EXPECT_FALSE(contact.Memo2->hasFocus());
}

TEST_F(SmallWindowsTest, ContactWindowOfLanguageTenShowsTheEnglishTexts) {
  TContactUs contact;
  contact.Memo1->setPlainText("Pour obtenir de l'aide");
  contact.setLanguage(2);
  contact.show();
  EXPECT_EQ(contact.Memo1->toPlainText(), "Pour obtenir de l'aide") << "translation left as it is";
  EXPECT_EQ(contact.Label3->x(), 80);
  contact.hide();
  contact.setLanguage(10);
  contact.show();
  EXPECT_EQ(contact.Memo1->toPlainText(), TContactUs::kSupportText);
  EXPECT_EQ(contact.Memo2->toPlainText(), TContactUs::kServicesText);
  EXPECT_EQ(contact.Memo3->toPlainText(), TContactUs::kProductsText);
  for (QLabel* mail : {contact.Label3, contact.Label12, contact.Label19}) EXPECT_EQ(mail->x(), 76);
}

class WelcomeTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    writeSettings("ShowWelcome=Y\n");
    store = std::make_unique<orba::settings::SettingsStore>(options().settings);
    welcome.setSettings(store.get());
    welcome.setSettingsSection("orba");
    welcome.setHelpOpener(
        [this](const QString& folder, const QString& topic) { opened << folder + "|" + topic; });
  }
  // The window keeps a copy of the record, whose texts point into
  // linkRecord: it lives as long as the test.
  const TLinkSection& link(int language, const char* code) {
    linkRecord.record().setLanguageNumber(language);
    linkRecord.record().setLanguageCode(code);
    return linkRecord;
  }
  ModuleLink linkRecord{"/opt/castellan/Orba/bin", "/opt/castellan/Orba/data"};
  QString showWelcome() const {
    orba::settings::SettingsStore fresh(options().settings);
    return fresh.value("Orba", "ShowWelcome", "?");
  }
  std::unique_ptr<orba::settings::SettingsStore> store;
  TfrmWelcome welcome;
  QStringList opened;
};

TEST_F(WelcomeTest, YesOpensTheIntroductionOfTheUsersLanguage) {
  for (auto [language, code, folder] : {std::tuple{2, "fr", "Helpfr"}, std::tuple{1, "en", "Help"},
                                        std::tuple{0, "fr", "Helpfr"}, std::tuple{3, "de", "Helpde"}}) {
    welcome.setLinkSection(link(language, code));
    welcome.show();
    welcome.btnYes->click();
    EXPECT_EQ(welcome.result(), TfrmWelcome::kYes);
    EXPECT_FALSE(welcome.isVisible());
    EXPECT_EQ(opened.value(0), QString("/opt/castellan/Orba/bin/") + folder + "|Introduction") << language;
    opened.clear();
  }
  EXPECT_EQ(showWelcome(), "Y") << "a clear box writes nothing";
}

TEST_F(WelcomeTest, ATickedBoxSwitchesTheWindowOffWhateverClosedIt) {
  welcome.setLinkSection(link(1, "en"));
  welcome.show();
  welcome.chkAlwaysShow->setChecked(true);
  welcome.btnNo->click();
  EXPECT_EQ(welcome.result(), TfrmWelcome::kNo);
  EXPECT_TRUE(opened.isEmpty());
  EXPECT_EQ(showWelcome(), "N");
  EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

TEST_F(SmallWindowsTest, SetupNoticeShowsItsModuleAndPrintsTheWindow) {
  TfrmSetup notice;
  notice.setNotices(true, false);
  notice.show();
  EXPECT_TRUE(notice.memPayroll->isVisible());
  EXPECT_FALSE(notice.memJobCost->isVisible());
  notice.hide();
  notice.setNotices(false, true);
  notice.show();
  EXPECT_FALSE(notice.memPayroll->isVisible());
  EXPECT_TRUE(notice.memJobCost->isVisible());
  EXPECT_EQ(notice.btnPrintForm->toolTip(), "Print Screen");

  const QString pdf = dir.filePath("notice.pdf");
  QString printerName;
  TfrmSetup::setPrinterSetUp([&](QPrinter& printer, const QString& chosen) {
    printerName = chosen;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
  });
  notice.btnPrintForm->click();
  TfrmSetup::setPrinterSetUp({});
  EXPECT_EQ(printerName, "Cheques") << "the current printer";
  QFile f(pdf);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  // The window's image is on the page, not an empty sheet.
  EXPECT_TRUE(bytes.contains("/Subtype /Image")) << bytes.size() << " bytes";
  EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

class HelpWindowTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    book = dir.path() + "/Orba/bin/Help";
    QDir().mkpath(book);
    page("contents.html",
         "<h1>Contents</h1><a href='introduction.html'>Introduction</a> "
         "<a href='desktop.html'>The desktop</a>");
    page("introduction.html",
         "<h1>Introduction</h1><p>Your first session.</p>"
         "<a href='desktop.html#icons'>icons</a> <a href='https://www.tamberly.example/'>web</a>");
    page("desktop.html", "<h1>The desktop</h1><p>List panels and shortcut icons.</p><a name='icons'></a>");
  }
  void page(const QString& name, const QString& html) {
    QFile f(book + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(("<html><body>" + html + "</body></html>").toUtf8());
  }
  QString shown() const { return QFileInfo(help.currentPage().toLocalFile()).fileName(); }
  QString book;
  THelpWindow help;
};

TEST_F(HelpWindowTest, TopicsLinksHistoryAndTheWeb) {
  OpenedUrls opened;
  ASSERT_TRUE(help.showTopic(book, "Introduction"));
  EXPECT_TRUE(help.isVisible());
  EXPECT_EQ(shown(), "introduction.html");
  EXPECT_FALSE(help.btnBack->isEnabled());
  emit help.Viewer->anchorClicked(QUrl("desktop.html#icons"));
  EXPECT_EQ(shown(), "desktop.html");
  EXPECT_TRUE(help.btnBack->isEnabled());
  help.btnBack->click();
  EXPECT_EQ(shown(), "introduction.html");
  help.btnForward->click();
  EXPECT_EQ(shown(), "desktop.html");
  help.btnContents->click();
  EXPECT_EQ(shown(), "contents.html");
  help.btnBack->click();
  help.btnBack->click();
  emit help.Viewer->anchorClicked(QUrl("https://www.tamberly.example/"));
  EXPECT_EQ(opened.urls, QStringList{"https://www.tamberly.example/"});
  EXPECT_EQ(shown(), "introduction.html") << "a web link leaves the page where it is";
  // A topic the book lacks shows its contents.
  help.showTopic(book, "Payroll");
  EXPECT_EQ(shown(), "contents.html");
  EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

TEST_F(HelpWindowTest, SearchListsEveryPageWithAllTheWordsAndBackReturns) {
  help.showTopic(book, "Introduction");
  help.edtSearch->setText("  shortcut   PANELS ");
  QTest::keyClick(help.edtSearch, Qt::Key_Return);
  const QString results = help.Viewer->toPlainText();
  EXPECT_TRUE(results.contains("Pages that contain \"shortcut PANELS\"")) << results.toStdString();
  EXPECT_TRUE(results.contains("The desktop"));
  EXPECT_FALSE(results.contains("Introduction"));
  help.btnBack->click();
  EXPECT_EQ(shown(), "introduction.html");
  help.search("payroll");
  EXPECT_TRUE(help.Viewer->toPlainText().contains("No page contains \"payroll\"."));
}

TEST_F(HelpWindowTest, AMissingBookIsReportedAndAnotherLanguageKeepsThePage) {
  EXPECT_FALSE(help.showTopic(dir.path() + "/Orba/bin/Helpde", "Introduction"));
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("Helpde")) << messages[0].toStdString();
  EXPECT_FALSE(help.isVisible());

  const QString french = dir.path() + "/Orba/bin/Helpfr";
  QDir().mkpath(french);
  QFile::copy(book + "/contents.html", french + "/contents.html");
  QFile::copy(book + "/desktop.html", french + "/desktop.html");
  help.showTopic(book, "Desktop");
  help.switchBook(french);
  EXPECT_EQ(help.currentPage().toLocalFile(), french + "/desktop.html");
  EXPECT_EQ(orba::shell::help_book::folder("/p", 2, "fr"), "/p/Helpfr");
  EXPECT_EQ(orba::shell::help_book::folder("/p", 0, "fr"), "/p/Helpfr");
  EXPECT_EQ(orba::shell::help_book::folder("/p", 1, "en"), "/p/Help");
}

// The books the program ships: the same pages in both languages, each
// reachable from the contents, every link and picture found.
TEST(HelpBooks, BothLanguagesHaveTheSamePagesAndNothingIsBroken) {
  const QString root = ORBA_HELP_DIR;
  QStringList pages[2];
  int b = 0;
  for (const char* name : {"Help", "Helpfr"}) {
    const QDir book(root + "/" + name);
    ASSERT_TRUE(book.exists()) << book.path().toStdString();
    pages[b] = book.entryList({"*.html"}, QDir::Files, QDir::Name);
    EXPECT_TRUE(pages[b].contains("contents.html"));
    EXPECT_TRUE(pages[b].contains("introduction.html"));
    QSet<QString> linkedFromContents;
    for (const QString& page : pages[b]) {
      QFile f(book.filePath(page));
      ASSERT_TRUE(f.open(QIODevice::ReadOnly));
      const QString html = QString::fromUtf8(f.readAll());
      QTextDocument document;
      document.setHtml(html);
      EXPECT_FALSE(document.toPlainText().trimmed().isEmpty()) << page.toStdString();
      static const QRegularExpression reference(R"((?:href|src)\s*=\s*["']([^"'#]+)(?:#[^"']*)?["'])");
      for (auto m = reference.globalMatch(html); m.hasNext();) {
        const QString target = m.next().captured(1);
        if (target.contains(':')) continue;  // the web, e-mail
        EXPECT_TRUE(QFileInfo::exists(book.filePath(target)))
            << name << "/" << page.toStdString() << " -> " << target.toStdString();
        if (page == "contents.html") linkedFromContents << QFileInfo(target).fileName();
      }
    }
    for (const QString& page : pages[b]) {
      if (page != "contents.html") {
        EXPECT_TRUE(linkedFromContents.contains(page))
            << name << "/" << page.toStdString() << " not in contents";
      }
    }
    ++b;
  }
  EXPECT_EQ(pages[0], pages[1]);
}
