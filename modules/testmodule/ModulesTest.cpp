// Loads the module libraries the way the desktop does (by absolute path
// through the program's loader, ShowDllForm called with the desktop's own
// record by value, unloaded) and checks what they received and answered.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "LinkRecord.h"
#include "LoadedModule.h"

namespace {

using orba::dispatch::LinkRecord;
using Field = LinkRecord::Field;

using Block = std::vector<std::pair<std::string, std::string>>;

std::vector<Block> readLog(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  std::vector<Block> blocks(1);
  for (const QByteArray& raw : file.readAll().split('\n')) {
    const std::string line = raw.toStdString();
    if (line.empty()) continue;
    if (line == "end") {
      blocks.back().emplace_back("end", "");
      blocks.emplace_back();
      continue;
    }
    const auto eq = line.find('=');
    blocks.back().emplace_back(line.substr(0, eq), eq == std::string::npos ? "" : line.substr(eq + 1));
  }
  blocks.pop_back();  // the unterminated tail, empty unless a block was cut short
  return blocks;
}

std::string value(const Block& block, const std::string& key) {
  for (const auto& [k, v] : block)
    if (k == key) return v;
  return "<missing " + key + ">";
}

std::vector<std::string> keys(const Block& block) {
  std::vector<std::string> out;
  for (const auto& kv : block) out.push_back(kv.first);
  return out;
}

const std::vector<std::string> kRecordKeys = {
    "call",      "LoginName",    "UserName",      "Reserved1",    "CompanyNumber", "CompanyName",
    "Language",  "LanguageCode", "PrinterIndex",  "Reserved2",    "Customer",      "ProgramDir",
    "DataDir",   "Reserved3",    "Reserved4",     "ReservedFlag", "Reserved5",     "Reserved6",
    "Reserved7", "UserDetail",   "OptionContext", "lengths"};

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    logPath = dir.filePath(QStringLiteral("calls.log"));
    setenv("ORBA_TEST_MODULE_LOG", logPath.toLocal8Bit().constData(), 1);
    unsetenv("ORBA_TEST_MODULE_RESULT");
    unsetenv("ORBA_TEST_MODULE_THROW");
    unsetenv("ORBA_SAMPLE_AUTOCLOSE");
  }
  void TearDown() override {
    unsetenv("ORBA_TEST_MODULE_LOG");
    unsetenv("ORBA_TEST_MODULE_RESULT");
    unsetenv("ORBA_TEST_MODULE_THROW");
    unsetenv("ORBA_SAMPLE_AUTOCLOSE");
  }

  // Every field the desktop can set.
  void fill(LinkRecord& link) {
    link.set(Field::LoginName, "mlavoie");
    link.set(Field::UserName, "Marie Lavoie");
    link.set(Field::Reserved1, "r1");
    link.set(Field::CompanyNumber, "7");
    link.set(Field::CompanyName, "Société Gérard Ltée");
    link.setLanguage(2);
    link.set(Field::PrinterIndex, "3");
    link.set(Field::Customer, "Line one\nline two");
    link.set(Field::ProgramDir, "/opt/orba/");
    link.set(Field::DataDir, "/var/lib/orba/data/");
    link.set(Field::Reserved4, "r4");
    link.setReservedFlag(true);
    link.set(Field::Reserved5, "r5");
    link.setUserDetail(42);
    link.set(Field::OptionContext, "GL");
  }

  QTemporaryDir dir;
  QString logPath;
};

