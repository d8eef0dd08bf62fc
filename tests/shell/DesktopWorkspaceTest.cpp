// The desktop workspace on a whole installation: list panels, shortcut
// icons, and each user's desktop saved at close and restored at login, read
// back from Desktop.db on disk.

#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>

#include "ComponentStreams.h"
#include "DBGrid.h"
#include "DesktopFixture.h"
#include "DesktopPanels.h"
#include "DesktopStore.h"
#include "FailingEnv.h"
#include "ListPanel.h"
#include "PictureDialog.h"
#include "ShortcutIcons.h"
#include "ToDoText.h"
#include "TransparentButton.h"
#include "Wallpaper.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

using orba::desktop::TListPanel;
using orba::desktop::TTransparentButton;
using orba::shell::DesktopPanels;
using orba::shell::DesktopRow;
using orba::shell::PanelId;

namespace {

struct StoredRow {
  QString user;
  int kind;
  int index;
  QByteArray stream;
};

}  // namespace

class DesktopWorkspaceTest : public DesktopFixture {
 protected:
  void SetUp() override {
    DesktopFixture::SetUp();
    standardData();
    install->addUser("ANNE", "ANNE", "Anne", 1, 1, {"ar01", "ar04", "ap03", "gl03", "gl07"});
    install->addUser("BOB", "BOB", "Bob", 1, 1, {"gl03"});
    install->addClients(1, {{"C001", "Pharmacie Gagnon"}, {"C002", "Mitchell Construction"}});
    QImage picture(32, 32, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(programDir() + "/sysedit.bmp", "BMP"));
  }
  void TearDown() override {
    if (window) window->close();
    app.reset();
    orba::data::Table::setEnv(nullptr);
    DesktopFixture::TearDown();
  }

  void loginAs(const QString& password, bool standardDesktop = false, bool shown = false) {
    answers.push_back([password, standardDesktop](QDialog& dialog) {
      auto* login = qobject_cast<orba::shell::TPasswordDlg*>(&dialog);
      EXPECT_NE(login, nullptr);
      if (!login) return static_cast<int>(QDialog::Rejected);
      QTest::keyClicks(login->Password, password);
      login->DesktopCheckBox->setChecked(standardDesktop);
      return static_cast<int>(QDialog::Accepted);
    });
    start("ShowWelcome=N\n", shown);
    ASSERT_EQ(window->context().UserDataModule->User_table->text("User_code"), password);
  }
  // Closes the window the way Quit does: the desktop is saved when it changed.
  void quit() {
    window->Quit1Click();
    window = nullptr;
    app.reset();
  }

  QList<StoredRow> storedRows() {
    orba::data::Table t("Desktop");
    t.declare(orba::data::schemas::Desktop_table);
    t.setDatabaseName(install->dataDir());
    t.open();
    QList<StoredRow> rows;
    for (t.first(); !t.eof(); t.next())
      rows.push_back({t.text("Desktop_user"), t.value("Desktop_Component_type").toInt(),
                      t.value("Desktop_ComponentIndex").toInt(), t.value("Desktop_Component").toByteArray()});
    return rows;
  }
  QList<StoredRow> storedRowsOf(const QString& user) {
    QList<StoredRow> rows;
    for (const StoredRow& r : storedRows())
      if (r.user == user) rows << r;
    return rows;
  }
  static int countKind(const QList<StoredRow>& rows, int kind) {
    return static_cast<int>(
        std::count_if(rows.begin(), rows.end(), [kind](const StoredRow& r) { return r.kind == kind; }));
  }

  // The shortcut dialog's answer: the option with this code chosen, OK.
  static std::function<int(QDialog&)> chooseOption(const QString& code) {
    return [code](QDialog& dialog) {
      auto* shortcut = qobject_cast<orba::desktop::TShortcutDlg*>(&dialog);
      EXPECT_NE(shortcut, nullptr);
      if (!shortcut) return static_cast<int>(QDialog::Rejected);
      for (int i = 0; i < shortcut->DllList->count(); ++i)
        if (shortcut->DllList->item(i)->text() == code) shortcut->OptionNames->setCurrentRow(i);
      return static_cast<int>(QDialog::Accepted);
    };
  }
  static std::function<int(QDialog&)> chooseCaption(const QString& caption) {
    return [caption](QDialog& dialog) {
      auto* shortcut = qobject_cast<orba::desktop::TShortcutDlg*>(&dialog);
      if (!shortcut) return static_cast<int>(QDialog::Rejected);
      const auto found = shortcut->OptionNames->findItems(caption, Qt::MatchStartsWith);
      EXPECT_FALSE(found.isEmpty()) << caption.toStdString();
      if (!found.isEmpty()) shortcut->OptionNames->setCurrentItem(found.first());
      return static_cast<int>(QDialog::Accepted);
    };
  }

