// What the desktop says of a module's run comes from the language tables,
// in the user's language.

#include "DesktopFixture.h"

namespace {

class ModuleMessagesTest : public DesktopFixture {
 protected:
  void loginAs(int language) {
    standardData();
    install->addUser("ADMIN", "ADMIN", "Marie-Ève Tremblay", language, 1, {"*"});
    start();
    ASSERT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  }
};

}  // namespace

TEST_F(ModuleMessagesTest, ARefusalInFrenchAndInEnglish) {
  installModules({"gl03"});
  qputenv("ORBA_TEST_MODULE_RESULT", "0");
  loginAs(2);
  window->RunOption("gl03");
  orba::controls::MenuItem* english = menu->find("MenuItemen");
  ASSERT_NE(english, nullptr);
  english->click();
  window->RunOption("gl03");
  qunsetenv("ORBA_TEST_MODULE_RESULT");
  EXPECT_EQ(messages, (QStringList{"Accès refusé...", "Access denied..."}));
}

TEST_F(ModuleMessagesTest, AModuleThatThrowsSomethingElseIsNamed) {
  installModules({"gl03"}, THROWING_MODULE);
  installModules({"gl04"});
  loginAs(2);
  window->RunOption("gl03");
  EXPECT_EQ(messages, QStringList{"Le module gl03 a échoué."});
  window->RunOption("gl04");
  EXPECT_EQ(calledLibraries(), QStringList{"gl04"}) << "the desktop goes on";
}
