// The text form read back: the inverse of toText. Every value takes the
// type the desktop's writer would give it (the smallest integer width, a
// short string up to 255 bytes, Windows-1252 unless a character needs
// UTF-16), so the text of a stream the desktop wrote converts back to the
// same bytes.

#include <strings.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "stream/ComponentStream.h"
#include "stream/StreamInternal.h"

namespace orba::stream {

namespace {

struct TextFault {
  size_t line;
  std::string fault;
};

enum class Tok { kEnd, kName, kNumber, kString, kSymbol, kBinary };

struct Token {
  Tok kind = Tok::kEnd;
  std::string text;             // name, number (with its suffix), symbol
  std::vector<char32_t> chars;  // string
  size_t line = 1;
};

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  const Token& peek() {
    if (!peeked_) {
      next_ = read();
      peeked_ = true;
    }
    return next_;
  }
  Token take() {
    peek();
    peeked_ = false;
    return next_;
  }
  size_t line() const { return line_; }
  // The hexadecimal digits up to "}", whitespace ignored (after "{").
  std::string binary() {
    std::string bytes;
    int half = -1;
    for (; pos_ < text_.size(); ++pos_) {
      const char c = text_[pos_];
      if (c == '\n') ++line_;
      if (std::isspace(static_cast<unsigned char>(c))) continue;
      if (c == '}') {
        ++pos_;
        if (half >= 0) throw TextFault{line_, "binary data with an odd number of digits"};
        return bytes;
      }
      if (!std::isxdigit(static_cast<unsigned char>(c)))
        throw TextFault{line_, "binary data holds a non-hex character"};
      const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
      if (half < 0) {
        half = digit;
      } else {
        bytes.push_back(static_cast<char>(half * 16 + digit));
        half = -1;
      }
    }
    throw TextFault{line_, "binary data is not closed by }"};
  }

 private:
  Token read() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
      if (text_[pos_] == '\n') ++line_;
      ++pos_;
    }
    Token t;
    t.line = line_;
    if (pos_ >= text_.size()) return t;
    const char c = text_[pos_];
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      size_t start = pos_;
      while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
                                     text_[pos_] == '_' || text_[pos_] == '.'))
        ++pos_;
      t.kind = Tok::kName;
      t.text = std::string(text_.substr(start, pos_ - start));
      return t;
    }
    if (std::isdigit(static_cast<unsigned char>(c)) ||
        ((c == '-' || c == '+') && pos_ + 1 < text_.size() &&
         std::isdigit(static_cast<unsigned char>(text_[pos_ + 1])))) {
      size_t start = pos_++;
      while (pos_ < text_.size()) {
        const char d = text_[pos_];
        const bool exponentSign =
            (d == '+' || d == '-') && (text_[pos_ - 1] == 'E' || text_[pos_ - 1] == 'e');
        if (!std::isalnum(static_cast<unsigned char>(d)) && d != '.' && !exponentSign) break;
        ++pos_;
      }
      t.kind = Tok::kNumber;
      t.text = std::string(text_.substr(start, pos_ - start));
      return t;
    }
    if (c == '\'' || c == '#') {
      t.kind = Tok::kString;
      while (pos_ < text_.size() && (text_[pos_] == '\'' || text_[pos_] == '#')) {
        if (text_[pos_] == '#') {
          size_t start = ++pos_;
          while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
          if (start == pos_) throw TextFault{line_, "# without a character code"};
          t.chars.push_back(static_cast<char32_t>(
              std::strtoul(std::string(text_.substr(start, pos_ - start)).c_str(), nullptr, 10)));
          continue;
        }
        ++pos_;  // opening quote
        for (;;) {
          if (pos_ >= text_.size() || text_[pos_] == '\n') throw TextFault{line_, "string not closed"};
          if (text_[pos_] == '\'') {
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
              t.chars.push_back('\'');
              pos_ += 2;
              continue;
            }
            ++pos_;
            break;
          }
          // Between quotes the text is UTF-8.
          size_t len = 1;
          const auto lead = static_cast<unsigned char>(text_[pos_]);
          if (lead >= 0xF0)
            len = 4;
          else if (lead >= 0xE0)
            len = 3;
          else if (lead >= 0xC0)
            len = 2;
          for (char32_t ch : decodeUtf8(text_.substr(pos_, len))) t.chars.push_back(ch);
          pos_ += len;
        }
      }
      return t;
    }
    t.kind = Tok::kSymbol;
    t.text = std::string(1, c);
    ++pos_;
    return t;
  }

  std::string_view text_;
  size_t pos_ = 0;
  size_t line_ = 1;
  bool peeked_ = false;
  Token next_;
};