  TTransparentButton* icon(const QString& name) const {
    for (TTransparentButton* i : window->icons().icons())
      if (i->objectName() == name) return i;
    return nullptr;
  }
  TListPanel* panel(PanelId id) const { return window->panels().panel(id); }

  static QByteArray iconRow(const QString& name, int tag, QRect place = QRect(10, 10, 60, 60)) {
    TTransparentButton b;
    b.setObjectName(name);
    b.setCaption(name);
    b.setTag(tag);
    b.setGeometry(place);
    const std::string s = orba::stream::writeComponentStream(orba::desktop::writeComponent(b));
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
  }
};

// A new user has no stored desktop: they get the standard one, the six list
// icons (without which no list could be opened), stored at close.
TEST_F(DesktopWorkspaceTest, AUserWithoutRowsGetsTheStandardIconsAndHasRowsAfterAClose) {
  loginAs("ANNE");
  ASSERT_EQ(window->icons().icons().size(), 6u);
  for (const char* name :
       {"ClientBtn", "SupplierBtn", "AccountsBtn", "EmployeeBtn", "ProductBtn", "ToDoListBtn"})
    EXPECT_NE(icon(name), nullptr) << name;
  EXPECT_EQ(icon("ClientBtn")->caption(), "Clients");
  for (int i = 0; i < orba::shell::kPanelCount; ++i) EXPECT_TRUE(panel(static_cast<PanelId>(i))->isHidden());
  EXPECT_TRUE(window->desktopChanged()) << "the standard icons become the user's rows";
  // What follows the restore ran all the same: no payroll menu, a catalogue.
  EXPECT_FALSE(menu->find("Payroll1")->isVisible());
  EXPECT_FALSE(menu->find("fa20")->isVisible());
  EXPECT_TRUE(catalogue()->allows("ar04"));

  // The icon opens its list.
  emit icon("ClientBtn")->OnDblClick(icon("ClientBtn"));
  EXPECT_FALSE(panel(PanelId::Client)->isHidden());
  quit();
  const QList<StoredRow> rows = storedRowsOf("ANNE");
  EXPECT_EQ(countKind(rows, DesktopRow::Wallpaper), 1);
  EXPECT_EQ(countKind(rows, DesktopRow::Icon), 6);
  EXPECT_EQ(countKind(rows, DesktopRow::Panel), 6);
  EXPECT_EQ(countKind(rows, DesktopRow::Grid), 5);
  EXPECT_EQ(countKind(rows, DesktopRow::ToDoText), 1);
  EXPECT_TRUE(storedRowsOf("BOB").isEmpty());
}

