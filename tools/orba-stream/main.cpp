// orba-stream: component streams (the desktop rows' format) as text and back.
//
//   orba-stream text FILE               every stream in FILE as text
//   orba-stream binary TEXT OUT         the text's components as raw streams
//   orba-stream row TABLE.db N [FIELD]  the stream of record N's blob field

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "ToolOptions.h"
#include "paradox/Table.h"
#include "stream/ComponentStream.h"

namespace {

namespace st = orba::stream;

const char kUsage[] =
    "usage: orba-stream text FILE\n"
    "         Prints every component stream in FILE in the text form (\"object Name: TClass\" ...\n"
    "         \"end\"): a raw stream, streams back to back, or a stream in a form-resource wrapper.\n"
    "       orba-stream binary TEXT OUT\n"
    "         Converts such text back: OUT receives the raw binary streams, back to back.\n"
    "       orba-stream row TABLE.db N [FIELD]\n"
    "         Prints the stream held in the blob field FIELD (default Desktop_Component) of\n"
    "         record N, counted from 1 in table order.\n"
    "Errors go to standard error with a non-zero exit status.\n";

bool slurp(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream s;
  s << in.rdbuf();
  *out = s.str();
  return true;
}

int fail(const std::string& text) {
  std::cerr << "orba-stream: " << text << "\n";
  return 1;
}

// Prints every stream of `bytes` (after a resource header, when there is one).
int printStreams(const std::string& bytes, const std::string& what) {
  const st::ResourceFrame frame = st::skipResourceHeader(bytes);
  if (frame.error) return fail(what + ": " + frame.error->toString());
  const st::ReadAllResult read =
      st::readComponentStreams(std::string_view(bytes).substr(frame.offset, frame.length));
  if (!read.ok()) {
    st::StreamError e = *read.error;
    e.offset += frame.offset;
    return fail(what + ": " + e.toString());
  }
  for (const st::Component& c : read.components) std::cout << st::toText(c);
  return 0;
}

int text(const std::string& file) {
  std::string bytes;
  if (!slurp(file, &bytes)) return fail(file + ": cannot be read");
  return printStreams(bytes, file);
}

int binary(const std::string& textFile, const std::string& out) {
  std::string text;
  if (!slurp(textFile, &text)) return fail(textFile + ": cannot be read");
  const st::TextReadResult parsed = st::fromText(text);
  if (!parsed.ok()) return fail(textFile + ": " + parsed.error->toString());
  if (parsed.components.empty()) return fail(textFile + ": no component in it");
  std::string bytes;
  for (const st::Component& c : parsed.components) bytes += st::writeComponentStream(c);
  std::ofstream o(out, std::ios::binary | std::ios::trunc);
  if (!o || !o.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !o.flush())
    return fail(out + ": cannot be written");
  return 0;
}

int row(const std::string& table, const std::string& number, const std::string& field) {
  std::unique_ptr<orba::pdx::Table> t;
  const orba::pdx::Status s = orba::pdx::Table::Open(table, orba::pdx::OpenOptions(), &t);
  if (!s.ok()) return fail(s.ToString());
  char* end = nullptr;
  const unsigned long n = std::strtoul(number.c_str(), &end, 10);
  if (number.empty() || *end || n < 1 || n > t->record_count())
    return fail("record " + number + " does not exist (the table has " + std::to_string(t->record_count()) +
                ", counted from 1)");
  int index = -1;
  for (size_t i = 0; i < t->fields().size(); ++i)
    if (strcasecmp(t->fields()[i].name.c_str(), field.c_str()) == 0) index = static_cast<int>(i);
  if (index < 0) return fail(table + ": no field " + field);
  orba::pdx::Record r;
  const orba::pdx::Status read = t->ReadRecord(static_cast<uint32_t>(n - 1), &r);
  if (!read.ok()) return fail(read.ToString());
  const orba::pdx::Value& v = r[static_cast<size_t>(index)];
  if (v.is_null()) return fail(table + ": record " + number + " has no " + field);
  if (v.kind() != orba::pdx::Value::Kind::kBytes) return fail(table + ": " + field + " is not a blob field");
  return printStreams(v.bytes().data, table + " record " + number + " " + field);
}

}  // namespace

int main(int argc, char** argv) {
  if (const int status = orba::tools::checkToolOptions(argc, argv, "orba-stream", kUsage); status >= 0)
    return status;
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "text" && argc == 3) return text(argv[2]);
  if (command == "binary" && argc == 4) return binary(argv[2], argv[3]);
  if (command == "row" && (argc == 4 || argc == 5))
    return row(argv[2], argv[3], argc == 5 ? argv[4] : "Desktop_Component");
  std::fputs(kUsage, stderr);
  return 2;
}
