// TextCodec: converts between a table's code page and UTF-8 (glibc iconv).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "paradox/Status.h"

namespace orba::pdx {

class TextCodec {
 public:
  // code_page: a Windows/DOS code page number (437, 850, 866, 936, 1252, ...).
  explicit TextCodec(uint16_t code_page);
  ~TextCodec();
  TextCodec(const TextCodec&) = delete;
  TextCodec& operator=(const TextCodec&) = delete;

  uint16_t code_page() const { return code_page_; }
  // True when Decode maps each byte on its own through a table (code pages
  // where iconv turns every byte into fixed text regardless of its
  // neighbours); false for multi-byte and combining code pages.
  bool byte_table() const { return byte_table_; }
  // False when iconv does not know the code page.
  bool valid() const;

  // Bytes that cannot be decoded become U+FFFD: one damaged byte must not make
  // a record unreadable.
  std::string Decode(std::string_view in);
  // InvalidArgument (naming `what`) when a character has no equivalent in
  // the code page: silently storing '?' would corrupt the user's data.
  Status Encode(std::string_view utf8, std::string* out, std::string_view what);

 private:
  void BuildByteTable();

  uint16_t code_page_;
  void* to_utf8_;    // iconv_t
  void* from_utf8_;  // iconv_t
  // UTF-8 of each byte, taken from iconv once: decoding through iconv costs
  // a call per string and dominates reading text-heavy tables.
  struct ByteText {
    char utf8[7];
    uint8_t size;
  };
  bool byte_table_ = false;
  ByteText bytes_[256];
  size_t max_byte_text_ = 0;
};

}  // namespace orba::pdx