TEST_F(DesktopWorkspaceTest, PanelsIconsAndTheToDoTextComeBackAsTheyWereSaved) {
  loginAs("ANNE");
  window->panels().toggle(PanelId::Client);
  window->panels().enlarge(PanelId::Client);
  panel(PanelId::Client)->move(30, 20);
  window->panels().toggle(PanelId::ThingsToDo);
  window->panels().toDoText()->setPlainText("Call Gagnon\n\tabout the invoice\nOrder paper");
  window->panels().toggle(PanelId::ThingsToDo);  // closed again
  answers.push_back(chooseOption("gl03"));
  TTransparentButton* added = nullptr;
  window->Shortcut1Click();
  added = icon("gl03S");
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->geometry(), QRect(296, 256, 89, 89));
  EXPECT_EQ(added->glyph().pixel(5, 5), qRgb(0, 255, 0)) << "the picture of a new icon is sysedit.bmp";
  EXPECT_TRUE(added->caption().startsWith(menu->find("gl03")->caption()));
  EXPECT_FALSE(added->isHidden());
  answers.push_back(chooseOption("ar01"));
  window->Shortcut1Click();
  ASSERT_NE(icon("ar01S"), nullptr);
  icon("ar01S")->setTag(0);  // saved hidden
  quit();

  loginAs("ANNE");
  TListPanel* clients = panel(PanelId::Client);
  EXPECT_FALSE(clients->isHidden());
  EXPECT_EQ(clients->tag, 1);
  EXPECT_EQ(clients->geometry(), QRect(30, 20, 580, 291));
  EXPECT_TRUE(window->context().Ar_DataModule->Ar_Table->isActive()) << "an open panel opens its table";
  EXPECT_EQ(clients->reduceButton()->x(), 580 - 65);
  EXPECT_EQ(clients->enlargeButton()->x(), 580 - 46);
  EXPECT_EQ(clients->closeButton()->x(), 580 - 23);
  EXPECT_EQ(window->panels().grid(0)->model()->rowCount(), 2);
  EXPECT_TRUE(panel(PanelId::ThingsToDo)->isHidden());
  EXPECT_EQ(window->panels().toDoText()->toPlainText(), "Call Gagnon\n\tabout the invoice\nOrder paper");
  ASSERT_NE(icon("gl03S"), nullptr);
  EXPECT_FALSE(icon("gl03S")->isHidden());
  EXPECT_EQ(icon("gl03S")->popUpMenu(), window->findChild<QMenu*>("PopupMenuShown"));
  ASSERT_NE(icon("ar01S"), nullptr);
  EXPECT_TRUE(icon("ar01S")->isHidden()) << "saved hidden, restored hidden";

  // An icon double-clicked runs its option.
  installModules({"gl03"});
  emit icon("gl03S")->OnDblClick(icon("gl03S"));
  EXPECT_EQ(calledLibraries(), QStringList{"gl03"});

  // A panel saved closed comes back closed even when open before.
  window->panels().toggle(PanelId::Supplier);
  window->Set_Desktop();
  EXPECT_TRUE(panel(PanelId::Supplier)->isHidden());
  quit();
  // Saved again: the hidden icon is still stored hidden.
  bool hiddenStored = false;
  for (const StoredRow& r : storedRowsOf("ANNE"))
    if (r.kind == DesktopRow::Icon && r.stream.contains("ar01S")) {
      const auto read =
          orba::stream::readComponentStream(std::string_view(r.stream.constData(), r.stream.size()));
      ASSERT_TRUE(read.ok());
      TTransparentButton b;
      orba::desktop::readComponent(b, read.component);
      hiddenStored = b.tag() == 0;
    }
  EXPECT_TRUE(hiddenStored);
}

TEST_F(DesktopWorkspaceTest, ThePanelIconsToggleTheirPanelsAndDeletingOneClosesIt) {
  storeRows("ANNE", {{DesktopRow::Icon, 40, iconRow("ClientBtn", 1)},
                     {DesktopRow::Icon, 41, iconRow("ToDoListBtn", 1)}});
  loginAs("ANNE");
  TTransparentButton* clients = icon("ClientBtn");
  ASSERT_NE(clients, nullptr);
  emit clients->OnDblClick(clients);
  EXPECT_FALSE(panel(PanelId::Client)->isHidden());
  emit clients->OnDblClick(clients);
  EXPECT_TRUE(panel(PanelId::Client)->isHidden());
  EXPECT_FALSE(window->context().Ar_DataModule->Ar_Table->isActive()) << "closing a panel closes its table";
  emit clients->OnDblClick(clients);

  // Deleted from its context menu: the panel closes with it.
  window->icons().remove(clients);
  EXPECT_TRUE(panel(PanelId::Client)->isHidden());
  EXPECT_EQ(icon("ClientBtn"), nullptr);
  EXPECT_EQ(window->components().find("ClientBtn"), nullptr);
  // An option icon's deletion leaves the panels alone.
  window->panels().toggle(PanelId::ThingsToDo);
  answers.push_back(chooseOption("gl03"));
  window->Shortcut1Click();
  window->icons().remove(icon("gl03S"));
  EXPECT_FALSE(panel(PanelId::ThingsToDo)->isHidden());
  // On the bare wallpaper the command does nothing.
  window->icons().remove(window->Wallpaper1);
  EXPECT_FALSE(window->Wallpaper1->isHidden());
}

