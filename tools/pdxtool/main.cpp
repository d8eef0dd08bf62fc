// pdxtool: inspect Paradox tables from the command line.
//
//   pdxtool info TABLE.db   record count and field list
//   pdxtool dump TABLE.db   records as tab-separated text
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

#include "ToolOptions.h"
#include "paradox/Table.h"

namespace {

using orba::pdx::Record;
using orba::pdx::Status;
using orba::pdx::Table;
using orba::pdx::Value;

std::string Escape(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

int Fail(const Status& s) {
  std::cerr << "pdxtool: " << s.ToString() << "\n";
  return 1;
}

int Info(Table& t) {
  std::cout << "records: " << t.record_count() << "\n";
  for (const auto& f : t.fields())
    std::cout << f.name << "\t" << orba::pdx::FieldTypeLetter(f.type) << "\t" << static_cast<unsigned>(f.size)
              << "\n";
  return 0;
}

int Dump(Table& t) {
  std::string line;
  for (size_t i = 0; i < t.fields().size(); ++i) {
    if (i) line.push_back('\t');
    line += Escape(t.fields()[i].name);
  }
  std::cout << line << "\n";
  Record r;
  for (uint32_t i = 0; i < t.record_count(); ++i) {
    Status s = t.ReadRecord(i, &r);
    if (!s.ok()) {
      std::cout.flush();
      return Fail(s);
    }
    line.clear();
    for (size_t f = 0; f < r.size(); ++f) {
      if (f) line.push_back('\t');
      line += Escape(r[f].ToString());
    }
    std::cout << line << "\n";
  }
  return 0;
}

}  // namespace

const char kUsage[] =
    "usage: pdxtool info TABLE.db    the record count and each field's name, type letter and size\n"
    "       pdxtool dump TABLE.db    a line of field names, then one line per record, tab-separated\n"
    "                                (tabs, line breaks and backslashes in values as \\t \\n \\\\)\n"
    "       pdxtool --help\n"
    "A table that cannot be read is reported on standard error, with exit status 1.\n";

int main(int argc, char** argv) {
  if (const int status = orba::tools::checkToolOptions(argc, argv, "pdxtool", kUsage); status >= 0)
    return status;
  if (argc != 3 || (std::strcmp(argv[1], "info") != 0 && std::strcmp(argv[1], "dump") != 0)) {
    std::cerr << kUsage;
    return 2;
  }
  std::unique_ptr<Table> table;
  Status s = Table::Open(argv[2], orba::pdx::OpenOptions(), &table);
  if (!s.ok()) return Fail(s);
  return std::strcmp(argv[1], "info") == 0 ? Info(*table) : Dump(*table);
}
