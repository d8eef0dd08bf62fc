// pdxtool: Paradox tables from the command line, through the engine and its
// locks: inspect them, make them, fill them, change them.
//
//   pdxtool info TABLE.db              pdxtool create TABLE.db FIELDS
//   pdxtool dump TABLE.db              pdxtool import TABLE.db FILE.tsv
//   pdxtool delete TABLE.db N          pdxtool set TABLE.db N FIELD VALUE
//   pdxtool index TABLE.db FIELD
//
// Every change is all or nothing: bad input leaves the table as it was.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "FieldList.h"
#include "ValueText.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace {

using orba::pdx::CreateOptions;
using orba::pdx::FieldDef;
using orba::pdx::Record;
using orba::pdx::Status;
using orba::pdx::Table;
using orba::pdx::TableWriter;
using orba::pdx::Value;
using orba::pdx::WriteOptions;
namespace tool = orba::pdxtool;

struct Command {
  const char* name;
  int arguments;  // after the command's name
  const char* help;
};

const Command kCommands[] = {
    {"info", 1,
     "pdxtool info TABLE.db\n"
     "  The record count, then one line per field: its name, type letter and size.\n"},
    {"dump", 1,
     "pdxtool dump TABLE.db\n"
     "  A line of field names, then one line per record in table order, fields separated by tabs.\n"
     "  In values a tab, a line break and a backslash are written \\t, \\n and \\\\; NULL is empty.\n"
     "  Dates are YYYY-MM-DD, times HH:MM:SS[.mmm], timestamps both with a space between,\n"
     "  logicals true/false, bytes, blobs and graphics hexadecimal. (A bytes field of zero bytes only\n"
     "  reads as NULL: the file stores NULL that way.)\n"},
    {"create", 2,
     "pdxtool create TABLE.db FIELDS\n"
     "  Makes a new, empty table. FIELDS is name:type[:size],... with the key fields first, each\n"
     "  marked with a trailing '*'. Types: A (alpha, size 1-255), S (short), I (long), + (autoincrement),\n"
     "  N (number), $ (money), D (date), T (time), @ (timestamp), L (logical), Y (bytes, size 1-255),\n"
     "  M (memo), B (blob), G (graphic); the size of M, B and G is the part kept in the record.\n"
     "  Example: pdxtool create clients.db 'Code:A:10*,Name:A:40,Balance:$,Notes:M:20'\n"},
    {"import", 2,
     "pdxtool import TABLE.db FILE.tsv\n"
     "  Appends the rows of FILE.tsv, written as dump writes them: a first line of field names (any of\n"
     "  the table's, in any order; the others are left NULL), then one line per record. All rows or\n"
     "  none: a row that does not convert (a day that does not exist, an autoincrement number below 1\n"
     "  or one the table holds already), a field named twice, a duplicate key or a locked table leaves\n"
     "  the table as it was, and the error names the line and the field.\n"},
    {"delete", 2,
     "pdxtool delete TABLE.db N\n"
     "  Deletes record N, counted from 1 in the order dump prints.\n"},
    {"set", 4,
     "pdxtool set TABLE.db N FIELD VALUE\n"
     "  Gives field FIELD of record N (counted from 1) the value VALUE, written as dump writes it\n"
     "  (an empty VALUE is NULL). In a keyed table the record moves when its key changes.\n"},
    {"index", 2,
     "pdxtool index TABLE.db FIELD\n"
     "  Gives the table a secondary index on FIELD alone (TABLE.Xnn and TABLE.Ynn, nn the field's\n"
     "  number in hexadecimal), kept with the letter case of the values; every later change keeps it\n"
     "  up to date. Fields of type M, B, G, F, O, Y and #, and alpha fields of a table sorted other\n"
     "  than 'ascii', cannot be indexed.\n"},
};

std::string Usage() {
  std::string out = "usage: pdxtool [--wait=SECONDS] COMMAND TABLE.db ...\n";
  for (const Command& c : kCommands) out += std::string("  ") + c.help;
  out +=
      "  pdxtool help COMMAND       the text of one command (also: pdxtool COMMAND --help)\n"
      "Changes take the table's lock and wait up to 5 seconds while another program holds it.\n"
      "Errors go to standard error; the exit status is 1 for a table error, 2 for bad usage.\n";
  return out;
}

int Fail(const Status& s) {
  std::cerr << "pdxtool: " << s.ToString() << "\n";
  return 1;
}

int Fail(const std::string& text) {
  std::cerr << "pdxtool: " << text << "\n";
  return 1;
}

int Info(const std::string& path) {
  std::unique_ptr<Table> t;
  Status s = Table::Open(path, orba::pdx::OpenOptions(), &t);
  if (!s.ok()) return Fail(s);
  std::cout << "records: " << t->record_count() << "\n";
  for (const auto& f : t->fields())
    std::cout << f.name << "\t" << orba::pdx::FieldTypeLetter(f.type) << "\t" << static_cast<unsigned>(f.size)
              << "\n";
  return 0;
}

