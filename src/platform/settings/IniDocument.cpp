#include "IniDocument.h"

namespace orba::settings {

namespace {
bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }
}  // namespace

IniDocument IniDocument::parse(const QString& text) {
  IniDocument doc;
  QString section;
  const QStringList rawLines = text.split(QLatin1Char('\n'));
  for (int i = 0; i < rawLines.size(); ++i) {
    QString raw = rawLines[i];
    if (raw.endsWith(QLatin1Char('\r'))) raw.chop(1);
    // split() yields one empty piece after a final newline; it is not a line.
    if (i == rawLines.size() - 1 && raw.isEmpty()) break;
    Line line;
    const QString trimmed = raw.trimmed();
    if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
      line.kind = Line::Section;
      line.text = trimmed.mid(1, trimmed.size() - 2).trimmed();
      section = line.text;
    } else if (!trimmed.startsWith(QLatin1Char(';')) && !trimmed.startsWith(QLatin1Char('#')) &&
               raw.contains(QLatin1Char('='))) {
      const int eq = raw.indexOf(QLatin1Char('='));
      line.kind = Line::Value;
      line.text = raw.left(eq).trimmed();
      line.value = raw.mid(eq + 1);
      line.section = section;
    } else {
      line.text = raw;
    }
    doc.lines_.append(line);
  }
  return doc;
}

QString IniDocument::serialize() const {
  QString out;
  for (const Line& line : lines_) {
    switch (line.kind) {
      case Line::Section:
        out += QLatin1Char('[') + line.text + QLatin1Char(']');
        break;
      case Line::Value:
        out += line.text + QLatin1Char('=') + line.value;
        break;
      case Line::Other:
        out += line.text;
        break;
    }
    out += QLatin1Char('\n');
  }
  return out;
}

int IniDocument::findValue(const QString& section, const QString& name) const {
  for (int i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Line::Value && sameName(line.section, section) && sameName(line.text, name)) return i;
  }
  return -1;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& name) const {
  const int i = findValue(section, name);
  if (i < 0) return std::nullopt;
  return lines_[i].value;
}

bool IniDocument::hasSections() const {
  for (const Line& line : lines_)
    if (line.kind == Line::Section) return true;
  return false;
}

int IniDocument::lastLineOfSection(const QString& section) const {
  int last = -1;
  bool inside = false;
  for (int i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Line::Section) inside = sameName(lines_[i].text, section);
    if (inside && lines_[i].kind != Line::Other) last = i;
  }
  return last;
}

void IniDocument::setValue(const QString& section, const QString& name, const QString& value) {
  const int i = findValue(section, name);
  if (i >= 0) {
    lines_[i].value = value;
    return;
  }
  Line line;
  line.kind = Line::Value;
  line.text = name;
  line.value = value;
  const int last = lastLineOfSection(section);
  if (last >= 0) {
    line.section = lines_[last].kind == Line::Section ? lines_[last].text : lines_[last].section;
    lines_.insert(last + 1, line);
    return;
  }
  Line header;
  header.kind = Line::Section;
  header.text = section;
  line.section = section;
  lines_.append(header);
  lines_.append(line);
}

}  // namespace orba::settings
