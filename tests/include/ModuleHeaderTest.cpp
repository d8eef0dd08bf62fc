// Module libraries written against castellan/linku.h alone, one in C99 and
// one in C++, both built with every warning an error, loaded by the
// desktop's own loader from a program folder and called with the desktop's
// own link record: what each saw is what the desktop put in.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "LinkRecord.h"
#include "LoadedModule.h"
#include "ModuleLoader.h"

using orba::dispatch::LibraryModuleLoader;
using orba::dispatch::LinkRecord;
using Field = LinkRecord::Field;

namespace {

// Installs a fixture under an option name and holds it open, so that what
// it kept can be read after the desktop's loader has let it go.
class Installed {
 public:
  Installed(const QTemporaryDir& programDir, const char* library, const QString& option)
      : copied_(QFile::copy(library, programDir.filePath(option + ".so"))),
        module_(programDir.filePath(option + ".so")) {
    EXPECT_TRUE(copied_);
  }

  QString lastCall() const {
    auto fn = module_.function<const char* (*)()>("OrbaFixtureLastCall");
    return fn ? QString::fromUtf8(fn()) : QStringLiteral("<no OrbaFixtureLastCall>");
  }
  // A symbol the library must keep to itself.
  bool exports(const char* name) const { return module_.exports(name); }

 private:
  bool copied_;
  LoadedModule module_;
};

class ModuleHeaderTest : public ::testing::Test {
 protected:
  QTemporaryDir programDir;
  LinkRecord link;
  LibraryModuleLoader loader;

  void SetUp() override {
    ASSERT_TRUE(programDir.isValid());
    link.set(Field::LoginName, "Marie-Ève Tremblay");
    link.set(Field::UserName, "Marie-Ève Tremblay");
    link.set(Field::CompanyNumber, "12");
    link.set(Field::CompanyName, "Les Entreprises Tremblay Ltée");
    link.set(Field::PrinterIndex, "1");
    link.set(Field::Customer, "Démo");
    link.set(Field::ProgramDir, programDir.path());
    link.set(Field::DataDir, "/var/opt/castellan/Orba/data");
    link.set(Field::OptionContext, "ap");
    link.setLanguage(2);
    link.setUserDetail(7);
    link.setReservedFlag(true);
  }
};

}  // namespace

TEST_F(ModuleHeaderTest, ACModuleReadsTheRecordAsTheDesktopWroteIt) {
  Installed module(programDir, C_ENTRY_MODULE, "gl03");
  auto loaded = loader.load(programDir.path(), "gl03");
  ASSERT_TRUE(loaded.module) << loaded.errorText.toStdString();
  EXPECT_EQ(loaded.module->call(link.section()), 1);
  loaded.module.reset();

  // Lengths are bytes of UTF-8: "Marie-Ève Tremblay" is 18 characters, 19 bytes.
  EXPECT_EQ(module.lastCall(),
            "LoginName=Marie-Ève Tremblay(19)\n"
            "UserName=Marie-Ève Tremblay(19)\n"
            "CompanyNumber=12(2)\n"
            "CompanyName=Les Entreprises Tremblay Ltée(30)\n"
            "PrinterIndex=1(1)\n"
            "Customer=Démo(5)\n"
            "ProgramDir=" +
                programDir.path() + QString("(%1)\n").arg(programDir.path().toUtf8().size()) +
                "DataDir=/var/opt/castellan/Orba/data(28)\n"
                "OptionContext=ap(2)\n"
                "Language=2 fr\n"
                "ReservedFlag=1\n"
                "UserDetail=7\n");
  EXPECT_FALSE(module.exports("field")) << "only what ORBA_MODULE_EXPORT marks leaves the library";
}

TEST_F(ModuleHeaderTest, EmptyStringsAreNullAndTheModuleMayRefuse) {
  Installed module(programDir, C_ENTRY_MODULE, "gl03");
  link.set(Field::CompanyNumber, QString());
  link.set(Field::OptionContext, QString());
  link.setLanguage(1);
  auto loaded = loader.load(programDir.path(), "gl03");
  ASSERT_TRUE(loaded.module);
  EXPECT_EQ(loaded.module->call(link.section()), 0);
  loaded.module.reset();
  const QString seen = module.lastCall();
  EXPECT_TRUE(seen.contains("\nCompanyNumber=(0)\n")) << seen.toStdString();
  EXPECT_TRUE(seen.contains("\nOptionContext=(0)\n")) << seen.toStdString();
  EXPECT_TRUE(seen.contains("\nLanguage=1 en\n")) << seen.toStdString();
}

TEST_F(ModuleHeaderTest, ACxxToolsModuleReceivesTheCatalogue) {
  Installed module(programDir, CXX_CATALOGUE_MODULE, "mtools");
  auto loaded = loader.load(programDir.path(), "mtools");
  ASSERT_TRUE(loaded.module) << loaded.errorText.toStdString();
  EXPECT_EQ(loaded.module->callWithCatalogue(link.section(),
                                             {"Saisie des transactions - Grand livre", "Paie"}, {"gl03", ""}),
            3);
  loaded.module.reset();
  EXPECT_EQ(module.lastCall(), "Marie-Ève Tremblay\ngl03=Saisie des transactions - Grand livre\n=Paie\n");
}
