#include "SetCaptions.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTextEdit>

#include "MenuItem.h"
#include "MessageList.h"
#include "RadioGroup.h"
#include "ReportText.h"
#include "Table.h"

namespace orba::localization {

namespace {

QStringList splitLines(const QString& text) {
  if (text.isEmpty()) return {};
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (t.endsWith(QLatin1Char('\n'))) t.chop(1);
  return t.split(QLatin1Char('\n'));
}

void setMemo(QObject* c, const QStringList& lines) {
  if (auto* list = qobject_cast<controls::MessageList*>(c))
    list->setLines(lines);
  else if (auto* plain = qobject_cast<QPlainTextEdit*>(c))
    plain->setPlainText(lines.join(QLatin1Char('\n')));
  else if (auto* rich = qobject_cast<QTextEdit*>(c))
    rich->setPlainText(lines.join(QLatin1Char('\n')));
  else if (auto* files = qobject_cast<QFileDialog*>(c))
    // A file dialog's lines are its kinds of file, each with its patterns.
    files->setNameFilters(lines);
}

void setGridTitles(QObject* c, const QStringList& lines) {
  auto* view = qobject_cast<QAbstractItemView*>(c);
  if (!view || !view->model()) return;
  QAbstractItemModel* model = view->model();
  if (model->columnCount() != lines.size()) return;
  if (auto* table = qobject_cast<QTableWidget*>(c)) {
    table->setHorizontalHeaderLabels(lines);
    return;
  }
  for (int i = 0; i < lines.size(); ++i) model->setHeaderData(i, Qt::Horizontal, lines[i]);
}

void setRadioGroup(QObject* c, const QString& caption, const QStringList& lines) {
  auto* group = qobject_cast<controls::RadioGroup*>(c);
  if (!group) return;
  group->setTitle(caption);
  // The group keeps its items: each takes its line; missing lines leave the
  // remaining items as they are.
  const auto& items = group->items();
  for (std::size_t i = 0; i < items.size() && i < static_cast<std::size_t>(lines.size()); ++i)
    items[i]->setText(lines[static_cast<qsizetype>(i)]);
}

void setItems(QObject* c, const QStringList& lines, bool checkable) {
  if (auto* combo = qobject_cast<QComboBox*>(c)) {
    // New items leave the list without a choice, as a cleared list has.
    combo->clear();
    combo->addItems(lines);
    combo->setCurrentIndex(-1);
  } else if (auto* list = qobject_cast<QListWidget*>(c)) {
    list->clear();
    for (const QString& line : lines) {
      auto* item = new QListWidgetItem(line, list);
      if (checkable) {
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
      }
    }
  }
}

void setCaptionOrText(QObject* c, const QString& caption, const QString& hint) {
  if (auto* button = qobject_cast<QAbstractButton*>(c))
    button->setText(caption);
  else if (auto* label = qobject_cast<QLabel*>(c))
    label->setText(caption);
  else if (auto* edit = qobject_cast<QLineEdit*>(c))
    edit->setText(caption);
  else if (auto* group = qobject_cast<QGroupBox*>(c))
    group->setTitle(caption);
  else if (auto* plain = qobject_cast<QPlainTextEdit*>(c))
    plain->setPlainText(caption);
  else if (auto* widget = qobject_cast<QWidget*>(c); widget && widget->isWindow())
    widget->setWindowTitle(caption);
  if (!hint.isEmpty())
    if (auto* widget = qobject_cast<QWidget*>(c)) widget->setToolTip(hint);
}

}  // namespace

namespace {
QString& programDirectory() {
  static QString directory;
  return directory;
}
}  // namespace

void setProgramDirectory(const QString& directory) { programDirectory() = directory; }

QString languageDirectory() {
  // The original platform starts the program with its program folder as the
  // current directory; resolving against that folder, rather than whatever
  // folder a desktop entry or a shell started us from, finds the tables.
  const QDir base = programDirectory().isEmpty() ? QDir::current() : QDir(programDirectory());
  return QDir::cleanPath(base.absoluteFilePath(QStringLiteral("../languages")));
}

QString languageTableName(const QString& baseName) {
  QString name = baseName;
  const int dot = name.indexOf(QLatin1Char('.'));
  if (dot >= 0) name.remove(dot, 1);
  return name + QStringLiteral(".db");
}

void SetCaptions(QObject* form, const controls::ComponentList& components, const QString& baseName) {
  data::Table table(QStringLiteral("LanguageTable"));
  table.setDatabaseName(languageDirectory());
  table.setTableName(languageTableName(baseName));
  table.setReadOnly(true);
  table.open();

  const QString formName = form->objectName();
  if (table.findKey({formName, formName}))
    if (auto* window = qobject_cast<QWidget*>(form))
      window->setWindowTitle(table.text(QStringLiteral("Caption")));

  for (QObject* c : components.components()) {
    if (!table.findKey({formName, c->objectName()})) continue;
    const QString caption = table.text(QStringLiteral("Caption"));
    if (table.value(QStringLiteral("IsMemo")).toBool()) {
      setMemo(c, splitLines(table.text(QStringLiteral("Lines"))));
    } else if (table.value(QStringLiteral("IsDBGrid")).toBool()) {
      setGridTitles(c, splitLines(table.text(QStringLiteral("Lines"))));
    } else if (table.value(QStringLiteral("IsRadioGroup")).toBool()) {
      setRadioGroup(c, caption, splitLines(table.text(QStringLiteral("Lines"))));
    } else if (table.value(QStringLiteral("IsCombobox")).toBool()) {
      setItems(c, splitLines(table.text(QStringLiteral("Lines"))), false);
    } else if (table.value(QStringLiteral("IsCheckList")).toBool()) {
      setItems(c, splitLines(table.text(QStringLiteral("Lines"))), true);
    } else if (auto* item = qobject_cast<controls::MenuItem*>(c)) {
      item->setCaption(caption);
    } else if (auto* label = qobject_cast<controls::ReportLabel*>(c)) {
      label->setCaption(caption);
    } else if (auto* field = qobject_cast<controls::ReportSysData*>(c)) {
      field->setText(caption);
    } else if (c->objectName() == QLatin1String("DBNavigator1")) {
      c->setProperty("buttonHints", splitLines(table.text(QStringLiteral("Lines"))));
    } else {
      setCaptionOrText(c, caption, table.text(QStringLiteral("Hint")));
    }
  }
  table.close();
}

}  // namespace orba::localization