// A desktop saved on a larger screen: its far icons come back within reach
// on this one, those already within reach stay where they were.
TEST_F(DesktopWorkspaceTest, IconsStoredBeyondASmallerDesktopComeBackWithinIt) {
  storeRows("ANNE", {{DesktopRow::Icon, 40, iconRow("FarBtn", 1, QRect(3000, 2000, 60, 60))},
                     {DesktopRow::Icon, 41, iconRow("NearBtn", 1, QRect(10, 20, 60, 60))}});
  loginAs("ANNE", false, true);
  const QRect desk = window->Wallpaper1->rect();
  ASSERT_LT(desk.width(), 3000);
  ASSERT_LT(desk.height(), 2000);
  ASSERT_NE(icon("FarBtn"), nullptr);
  EXPECT_TRUE(desk.contains(icon("FarBtn")->geometry())) << desk.width() << "x" << desk.height();
  EXPECT_EQ(icon("FarBtn")->size(), QSize(60, 60));
  ASSERT_NE(icon("NearBtn"), nullptr);
  EXPECT_EQ(icon("NearBtn")->geometry(), QRect(10, 20, 60, 60));
}

TEST_F(DesktopWorkspaceTest, AddingAnIconTellsWhyWhenItCannotBeAdded) {
  loginAs("BOB");
  answers.push_back(chooseOption("gl03"));
  window->Shortcut1Click();
  ASSERT_NE(icon("gl03S"), nullptr);
  // The same option again: entry 1, the first icon untouched.
  answers.push_back(chooseOption("gl03"));
  window->Shortcut1Click();
  EXPECT_EQ(messages.last(), window->message(orba::dispatch::ErrorMessage::ShortcutExists));
  EXPECT_EQ(window->icons().icons().size(), 7u) << "the six standard icons and gl03S";
  // An option Bob sees but may not run: the "no right" message, entry 17.
  answers.push_back(chooseCaption(menu->find("gl07")->caption()));
  window->Shortcut1Click();
  EXPECT_EQ(messages.last(), window->message(orba::dispatch::ErrorMessage::NoRight));
  EXPECT_EQ(window->icons().icons().size(), 7u);
  // Cancelled: nothing.
  window->Shortcut1Click();
  EXPECT_EQ(window->icons().icons().size(), 7u);
}

TEST_F(DesktopWorkspaceTest, TheIconsPropertiesChangeItsCaptionAndItsBitmapButNotToAJpeg) {
  loginAs("ANNE");
  answers.push_back(chooseOption("gl03"));
  window->Shortcut1Click();
  TTransparentButton* gl03 = icon("gl03S");
  ASSERT_NE(gl03, nullptr);
  QImage jpeg(20, 20, QImage::Format_RGB32);
  jpeg.fill(Qt::red);
  ASSERT_TRUE(jpeg.save(programDir() + "/red.jpg", "JPG"));
  QString label;
  answers.push_back([&](QDialog& dialog) {
    auto* properties = qobject_cast<orba::desktop::TPropertiesDlg*>(&dialog);
    EXPECT_NE(properties, nullptr);
    if (!properties) return static_cast<int>(QDialog::Rejected);
    label = properties->DllLabel->text();
    properties->NewCaption->setText("Ledger entries");
    properties->ChangeIcon->click();  // the picture dialog answers next
    EXPECT_TRUE(properties->IconChanged);
    return static_cast<int>(QDialog::Accepted);
  });
  answers.push_back([&](QDialog& dialog) {
    auto* pictures = qobject_cast<orba::desktop::TPictureDlg*>(&dialog);
    EXPECT_NE(pictures, nullptr);
    if (pictures) pictures->selectFile(programDir() + "/red.jpg");
    return static_cast<int>(QDialog::Accepted);
  });
  window->icons().editProperties(gl03);
  EXPECT_EQ(label, "gl03");
  EXPECT_EQ(gl03->caption(), "Ledger entries");
  EXPECT_EQ(gl03->glyph().pixel(5, 5), qRgb(0, 255, 0)) << "a JPEG is not a bitmap glyph";
  EXPECT_EQ(messages.last(), window->message(orba::dispatch::ErrorMessage::PictureNotLoaded));
}

TEST_F(DesktopWorkspaceTest, UseStandardDesktopReplacesTheStoredOneAtClose) {
  storeRows("ANNE", {{DesktopRow::Icon, 40, iconRow("ClientBtn", 1)}});
  loginAs("ANNE", /*standardDesktop=*/true);
  EXPECT_EQ(window->icons().icons().size(), 6u) << "the stored desktop is not read: the standard icons";
  EXPECT_EQ(icon("ClientBtn")->caption(), "Clients") << "not the stored icon";
  EXPECT_TRUE(window->desktopChanged());
  EXPECT_FALSE(menu->find("Payroll1")->isVisible()) << "the menus are set up all the same";
  quit();
  const QList<StoredRow> rows = storedRowsOf("ANNE");
  EXPECT_EQ(countKind(rows, DesktopRow::Icon), 6);
  EXPECT_EQ(countKind(rows, DesktopRow::Panel), 6);
}