class TextReader {
 public:
  explicit TextReader(std::string_view text) : lex_(text) {}

  std::vector<Component> all() {
    std::vector<Component> out;
    while (lex_.peek().kind != Tok::kEnd) out.push_back(component(0));
    return out;
  }

 private:
  void expect(const char* symbol) {
    const Token t = lex_.take();
    if (t.kind != Tok::kSymbol || t.text != symbol)
      throw TextFault{t.line,
                      std::string("expected ") + symbol + (t.text.empty() ? "" : " before " + t.text)};
  }
  static bool isWord(const Token& t, const char* word) {
    return t.kind == Tok::kName && strcasecmp(t.text.c_str(), word) == 0;
  }

  Component component(int depth) {
    if (depth > kMaxNesting) throw TextFault{lex_.line(), "components nested too deeply"};
    Component c;
    const Token head = lex_.take();
    if (isWord(head, "inherited"))
      c.flags |= kFlagInherited;
    else if (isWord(head, "inline"))
      c.flags |= kFlagInline;
    else if (!isWord(head, "object"))
      throw TextFault{head.line, "expected object, inherited or inline"};
    Token first = lex_.take();
    if (first.kind != Tok::kName) throw TextFault{first.line, "expected a component's class"};
    if (lex_.peek().kind == Tok::kSymbol && lex_.peek().text == ":") {
      lex_.take();
      c.name = first.text;
      first = lex_.take();
      if (first.kind != Tok::kName) throw TextFault{first.line, "expected the class after the name"};
    }
    c.className = first.text;
    if (lex_.peek().kind == Tok::kSymbol && lex_.peek().text == "[") {
      lex_.take();
      const Token n = lex_.take();
      c.flags |= kFlagChildPos;
      c.childPos = std::strtoll(n.text.c_str(), nullptr, 10);
      c.childPosType = smallestIntegerType(c.childPos);
      expect("]");
    }
    for (;;) {
      const Token& t = lex_.peek();
      if (isWord(t, "end")) {
        lex_.take();
        return c;
      }
      if (isWord(t, "object") || isWord(t, "inherited") || isWord(t, "inline")) {
        c.children.push_back(component(depth + 1));
        continue;
      }
      if (t.kind != Tok::kName) throw TextFault{t.line, "expected a property, a component or end"};
      c.properties.push_back(property(depth));
    }
  }

  Property property(int depth) {
    Property p;
    p.name = lex_.take().text;
    expect("=");
    p.value = value(depth + 1);
    return p;
  }

  Value value(int depth) {
    if (depth > kMaxNesting) throw TextFault{lex_.line(), "values nested too deeply"};
    const Token t = lex_.take();
    switch (t.kind) {
      case Tok::kEnd:
        throw TextFault{t.line, "text ends where a value was expected"};
      case Tok::kString:
        return stringValue(t.chars);
      case Tok::kNumber:
        return number(t);
      case Tok::kName:
        if (strcasecmp(t.text.c_str(), "True") == 0) return Value::Boolean(true);
        if (strcasecmp(t.text.c_str(), "False") == 0) return Value::Boolean(false);
        if (strcasecmp(t.text.c_str(), "nil") == 0) return Value::Nil();
        return Value::Ident(t.text);
      case Tok::kBinary:
      case Tok::kSymbol:
        break;
    }
    if (t.text == "{") return Value::Binary(lex_.binary());
    if (t.text == "(") {
      std::vector<Value> items;
      while (!(lex_.peek().kind == Tok::kSymbol && lex_.peek().text == ")"))
        items.push_back(value(depth + 1));
      lex_.take();
      return Value::List(std::move(items));
    }
    if (t.text == "[") {
      std::vector<std::string> names;
      while (!(lex_.peek().kind == Tok::kSymbol && lex_.peek().text == "]")) {
        const Token n = lex_.take();
        if (n.kind != Tok::kName) throw TextFault{n.line, "expected a set member"};
        names.push_back(n.text);
        if (lex_.peek().kind == Tok::kSymbol && lex_.peek().text == ",") lex_.take();
      }
      lex_.take();
      return Value::Set(std::move(names));
    }
    if (t.text == "<") {
      std::vector<CollectionItem> items;
      while (!(lex_.peek().kind == Tok::kSymbol && lex_.peek().text == ">")) {
        const Token head = lex_.take();
        if (!isWord(head, "item")) throw TextFault{head.line, "expected item in a collection"};
        CollectionItem item;
        if (lex_.peek().kind == Tok::kSymbol && lex_.peek().text == "[") {
          lex_.take();
          item.order = std::strtoll(lex_.take().text.c_str(), nullptr, 10);
          item.orderType = smallestIntegerType(*item.order);
          expect("]");
        }
        while (!isWord(lex_.peek(), "end")) {
          if (lex_.peek().kind != Tok::kName) throw TextFault{lex_.peek().line, "expected a property or end"};
          item.properties.push_back(property(depth));
        }
        lex_.take();
        items.push_back(std::move(item));
      }
      lex_.take();
      return Value::Collection(std::move(items));
    }
    throw TextFault{t.line, "unexpected " + t.text};
  }

