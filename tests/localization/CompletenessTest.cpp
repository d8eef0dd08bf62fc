#include <QAbstractButton>
#include <QGroupBox>
#include <QHash>
#include <QKeySequence>
#include <QLabel>
#include <QSet>

#include "DesktopDialogs.h"
#include "ErrorTexts.h"
#include "LanguageTexts.h"
#include "PasswordDlg.h"
#include "SetCaptions.h"
#include "SetupWindows.h"
#include "ShellFixture.h"
#include "SmallWindows.h"
#include "Table.h"
#include "paradox/Status.h"

using orba::controls::MenuItem;
using orba::shell::OrbaApplication;

namespace {

std::vector<orba::localization::LanguageRow> texts() {
  QFile f(ORBA_LANGUAGE_TEXTS);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly));
  QString error;
  auto rows = orba::localization::parseLanguageTexts(QString::fromUtf8(f.readAll()), &error);
  EXPECT_FALSE(rows.empty()) << error.toStdString();
  return rows;
}

// The components of a form that show a text of their own: named menu items
// (not separators, not the entries built from data at run time), message
// lists, labels, buttons and group boxes.
QSet<QString> textComponents(const orba::controls::Form& form) {
  QSet<QString> names;
  for (QObject* c : form.components().components()) {
    if (c->objectName().isEmpty()) continue;
    if (auto* item = qobject_cast<MenuItem*>(c)) {
      if (!item->isSeparator() && item->parentItem()) names << c->objectName();
    } else if (auto* label = qobject_cast<QLabel*>(c)) {
      // A label that shows a picture has no text to translate.
      if (!label->text().isEmpty()) names << c->objectName();
    } else if (qobject_cast<orba::controls::MessageList*>(c) || qobject_cast<QAbstractButton*>(c) ||
               qobject_cast<QGroupBox*>(c)) {
      names << c->objectName();
    }
  }
  return names;
}

QSet<QString> allComponents(const orba::controls::Form& form) {
  QSet<QString> names;
  for (QObject* c : form.components().components()) names << c->objectName();
  return names;
}

}  // namespace

class CompletenessTest : public ShellFixture {};

TEST_F(CompletenessTest, EveryTextOfTheBuiltWindowsHasARowAndEveryRowAComponent) {
  writeSettings();
  OrbaApplication app(options());
  app.start();
  const auto rows = texts();
  struct Built {
    QString name;
    orba::controls::Form* form;
  };
  const auto& c = app.context();
  orba::localization::ErrorTexts errorTexts;
  const Built built[] = {{"ErrorTexts", &errorTexts},          {"LogoAppForm", app.mainWindow()},
                         {"PasswordDlg", c.PasswordDlg},       {"AboutBox", c.AboutBox},
                         {"CompPasswd_Frm", c.CompPasswd_Frm}, {"ContactUs", c.ContactUs},
                         {"frmDefaultInfo", c.frmDefaultInfo}, {"frmSetup", c.frmSetup},
                         {"frmWelcome", c.frmWelcome},         {"ShortcutDlg", c.ShortcutDlg},
                         {"PropertiesDlg", c.PropertiesDlg}};
  for (const Built& b : built) {
    QSet<QString> rowNames;
    for (const auto& r : rows)
      if (r.form == b.name) rowNames << r.component;
    // A window has a caption of its own; a list of texts alone does not.
    if (dynamic_cast<QWidget*>(b.form)) {
      EXPECT_TRUE(rowNames.contains(b.name)) << "the form's own row: " << b.name.toStdString();
    }
    for (const QString& c : textComponents(*b.form))
      EXPECT_TRUE(rowNames.contains(c)) << b.name.toStdString() << "." << c.toStdString() << " has no row";
    const QSet<QString> existing = allComponents(*b.form);
    for (const QString& r : rowNames)
      EXPECT_TRUE(r == b.name || existing.contains(r))
          << b.name.toStdString() << "." << r.toStdString() << " names no component";
  }
}

