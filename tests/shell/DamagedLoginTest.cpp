// A damaged row or table that the login needs is told once, and the login
// goes on with what can be read; a desktop is stored only for the user whose
// desktop it is.

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QtTest/QTest>
#include <deque>

#include "DBGrid.h"
#include "DataModules.h"
#include "DatabaseError.h"
#include "DesktopFixture.h"
#include "DesktopPanels.h"
#include "DesktopStore.h"
#include "MenuItem.h"
#include "ShortcutIcons.h"
#include "StandardIcons.h"
#include "TableSchemas.h"
#include "Wallpaper.h"
#include "paradox/TableWriter.h"

using orba::dispatch::LinkRecord;
using orba::shell::DesktopRow;

namespace {

class DamagedLoginTest : public DesktopFixture {
 protected:
  void SetUp() override {
    DesktopFixture::SetUp();
    standardData();
    install->addUser("ADMIN", "ADMIN", "Admin", 2, 1, {"*"});
    install->addUser("CLERK", "CLERK", "Clerk", 1, 1, {"ar01"});
    install->addClients(1, {{"C001", "Pharmacie Gagnon"}});
  }
  void TearDown() override {
    if (window) window->close();
    app.reset();
    DesktopFixture::TearDown();
  }
  void loginAs(const QString& password) {
    answers.push_back(typePassword(password));
    start();
  }
  void quit() {
    window->Quit1Click();
    window = nullptr;
    app.reset();
  }
  QString file(const QString& name) const { return install->dataDir() + "/" + name; }
  // Overwrites bytes of a file (a damaged header, a damaged block).
  static void damage(const QString& path, qint64 at, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite)) << path.toStdString();
    f.seek(at);
    f.write(bytes);
  }
  QByteArray read(const QString& path) const {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  static std::vector<DesktopRow> standardRows() {
    std::vector<DesktopRow> rows;
    for (int i = 0; i < orba::desktop::kStandardIconCount; ++i) {
      const std::string s = orba::desktop::standardIconStream(i, false);
      rows.push_back({DesktopRow::Icon, i, QByteArray(s.data(), static_cast<qsizetype>(s.size()))});
    }
    return rows;
  }
  int iconCount() const { return static_cast<int>(window->icons().icons().size()); }
};

TEST_F(DamagedLoginTest, OneUsersDamagedDesktopRowLocksNobodyElseOut) {
  storeRows("ADMIN", standardRows());
  // The clerk's row holds a long value, in a block of the .mb of its own,
  // whose header is then damaged.
  const QByteArray marker = "CLERK-ROW-" + QByteArray(6000, 'x');
  storeRows("CLERK", {{DesktopRow::ToDoText, 0, marker}});
  const qsizetype at = read(file("Desktop.mb")).indexOf(marker);
  ASSERT_GT(at, 0);
  damage(file("Desktop.mb"), at - at % 4096, QByteArray(1, '\x7f'));

  loginAs("admin");
  EXPECT_EQ(link().get(LinkRecord::Field::UserName), "Admin");
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  EXPECT_EQ(iconCount(), 6) << "the administrator's own desktop";
  quit();

  messages.clear();
  loginAs("clerk");
  EXPECT_EQ(link().get(LinkRecord::Field::UserName), "Clerk") << "the clerk too logs in";
  ASSERT_EQ(messages.size(), 1) << messages.join("|").toStdString();
  EXPECT_TRUE(messages[0].contains("Desktop.mb")) << messages[0].toStdString();
  EXPECT_EQ(iconCount(), 6) << "the standard desktop stands in for the unreadable one";
}

TEST_F(DamagedLoginTest, AMissingOrDamagedDesktopsTableIsToldOnceAndTheStandardDesktopShown) {
  for (const QString what : {"missing", "truncated", "without its blobs"}) {
    SCOPED_TRACE(what.toStdString());
    if (what == "missing") {
      QFile::remove(file("Desktop.db"));
    } else if (what == "truncated") {
      storeRows("ADMIN", standardRows());
      QFile f(file("Desktop.db"));
      ASSERT_TRUE(f.resize(300));
    } else {
      storeRows("ADMIN", standardRows());
      QFile::remove(file("Desktop.mb"));
    }
    messages.clear();
    loginAs("admin");
    EXPECT_EQ(link().get(LinkRecord::Field::UserName), "Admin");
    ASSERT_EQ(messages.size(), 1) << messages.join("|").toStdString();
    EXPECT_TRUE(messages[0].contains("Desktop.")) << messages[0].toStdString();
    EXPECT_EQ(iconCount(), 6);
    EXPECT_EQ(link().get(LinkRecord::Field::CompanyName), "Les Entreprises Tremblay Ltée");
    const QByteArray before = read(file("Desktop.db"));
    quit();
    EXPECT_EQ(messages.size(), 1) << "nothing more at Quit: " << messages.join("|").toStdString();
    EXPECT_EQ(read(file("Desktop.db")), before) << "the damaged file is left for the administrator";
    QFile::remove(file("Desktop.db"));
    QFile::remove(file("Desktop.mb"));
    install->ensureDesktops();
  }
}

