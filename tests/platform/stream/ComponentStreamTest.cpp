// Streams we write ourselves: exact bytes where the layout is fixed, round
// trips of every value kind, and damaged input that must end in an error.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "stream/ComponentStream.h"

using namespace orba::stream;

namespace {

std::string bytes(std::initializer_list<int> b) {
  std::string s;
  for (int c : b) s += static_cast<char>(c);
  return s;
}

// A desktop icon as the desktop stores it, with every kind of value an icon,
// a panel, a grid or the to-do text carries.
Component desktopLike() {
  Component c;
  c.className = "TTransparentButton";
  c.name = "ClientBtn";
  CollectionItem column;
  column.properties = {{"Expanded", Value::Boolean(false)},
                       {"FieldName", Value::String("Cli_code")},
                       {"Title.Caption", Value::String("Code")},
                       {"Width", Value::Integer(64)}};
  CollectionItem ordered;
  ordered.order = 300;
  ordered.properties = {{"Visible", Value::Boolean(true)}};
  c.set("Tag", Value::Integer(1))
      .set("Left", Value::Integer(-129))
      .set("Top", Value::Integer(40000))
      .set("Width", Value::Integer(-2147483648LL))
      .set("Caption", Value::String(utf8ToWindows1252("Employés")))
      .set("Font.Charset", Value::Ident("DEFAULT_CHARSET"))
      .set("Font.Style", Value::Set({"fsBold", "fsItalic"}))
      .set("Options", Value::Set({}))
      .set("Glyph.Data", Value::Binary(bytes({4, 0, 0, 0, 'B', 'M', 0, 0xff})))
      .set("Lines.Strings", Value::List({Value::String("first"), Value::String(""), Value::String("it's")}))
      .set("Hint", Value::String(std::string(300, 'x')))
      .set("Columns", Value::Collection({column, ordered}))
      .set("Empty", Value::Collection({}))
      .set("PopUpMenu", Value::Ident("PopupMenu"))
      .set("DataSource", Value::Ident("Ar_DataModule.Ar_DataSource"))
      .set("OnClick", Value::Nil())
      .set("Movable", Value::Boolean(true));
  return c;
}

TEST(ComponentStream, WritesTheSmallestIntegerThatHoldsEachValue) {
  struct Case {
    int64_t value;
    std::string encoded;
  } cases[] = {
      {0, bytes({2, 0})},
      {127, bytes({2, 0x7f})},
      {-128, bytes({2, 0x80})},
      {128, bytes({3, 0x80, 0})},
      {-129, bytes({3, 0x7f, 0xff})},
      {32767, bytes({3, 0xff, 0x7f})},
      {32768, bytes({4, 0, 0x80, 0, 0})},
      {-32769, bytes({4, 0xff, 0x7f, 0xff, 0xff})},
      {2147483647, bytes({4, 0xff, 0xff, 0xff, 0x7f})},
      {2147483648LL, bytes({19, 0, 0, 0, 0x80, 0, 0, 0, 0})},
      {INT64_MIN, bytes({19, 0, 0, 0, 0, 0, 0, 0, 0x80})},
  };
  for (const Case& k : cases) {
    Component c;
    c.className = "T";
    c.set("N", Value::Integer(k.value));
    // Even an integer read as 32-bit is written in the smallest width.
    c.properties[0].value.type = ValueType::kInt32;
    if (k.value > INT32_MAX || k.value < INT32_MIN) c.properties[0].value.type = ValueType::kInt64;
    const std::string expected = "TPF0" + bytes({1, 'T', 0, 1, 'N'}) + k.encoded + bytes({0, 0});
    EXPECT_EQ(writeComponentStream(c), expected) << k.value;
    const ReadResult r = readComponentStream(expected);
    ASSERT_TRUE(r.ok()) << r.error->toString();
    EXPECT_EQ(r.component.find("N")->integer, k.value);
  }
}

TEST(ComponentStream, ADesktopRowHasThisExactLayout) {
  Component c;
  c.className = "TTransparentButton";
  c.name = "ToDoListBtn";
  c.set("Tag", Value::Integer(1))
      .set("Caption", Value::String(utf8ToWindows1252("À faire")))
      .set("Font.Style", Value::Set({}))
      .set("Glyph.Data", Value::Binary("BM"))
      .set("Movable", Value::Boolean(true))
      .set("PopUpMenu", Value::Ident("PopupMenu"));
  const std::string expected = "TPF0" + bytes({18}) + "TTransparentButton" + bytes({11}) + "ToDoListBtn" +
                               bytes({3}) + "Tag" + bytes({2, 1}) +                           //
                               bytes({7}) + "Caption" + bytes({6, 7, 0xC0}) + " faire" +      //
                               bytes({10}) + "Font.Style" + bytes({11, 0}) +                  //
                               bytes({10}) + "Glyph.Data" + bytes({10, 2, 0, 0, 0}) + "BM" +  //
                               bytes({7}) + "Movable" + bytes({9}) +                          //
                               bytes({9}) + "PopUpMenu" + bytes({7, 9}) + "PopupMenu" + bytes({0, 0});
  EXPECT_EQ(writeComponentStream(c), expected);
  EXPECT_EQ(toText(c),
            "object ToDoListBtn: TTransparentButton\n"
            "  Tag = 1\n"
            "  Caption = #192' faire'\n"
            "  Font.Style = []\n"
            "  Glyph.Data = {\n"
            "    424D\n"
            "  }\n"
            "  Movable = True\n"
            "  PopUpMenu = PopupMenu\n"
            "end\n");
}

TEST(ComponentStream, EveryValueKindTheDesktopWritesComesBack) {
  const Component c = desktopLike();
  const std::string written = writeComponentStream(c);
  const ReadResult r = readComponentStream(written);
  ASSERT_TRUE(r.ok()) << r.error->toString();
  EXPECT_EQ(r.end, written.size());
  EXPECT_EQ(r.component, c);
  EXPECT_EQ(r.component.find("Hint")->type, ValueType::kLString);  // longer than a short string
  EXPECT_EQ(r.component.find("Left")->type, ValueType::kInt16);
  EXPECT_EQ(r.component.find("Width")->type, ValueType::kInt32);
  EXPECT_EQ(windows1252ToUtf8(r.component.find("Caption")->text), "Employés");
  ASSERT_EQ(r.component.find("Columns")->items.size(), 2u);
  EXPECT_FALSE(r.component.find("Columns")->items[0].order);
  EXPECT_EQ(r.component.find("Columns")->items[1].order, 300);
  EXPECT_EQ(writeComponentStream(r.component), written);
  // Text of a collection and a list, in the reference converter's layout.
  const std::string text = toText(c);
  EXPECT_NE(text.find("  Lines.Strings = (\n    'first'\n    ''\n    'it''s'\n  )\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("  Columns = <  \n    item\n      Expanded = False\n"), std::string::npos) << text;
  EXPECT_NE(text.find("      Width = 64\n    end  \n    item[300]\n      Visible = True\n    end>\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  Empty = <>\n"), std::string::npos);
  EXPECT_NE(text.find("  Font.Style = [fsBold, fsItalic]\n"), std::string::npos);
  EXPECT_NE(text.find("  OnClick = nil\n"), std::string::npos);
}

TEST(ComponentStream, ValueKindsOnlyOtherWritersUseComeBackToo) {
  Component root;
  root.className = "TForm1";
  root.name = "Form1";
  root.flags = kFlagInherited;
  Component child;
  child.className = "TFrame";
  child.name = "Frame1";
  child.flags = kFlagInline | kFlagChildPos;
  child.childPos = 3;
  child.set("Ratio", Value::Extended(2.5L))
      .set("Scale", Value::Single(0.25f))
      .set("Price", Value::Currency(123450))
      .set("When", Value::Date(45000.5))
      .set("Wide", Value::WideString(u"Gr\u00fc\u00dfe \U0001F600"))
      .set("Utf8", Value::Utf8String("caf\xc3\xa9"))
      .set("Big", Value::Integer(1LL << 40));
  root.children.push_back(child);
  const std::string written = writeComponentStream(root);
  EXPECT_EQ(static_cast<uint8_t>(written[4]), 0xF1);
  const ReadResult r = readComponentStream(written);
  ASSERT_TRUE(r.ok()) << r.error->toString();
  EXPECT_EQ(r.component, root);
  const Component& f = r.component.children.at(0);
  EXPECT_DOUBLE_EQ(f.find("Ratio")->real, 2.5);
  EXPECT_EQ(f.find("Price")->integer, 123450);
  EXPECT_EQ(toText(r.component),
            "inherited Form1: TForm1\n"
            "  inline Frame1: TFrame[3]\n"
            "    Ratio =  2.50000000000000000000E+0000\n"
            "    Scale = 0.25s\n"
            "    Price = 12.345c\n"
            "    When = 45000.5d\n"
            "    Wide = 'Gr'#252#223'e '#128512\n"
            "    Utf8 = 'caf'#233\n"
            "    Big = 1099511627776\n"
            "  end\n"
            "end\n");
}

TEST(ComponentStream, StreamsBackToBackAndResourceHeaders) {
  Component a;
  a.className = "TEdit";
  a.name = "Edit1";
  Component b = a;
  b.name = "Edit2";
  b.set("Text", Value::String("x"));
  const std::string both = writeComponentStream(a) + writeComponentStream(b);
  const ReadAllResult all = readComponentStreams(both);
  ASSERT_TRUE(all.ok());
  ASSERT_EQ(all.components.size(), 2u);
  EXPECT_EQ(all.components[1], b);

  const std::string stream = writeComponentStream(a);
  const uint32_t n = static_cast<uint32_t>(stream.size());
  const std::string framed =
      bytes({0xff, 0x0a, 0}) + "FORM1" +
      bytes({0, 0x30, 0x10, static_cast<int>(n & 0xff), static_cast<int>(n >> 8), 0, 0}) + stream;
  const ResourceFrame f = skipResourceHeader(framed);
  ASSERT_FALSE(f.error);
  EXPECT_EQ(f.name, "FORM1");
  EXPECT_EQ(f.offset, 15u);  // 10 + the length of the name
  EXPECT_EQ(f.length, stream.size());
  EXPECT_EQ(skipResourceHeader(stream).offset, 0u);
  // A header claiming more than the file holds.
  std::string lying = framed;
  lying[12] = 0x7f;
  EXPECT_TRUE(skipResourceHeader(lying).error);
  EXPECT_TRUE(skipResourceHeader(bytes({0xff, 0x0a, 0, 'A', 'B'})).error);
}

TEST(ComponentStream, DamagedStreamsEndInAnErrorNamingTheOffset) {
  const std::string good = writeComponentStream(desktopLike());
  // Every cut is noticed, and never past the cut.
  for (size_t n = 0; n < good.size(); ++n) {
    const ReadResult r = readComponentStream(std::string_view(good).substr(0, n));
    ASSERT_FALSE(r.ok()) << n;
    EXPECT_LE(r.error->offset, n);
  }
  // Any byte changed to any value: an error or a readable tree, never a
  // crash; what reads must write back to a stream that reads again.
  for (size_t i = 0; i < good.size(); ++i) {
    for (int v : {0x00, 0x01, 0x05, 0x0e, 0x13, 0x7f, 0x80, 0xf7, 0xff}) {
      std::string bad = good;
      bad[i] = static_cast<char>(v);
      const ReadResult r = readComponentStream(bad);
      if (r.ok()) {
        EXPECT_LE(r.end, bad.size());
        EXPECT_TRUE(readComponentStream(writeComponentStream(r.component)).ok());
      } else {
        EXPECT_LE(r.error->offset, bad.size());
        EXPECT_FALSE(r.error->fault.empty());
      }
    }
  }

  const std::string head = "TPF0" + bytes({1, 'T', 0, 1, 'P'});
  ReadResult r = readComponentStream(head + bytes({10, 0xff, 0xff, 0xff, 0x7f, 1, 2}));
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error->offset, 10u);  // at the length, which is larger than the rest
  EXPECT_NE(r.error->fault.find("exceeds"), std::string::npos) << r.error->fault;
  r = readComponentStream(head + bytes({18, 0xff, 0xff, 0xff, 0x7f, 0, 0}));
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error->offset, 10u);
  r = readComponentStream(head + bytes({42, 0, 0}));
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error->offset, 9u);
  EXPECT_NE(r.error->fault.find("unknown value type 42"), std::string::npos);
  r = readComponentStream("TPF1" + bytes({1, 'T', 0, 0, 0}));
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error->offset, 0u);

  // Nesting without end, in lists and in components, is refused early.
  std::string lists = head;
  for (int i = 0; i < 100000; ++i) lists += static_cast<char>(1);
  r = readComponentStream(lists);
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.error->fault.find("nesting"), std::string::npos);
  std::string objects = "TPF0";
  for (int i = 0; i < 100000; ++i) objects += bytes({1, 'T', 0, 0});
  r = readComponentStream(objects);
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.error->fault.find("nesting"), std::string::npos);
}

