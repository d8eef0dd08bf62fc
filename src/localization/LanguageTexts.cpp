#include "LanguageTexts.h"

#include "FieldValues.h"
#include "paradox/table_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace orba::localization {

namespace {

constexpr data::FieldSpec kLanguageFields[] = {
    {"FormName", 'A', 40, true, false},      {"ComponentName", 'A', 64, true, false},
    {"Caption", 'A', 255, false, false},     {"Hint", 'A', 255, false, false},
    {"Lines", 'M', 10, false, false},        {"IsMemo", 'L', 0, false, false},
    {"IsDBGrid", 'L', 0, false, false},      {"IsRadioGroup", 'L', 0, false, false},
    {"IsCombobox", 'L', 0, false, false},    {"IsCheckList", 'L', 0, false, false},
};
const data::TableSpec kLanguageTable{"LanguageTable", "MainMenu.db", 2, kLanguageFields};

const QStringList kKinds = {"form", "menu", "memo", "grid", "radio", "combo", "checklist", "navigator", "control"};

QString unescape(const QString& cell) {
  QString out;
  out.reserve(cell.size());
  for (int i = 0; i < cell.size(); ++i) {
    if (cell[i] == QLatin1Char('\\') && i + 1 < cell.size()) {
      const QChar next = cell[++i];
      out += next == QLatin1Char('n') ? QChar(QLatin1Char('\n')) : next;
    } else {
      out += cell[i];
    }
  }
  return out;
}

QStringList toLines(const QString& cell) {
  if (cell.isEmpty()) return {};
  return unescape(cell).split(QLatin1Char('\n'));
}

}  // namespace

std::vector<LanguageRow> parseLanguageTexts(const QString& text, QString* error) {
  std::vector<LanguageRow> rows;
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (int n = 1; n < lines.size(); ++n) {  // line 0 is the header
    QString line = lines[n];
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    if (line.isEmpty()) continue;
    const QStringList cells = line.split(QLatin1Char('\t'));
    if (cells.size() != 9 || cells[0].isEmpty() || cells[1].isEmpty() || !kKinds.contains(cells[2])) {
      if (error) *error = QStringLiteral("line %1: expected 9 tab-separated cells with a form, a component and a kind").arg(n + 1);
      return {};
    }
    LanguageRow row;
    row.form = cells[0];
    row.component = cells[1];
    row.kind = cells[2];
    for (int l = 0; l < 2; ++l) {
      row.caption[l] = unescape(cells[3 + l]);
      row.hint[l] = unescape(cells[5 + l]);
      row.lines[l] = toLines(cells[7 + l]);
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

const data::TableSpec& languageTableSpec() { return kLanguageTable; }

bool writeLanguageTable(const QString& path, const std::vector<LanguageRow>& rows, Language language,
                        QString* error) {
  const int l = static_cast<int>(language);
  const QFileInfo target(path);
  QDir().mkpath(target.absolutePath());
  // Built beside the target and moved into place, so a reader never sees a
  // half-written table.
  QTemporaryDir work(target.absolutePath() + QStringLiteral("/.languages-XXXXXX"));
  if (!work.isValid()) {
    if (error) *error = QStringLiteral("%1: cannot create a working folder").arg(target.absolutePath());
    return false;
  }
  const QString built = work.filePath(target.fileName());
  std::vector<pdx::FieldDef> fields;
  for (const data::FieldSpec& f : kLanguageTable.fields) fields.push_back(data::toFieldDef(f));
  pdx::CreateOptions options;
  options.key_field_count = 2;
  pdx::Status s = pdx::CreateTable(built.toStdString(), fields, options);
  std::unique_ptr<pdx::TableWriter> writer;
  if (s.ok()) s = pdx::TableWriter::Open(built.toStdString(), {}, &writer);
  for (const LanguageRow& row : rows) {
    if (!s.ok()) break;
    auto text = [](const QString& t) { return t.isEmpty() ? pdx::Value::Null() : pdx::Value::Text(t.toStdString()); };
    auto flag = [&](const char* kind) { return pdx::Value::Bool(row.kind == QLatin1String(kind)); };
    pdx::Record record = {text(row.form),
                          text(row.component),
                          text(row.caption[l]),
                          text(row.hint[l]),
                          text(row.lines[l].join(QStringLiteral("\r\n"))),
                          flag("memo"),
                          flag("grid"),
                          flag("radio"),
                          flag("combo"),
                          flag("checklist")};
    s = writer->Insert(record);
  }
  if (s.ok()) s = writer->Commit();
  writer.reset();
  if (!s.ok()) {
    if (error) *error = QString::fromStdString(s.ToString());
    return false;
  }
  // Replace the table's files (.db, .mb, .px) by the new ones.
  const QString base = target.completeBaseName();
  for (const QString& old : QDir(target.absolutePath()).entryList(QDir::Files))
    if (QFileInfo(old).completeBaseName().compare(base, Qt::CaseInsensitive) == 0)
      QFile::remove(target.absolutePath() + QLatin1Char('/') + old);
  for (const QString& made : QDir(work.path()).entryList(QDir::Files)) {
    if (made.endsWith(QStringLiteral(".lock"))) continue;
    if (!QFile::rename(work.filePath(made), target.absolutePath() + QLatin1Char('/') + made)) {
      if (error) *error = QStringLiteral("%1: cannot move %2 into place").arg(target.absolutePath(), made);
      return false;
    }
  }
  return true;
}

}  // namespace orba::localization