TEST_F(DesktopWorkspaceTest, ASecondUserWithoutRowsKeepsTheFirstUsersDesktopAndSavesItAsTheirs) {
  storeRows("ANNE", {{DesktopRow::Icon, 40, iconRow("ClientBtn", 1)}});
  loginAs("ANNE");
  ASSERT_NE(icon("ClientBtn"), nullptr);
  const QList<StoredRow> anne = storedRowsOf("ANNE");
  // Bob logs in within the same run.
  ASSERT_TRUE(window->context().UserDataModule->User_table->findKey({"BOB"}));
  window->Set_Desktop();
  EXPECT_NE(icon("ClientBtn"), nullptr) << "Bob has no rows: nothing replaces Anne's icons";
  window->panels().toggle(PanelId::ThingsToDo);
  quit();
  EXPECT_EQ(countKind(storedRowsOf("BOB"), DesktopRow::Icon), 1);
  EXPECT_EQ(storedRowsOf("ANNE").size(), anne.size());
}

TEST_F(DesktopWorkspaceTest, ADamagedRowIsReportedOnceAndTheRestIsRestored) {
  QByteArray cut = iconRow("ar01S", 1);
  cut.chop(7);
  QByteArray flipped = iconRow("gl03S", 1);
  flipped.replace("Caption", "Caprice");
  TListPanel open("ClientList");
  open.tag = 1;
  open.setGeometry(50, 60, 505, 233);
  const std::string openRow = orba::stream::writeComponentStream(orba::desktop::writeComponent(open));
  storeRows("ANNE", {{DesktopRow::Icon, 40, cut},
                     {DesktopRow::Panel, 0, QByteArray::fromStdString(openRow)},
                     {DesktopRow::Icon, 41, iconRow("ClientBtn", 1)},
                     {DesktopRow::Icon, 42, flipped},
                     {DesktopRow::Icon, 43, iconRow("ClientBtn", 1)}});
  loginAs("ANNE");
  ASSERT_EQ(messages.size(), 1) << messages.join("\n").toStdString();
  const QStringList lines = messages.first().split('\n');
  ASSERT_EQ(lines.size(), 4);
  EXPECT_TRUE(lines[0].contains("ANNE"));
  EXPECT_TRUE(lines[1].startsWith("kind 1, index 40: ")) << lines[1].toStdString();
  EXPECT_TRUE(lines[2].contains("Caprice")) << lines[2].toStdString();
  EXPECT_TRUE(lines[3].contains("ClientBtn")) << "a second icon of the same name: " << lines[3].toStdString();
  EXPECT_FALSE(panel(PanelId::Client)->isHidden());
  EXPECT_EQ(panel(PanelId::Client)->pos(), QPoint(50, 60));
  EXPECT_NE(icon("ClientBtn"), nullptr);
  EXPECT_EQ(window->icons().icons().size(), 1u);
  // What follows the restore ran.
  EXPECT_FALSE(menu->find("Payroll1")->isVisible());
  EXPECT_EQ(icon("ClientBtn")->popUpMenu(), window->findChild<QMenu*>("PopupMenuShown"));
  EXPECT_TRUE(catalogue()->allows("gl03"));
}

