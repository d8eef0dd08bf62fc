// modules/example, built outside the project against the installed header,
// run through the real desktop: installed under two option codes, chosen
// from the menu, its window read and closed the way a user would, and the
// library gone from the process afterwards.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "DesktopFixture.h"

namespace {

// What the module's window showed, read while it is open.
struct Shown {
  bool found = false;
  QString title, option, user, company, folder, tables, close;
  bool libraryMapped = false;  // the option's library is in the process
};

bool mapped(const QString& path) {
  QFile maps("/proc/self/maps");
  return maps.open(QIODevice::ReadOnly) && QString::fromUtf8(maps.readAll()).contains(path);
}

// Waits for the module's modal window, reads it and presses its button, from
// inside the module's own event loop.
class ModalReader {
 public:
  explicit ModalReader(QString library) : library_(std::move(library)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start();
  }
  const Shown& shown() const { return shown_; }

 private:
  void poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal->objectName() != "ExampleModule") return;
    timer_.stop();
    const auto label = [modal](const char* name) {
      auto* l = modal->findChild<QLabel*>(name);
      return l ? l->text() : QString("<no %1>").arg(name);
    };
    shown_.found = true;
    shown_.libraryMapped = mapped(library_);
    shown_.title = modal->windowTitle();
    shown_.option = label("OptionLabel");
    shown_.user = label("UserLabel");
    shown_.company = label("CompanyLabel");
    shown_.folder = label("FolderLabel");
    shown_.tables = label("TablesLabel");
    auto* close = modal->findChild<QPushButton*>("CloseButton");
    shown_.close = close ? close->text() : QString();
    if (close)
      QTest::mouseClick(close, Qt::LeftButton);
    else
      modal->close();
  }
  QString library_;
  QTimer timer_;
  Shown shown_;
};

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
  Shown run(const QString& option) {
    ModalReader reader(programDir() + "/" + option + ".so");
    window->RunOption(option);
    return reader.shown();
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
  EXPECT_FALSE(mapped(programDir() + "/gl03.so")) << "the desktop unloaded the library";
  // And it loads again as if for the first time.
  EXPECT_TRUE(run("gl03").found);
  EXPECT_FALSE(mapped(programDir() + "/gl03.so"));
}

TEST_F(ExampleModuleTest, WithoutItsCompanyFolderTheModuleRefuses) {
  ASSERT_TRUE(QDir(install->companyDir(1)).removeRecursively());
  const Shown shown = run("gl03");
  EXPECT_FALSE(shown.found) << "no window when it refuses";
  EXPECT_EQ(messages, QStringList{"Accès refusé..."}) << "in the user's language";
}
