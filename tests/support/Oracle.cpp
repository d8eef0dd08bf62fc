#include "Oracle.h"

#include <QFile>
#include <stdexcept>

namespace oracle {

namespace {

// The rows of a tab-separated file of oracles/, without its comments; every
// row has `columns` columns.
std::vector<QStringList> rows(const char* name, int columns) {
  const QString path = QStringLiteral(ORBA_ORACLE_DIR "/") + QString::fromLatin1(name);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path.toStdString());
  std::vector<QStringList> out;
  int line = 0;
  for (const QString& text : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
    ++line;
    if (text.isEmpty() || text.startsWith(QLatin1Char('#'))) continue;
    const QStringList row = text.split(QLatin1Char('\t'));
    if (row.size() != columns)
      throw std::runtime_error(path.toStdString() + ":" + std::to_string(line) + ": " +
                               std::to_string(columns) + " columns expected");
    out.push_back(row);
  }
  if (out.empty()) throw std::runtime_error(path.toStdString() + " has no rows");
  return out;
}

int number(const QString& text) {
  bool ok = false;
  const int n = text.toInt(&ok);
  if (!ok) throw std::runtime_error("not a number: " + text.toStdString());
  return n;
}

QStringList list(const QString& text) {
  return text == QLatin1String("-") ? QStringList() : text.split(QLatin1Char(','));
}

}  // namespace

const std::vector<Right>& rights() {
  static const std::vector<Right> all = [] {
    std::vector<Right> out;
    for (const QStringList& r : rows("rights.tsv", 5))
      out.push_back({r[0], number(r[1]), number(r[2]), number(r[3]), number(r[4])});
    return out;
  }();
  return all;
}

const Right& right(const QString& code) {
  for (const Right& r : rights())
    if (r.code == code) return r;
  throw std::runtime_error("no option " + code.toStdString() + " in the rights map");
}

QByteArray rightsBytes(const QStringList& codes) {
  QByteArray bytes(200, '\0');
  const bool all = codes.contains(QStringLiteral("*"));
  for (const QString& code : codes)
    if (code != QLatin1String("*")) right(code);  // an unknown code is a mistake of the test
  for (const Right& r : rights())
    if (all || codes.contains(r.code))
      bytes[r.bit / 8] = static_cast<char>(bytes[r.bit / 8] | (1 << (r.bit % 8)));
  return bytes;
}

QStringList grantedBy(const QByteArray& bytes) {
  QStringList out;
  for (const Right& r : rights())
    if (r.bit / 8 < bytes.size() && (static_cast<unsigned char>(bytes[r.bit / 8]) >> (r.bit % 8)) & 1)
      out << r.code;
  return out;
}

const std::vector<Menu>& menus() {
  static const std::vector<Menu> all = [] {
    std::vector<Menu> out;
    for (const QStringList& r : rows("menus.tsv", 6))
      out.push_back({r[0], number(r[1]), number(r[2]), number(r[3]), list(r[4]), list(r[5])});
    return out;
  }();
  return all;
}

const std::vector<Field>& fields() {
  static const std::vector<Field> all = [] {
    std::vector<Field> out;
    for (const QStringList& r : rows("tables.tsv", 7)) {
      if (r[3].size() != 1) throw std::runtime_error("not a type letter: " + r[3].toStdString());
      out.push_back({r[0], r[1], r[2], r[3][0].toLatin1(), number(r[4]), r[5] == QLatin1String("required"),
                     r[6] == QLatin1String("calculated")});
    }
    return out;
  }();
  return all;
}

QStringList tables() {
  QStringList out;
  for (const Field& f : fields())
    if (!out.contains(f.table)) out << f.table;
  return out;
}

std::vector<Field> fieldsOf(const QString& table) {
  std::vector<Field> out;
  for (const Field& f : fields())
    if (f.table == table) out.push_back(f);
  return out;
}

const std::map<QString, int>& keys() {
  static const std::map<QString, int> all = [] {
    std::map<QString, int> out;
    for (const QStringList& r : rows("keys.tsv", 2)) out[r[0]] = number(r[1]);
    return out;
  }();
  return all;
}

const std::vector<Language>& languages() {
  static const std::vector<Language> all = [] {
    std::vector<Language> out;
    for (const QStringList& r : rows("languages.tsv", 3)) out.push_back({number(r[0]), r[1], r[2]});
    return out;
  }();
  return all;
}

const std::vector<Wording>& wording() {
  static const std::vector<Wording> all = [] {
    std::vector<Wording> out;
    for (const QStringList& r : rows("wording.tsv", 5))
      out.push_back({r[0], number(r[1]), number(r[2]), number(r[3]), r[4]});
    return out;
  }();
  return all;
}

}  // namespace oracle
