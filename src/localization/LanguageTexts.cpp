#include "LanguageTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "FieldValues.h"
#include "paradox/TableWriter.h"

namespace orba::localization {

namespace {

constexpr data::FieldSpec kLanguageFields[] = {
    {"FormName", 'A', 40, true, false},   {"ComponentName", 'A', 64, true, false},
    {"Caption", 'A', 255, false, false},  {"Hint", 'A', 255, false, false},
    {"Lines", 'M', 10, false, false},     {"IsMemo", 'L', 0, false, false},
    {"IsDBGrid", 'L', 0, false, false},   {"IsRadioGroup", 'L', 0, false, false},
    {"IsCombobox", 'L', 0, false, false}, {"IsCheckList", 'L', 0, false, false},
};
const data::TableSpec kLanguageTable{"LanguageTable", "MainMenu.db", 2, kLanguageFields};

const QStringList kKinds = {"form",  "menu",      "memo",      "grid",   "radio",
                            "combo", "checklist", "navigator", "control"};

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
      if (error)
        *error = QStringLiteral("line %1: expected 9 tab-separated cells with a form, a component and a kind")
                     .arg(n + 1);
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
  const std::string file = QFileInfo(path).absoluteFilePath().toStdString();
  QDir().mkpath(QFileInfo(path).absolutePath());
  std::vector<pdx::FieldDef> fields;
  for (const data::FieldSpec& f : kLanguageTable.fields) fields.push_back(data::toFieldDef(f));

  auto fail = [&](const pdx::Status& s) {
    if (error) *error = QString::fromStdString(s.ToString());
    return false;
  };
  // An existing table of this shape is rewritten through the engine, under
  // its lock and with its all-or-nothing commit, so that a running program
  // reading it never finds it missing or half-written. Anything else in its
  // place (another shape, a damaged file) is replaced.
  std::unique_ptr<pdx::TableWriter> writer;
  pdx::Status s =
      QFileInfo::exists(path) ? pdx::TableWriter::Open(file, {}, &writer) : pdx::Status::NotFound(file, "");
  if (s.ok() && writer->fields() != fields) {
    writer.reset();
    s = pdx::Status::InvalidArgument(file, "another shape");
  }
  if (!s.ok()) {
    const QFileInfo target(path);
    for (const QString& old : QDir(target.absolutePath()).entryList(QDir::Files))
      if (QFileInfo(old).completeBaseName().compare(target.completeBaseName(), Qt::CaseInsensitive) == 0)
        QFile::remove(target.absolutePath() + QLatin1Char('/') + old);
    pdx::CreateOptions options;
    options.key_field_count = 2;
    s = pdx::CreateTable(file, fields, options);
    if (s.ok()) s = pdx::TableWriter::Open(file, {}, &writer);
    if (!s.ok()) return fail(s);
  }
  while (s.ok() && writer->record_count() > 0) s = writer->Delete(writer->record_count() - 1);
  for (const LanguageRow& row : rows) {
    if (!s.ok()) break;
    auto text = [](const QString& t) {
      return t.isEmpty() ? pdx::Value::Null() : pdx::Value::Text(t.toStdString());
    };
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
  return s.ok() || fail(s);
}

}  // namespace orba::localization
