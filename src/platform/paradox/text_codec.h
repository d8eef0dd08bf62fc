// TextCodec: converts between a table's code page and UTF-8 (glibc iconv).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "paradox/status.h"

namespace orba::pdx {

class TextCodec {
 public:
  // code_page: a Windows/DOS code page number (437, 850, 866, 936, 1252, ...).
  explicit TextCodec(uint16_t code_page);
  ~TextCodec();
  TextCodec(const TextCodec&) = delete;
  TextCodec& operator=(const TextCodec&) = delete;

  uint16_t code_page() const { return code_page_; }
  // False when iconv does not know the code page.
  bool valid() const;

  // Bytes that cannot be decoded become U+FFFD: one damaged byte must not make
  // a record unreadable.
  std::string Decode(std::string_view in);
  // InvalidArgument (naming `what`) when a character has no equivalent in
  // the code page: silently storing '?' would corrupt the user's data.
  Status Encode(std::string_view utf8, std::string* out, std::string_view what);

 private:
  uint16_t code_page_;
  void* to_utf8_;    // iconv_t
  void* from_utf8_;  // iconv_t
};

}  // namespace orba::pdx
