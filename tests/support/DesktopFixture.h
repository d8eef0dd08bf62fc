#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QMap>
#include <QtTest/QTest>
#include <deque>

#include "DataModules.h"
#include "DesktopDialogs.h"
#include "DesktopStore.h"
#include "Dialogs.h"
#include "Installation.h"
#include "LinkRecord.h"
#include "PasswordDlg.h"
#include "SetupWindows.h"
#include "ShellFixture.h"
#include "SmallWindows.h"
#include "TableSchemas.h"

// A whole installation on disk (settings, system tables, a company, module
// libraries in the program folder) and the program started on it, with
// dialogs answered in advance and what the modules received read back.
class DesktopFixture : public ShellFixture {
 protected:
  std::unique_ptr<Installation> install;
  std::unique_ptr<orba::shell::OrbaApplication> app;
  orba::shell::TLogoAppForm* window = nullptr;
  orba::controls::MenuItem* menu = nullptr;
  QStringList dialogsShown;
  // Answers for the dialogs, in order: a function that fills the dialog in
  // and returns its result.
  std::deque<std::function<int(QDialog&)>> answers;

  void SetUp() override {
    ShellFixture::SetUp();
    install = std::make_unique<Installation>(dir.path());
    using F = orba::dispatch::LinkRecord::Field;
    for (F field : {F::LoginName, F::UserName, F::CompanyNumber, F::CompanyName, F::OptionContext})
      link().set(field, QString());
    qputenv("ORBA_TEST_MODULE_LOG", logPath().toUtf8());
    qunsetenv("ORBA_TEST_MODULE_RESULT");
    qunsetenv("ORBA_TEST_MODULE_THROW");
    // A question is recorded like a message and answered with its second
    // button (at Quit: leave without storing the desktop).
    orba::controls::Messages::setChooser([this](const QString& text, const QStringList&) {
      messages << text;
      return 1;
    });
    orba::controls::Dialogs::setInterceptor([this](QDialog& dialog) {
      dialogsShown << dialog.objectName();
      if (answers.empty()) return static_cast<int>(QDialog::Rejected);
      auto answer = std::move(answers.front());
      answers.pop_front();
      return answer(dialog);
    });
  }
  void TearDown() override {
    orba::controls::Dialogs::setInterceptor({});
    orba::controls::Messages::setChooser({});
    qunsetenv("ORBA_TEST_MODULE_LOG");
    ShellFixture::TearDown();
  }

  QString logPath() const { return dir.filePath("modules.log"); }

  // The test module, installed under option names.
  void installModules(const QStringList& names, const char* library = TESTMODULE) {
    for (const QString& name : names) QFile::copy(library, programDir() + "/" + name + ".so");
  }

  // A typical installation: languages, company 1, and the given users.
  void standardData() {
    install->addLanguages();
    install->addCompany(1, "Les Entreprises Tremblay Ltée");
    install->ensureDesktops();
  }

  // Types a password the way a user would, then presses OK (or Cancel).
  static std::function<int(QDialog&)> typePassword(const QString& text, bool ok = true) {
    return [text, ok](QDialog& dialog) {
      auto* password = qobject_cast<orba::shell::TPasswordDlg*>(&dialog);
      EXPECT_NE(password, nullptr) << dialog.objectName().toStdString();
      if (password) QTest::keyClicks(password->Password, text);
      return static_cast<int>(ok ? QDialog::Accepted : QDialog::Rejected);
    };
  }
  static std::function<int(QDialog&)> close() {
    return [](QDialog&) { return static_cast<int>(QDialog::Rejected); };
  }

  // shown: the window on screen before the login, as the program has it
  // (the desktop then has its real size while the stored one is restored).
  void start(const QString& extraSettings = "ShowWelcome=N\n", bool shown = false) {
    writeSettings(extraSettings);
    app = std::make_unique<orba::shell::OrbaApplication>(options());
    app->start();
    window = app->mainWindow();
    menu = window->MainMenu;
    if (shown) window->show();
    window->FormActivate();
  }

  // Every call block the modules logged, as key=value maps.
  QList<QMap<QString, QString>> calls() const {
    QList<QMap<QString, QString>> out;
    QFile f(logPath());
    if (!f.open(QIODevice::ReadOnly)) return out;
    QMap<QString, QString> current;
    for (const QString& line : QString::fromUtf8(f.readAll()).split('\n')) {
      if (line == "end") {
        out << current;
        current.clear();
      } else if (const int eq = line.indexOf('='); eq > 0) {
        current[line.left(eq)] = line.mid(eq + 1);
      }
    }
    return out;
  }
  QStringList calledLibraries() const {
    QStringList names;
    for (const auto& c : calls()) names << c.value("call");
    return names;
  }
  // A stored desktop for a user, written the way a save writes it.
  void storeRows(const QString& user, const std::vector<orba::shell::DesktopRow>& rows) {
    orba::data::Table t("Desktop");
    t.declare(orba::data::schemas::Desktop_table);
    t.setDatabaseName(install->dataDir());
    t.open();
    orba::shell::DesktopStore::save(t, user, rows);
  }
  orba::dispatch::LinkRecord& link() const { return orba::dispatch::LinkRecord::instance(); }
  orba::desktop::TShortcutDlg* catalogue() const { return window->context().ShortcutDlg; }
};