TEST_F(CompletenessTest, EveryRowTranslatesIntoBothLanguagesAndTheTablesAgree) {
  const auto rows = texts();
  for (const auto& r : rows) {
    const bool listed = r.kind == "memo" || r.kind == "combo" || r.kind == "radio" || r.kind == "grid" ||
                        r.kind == "checklist" || r.kind == "navigator";
    EXPECT_EQ(r.caption[0].isEmpty(), r.caption[1].isEmpty()) << r.component.toStdString();
    if (listed) {
      EXPECT_EQ(r.lines[0].size(), r.lines[1].size()) << r.component.toStdString();
    }
  }
  QSet<QString> keys[2];
  int i = 0;
  for (const char* table : {"MainMenuen.db", "MainMenufr.db"}) {
    orba::data::Table t("Language");
    t.setDatabaseName(languagesDir());
    t.setTableName(table);
    t.open();
    for (t.first(); !t.eof(); t.next()) keys[i] << t.text("FormName") + "." + t.text("ComponentName");
    ++i;
  }
  EXPECT_EQ(keys[0], keys[1]);
  EXPECT_EQ(keys[0].size(), static_cast<int>(rows.size()));
}

// Alt and a letter reaches one control of a window: two controls of one
// form sharing a letter in either language would only move the focus
// between them, and the key would never press the button.
TEST_F(CompletenessTest, NoTwoControlsOfAFormShareAnAcceleratorInEitherLanguage) {
  QHash<QString, QString> owner[2];  // "form/Alt+letter" -> the component
  for (const auto& r : texts()) {
    if (r.kind != "control") continue;
    for (int lang = 0; lang < 2; ++lang) {
      const QKeySequence key = QKeySequence::mnemonic(r.caption[lang]);
      if (key.isEmpty()) continue;
      const QString slot = r.form + "/" + key.toString();
      EXPECT_FALSE(owner[lang].contains(slot))
          << r.form.toStdString() << (lang ? " (French): " : " (English): ") << r.component.toStdString()
          << " and " << owner[lang].value(slot).toStdString() << " both answer "
          << key.toString().toStdString();
      owner[lang].insert(slot, r.component);
    }
  }
}

// What a user reads when the tables fail, in each language: the sentence of
// its kind naming the file or field, then the detail as the engine gave it.
TEST_F(CompletenessTest, TableErrorsAreToldInTheUsersLanguageWithTheDetailAfter) {
  using orba::data::DatabaseError;
  orba::localization::setProgramDirectory(programDir());
  orba::localization::ErrorTexts texts;
  const auto locked = DatabaseError::fromStatus(orba::pdx::Status::Locked(
      "/data/data1/cli.DB", "table cli.DB is in use by another program or workstation"));
  EXPECT_EQ(locked.kind(), DatabaseError::Kind::InUse);
  EXPECT_EQ(locked.subject(), "/data/data1/cli.DB");
  const auto denied = DatabaseError::fromStatus(
      orba::pdx::Status::IOError("/data/data1/ctrl.DB", "cannot open: Permission denied"));
  EXPECT_EQ(denied.kind(), DatabaseError::Kind::NoPermission);
  const DatabaseError value("ctrl.DB: field Ctrl_fed_rate: 'cinq' is not a valid value",
                            DatabaseError::Kind::InvalidValue, "Ctrl_fed_rate");
  const DatabaseError other("something the sentences do not cover");

  texts.load("MainMenufr");
  const QString french = texts.describe(locked);
  EXPECT_TRUE(french.startsWith("La table /data/data1/cli.DB est utilisée par un autre programme"))
      << french.toStdString();
  EXPECT_TRUE(
      french.endsWith("Détails : Locked: /data/data1/cli.DB: table cli.DB is in use by another program or "
                      "workstation"))
      << french.toStdString();
  EXPECT_TRUE(texts.describe(denied).startsWith("Votre compte ne peut pas ouvrir /data/data1/ctrl.DB."));
  EXPECT_TRUE(
      texts.describe(value, "Taux de TPS (Entrez vos taux de TPS et de TVP)")
          .startsWith("La valeur de Taux de TPS (Entrez vos taux de TPS et de TVP) n'est pas valide."));
  EXPECT_EQ(texts.describe(other), other.message());

  texts.load("MainMenuen");
  EXPECT_TRUE(texts.describe(locked).startsWith("The table /data/data1/cli.DB is in use"));
  // A table that cannot be read keeps the sentences there are.
  texts.load("MainMenuxx");
  EXPECT_TRUE(texts.describe(locked).startsWith("The table /data/data1/cli.DB is in use"));
}