TEST_F(DamagedLoginTest, ADamagedLanguagesTableKeepsTheUsersLanguageFromWhatTheProgramShips) {
  damage(file("Languages.db"), 0, QByteArray(64, '\xff'));
  loginAs("admin");
  EXPECT_EQ(link().get(LinkRecord::Field::UserName), "Admin");
  ASSERT_EQ(messages.size(), 1) << messages.join("|").toStdString();
  EXPECT_TRUE(messages[0].contains("Languages.db")) << messages[0].toStdString();
  EXPECT_EQ(link().languageCode(), "fr") << "language 2 is French";
  EXPECT_EQ(menu->find("gl03")->caption(), "Saisie des transactions");
  EXPECT_EQ(window->StatusPanels[0]->text(), "Les Entreprises Tremblay Ltée");
}

TEST_F(DamagedLoginTest, AMissingLanguageTableKeepsTheDesignTexts) {
  QFile::remove(languagesDir() + "/MainMenufr.db");
  loginAs("admin");
  EXPECT_EQ(link().get(LinkRecord::Field::UserName), "Admin");
  ASSERT_EQ(messages.size(), 1) << messages.join("|").toStdString();
  EXPECT_TRUE(messages[0].contains("MainMenufr")) << messages[0].toStdString();
  EXPECT_EQ(menu->find("gl03")->caption(), "Transactions entry");
  EXPECT_TRUE(menu->find("Changecompanies1")->item(0)->isChecked());
}

TEST_F(DamagedLoginTest, ADamagedToolsTableLeavesNoToolsButTheCompanyLinked) {
  install->addTool("mtools", true, "ut02");
  damage(file("apps.DB"), 0, QByteArray(64, '\xff'));
  loginAs("admin");
  ASSERT_EQ(messages.size(), 1) << messages.join("|").toStdString();
  EXPECT_TRUE(messages[0].contains("apps.DB")) << messages[0].toStdString();
  EXPECT_EQ(menu->find("Accessories1")->count(), 0);
  EXPECT_EQ(window->context().Co_DataModule->Database1->directory(), install->companyDir(1));
  // The client list reads the company's clients.
  window->panels().toggle(orba::shell::PanelId::Client);
  EXPECT_EQ(window->panels().grid(0)->model()->rowCount(), 1);
  EXPECT_EQ(messages.size(), 1) << messages.join("|").toStdString();
}

TEST_F(DamagedLoginTest, ALoginThatStoppedStoresNoDesktopAtQuit) {
  storeRows("ADMIN", standardRows());
  const QByteArray before = read(file("Desktop.db")) + read(file("Desktop.mb"));
  // The administrator's company has no folder: the login stops there.
  QDir(install->companyDir(1)).removeRecursively();
  loginAs("admin");
  ASSERT_FALSE(messages.isEmpty());
  // The user changes the wallpaper and quits.
  QImage picture(16, 16, QImage::Format_RGB32);
  picture.fill(Qt::red);
  picture.save(programDir() + "/red.bmp", "BMP");
  window->Wallpaper1->loadFromFile(programDir() + "/red.bmp");
  quit();
  EXPECT_EQ(read(file("Desktop.db")) + read(file("Desktop.mb")), before);
}

// A desktop that cannot be stored at Quit (another workstation holds the
// table) lets the user try again, quit without it, or stay.
TEST_F(DamagedLoginTest, ADesktopNotStoredAtQuitOffersRetryQuitOrStay) {
  loginAs("clerk");
  ASSERT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  ASSERT_TRUE(window->desktopChanged()) << "a new user's standard desktop is stored at close";
  QStringList asked;
  std::deque<int> choices = {2, 0, 1};  // stay; try again; quit without saving
  orba::controls::Messages::setChooser([&](const QString& text, const QStringList& buttons) {
    asked << text;
    EXPECT_EQ(buttons.size(), 3);
    const int c = choices.front();
    choices.pop_front();
    return c;
  });
  // Another program holds the desktops table's lock.
  const auto previousWait = orba::data::Table::lockWait();
  orba::data::Table::setLockWait(std::chrono::milliseconds(50));
  std::unique_ptr<orba::pdx::TableWriter> holder;
  ASSERT_TRUE(orba::pdx::TableWriter::Open(file("Desktop.db").toStdString(), {}, &holder).ok());
  int closed = 0;
  QObject::connect(window, &orba::shell::TLogoAppForm::closed, [&] { ++closed; });
  window->Quit1Click();
  EXPECT_EQ(asked.size(), 1);
  EXPECT_EQ(closed, 0) << "Cancel keeps the program open";
  window->Quit1Click();
  EXPECT_EQ(asked.size(), 3) << "Retry asks again while the table is held";
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(asked[0].contains("Desktop.db")) << asked[0].toStdString();
  orba::controls::Messages::setChooser({});
  orba::data::Table::setLockWait(previousWait);
  holder.reset();
  window = nullptr;
}

}  // namespace