TEST_F(DesktopWorkspaceTest, AFailureAtAnyWriteOfASaveLeavesTheOldRowsOrTheNewOnes) {
  storeRows("ANNE", {{DesktopRow::Icon, 40, iconRow("ClientBtn", 1)}});
  storeRows("BOB", {{DesktopRow::Icon, 40, iconRow("ToDoListBtn", 1)}});
  loginAs("ANNE");
  answers.push_back(chooseOption("gl03"));
  window->Shortcut1Click();
  window->panels().toggle(PanelId::Client);
  auto streams = [this](const QString& user) {
    QList<QByteArray> out;
    for (const StoredRow& r : storedRowsOf(user)) out << r.stream;
    return out;
  };
  const QList<QByteArray> before = streams("ANNE");
  const QList<QByteArray> bob = streams("BOB");

  FailingEnv env;
  orba::data::Table::setEnv(&env);
  int failures = 0;
  for (int n = 1;; ++n) {
    env.fail_at(n);
    messages.clear();
    window->Save_Desktop();
    if (!env.failed()) {
      EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
      break;
    }
    ++failures;
    env.fail_at(0);
    const QList<QByteArray> now = streams("ANNE");
    const bool old = now == before;
    EXPECT_TRUE(old || now.size() == 15) << "operation " << n << ": " << now.size() << " rows";
    // After the change is stored, what could not be completed is a note,
    // never a failure.
    const QString failure = window->message(orba::dispatch::ErrorMessage::DesktopNotSaved).arg("");
    const bool reportedFailed = std::any_of(messages.begin(), messages.end(),
                                            [&](const QString& m) { return m.startsWith(failure); });
    if (reportedFailed) {
      EXPECT_TRUE(old) << "a save reported as failed stored nothing (operation " << n << ")";
    }
    if (!old) {
      EXPECT_FALSE(reportedFailed) << "operation " << n;
    }
    EXPECT_EQ(streams("BOB"), bob) << "another user's rows are never touched";
    // Start the next round from the old rows.
    if (!old) {
      orba::data::Table::setEnv(nullptr);
      storeRows("ANNE", {{DesktopRow::Icon, 40, iconRow("ClientBtn", 1)}});
      orba::data::Table::setEnv(&env);
    }
  }
  orba::data::Table::setEnv(nullptr);
  EXPECT_GE(failures, 5);
  EXPECT_EQ(countKind(storedRowsOf("ANNE"), DesktopRow::Icon), 2);
}

TEST_F(DesktopWorkspaceTest, APanelOpensOnlyForAUserWhoMayRunItsListOption) {
  storeRows("BOB", {{DesktopRow::Icon, 40, iconRow("gl03S", 1)}});
  loginAs("BOB");
  window->panels().toggle(PanelId::Client);
  EXPECT_TRUE(panel(PanelId::Client)->isHidden()) << "Bob may not run ar04";
  EXPECT_FALSE(window->desktopChanged()) << "and nothing else happens";
  // A code that merely contains the panel's is not the panel's.
  catalogue()->append("Clients, extended", "ar041");
  window->panels().toggle(PanelId::Client);
  EXPECT_TRUE(panel(PanelId::Client)->isHidden());
  catalogue()->append("Clients", "ar04");
  window->panels().toggle(PanelId::Client);
  EXPECT_FALSE(panel(PanelId::Client)->isHidden());
  // The to-do panel needs no right.
  window->panels().toggle(PanelId::ThingsToDo);
  EXPECT_FALSE(panel(PanelId::ThingsToDo)->isHidden());
}

TEST_F(DesktopWorkspaceTest, AMissingCompanyTableLeavesThePanelClosedAndSaysWhy) {
  loginAs("ANNE");
  window->panels().toggle(PanelId::Supplier);  // the company has no supplier table
  EXPECT_TRUE(panel(PanelId::Supplier)->isHidden());
  EXPECT_EQ(panel(PanelId::Supplier)->tag, 0) << "stored closed, not open";
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages.first().contains("sup", Qt::CaseInsensitive)) << messages.first().toStdString();
}

TEST_F(DesktopWorkspaceTest, PanelsAreDraggedWithinTheDesktopOnlyAndByTheLeftButton) {
  loginAs("ANNE");
  window->resize(750, 520);
  window->show();
  window->panels().toggle(PanelId::ThingsToDo);
  TListPanel* toDo = panel(PanelId::ThingsToDo);
  const QPoint start = toDo->pos();
  auto drag = [&](Qt::MouseButton button, QPoint by) {
    const QPoint grab(100, 5);
    QMouseEvent press(QEvent::MouseButtonPress, grab, toDo->mapToGlobal(grab), button, button, {});
    QApplication::sendEvent(toDo, &press);
    // The panel moves under the pointer: each step is seen from where it now is.
    QPoint to = grab + by;
    QMouseEvent move(QEvent::MouseMove, to, toDo->mapToGlobal(to), Qt::NoButton, button, {});
    QApplication::sendEvent(toDo, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, grab, toDo->mapToGlobal(grab), button, Qt::NoButton, {});
    QApplication::sendEvent(toDo, &release);
  };
  drag(Qt::RightButton, {30, 20});
  EXPECT_EQ(toDo->pos(), start) << "the right button does not drag";
  drag(Qt::LeftButton, {-30, 20});
  EXPECT_EQ(toDo->pos(), start + QPoint(-30, 20));
  EXPECT_TRUE(window->desktopChanged());
  // A step past the edge is refused whole: the panel stops short of it.
  const QPoint before = toDo->pos();
  drag(Qt::LeftButton, {-before.x() - 1, 0});
  EXPECT_EQ(toDo->pos(), before);
  drag(Qt::LeftButton, {-before.x(), 0});
  EXPECT_EQ(toDo->x(), 0);
  // Wider than the desktop, a panel cannot be dragged at all.
  toDo->resize(window->Wallpaper1->width() + 10, 100);
  drag(Qt::LeftButton, {0, 5});
  EXPECT_EQ(toDo->x(), 0);
  EXPECT_FALSE(window->panels().dragging()) << "the release ended the drag";
}