TEST_F(ModuleTest, OneArgumentModuleLogsEveryFieldAndReturnsWhatItIsTold) {
  LoadedModule lib(TESTMODULE);
  LinkRecord link;
  fill(link);
  EXPECT_EQ(lib.call(link.section()), 1);
  setenv("ORBA_TEST_MODULE_RESULT", "0", 1);
  EXPECT_EQ(lib.call(TLinkSection{}), 0);
  setenv("ORBA_TEST_MODULE_RESULT", "-12", 1);
  EXPECT_EQ(lib.call(link.section()), -12);

  const auto log = readLog(logPath);
  ASSERT_EQ(log.size(), 3u);
  auto expectedKeys = kRecordKeys;
  expectedKeys.push_back("end");
  EXPECT_EQ(keys(log[0]), expectedKeys);

  const Block& b = log[0];
  EXPECT_EQ(value(b, "call"), "testmodule");
  EXPECT_EQ(value(b, "LoginName"), "mlavoie");
  EXPECT_EQ(value(b, "UserName"), "Marie Lavoie");
  EXPECT_EQ(value(b, "Reserved1"), "r1");
  EXPECT_EQ(value(b, "CompanyNumber"), "7");
  EXPECT_EQ(value(b, "CompanyName"), "Société Gérard Ltée");
  EXPECT_EQ(value(b, "Language"), "2");
  EXPECT_EQ(value(b, "LanguageCode"), "fr");
  EXPECT_EQ(value(b, "PrinterIndex"), "3");
  EXPECT_EQ(value(b, "Reserved2"), "");
  EXPECT_EQ(value(b, "Customer"), "Line one\\nline two");
  EXPECT_EQ(value(b, "ProgramDir"), "/opt/orba/");
  EXPECT_EQ(value(b, "DataDir"), "/var/lib/orba/data/");
  EXPECT_EQ(value(b, "Reserved3"), "");
  EXPECT_EQ(value(b, "Reserved4"), "r4");
  EXPECT_EQ(value(b, "ReservedFlag"), "1");
  EXPECT_EQ(value(b, "Reserved5"), "r5");
  EXPECT_EQ(value(b, "Reserved6"), "0");
  EXPECT_EQ(value(b, "Reserved7"), "0");
  EXPECT_EQ(value(b, "UserDetail"), "42");
  EXPECT_EQ(value(b, "OptionContext"), "GL");
  EXPECT_EQ(value(b, "lengths"), "ok");

  // An all-null record is all empty strings, not a crash.
  EXPECT_EQ(value(log[1], "LoginName"), "");
  EXPECT_EQ(value(log[1], "LanguageCode"), "");
  EXPECT_EQ(value(log[1], "lengths"), "ok");

  lib.unload();
  EXPECT_FALSE(LoadedModule::mapped(TESTMODULE));
}

TEST_F(ModuleTest, ThrowingModuleLogsFirstAndCanStillBeUnloaded) {
  setenv("ORBA_TEST_MODULE_THROW", "1", 1);
  LoadedModule lib(TESTMODULE);
  LinkRecord link;
  fill(link);
  try {
    lib.call(link.section());
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "module failure");
  }
  const auto log = readLog(logPath);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(keys(log[0]).back(), "end");
  lib.unload();
  EXPECT_FALSE(LoadedModule::mapped(TESTMODULE));
}

TEST_F(ModuleTest, ToolsLibraryLogsBothCatalogueLists) {
  const OrbaStringList emptyList{0, nullptr};
  LoadedModule lib(TESTMTOOLS_PATH);
  LinkRecord link;
  fill(link);
  setenv("ORBA_TEST_MODULE_RESULT", "3", 1);
  EXPECT_EQ(lib.call(link.section(), {"General ledger entries", "", "Écritures de caisse"},
                     {"gl03", "ar05", "mcomp"}),
            3);
  auto show = lib.function<OrbaShowDllFormWithCatalogue>("ShowDllForm");
  ASSERT_NE(show, nullptr);
  EXPECT_EQ(show(TLinkSection{}, &emptyList, nullptr), 3);

  const auto log = readLog(logPath);
  ASSERT_EQ(log.size(), 2u);
  auto expectedKeys = kRecordKeys;
  for (const char* k : {"names.count", "names.0", "names.1", "names.2", "codes.count", "codes.0", "codes.1",
                        "codes.2", "end"})
    expectedKeys.push_back(k);
  EXPECT_EQ(keys(log[0]), expectedKeys);
  EXPECT_EQ(value(log[0], "call"), "testmtools");
  EXPECT_EQ(value(log[0], "CompanyName"), "Société Gérard Ltée");
  EXPECT_EQ(value(log[0], "names.count"), "3");
  EXPECT_EQ(value(log[0], "names.0"), "General ledger entries");
  EXPECT_EQ(value(log[0], "names.1"), "");
  EXPECT_EQ(value(log[0], "names.2"), "Écritures de caisse");
  EXPECT_EQ(value(log[0], "codes.count"), "3");
  EXPECT_EQ(value(log[0], "codes.2"), "mcomp");

  EXPECT_EQ(value(log[1], "names.count"), "0");
  EXPECT_EQ(value(log[1], "codes"), "null");
  EXPECT_EQ(keys(log[1]).back(), "end");
}

