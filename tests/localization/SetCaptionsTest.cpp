#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QWidget>

#include "DatabaseError.h"
#include "Form.h"
#include "LanguageTexts.h"
#include "MenuItem.h"
#include "MessageList.h"
#include "RadioGroup.h"
#include "ReportText.h"
#include "SetCaptions.h"

using namespace orba;
using localization::LanguageRow;

namespace {

// A window with one component of every kind that translation knows.
struct TestForm : QWidget, controls::Form {
  QLabel* label = components_.own(new QLabel("Design label", this));
  QLabel* blank = components_.own(new QLabel("Will be blanked", this));
  controls::MenuItem* item = components_.own(new controls::MenuItem("gl03", "gl03"));
  controls::MessageList* messages =
      components_.own(new controls::MessageList("Error_Messages", {"a", "b"}, this));
  QTableWidget* grid3 = components_.own(new QTableWidget(0, 4, this));
  QTableWidget* grid4 = components_.own(new QTableWidget(0, 4, this));
  controls::RadioGroup* radio = components_.own(new controls::RadioGroup("RadioGroup1", this));
  QComboBox* combo = components_.own(new QComboBox(this));
  QListWidget* checks = components_.own(new QListWidget(this));
  QObject* navigator = components_.own(new QObject(this));
  controls::ReportLabel* report = components_.own(new controls::ReportLabel("QRLabel1", "Report", this));
  QLabel* untouched = components_.own(new QLabel("No row", this));
  TestForm() {
    setObjectName("TestForm");
    setWindowTitle("Design title");
    label->setObjectName("Label1");
    label->setToolTip("Design hint");
    blank->setObjectName("Label2");
    grid3->setObjectName("Grid3");
    grid4->setObjectName("Grid4");
    radio->setTitle("Radio");
    radio->addItem("one");
    radio->addItem("two");
    combo->setObjectName("ComboBox1");
    for (int i = 0; i < 10; ++i) combo->addItem(QString::number(i));
    checks->setObjectName("CheckList1");
    navigator->setObjectName("DBNavigator1");
    untouched->setObjectName("Label9");
  }
  ~TestForm() override { delete item; }
};

LanguageRow row(const QString& form, const QString& component, const QString& kind, const QString& caption,
                const QString& hint = {}, const QStringList& lines = {}) {
  LanguageRow r;
  r.form = form;
  r.component = component;
  r.kind = kind;
  r.caption[1] = caption;
  r.hint[1] = hint;
  r.lines[1] = lines;
  return r;
}

// A program folder and a languages folder beside it, the program folder
// current while the test runs.
class SetCaptionsTest : public ::testing::Test {
 protected:
  QTemporaryDir root;
  QString previous = QDir::currentPath();
  void SetUp() override {
    QDir().mkpath(root.path() + "/bin");
    QDir::setCurrent(root.path() + "/bin");
  }
  void TearDown() override { QDir::setCurrent(previous); }
  void writeTable(const QString& file, const std::vector<LanguageRow>& rows) {
    QString error;
    ASSERT_TRUE(localization::writeLanguageTable(root.path() + "/languages/" + file, rows,
                                                 localization::Language::French, &error))
        << error.toStdString();
  }
};

}  // namespace

