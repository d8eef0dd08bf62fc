#include "paradox/TextCodec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orba::pdx {

namespace {

const iconv_t kBad = reinterpret_cast<iconv_t>(-1);

std::string IconvName(uint16_t cp) {
  switch (cp) {
    case 936:
      return "GBK";
    case 20866:
      return "KOI8-R";
    default:
      return "CP" + std::to_string(cp);
  }
}

bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

TextCodec::TextCodec(uint16_t code_page) : code_page_(code_page) {
  std::string name = IconvName(code_page);
  to_utf8_ = iconv_open("UTF-8", name.c_str());
  from_utf8_ = iconv_open(name.c_str(), "UTF-8");
  BuildByteTable();
}

void TextCodec::BuildByteTable() {
  static constexpr char kReplacement[] = "\xEF\xBF\xBD";
  iconv_t cd = static_cast<iconv_t>(to_utf8_);
  for (unsigned b = 0; b < 256; ++b) {
    ByteText& t = bytes_[b];
    if (cd == kBad) {
      // Unknown code page: keep ASCII, mark everything else as undecodable.
      if (b < 0x80) {
        t.utf8[0] = static_cast<char>(b);
        t.size = 1;
      } else {
        std::memcpy(t.utf8, kReplacement, 3);
        t.size = 3;
      }
      max_byte_text_ = std::max<size_t>(max_byte_text_, t.size);
      continue;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in = static_cast<char>(b);
    char* src = &in;
    size_t src_left = 1;
    char out[32];
    char* dst = out;
    size_t dst_left = sizeof out;
    size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    if (rc == static_cast<size_t>(-1)) {
      // A lead byte (EINVAL) means a multi-byte code page: no table.
      if (errno != EILSEQ) return;
      std::memcpy(t.utf8, kReplacement, 3);
      t.size = 3;
    } else {
      const size_t direct = static_cast<size_t>(dst - out);
      iconv(cd, nullptr, nullptr, &dst, &dst_left);
      const size_t total = static_cast<size_t>(dst - out);
      // Text held back until the flush means the converter combines a byte
      // with the next ones (e.g. 1255, 1258): bytes are not independent.
      if (direct == 0 || total != direct || total > sizeof t.utf8) return;
      std::memcpy(t.utf8, out, total);
      t.size = static_cast<uint8_t>(total);
    }
    max_byte_text_ = std::max<size_t>(max_byte_text_, t.size);
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  byte_table_ = true;
}

TextCodec::~TextCodec() {
  if (static_cast<iconv_t>(to_utf8_) != kBad) iconv_close(static_cast<iconv_t>(to_utf8_));
  if (static_cast<iconv_t>(from_utf8_) != kBad) iconv_close(static_cast<iconv_t>(from_utf8_));
}

bool TextCodec::valid() const {
  return static_cast<iconv_t>(to_utf8_) != kBad && static_cast<iconv_t>(from_utf8_) != kBad;
}

std::string TextCodec::Decode(std::string_view in) {
  if (IsAscii(in)) return std::string(in);
  if (byte_table_) {
    std::string out(in.size() * max_byte_text_, '\0');
    char* dst = out.data();
    for (unsigned char c : in) {
      std::memcpy(dst, bytes_[c].utf8, bytes_[c].size);
      dst += bytes_[c].size;
    }
    out.resize(static_cast<size_t>(dst - out.data()));
    return out;
  }
  iconv_t cd = static_cast<iconv_t>(to_utf8_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  out.resize(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char* dst = out.data();
  size_t dst_left = out.size();
  auto grow = [&] {
    size_t used = static_cast<size_t>(dst - out.data());
    out.resize(out.size() * 2);
    dst = out.data() + used;
    dst_left = out.size() - used;
  };
  // Combining code pages (1255, 1258) hold a character back until they see
  // the next byte; flushing emits it, so it is not lost at the end of the
  // text or before a replaced byte.
  auto flush = [&] {
    while (dst_left < 16) grow();
    iconv(cd, nullptr, nullptr, &dst, &dst_left);
  };
  while (src_left > 0) {
    size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      grow();
      continue;
    }
    // EILSEQ or EINVAL: replace one byte and go on.
    flush();
    *dst++ = '\xEF';
    *dst++ = '\xBF';
    *dst++ = '\xBD';
    dst_left -= 3;
    ++src;
    --src_left;
  }
  flush();
  out.resize(static_cast<size_t>(dst - out.data()));
  return out;
}

Status TextCodec::Encode(std::string_view utf8, std::string* out, std::string_view what) {
  out->clear();
  if (IsAscii(utf8)) {
    out->assign(utf8);
    return Status::OK();
  }
  iconv_t cd = static_cast<iconv_t>(from_utf8_);
  if (cd == kBad)
    return Status::NotSupported(what,
                                "code page " + std::to_string(code_page_) + " is not available for writing");
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out->resize(utf8.size() * 2 + 16);
  char* src = const_cast<char*>(utf8.data());
  size_t src_left = utf8.size();
  char* dst = out->data();
  size_t dst_left = out->size();
  size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
  if (rc == static_cast<size_t>(-1) || rc > 0) {
    // rc > 0 counts irreversible (approximated) conversions.
    return Status::InvalidArgument(what,
                                   "text cannot be represented in code page " + std::to_string(code_page_));
  }
  out->resize(static_cast<size_t>(dst - out->data()));
  return Status::OK();
}

}  // namespace orba::pdx