int Dump(const std::string& path) {
  std::unique_ptr<Table> t;
  Status s = Table::Open(path, orba::pdx::OpenOptions(), &t);
  if (!s.ok()) return Fail(s);
  std::string line;
  for (size_t i = 0; i < t->fields().size(); ++i) {
    if (i) line.push_back('\t');
    line += tool::Escape(t->fields()[i].name);
  }
  std::cout << line << "\n";
  Record r;
  for (uint32_t i = 0; i < t->record_count(); ++i) {
    s = t->ReadRecord(i, &r);
    if (!s.ok()) {
      std::cout.flush();
      return Fail(s);
    }
    line.clear();
    for (size_t f = 0; f < r.size(); ++f) {
      if (f) line.push_back('\t');
      line += tool::Escape(r[f].ToString());
    }
    std::cout << line << "\n";
  }
  return 0;
}

int Create(const std::string& path, const std::string& fields) {
  tool::FieldList list;
  std::string error;
  if (!tool::ParseFieldList(fields, &list, &error)) return Fail(error);
  CreateOptions co;
  co.key_field_count = list.key_fields;
  const Status s = orba::pdx::CreateTable(path, list.fields, co);
  return s.ok() ? 0 : Fail(s);
}

int FieldIndex(const TableWriter& w, const std::string& name) {
  for (size_t i = 0; i < w.fields().size(); ++i)
    if (strcasecmp(w.fields()[i].name.c_str(), name.c_str()) == 0) return static_cast<int>(i);
  return -1;
}

// How long a change waits for a table another program holds (--wait).
std::chrono::milliseconds g_lock_wait{5000};

std::unique_ptr<TableWriter> OpenWriter(const std::string& path, Status* s) {
  WriteOptions options;
  options.lock_wait = g_lock_wait;
  std::unique_ptr<TableWriter> w;
  *s = TableWriter::Open(path, options, &w);
  return w;
}

int Commit(TableWriter& w) {
  const Status s = w.Commit();
  if (!s.ok()) return Fail(s);
  if (!w.commit_note().empty()) std::cerr << "pdxtool: " << w.commit_note() << "\n";
  return 0;
}

// The values the table's autoincrement fields hold, by field: a value given
// in a change must be none of them (the table gives each number once).
using UsedNumbers = std::map<size_t, std::set<int64_t>>;

Status CollectAutoIncrements(TableWriter& w, UsedNumbers* used) {
  used->clear();
  for (size_t f = 0; f < w.fields().size(); ++f)
    if (w.fields()[f].type == orba::pdx::FieldType::kAutoInc) (*used)[f];
  if (used->empty()) return Status::OK();
  Record r;
  for (uint32_t i = 0; i < w.record_count(); ++i) {
    Status s = w.Get(i, &r);
    if (!s.ok()) return s;
    for (auto& [f, numbers] : *used)
      if (!r[f].is_null()) numbers.insert(r[f].int_value());
  }
  return Status::OK();
}

int Import(const std::string& path, const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return Fail(file + ": cannot be read");
  Status s;
  std::unique_ptr<TableWriter> w = OpenWriter(path, &s);
  if (!s.ok()) return Fail(s);
  std::string line;
  if (!std::getline(in, line)) return Fail(file + ": empty; its first line names the fields");
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<int> columns;
  for (const std::string& escaped : tool::SplitFields(line)) {
    std::string name, error;
    if (!tool::Unescape(escaped, &name, &error)) return Fail(file + ":1: " + error);
    const int index = FieldIndex(*w, name);
    if (index < 0) return Fail(file + ":1: the table has no field '" + name + "'");
    if (std::find(columns.begin(), columns.end(), index) != columns.end())
      return Fail(file + ":1: field '" + w->fields()[static_cast<size_t>(index)].name + "' is named twice");
    columns.push_back(index);
  }
  UsedNumbers used;
  s = CollectAutoIncrements(*w, &used);
  if (!s.ok()) return Fail(s);
  for (int number = 2; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string where = file + ":" + std::to_string(number);
    const std::vector<std::string> values = tool::SplitFields(line);
    if (values.size() != columns.size())
      return Fail(where + ": " + std::to_string(values.size()) + " values for " +
                  std::to_string(columns.size()) + " fields");
    Record record(w->fields().size());
    for (size_t c = 0; c < columns.size(); ++c) {
      const FieldDef& field = w->fields()[static_cast<size_t>(columns[c])];
      std::string error;
      const size_t at = static_cast<size_t>(columns[c]);
      if (!tool::ParseValue(field, values[c], &record[at], &error))
        return Fail(where + ": field '" + field.name + "': " + error);
      if (used.count(at) && !record[at].is_null() && !used[at].insert(record[at].int_value()).second)
        return Fail(where + ": field '" + field.name + "': the number " +
                    std::to_string(record[at].int_value()) + " is taken already");
    }
    s = w->Insert(record);
    if (!s.ok()) return Fail(where + ": " + s.message());
  }
  return Commit(*w);
}

