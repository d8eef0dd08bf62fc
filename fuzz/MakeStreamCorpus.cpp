// Seeds the component-stream fuzzer with streams the writer makes: one of
// every value kind, several back to back, and one behind a resource header.
#include <cstdio>
#include <fstream>
#include <string>

#include "stream/ComponentStream.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: stream_make_corpus DIR\n");
    return 2;
  }
  using namespace orba::stream;
  Component icon;
  icon.className = "TTransparentButton";
  icon.name = "ClientBtn";
  icon.set("Tag", Value::Integer(1))
      .set("Left", Value::Integer(300))
      .set("Top", Value::Integer(-70000))
      .set("Caption", Value::String("Clients \xE9"))
      .set("Font.Style", Value::Set({"fsBold", "fsItalic"}))
      .set("Glyph.Data", Value::Binary(std::string(70, 'B')))
      .set("Lines.Strings", Value::List({Value::String("one"), Value::String(std::string(300, 'l'))}))
      .set("Ratio", Value::Extended(1.5L))
      .set("Single", Value::Single(0.25f))
      .set("Price", Value::Currency(12345))
      .set("When", Value::Date(45000.5))
      .set("Wide", Value::WideString(u"\u4F1A\u8BAE"))
      .set("Utf8", Value::Utf8String("\xC3\xA9t\xC3\xA9"))
      .set("PopUpMenu", Value::Ident("PopupMenu"))
      .set("Nothing", Value::Nil())
      .set("Visible", Value::Boolean(false));
  CollectionItem column;
  column.properties.push_back({"FieldName", Value::String("Ar_code"), 0});
  column.properties.push_back({"Width", Value::Integer(64), 0});
  CollectionItem ordered = column;
  ordered.order = 3;
  icon.set("Columns", Value::Collection({column, ordered}));
  Component child;
  child.className = "TLabel";
  child.name = "Label1";
  child.flags = kFlagInherited | kFlagChildPos;
  child.childPos = 2;
  icon.children.push_back(child);
  const std::string one = writeComponentStream(icon);
  const std::string dir = argv[1];
  auto write = [&](const char* name, const std::string& bytes) {
    std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
  };
  write("icon.bin", one);
  write("two.bin", one + one);
  std::string resource = std::string("\xFF\x0A\x00", 3) + "ICON" + std::string(1, '\0') + "\x30\x10";
  const auto n = static_cast<uint32_t>(one.size());
  for (int i = 0; i < 4; ++i) resource += static_cast<char>(n >> (8 * i));
  write("resource.bin", resource + one);
  return 0;
}