struct Shown {
  bool found = false;
  bool modal = false;
  QString title, option, context, button;
};

// Runs the sample library installed under `option`.so and reads the window it
// shows while it is up.
int32_t runSample(const QTemporaryDir& dir, const char* option, const TLinkSection& link, Shown& shown) {
  const QString copy = dir.filePath(QString::fromLatin1(option) + QStringLiteral(".so"));
  if (!QFile::exists(copy) && !QFile::copy(QStringLiteral(SAMPLE_PATH), copy)) return -1;
  LoadedModule lib(copy);
  // Owned here, so it cannot fire after the call if no window ever came up.
  QTimer probe;
  probe.setSingleShot(true);
  QObject::connect(&probe, &QTimer::timeout, [&shown] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QDialog*>(w);
      if (!dialog || dialog->objectName() != QLatin1String("SampleModuleDialog") || !dialog->isVisible())
        continue;
      shown.found = true;
      shown.modal = dialog->isModal();
      shown.title = dialog->windowTitle();
      if (auto* l = dialog->findChild<QLabel*>(QStringLiteral("OptionLabel"))) shown.option = l->text();
      if (auto* t = dialog->findChild<QPlainTextEdit*>(QStringLiteral("ContextText")))
        shown.context = t->toPlainText();
      if (auto* b = dialog->findChild<QPushButton*>(QStringLiteral("CloseButton"))) shown.button = b->text();
    }
  });
  probe.start(0);
  const int32_t rc = lib.call(link);
  lib.unload();
  if (LoadedModule::mapped(copy)) ADD_FAILURE() << option << ".so stayed loaded";
  return rc;
}

TEST_F(ModuleTest, SampleNamesItsOptionAndShowsTheRecordInEachLanguage) {
  setenv("ORBA_SAMPLE_AUTOCLOSE", "50", 1);

  LinkRecord english;
  fill(english);
  english.setLanguage(1);
  english.set(Field::CompanyName, "Northwind Traders");
  Shown shown;
  EXPECT_EQ(runSample(dir, "gl03", english.section(), shown), 1);
  ASSERT_TRUE(shown.found);
  EXPECT_TRUE(shown.modal);
  EXPECT_EQ(shown.title, QStringLiteral("Castellan/Orba"));
  EXPECT_TRUE(shown.option.contains(QStringLiteral("gl03"))) << shown.option.toStdString();
  EXPECT_EQ(shown.button, QStringLiteral("OK"));
  for (const char* expected : {"User name: Marie Lavoie", "Login name: mlavoie", "Company number: 7",
                               "Company name: Northwind Traders", "Language: 1 (en)", "Printer index: 3",
                               "Program directory: /opt/orba/", "Data directory: /var/lib/orba/data/",
                               "Option context: GL", "User detail: 42"})
    EXPECT_TRUE(shown.context.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                     << shown.context.toStdString();

  // French, under another name.
  LinkRecord french;
  fill(french);
  french.set(Field::OptionContext, {});
  shown = {};
  EXPECT_EQ(runSample(dir, "ar05", french.section(), shown), 1);
  ASSERT_TRUE(shown.found);
  EXPECT_TRUE(shown.option.contains(QStringLiteral("ar05"))) << shown.option.toStdString();
  EXPECT_EQ(shown.button, QStringLiteral("Fermer"));
  EXPECT_TRUE(shown.context.contains(QString::fromUtf8("Nom de l’entreprise: Société Gérard Ltée")));
  EXPECT_TRUE(shown.context.contains(QStringLiteral("Langue: 2 (fr)")));
  EXPECT_TRUE(shown.context.contains(QString::fromUtf8("Nom de l’utilisateur: Marie Lavoie\n")));
  EXPECT_TRUE(shown.context.contains(QString::fromUtf8("Contexte de l’option: \n")));

  for (QWidget* w : QApplication::topLevelWidgets())
    EXPECT_NE(w->objectName(), QLatin1String("SampleModuleDialog")) << "the window outlived the call";
}

}  // namespace
