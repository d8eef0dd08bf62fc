// modules/example, built outside the project against the installed header,
// run through the real desktop: installed under two option codes, chosen
// from the menu, its window read and closed the way a user would, and the
// library gone from the process afterwards.

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include "DesktopFixture.h"
#include "LoadedModule.h"
#include "ModalScript.h"

namespace {

// What the module's window showed, read while it is open.
struct Shown {
  bool found = false;
  QString title, option, user, company, folder, tables, close;
  bool libraryMapped = false;  // the option's library is in the process
};

// Reads the module's window while it is open and presses its button.
void read(QWidget* modal, const QString& library, Shown& shown) {
  const auto label = [modal](const char* name) {
    auto* l = modal->findChild<QLabel*>(name);
    return l ? l->text() : QString("<no %1>").arg(name);
  };
  shown.found = true;
  shown.libraryMapped = LoadedModule::mapped(library);
  shown.title = modal->windowTitle();
  shown.option = label("OptionLabel");
  shown.user = label("UserLabel");
  shown.company = label("CompanyLabel");
  shown.folder = label("FolderLabel");
  shown.tables = label("TablesLabel");
  auto* close = modal->findChild<QPushButton*>("CloseButton");
  shown.close = close ? close->text() : QString();
  if (close)
    QTest::mouseClick(close, Qt::LeftButton);
  else
    modal->close();
}

class ExampleModuleTest : public DesktopFixture {
 protected:
  void SetUp() override {
    DesktopFixture::SetUp();
    ASSERT_TRUE(QFile::exists(EXAMPLE_MODULE)) << "built by the test example_module_builds";
    installModules({"gl03", "ar05"}, EXAMPLE_MODULE);
    standardData();
    install->addClients(1, {{"C1", "Client un"}});
    install->addUser("ADMIN", "ADMIN", "Marie-Ève Tremblay", 2, 1, {"*"});
    start();
    ASSERT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  }
  // Runs the option; its window, when one comes, is read and closed.
  Shown run(const QString& option) {
    Shown shown;
    const QString library = programDir() + "/" + option + ".so";
    ModalScript script;
    script.then("ExampleModule", [&](QWidget* modal) { read(modal, library, shown); });
    script.start();
    window->RunOption(option);
    return shown;
  }
};

}  // namespace

TEST_F(ExampleModuleTest, OneLibraryServesTwoOptionsAndSeesTheCompany) {
  const int tables =
      QDir(install->companyDir(1)).entryList(QStringList{"*.db"}, QDir::Files).size();  // any letter case
  ASSERT_GE(tables, 2) << "ctrl.DB and cli.DB at least";

  const Shown gl03 = run("gl03");
  ASSERT_TRUE(gl03.found);
  EXPECT_EQ(gl03.option, "Option gl03");
  EXPECT_EQ(gl03.user, "Marie-Ève Tremblay");
  EXPECT_EQ(gl03.company, "Les Entreprises Tremblay Ltée (1)");
  EXPECT_EQ(gl03.folder, install->companyDir(1));
  EXPECT_EQ(gl03.tables, QString::number(tables));
  EXPECT_EQ(gl03.close, "Fermer") << "the user works in French";
  EXPECT_EQ(gl03.title, "Castellan/Orba");

  const Shown ar05 = run("ar05");
  ASSERT_TRUE(ar05.found);
  EXPECT_EQ(ar05.option, "Option ar05");
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
}

TEST_F(ExampleModuleTest, NothingOfTheLibraryOutlivesTheCall) {
  const Shown shown = run("gl03");
  ASSERT_TRUE(shown.found);
  EXPECT_TRUE(shown.libraryMapped) << "seen in the process while its window is open";
  QApplication::processEvents();
  for (QWidget* w : QApplication::topLevelWidgets())
    EXPECT_NE(w->objectName(), "ExampleModule") << "the module's window is gone";
  EXPECT_FALSE(LoadedModule::mapped(programDir() + "/gl03.so")) << "the desktop unloaded the library";
  // And it loads again as if for the first time.
  EXPECT_TRUE(run("gl03").found);
  EXPECT_FALSE(LoadedModule::mapped(programDir() + "/gl03.so"));
}

TEST_F(ExampleModuleTest, WithoutItsCompanyFolderTheModuleRefuses) {
  ASSERT_TRUE(QDir(install->companyDir(1)).removeRecursively());
  const Shown shown = run("gl03");
  EXPECT_FALSE(shown.found) << "no window when it refuses";
  EXPECT_EQ(messages, QStringList{"Accès refusé..."}) << "in the user's language";
}