TEST_F(SetCaptionsTest, EveryKindOfComponentTakesItsText) {
  writeTable(
      "MainMenufr.db",
      {row("TestForm", "TestForm", "form", "Titre traduit"),
       row("TestForm", "Label1", "control", "Étiquette", ""),
       row("TestForm", "Label2", "control", "", "Nouvelle bulle"),
       row("TestForm", "gl03", "menu", "Saisie des transactions", "ignored hint"),
       row("TestForm", "Error_Messages", "memo", "", "", {"Image illisible.", "", "Suffixe"}),
       row("TestForm", "Grid3", "grid", "", "", {"A", "B", "C"}),
       row("TestForm", "Grid4", "grid", "", "", {"Code", "Nom", "Ville", "Solde"}),
       row("TestForm", "RadioGroup1", "radio", "Choix", "", {"un", "deux", "trois"}),
       row("TestForm", "ComboBox1", "combo", "", "", {"a", "b", "c", "d"}),
       row("TestForm", "CheckList1", "checklist", "", "", {"x", "y"}),
       row("TestForm", "DBNavigator1", "navigator", "not a caption", "not a hint", {"Premier", "Dernier"}),
       row("TestForm", "QRLabel1", "control", "Rapport")});
  TestForm form;
  localization::SetCaptions(&form, form.components(), "MainMenufr");

  EXPECT_EQ(form.windowTitle(), "Titre traduit");
  EXPECT_EQ(form.label->text(), "Étiquette");
  EXPECT_EQ(form.label->toolTip(), "Design hint") << "an empty hint keeps the design hint";
  EXPECT_EQ(form.blank->text(), "") << "an empty caption blanks the label";
  EXPECT_EQ(form.blank->toolTip(), "Nouvelle bulle");
  EXPECT_EQ(form.item->caption(), "Saisie des transactions");
  EXPECT_EQ(form.messages->lines(), (QStringList{"Image illisible.", "", "Suffixe"}));
  EXPECT_EQ(form.grid3->horizontalHeaderItem(0), nullptr) << "three titles for four columns change nothing";
  EXPECT_EQ(form.grid4->model()->headerData(3, Qt::Horizontal).toString(), "Solde");
  EXPECT_EQ(form.radio->title(), "Choix");
  const auto& radios = form.radio->items();
  ASSERT_EQ(radios.size(), 2u) << "the group keeps its number of items";
  EXPECT_EQ(radios[0]->text(), "un");
  EXPECT_EQ(radios[1]->text(), "deux");
  ASSERT_EQ(form.combo->count(), 4);
  EXPECT_EQ(form.combo->itemText(3), "d");
  ASSERT_EQ(form.checks->count(), 2);
  EXPECT_EQ(form.checks->item(1)->checkState(), Qt::Unchecked);
  EXPECT_EQ(form.navigator->property("buttonHints").toStringList(), (QStringList{"Premier", "Dernier"}));
  EXPECT_EQ(form.report->caption(), "Rapport");
  EXPECT_EQ(form.untouched->text(), "No row");
}

TEST_F(SetCaptionsTest, MissingFormRowKeepsTheCaptionButTranslatesComponents) {
  writeTable("MainMenufr.db", {row("TestForm", "Label1", "control", "Étiquette")});
  TestForm form;
  localization::SetCaptions(&form, form.components(), "MainMenufr");
  EXPECT_EQ(form.windowTitle(), "Design title");
  EXPECT_EQ(form.label->text(), "Étiquette");
}

TEST_F(SetCaptionsTest, TableNameLosesOnlyItsFirstDot) {
  EXPECT_EQ(localization::languageTableName("MainMenuen"), "MainMenuen.db");
  EXPECT_EQ(localization::languageTableName("Main.Menu.en"), "MainMenu.en.db");
  writeTable("MainMenu.en.db", {row("TestForm", "Label1", "control", "Dotted")});
  TestForm form;
  localization::SetCaptions(&form, form.components(), "Main.Menu.en");
  EXPECT_EQ(form.label->text(), "Dotted");
}

TEST_F(SetCaptionsTest, MissingTableThrowsBeforeChangingAnything) {
  TestForm form;
  EXPECT_THROW(localization::SetCaptions(&form, form.components(), "MainMenuxx"), data::DatabaseError);
  EXPECT_EQ(form.windowTitle(), "Design title");
  EXPECT_EQ(form.label->text(), "Design label");
}

TEST(LanguageTexts, MalformedRowsAreRefusedWithTheirLine) {
  QString error;
  const auto rows = localization::parseLanguageTexts(
      "form\tcomponent\tkind\ten_caption\tfr_caption\ten_hint\tfr_hint\ten_lines\tfr_lines\n"
      "F\tC\tmenu\tA\tB\t\t\t\t\n"
      "F\tD\tmenu\tonly three\n",
      &error);
  EXPECT_TRUE(rows.empty());
  EXPECT_TRUE(error.contains("line 3")) << error.toStdString();
  const auto ok = localization::parseLanguageTexts(
      "header\nF\tM\tmemo\t\t\t\t\tone\\ntwo \\\\ back\tun\\ndeux\n", &error);
  ASSERT_EQ(ok.size(), 1u);
  EXPECT_EQ(ok[0].lines[0], (QStringList{"one", "two \\ back"}));
  EXPECT_EQ(ok[0].lines[1], (QStringList{"un", "deux"}));
}