TEST_F(DesktopWorkspaceTest, TitleButtonsStepTheSizeAndTheEmployeeButtonsStepOnTheDoubleClickToo) {
  loginAs("ANNE");
  auto doubleClick = [](QToolButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseDClick(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
  };
  TListPanel* clients = panel(PanelId::Client);
  TListPanel* employees = panel(PanelId::Employee);
  clients->show();
  employees->show();
  doubleClick(clients->enlargeButton());
  doubleClick(employees->enlargeButton());
  EXPECT_EQ(clients->size(), QSize(666, 363)) << "two steps from 505 x 233";
  EXPECT_EQ(employees->size(), QSize(765, 453)) << "three steps";
  EXPECT_EQ(clients->closeButton()->x(), 666 - 23);
  doubleClick(employees->reduceButton());
  EXPECT_EQ(employees->size(), QSize(502, 231));
  // The to-do menu's steps leave the title row where it was.
  TListPanel* toDo = panel(PanelId::ThingsToDo);
  window->panels().toggle(PanelId::ThingsToDo);
  const int closeAt = toDo->closeButton()->x();
  const int textHeight = window->panels().toDoText()->height();
  window->panels().toDoPopup()->find("Enlarge2")->click();
  EXPECT_EQ(toDo->size(), QSize(359, 194));
  EXPECT_EQ(toDo->closeButton()->x(), closeAt);
  EXPECT_EQ(window->panels().toDoText()->height(), textHeight);
}

TEST_F(DesktopWorkspaceTest, TheInsertKeyInAListRunsItsOptionAndShowsTheNewRecord) {
  installModules({"ar01"});
  loginAs("ANNE");
  window->resize(750, 520);
  window->show();
  window->panels().toggle(PanelId::Client);
  orba::desktop::TTamberlyDBGrid* grid = window->panels().grid(0);
  ASSERT_EQ(grid->model()->rowCount(), 2);
  // What the module does: a client added from elsewhere.
  install->addClients(1, {{"C003", "Rénovations Lefebvre"}});
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  grid->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), grid);
  // The key goes where the user's keys go (the focus); the window sees it
  // first but leaves it to the list.
  QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Insert);
  EXPECT_EQ(calledLibraries(), QStringList{"ar01"});
  EXPECT_EQ(grid->model()->rowCount(), 3);
  // Other keys move in the list and run nothing.
  QTest::keyClick(grid, Qt::Key_Down);
  EXPECT_EQ(calledLibraries().size(), 1);
  // F5 reads the list again, on the record it was on.
  install->addClients(1, {{"C000", "Atelier Bouchard"}});
  const QString onRecord = grid->model()->index(grid->currentIndex().row(), 0).data().toString();
  QTest::keyClick(grid, Qt::Key_F5);
  EXPECT_EQ(grid->model()->rowCount(), 4);
  EXPECT_EQ(grid->model()->index(grid->currentIndex().row(), 0).data().toString(), onRecord);
  EXPECT_EQ(calledLibraries().size(), 1);
  // The to-do text takes letters as text, even the menus' accelerators.
  window->panels().toggle(PanelId::ThingsToDo);
  window->panels().toDoText()->setFocus();
  QTest::keyClicks(window->panels().toDoText(), "Quit");
  EXPECT_EQ(window->panels().toDoText()->toPlainText(), "Quit");
  EXPECT_FALSE(window->isHidden());
}