  static Value stringValue(const std::vector<char32_t>& chars) {
    // Windows-1252 when every character has a place in it, else UTF-16.
    std::string utf8;
    for (char32_t c : chars) {
      if (c < 0x80) {
        utf8 += static_cast<char>(c);
      } else if (c < 0x800) {
        utf8 += static_cast<char>(0xC0 | (c >> 6));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
      } else if (c < 0x10000) {
        utf8 += static_cast<char>(0xE0 | (c >> 12));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        utf8 += static_cast<char>(0xF0 | (c >> 18));
        utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    bool lossless = true;
    std::string ansi = utf8ToWindows1252(utf8, &lossless);
    // A code below 256 that Windows-1252 gives another character (the
    // 0x80-0x9F range) stands for that byte as it was stored.
    if (!lossless) {
      bool bytes = true;
      for (char32_t c : chars) bytes = bytes && c < 256;
      if (bytes) {
        ansi.clear();
        for (char32_t c : chars) ansi.push_back(static_cast<char>(c));
        lossless = true;
      }
    }
    if (lossless) return Value::String(std::move(ansi));
    std::u16string units;
    for (char32_t c : chars) {
      if (c >= 0x10000) {
        units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
      } else {
        units.push_back(static_cast<char16_t>(c));
      }
    }
    return Value::WideString(std::move(units));
  }

  static Value number(const Token& t) {
    std::string text = t.text;
    const char suffix = static_cast<char>(std::tolower(static_cast<unsigned char>(text.back())));
    const bool isFloat =
        text.find_first_of(".eE") != std::string::npos || suffix == 's' || suffix == 'c' || suffix == 'd';
    if (!isFloat) {
      errno = 0;
      char* end = nullptr;
      const long long v = std::strtoll(text.c_str(), &end, 10);
      if (errno || *end) throw TextFault{t.line, "'" + text + "' is not a number"};
      return Value::Integer(v);
    }
    if (suffix == 's' || suffix == 'c' || suffix == 'd') text.pop_back();
    char* end = nullptr;
    const long double v = std::strtold(text.c_str(), &end);
    if (*end) throw TextFault{t.line, "'" + t.text + "' is not a number"};
    if (suffix == 's') return Value::Single(static_cast<float>(v));
    if (suffix == 'c') return Value::Currency(static_cast<int64_t>(v * 10000.0L + (v < 0 ? -0.5L : 0.5L)));
    if (suffix == 'd') return Value::Date(static_cast<double>(v));
    return Value::Extended(v);
  }

  Lexer lex_;
};

}  // namespace

TextReadResult fromText(std::string_view text) {
  TextReadResult result;
  try {
    TextReader reader(text);
    result.components = reader.all();
  } catch (const TextFault& f) {
    result.components.clear();
    result.error = TextError{f.line, f.fault};
  }
  return result;
}

std::string TextError::toString() const { return "line " + std::to_string(line) + ": " + fault; }

}  // namespace orba::stream