// The round trips above hold only if a difference anywhere makes two
// components unequal.
TEST(ComponentStream, ComponentsDifferingAnywhereAreUnequal) {
  Component base = desktopLike();
  base.flags = kFlagChildPos;
  base.childPos = 2;
  base.children.push_back(desktopLike());
  std::vector<std::function<void(Component&)>> changes = {
      [](Component& c) { c.flags |= kFlagInline; },
      [](Component& c) { c.childPos = 3; },
      [](Component& c) { c.className = "TButton"; },
      [](Component& c) { c.name = "SupplierBtn"; },
      [](Component& c) { c.properties.pop_back(); },
      [](Component& c) { c.properties[0].value = Value::Integer(2); },
      [](Component& c) { c.properties[0].name = "HelpContext"; },
      [](Component& c) { c.children[0].name = "Other"; },
      [](Component& c) { c.children.clear(); }};
  for (std::size_t i = 0; i < changes.size(); ++i) {
    Component changed = base;
    changes[i](changed);
    EXPECT_FALSE(changed == base) << "change " << i;
  }
  Component same = base;
  same.childPosType = ValueType::kInt16;  // the width is the writer's business
  EXPECT_TRUE(same == base);
}

// The text form read back: every value kind, and quoted text in any script,
// which is Windows-1252 bytes where the code page holds it and a wide string
// where it does not.
TEST(ComponentStream, TheTextFormReadsBackAsItWasWritten) {
  for (const Component& c : {desktopLike()}) {
    const TextReadResult back = fromText(toText(c));
    ASSERT_TRUE(back.ok()) << back.error->toString();
    ASSERT_EQ(back.components.size(), 1u);
    EXPECT_EQ(back.components[0], c);
    EXPECT_EQ(writeComponentStream(back.components[0]), writeComponentStream(c));
  }
  const TextReadResult r = fromText(
      "object Label1: TLabel\n"
      "  Thai = '\xe0\xb9\x84\xe0\xb8\x97\xe0\xb8\xa2'\n"
      "  Latin = '\xc4\x80'\n"
      "  Smile = '\xf0\x9f\x98\x80'\n"
      "  Stored = '\xc3\xa9'#128\n"
      "  Euro = '\xe2\x82\xac'\n"
      "  Quote = 'it''s'\n"
      "end\n");
  ASSERT_TRUE(r.ok()) << r.error->toString();
  const Component& label = r.components.at(0);
  EXPECT_EQ(label.find("Thai")->type, ValueType::kWString);
  EXPECT_EQ(label.find("Thai")->wide, u"\u0e44\u0e17\u0e22");
  EXPECT_EQ(label.find("Latin")->type, ValueType::kWString);
  EXPECT_EQ(label.find("Latin")->wide, u"\u0100");
  EXPECT_EQ(label.find("Smile")->wide, u"\U0001F600");
  EXPECT_EQ(label.find("Stored")->type, ValueType::kString);
  EXPECT_EQ(label.find("Stored")->text, "\xe9\x80");  // a byte as it was stored
  EXPECT_EQ(label.find("Euro")->text, "\x80");
  EXPECT_EQ(label.find("Quote")->text, "it's");
}

TEST(ComponentStream, CaptionsTravelInWindows1252) {
  bool lossless = false;
  EXPECT_EQ(utf8ToWindows1252("Employés À faire €", &lossless), "Employ\xe9s \xc0 faire \x80");
  EXPECT_TRUE(lossless);
  EXPECT_EQ(utf8ToWindows1252("Ωx", &lossless), "?x");
  EXPECT_FALSE(lossless);
  EXPECT_EQ(utf8ToWindows1252(std::string_view("a\0b", 3), &lossless), std::string("a\0b", 3));
  EXPECT_TRUE(lossless);
  EXPECT_EQ(utf8ToWindows1252("\xc4\x80", &lossless), "?");
  EXPECT_FALSE(lossless);
  EXPECT_EQ(windows1252ToUtf8("\x80\x9c\xe9\x81"), "€œé\xc2\x81");
  EXPECT_EQ(utf8ToWindows1252(windows1252ToUtf8("\x81\x8d\x8f\x90\x9d")), "\x81\x8d\x8f\x90\x9d");
}

}  // namespace