bool RecordNumber(const std::string& text, const TableWriter& w, uint32_t* index) {
  char* end = nullptr;
  const unsigned long n = std::strtoul(text.c_str(), &end, 10);
  if (text.empty() || *end || n < 1 || n > w.record_count()) return false;
  *index = static_cast<uint32_t>(n - 1);
  return true;
}

int Delete(const std::string& path, const std::string& number) {
  Status s;
  std::unique_ptr<TableWriter> w = OpenWriter(path, &s);
  if (!s.ok()) return Fail(s);
  uint32_t index = 0;
  if (!RecordNumber(number, *w, &index))
    return Fail("record " + number + " does not exist (the table has " + std::to_string(w->record_count()) +
                ", counted from 1)");
  s = w->Delete(index);
  return s.ok() ? Commit(*w) : Fail(s);
}

int Set(const std::string& path, const std::string& number, const std::string& field,
        const std::string& value) {
  Status s;
  std::unique_ptr<TableWriter> w = OpenWriter(path, &s);
  if (!s.ok()) return Fail(s);
  uint32_t index = 0;
  if (!RecordNumber(number, *w, &index))
    return Fail("record " + number + " does not exist (the table has " + std::to_string(w->record_count()) +
                ", counted from 1)");
  const int f = FieldIndex(*w, field);
  if (f < 0) return Fail("the table has no field '" + field + "'");
  Record record;
  s = w->Get(index, &record);
  if (!s.ok()) return Fail(s);
  std::string error;
  const size_t at = static_cast<size_t>(f);
  const Value old = record[at];
  if (!tool::ParseValue(w->fields()[at], value, &record[at], &error))
    return Fail("field '" + field + "': " + error);
  if (w->fields()[at].type == orba::pdx::FieldType::kAutoInc && !record[at].is_null() && record[at] != old) {
    UsedNumbers used;
    s = CollectAutoIncrements(*w, &used);
    if (!s.ok()) return Fail(s);
    if (used[at].count(record[at].int_value()))
      return Fail("field '" + field + "': the number " + std::to_string(record[at].int_value()) +
                  " is taken already");
  }
  s = w->Update(index, record);
  return s.ok() ? Commit(*w) : Fail(s);
}

int Index(const std::string& path, const std::string& field) {
  Status s;
  std::unique_ptr<TableWriter> w = OpenWriter(path, &s);
  if (!s.ok()) return Fail(s);
  s = w->CreateIndex(field);
  if (!s.ok()) return Fail(s);
  if (!w->commit_note().empty()) std::cerr << "pdxtool: " << w->commit_note() << "\n";
  return 0;
}

const Command* Find(const std::string& name) {
  for (const Command& c : kCommands)
    if (name == c.name) return &c;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strncmp(argv[1], "--wait=", 7) == 0) {
    char* end = nullptr;
    const long seconds = std::strtol(argv[1] + 7, &end, 10);
    if (*end || end == argv[1] + 7 || seconds < 0 || seconds > 3600) {
      std::cerr << "pdxtool: --wait takes a number of seconds from 0 to 3600\n";
      return 2;
    }
    g_lock_wait = std::chrono::seconds(seconds);
    ++argv;
    --argc;
  }
  if (argc < 2) {
    std::cerr << Usage();
    return 2;
  }
  const std::string first = argv[1];
  if (first == "--help" || first == "-h") {
    std::cout << Usage();
    return 0;
  }
  if (first == "help") {
    const Command* c = argc == 3 ? Find(argv[2]) : nullptr;
    std::cout << (c ? std::string("usage: ") + c->help : Usage());
    return argc == 2 || c ? 0 : 2;
  }
  // Options come before the command; after it, "-5" is a value.
  if (first.size() > 1 && first[0] == '-') {
    std::cerr << "pdxtool: unknown option " << first << "\n" << Usage();
    return 2;
  }
  const Command* c = Find(first);
  if (!c) {
    std::cerr << "pdxtool: unknown command " << first << "\n" << Usage();
    return 2;
  }
  if (argc == 3 && (std::strcmp(argv[2], "--help") == 0 || std::strcmp(argv[2], "-h") == 0)) {
    std::cout << "usage: " << c->help;
    return 0;
  }
  if (argc != c->arguments + 2) {
    std::cerr << "usage: " << c->help;
    return 2;
  }
  const std::string table = argv[2];
  if (first == "info") return Info(table);
  if (first == "dump") return Dump(table);
  if (first == "create") return Create(table, argv[3]);
  if (first == "import") return Import(table, argv[3]);
  if (first == "delete") return Delete(table, argv[3]);
  if (first == "index") return Index(table, argv[3]);
  return Set(table, argv[3], argv[4], argv[5]);
}
