#include "paradox/text_codec.h"

#include <iconv.h>

#include <cerrno>

namespace orba::pdx {

namespace {

const iconv_t kBad = reinterpret_cast<iconv_t>(-1);

std::string IconvName(uint16_t cp) {
  switch (cp) {
    case 936: return "GBK";
    case 20866: return "KOI8-R";
    default: return "CP" + std::to_string(cp);
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
}

TextCodec::~TextCodec() {
  if (static_cast<iconv_t>(to_utf8_) != kBad) iconv_close(static_cast<iconv_t>(to_utf8_));
  if (static_cast<iconv_t>(from_utf8_) != kBad) iconv_close(static_cast<iconv_t>(from_utf8_));
}

bool TextCodec::valid() const {
  return static_cast<iconv_t>(to_utf8_) != kBad && static_cast<iconv_t>(from_utf8_) != kBad;
}

std::string TextCodec::Decode(std::string_view in) {
  if (IsAscii(in) || static_cast<iconv_t>(to_utf8_) == kBad) {
    if (IsAscii(in)) return std::string(in);
    // Unknown code page: keep ASCII, mark everything else as undecodable.
    std::string out;
    for (unsigned char c : in) {
      if (c < 0x80) out.push_back(static_cast<char>(c));
      else out += "\xEF\xBF\xBD";
    }
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
  while (src_left > 0) {
    size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      size_t used = static_cast<size_t>(dst - out.data());
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dst_left = out.size() - used;
      continue;
    }
    // EILSEQ or EINVAL: replace one byte and go on.
    if (dst_left < 3) {
      size_t used = static_cast<size_t>(dst - out.data());
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dst_left = out.size() - used;
    }
    *dst++ = '\xEF';
    *dst++ = '\xBF';
    *dst++ = '\xBD';
    dst_left -= 3;
    ++src;
    --src_left;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
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
    return Status::NotSupported(what, "code page " + std::to_string(code_page_) +
                                          " is not available for writing");
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out->resize(utf8.size() * 2 + 16);
  char* src = const_cast<char*>(utf8.data());
  size_t src_left = utf8.size();
  char* dst = out->data();
  size_t dst_left = out->size();
  size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
  if (rc == static_cast<size_t>(-1) || rc > 0) {
    // rc > 0 counts irreversible (approximated) conversions.
    return Status::InvalidArgument(
        what, "text cannot be represented in code page " + std::to_string(code_page_));
  }
  out->resize(static_cast<size_t>(dst - out->data()));
  return Status::OK();
}

}  // namespace orba::pdx
