// The Insert key of a desktop list with the list maintenance library
// installed as the list's option: the module opens the form of a new
// record (the desktop tells it so in OptionContext), the user fills it in,
// and the list shows the new record when the module returns.

#include <QLineEdit>
#include <QPushButton>

#include "DBGrid.h"
#include "DesktopFixture.h"
#include "DesktopPanels.h"
#include "ModalScript.h"

using orba::shell::PanelId;

class ListModulesTest : public DesktopFixture {
 protected:
  void SetUp() override {
    DesktopFixture::SetUp();
    standardData();
    install->addUser("ANNE", "ANNE", "Anne", 1, 1, {"ar01", "ar04"});
    install->addClients(1, {{"C001", "Pharmacie Gagnon"}, {"C002", "Mitchell Construction"}});
    // The module reads the same settings as the desktop.
    qputenv("ORBA_SETTINGS", dir.filePath("orba.ini").toUtf8());
    qputenv("ORBA_USER_SETTINGS", dir.filePath("user.ini").toUtf8());
  }
  void TearDown() override {
    if (window) window->close();
    app.reset();
    qunsetenv("ORBA_SETTINGS");
    qunsetenv("ORBA_USER_SETTINGS");
    DesktopFixture::TearDown();
  }

  void loginAsAnne() {
    answers.push_back([](QDialog& dialog) {
      auto* login = qobject_cast<orba::shell::TPasswordDlg*>(&dialog);
      EXPECT_NE(login, nullptr);
      if (login) QTest::keyClicks(login->Password, "ANNE");
      return static_cast<int>(login ? QDialog::Accepted : QDialog::Rejected);
    });
    start();
    window->resize(750, 520);
    window->show();
    window->panels().toggle(PanelId::Client);
  }

  // Presses Insert where the user's keys go: in the client list.
  void pressInsertInTheClientList() {
    orba::desktop::TTamberlyDBGrid* grid = window->panels().grid(0);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    grid->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), grid);
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Insert);
  }

  QStringList gridCodes() const {
    QAbstractItemModel* model = window->panels().grid(0)->model();
    QStringList codes;
    for (int r = 0; r < model->rowCount(); ++r) codes << model->index(r, 0).data().toString();
    return codes;
  }
};

TEST_F(ListModulesTest, TheInsertKeyAddsAClientThroughTheNewRecordFormAndTheListShowsIt) {
  installModules({"ar01"}, LISTS_LIBRARY);
  loginAsAnne();
  ASSERT_EQ(gridCodes(), QStringList({"C001", "C002"}));

  ModalScript script;
  script.then("ClientForm", [](QWidget* form) {
    // Straight to a new record: the code is empty and can be typed.
    auto* code = form->findChild<QLineEdit*>("edtCli_code");
    ASSERT_NE(code, nullptr);
    EXPECT_TRUE(code->text().isEmpty());
    QTest::keyClicks(code, "C001");
    QTest::keyClicks(form->findChild<QLineEdit*>("edtCli_name"), "Renovations Lefebvre");
    form->findChild<QPushButton*>("btnOK")->click();
    // A code the company has already: the form stays, saying why.
    EXPECT_TRUE(form->isVisible());
    code->clear();
    QTest::keyClicks(code, "C003");
    form->findChild<QPushButton*>("btnOK")->click();
  });
  script.start();
  pressInsertInTheClientList();
  EXPECT_TRUE(script.finished());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(gridCodes(), QStringList({"C001", "C002", "C003"}));
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
  EXPECT_FALSE(window->isHidden());
}

TEST_F(ListModulesTest, OnlyTheInsertKeyTellsTheModuleToAddARecord) {
  installModules({"ar01"});
  loginAsAnne();
  pressInsertInTheClientList();
  window->RunOption("ar01");
  window->RunOption("ar01S");  // a shortcut icon
  const auto made = calls();
  ASSERT_EQ(made.size(), 3);
  EXPECT_EQ(made[0].value("OptionContext"), "new");
  EXPECT_EQ(made[1].value("OptionContext"), "");
  EXPECT_EQ(made[2].value("OptionContext"), "");
  EXPECT_EQ(link().get(orba::dispatch::LinkRecord::Field::OptionContext), "");
}