TEST_F(DesktopWorkspaceTest, MovingThePointerOverAMovableIconMarksTheDesktopChanged) {
  storeRows("ANNE", {{DesktopRow::Icon, 40, iconRow("ClientBtn", 1)}});
  loginAs("ANNE");
  ASSERT_FALSE(window->desktopChanged());
  TTransparentButton* clients = icon("ClientBtn");
  ASSERT_NE(clients, nullptr);
  clients->setMovable(false);
  QMouseEvent still(QEvent::MouseMove, QPointF(5, 5), clients->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                    Qt::NoButton, {});
  QApplication::sendEvent(clients, &still);
  EXPECT_FALSE(window->desktopChanged());
  clients->setMovable(true);
  QApplication::sendEvent(clients, &still);
  EXPECT_TRUE(window->desktopChanged());
}

// Desktop.db as a real installation has it, with a single-field index on
// Desktop_user: desktops saved and restored through it, after which the
// index is current and each user's rows are found through it, all of them
// and no one else's. As lookups through the index add up to every row of
// the table, every entry of the index matches a row.
TEST_F(DesktopWorkspaceTest, TheDesktopTablesUserIndexStaysCurrentThroughSavesAndRestores) {
  const std::string desktop = (install->dataDir() + "/Desktop.db").toStdString();
  storeRows("BOB", {{DesktopRow::Icon, 40, iconRow("ClientBtn", 1)}});
  ASSERT_TRUE(orba::pdx::CreateSecondaryIndex(desktop, "Desktop_user").ok());
  ASSERT_TRUE(QFile::exists(install->dataDir() + "/Desktop.x01"));

  loginAs("ANNE");
  window->panels().toggle(PanelId::Client);
  panel(PanelId::Client)->move(30, 20);
  quit();
  loginAs("ANNE");
  EXPECT_FALSE(panel(PanelId::Client)->isHidden());
  EXPECT_EQ(panel(PanelId::Client)->pos(), QPoint(30, 20));
  window->panels().toggle(PanelId::ThingsToDo);
  window->panels().toDoText()->setPlainText("Call Gagnon");
  quit();
  loginAs("BOB");
  EXPECT_NE(icon("ClientBtn"), nullptr) << "the rows stored before the index came back";
  window->panels().toggle(PanelId::ThingsToDo);
  quit();
  loginAs("ANNE");
  EXPECT_FALSE(panel(PanelId::ThingsToDo)->isHidden());
  EXPECT_EQ(window->panels().toDoText()->toPlainText(), "Call Gagnon");
  quit();

  std::unique_ptr<orba::pdx::Table> t;
  ASSERT_TRUE(orba::pdx::Table::Open(desktop, {}, &t).ok());
  ASSERT_EQ(t->secondary_indexes().size(), 1u);
  EXPECT_TRUE(t->secondary_indexes()[0].status.ok()) << t->secondary_indexes()[0].status.ToString();
  const int user = t->FieldIndex("Desktop_user");
  ASSERT_GE(user, 0);
  size_t listed = 0;
  for (const char* code : {"ANNE", "BOB", "CAROL"}) {
    std::vector<uint32_t> found, scanned;
    bool used = false;
    ASSERT_TRUE(t->FindEqual(0, {orba::pdx::Value::Text(code)}, &found, &used).ok());
    EXPECT_TRUE(used) << code;
    for (uint32_t i = 0; i < t->record_count(); ++i) {
      orba::pdx::Record r;
      ASSERT_TRUE(t->ReadRecord(i, &r).ok());
      if (r[static_cast<size_t>(user)].text() == code) scanned.push_back(i);
    }
    EXPECT_EQ(found, scanned) << code;
    EXPECT_EQ(found.size(), static_cast<size_t>(storedRowsOf(code).size())) << code;
    listed += found.size();
  }
  EXPECT_GT(storedRowsOf("ANNE").size(), 10);
  EXPECT_GT(storedRowsOf("BOB").size(), 10);
  EXPECT_EQ(listed, t->record_count()) << "the two users' rows are the whole table";
}

// "Print the list" with no printer set up says so, in the user's language.
TEST_F(DesktopWorkspaceTest, PrintingTheToDoListWithoutAPrinterSaysSo) {
  loginAs("ANNE");
  orba::printers::PrinterCatalog::setInstance(
      std::make_unique<orba::printers::FixedPrinterCatalog>(QStringList{}, 0));
  messages.clear();
  window->panels().toDoPopup()->find("PrintThingsToDo")->click();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("No printer is set up")) << messages[0].toStdString();
}
