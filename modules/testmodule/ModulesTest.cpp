// Loads the module libraries the way the desktop does (dlopen by absolute
// path, call ShowDllForm with the record by value, dlclose) and checks what
// they received and answered.

#include <dlfcn.h>
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
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "castellan/linku.h"

namespace {

// Strings laid out as the desktop lends them: [refcount][length][text][NUL].
class Strings {
 public:
  OrbaString operator()(std::string_view text) { return withLength(text, static_cast<int32_t>(text.size())); }

  OrbaString withLength(std::string_view text, int32_t storedLength) {
    auto block = std::make_unique<char[]>(8 + text.size() + 1);
    const int32_t refcount = -1;
    std::memcpy(block.get(), &refcount, 4);
    std::memcpy(block.get() + 4, &storedLength, 4);
    std::memcpy(block.get() + 8, text.data(), text.size());
    block[8 + text.size()] = '\0';
    blocks_.push_back(std::move(block));
    return blocks_.back().get() + 8;
  }

 private:
  std::vector<std::unique_ptr<char[]>> blocks_;
};

class Library {
 public:
  explicit Library(const std::string& path)
      : path_(path), handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) throw std::runtime_error(dlerror());
  }
  ~Library() { close(); }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  template <typename Entry>
  Entry entry() {
    void* symbol = dlsym(handle_, "ShowDllForm");
    if (!symbol) throw std::runtime_error("no ShowDllForm in " + path_);
    return reinterpret_cast<Entry>(symbol);
  }

  int close() {
    const int rc = handle_ ? dlclose(handle_) : 0;
    handle_ = nullptr;
    return rc;
  }

  // Whether the file is still mapped after close(): a library that cannot be
  // unloaded would keep its state from one desktop call to the next.
  bool stillLoaded() const {
    void* again = dlopen(path_.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (again) dlclose(again);
    return again != nullptr;
  }

 private:
  std::string path_;
  void* handle_;
};

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

  TLinkSection fullRecord() {
    TLinkSection link{};
    link.LoginName = s("mlavoie");
    link.UserName = s("Marie Lavoie");
    link.Reserved1 = s("r1");
    link.CompanyNumber = s("7");
    link.CompanyName = s("Société Gérard Ltée");
    link.Language = 2;
    link.LanguageCode = {2, {'f', 'r'}};
    link.PrinterIndex = s("3");
    link.Reserved2 = nullptr;
    link.Customer = s("Line one\nline two");
    link.ProgramDir = s("/opt/orba/");
    link.DataDir = s("/var/lib/orba/data/");
    link.Reserved3 = s("");
    link.Reserved4 = s("r4");
    link.ReservedFlag = 1;
    link.Reserved5 = s("r5");
    link.Reserved6 = -6;
    link.Reserved7 = 2147483647;
    link.UserDetail = 42;
    link.OptionContext = s("GL");
    return link;
  }

  QTemporaryDir dir;
  QString logPath;
  Strings s;
};

TEST_F(ModuleTest, OneArgumentModuleLogsEveryFieldAndReturnsWhatItIsTold) {
  Library lib(TESTMODULE_PATH);
  auto show = lib.entry<OrbaShowDllForm>();
  const TLinkSection link = fullRecord();
  EXPECT_EQ(show(link), 1);
  setenv("ORBA_TEST_MODULE_RESULT", "0", 1);
  EXPECT_EQ(show(TLinkSection{}), 0);
  setenv("ORBA_TEST_MODULE_RESULT", "-12", 1);
  EXPECT_EQ(show(link), -12);

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
  EXPECT_EQ(value(b, "Reserved6"), "-6");
  EXPECT_EQ(value(b, "Reserved7"), "2147483647");
  EXPECT_EQ(value(b, "UserDetail"), "42");
  EXPECT_EQ(value(b, "OptionContext"), "GL");
  EXPECT_EQ(value(b, "lengths"), "ok");

  // An all-null record is all empty strings, not a crash.
  EXPECT_EQ(value(log[1], "LoginName"), "");
  EXPECT_EQ(value(log[1], "LanguageCode"), "");
  EXPECT_EQ(value(log[1], "lengths"), "ok");

  EXPECT_EQ(lib.close(), 0);
  EXPECT_FALSE(lib.stillLoaded());
}

TEST_F(ModuleTest, WrongStoredLengthsAreNamed) {
  Library lib(TESTMODULE_PATH);
  TLinkSection link = fullRecord();
  link.CompanyName = s.withLength("Acme Ltd", 3);
  link.OptionContext = s.withLength("", 1);
  link.LanguageCode = {9, {'e', 'n'}};  // an overlong length byte must not read past the two chars
  lib.entry<OrbaShowDllForm>()(link);

  const auto log = readLog(logPath);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(value(log[0], "lengths"), "bad CompanyName OptionContext");
  EXPECT_EQ(value(log[0], "LanguageCode"), "en");
}

TEST_F(ModuleTest, ThrowingModuleLogsFirstAndCanStillBeUnloaded) {
  setenv("ORBA_TEST_MODULE_THROW", "1", 1);
  Library lib(TESTMODULE_PATH);
  auto show = lib.entry<OrbaShowDllForm>();
  try {
    show(fullRecord());
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "module failure");
  }
  const auto log = readLog(logPath);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(keys(log[0]).back(), "end");
  EXPECT_EQ(lib.close(), 0);
  EXPECT_FALSE(lib.stillLoaded());
}

TEST_F(ModuleTest, ToolsLibraryLogsBothCatalogueLists) {
  const char* const names[] = {"General ledger entries", "", "Écritures de caisse"};
  const char* const codes[] = {"gl03", "ar05", "mcomp"};
  const OrbaStringList nameList{3, names};
  const OrbaStringList codeList{3, codes};
  const OrbaStringList emptyList{0, nullptr};

  Library lib(TESTMTOOLS_PATH);
  auto show = lib.entry<OrbaShowDllFormWithCatalogue>();
  setenv("ORBA_TEST_MODULE_RESULT", "3", 1);
  EXPECT_EQ(show(fullRecord(), &nameList, &codeList), 3);
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
  Library lib(copy.toStdString());
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
  const int32_t rc = lib.entry<OrbaShowDllForm>()(link);
  lib.close();
  if (lib.stillLoaded()) ADD_FAILURE() << option << ".so stayed loaded";
  return rc;
}

TEST_F(ModuleTest, SampleNamesItsOptionAndShowsTheRecordInEachLanguage) {
  setenv("ORBA_SAMPLE_AUTOCLOSE", "50", 1);

  TLinkSection english = fullRecord();
  english.Language = 1;
  english.LanguageCode = {2, {'e', 'n'}};
  english.CompanyName = s("Northwind Traders");
  Shown shown;
  EXPECT_EQ(runSample(dir, "gl03", english, shown), 1);
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

  // French, under another name, with a string whose stored length is shorter
  // than its text: the window shows what the length says.
  TLinkSection french = fullRecord();
  french.UserName = s.withLength("Marie Lavoie-Tremblay", 12);
  french.OptionContext = nullptr;
  shown = {};
  EXPECT_EQ(runSample(dir, "ar05", french, shown), 1);
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

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
