#include "paradox/RecordCodec.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "paradox/Coding.h"

namespace orba::pdx {

Value DecodeField(const FieldDef& f, const uint8_t* p, TextCodec* codec) {
  const size_t width = PhysicalSize(f);
  switch (f.type) {
    case FieldType::kAlpha: {
      // Bytes after the first NUL may be stale: the value ends there.
      size_t n = 0;
      while (n < width && p[n] != 0) ++n;
      if (n == 0) return Value::Null();
      return Value::Text(codec->Decode(std::string_view(reinterpret_cast<const char*>(p), n)));
    }
    case FieldType::kShort:
    case FieldType::kLong:
    case FieldType::kAutoInc: {
      auto v = DecodeInt(p, width);
      return v ? Value::Int(*v) : Value::Null();
    }
    case FieldType::kDate: {
      auto v = DecodeInt(p, 4);
      return v ? Value::Of(Date{*v}) : Value::Null();
    }
    case FieldType::kTime: {
      auto v = DecodeInt(p, 4);
      return v ? Value::Of(Time{*v}) : Value::Null();
    }
    case FieldType::kMoney:
    case FieldType::kNumber: {
      auto v = DecodeDouble(p);
      return v ? Value::Double(*v) : Value::Null();
    }
    case FieldType::kTimestamp: {
      auto v = DecodeDouble(p);
      if (!v || !std::isfinite(*v) || std::fabs(*v) > 9e18) return Value::Null();
      return Value::Of(Timestamp{std::llround(*v)});
    }
    case FieldType::kLogical:
      if (p[0] == 0) return Value::Null();
      return Value::Bool(p[0] != 0x80);
    case FieldType::kBcd: {
      auto text = DecodeBcd(p, f.size);
      if (!text) return Value::Null();
      double d = 0;
      std::from_chars(text->data(), text->data() + text->size(), d);
      return Value::Double(d);
    }
    case FieldType::kBytes: {
      // Trailing zeros are indistinguishable from padding; all zeros is NULL.
      size_t n = width;
      while (n > 0 && p[n - 1] == 0) --n;
      if (n == 0) return Value::Null();
      return Value::Blob(std::string(reinterpret_cast<const char*>(p), n));
    }
    default:
      return Value::Null();
  }
}

namespace {

Status WrongKind(const std::string& what, const char* expected) {
  return Status::InvalidArgument(what, std::string("expects ") + expected);
}

bool AsDouble(const Value& v, double* d) {
  if (v.kind() == Value::Kind::kDouble) {
    *d = v.double_value();
    return true;
  }
  if (v.kind() == Value::Kind::kInt) {
    *d = static_cast<double>(v.int_value());
    return true;
  }
  return false;
}

}  // namespace

Status EncodeField(const FieldDef& f, const Value& v, TextCodec* codec, uint8_t* p, const std::string& what) {
  const size_t width = PhysicalSize(f);
  std::memset(p, 0, width);
  if (v.is_null()) return Status::OK();
  switch (f.type) {
    case FieldType::kAlpha: {
      if (v.kind() != Value::Kind::kText) return WrongKind(what, "text");
      std::string bytes;
      Status s = codec->Encode(v.text(), &bytes, what);
      if (!s.ok()) return s;
      if (bytes.find('\0') != std::string::npos)
        return Status::InvalidArgument(what, "text contains a NUL character");
      if (bytes.size() > width)
        return Status::InvalidArgument(what, "text of " + std::to_string(bytes.size()) +
                                                 " bytes exceeds the field length " + std::to_string(width));
      std::memcpy(p, bytes.data(), bytes.size());
      return Status::OK();
    }
    case FieldType::kShort:
    case FieldType::kLong:
    case FieldType::kAutoInc: {
      if (v.kind() != Value::Kind::kInt) return WrongKind(what, "an integer");
      // The most negative value's encoding is all zeros, which means NULL.
      const int64_t lo = width == 2 ? -32767 : -2147483647;
      const int64_t hi = width == 2 ? 32767 : 2147483647;
      if (v.int_value() < lo || v.int_value() > hi)
        return Status::InvalidArgument(what, "integer " + std::to_string(v.int_value()) + " is out of range");
      // Autoincrement numbers count from 1: zero or a negative number is no
      // number the table could have given.
      if (f.type == FieldType::kAutoInc && v.int_value() <= 0)
        return Status::InvalidArgument(
            what, "autoincrement value " + std::to_string(v.int_value()) + " is not a positive number");
      EncodeInt(p, width, static_cast<int32_t>(v.int_value()));
      return Status::OK();
    }
    case FieldType::kDate:
      if (v.kind() != Value::Kind::kDate) return WrongKind(what, "a date");
      if (v.date().days == Date::kInvalidDays)
        return Status::InvalidArgument(what, "not a valid date (a day that does not exist, or out of range)");
      EncodeInt(p, 4, v.date().days);
      return Status::OK();
    case FieldType::kTime:
      if (v.kind() != Value::Kind::kTime) return WrongKind(what, "a time");
      if (v.time().ms < 0 || v.time().ms >= 86400000)
        return Status::InvalidArgument(what, "time of day out of range");
      EncodeInt(p, 4, v.time().ms);
      return Status::OK();
    case FieldType::kMoney:
    case FieldType::kNumber: {
      double d;
      if (!AsDouble(v, &d)) return WrongKind(what, "a number");
      if (!std::isfinite(d)) return Status::InvalidArgument(what, "number is not finite");
      EncodeDouble(p, d);
      return Status::OK();
    }
    case FieldType::kTimestamp:
      if (v.kind() != Value::Kind::kTimestamp) return WrongKind(what, "a timestamp");
      EncodeDouble(p, static_cast<double>(v.timestamp().ms));
      return Status::OK();
    case FieldType::kLogical:
      if (v.kind() != Value::Kind::kBool) return WrongKind(what, "true or false");
      p[0] = v.bool_value() ? 0x81 : 0x80;
      return Status::OK();
    case FieldType::kBytes: {
      if (v.kind() != Value::Kind::kBytes) return WrongKind(what, "bytes");
      const std::string& d = v.bytes().data;
      if (d.size() > width)
        return Status::InvalidArgument(
            what, std::to_string(d.size()) + " bytes exceed the field length " + std::to_string(width));
      std::memcpy(p, d.data(), d.size());
      return Status::OK();
    }
    case FieldType::kBcd:
      return Status::NotSupported(what, "writing BCD (#) fields is not supported");
    default:
      return Status::InvalidArgument(what, "blob fields are written by the table");
  }
}

}  // namespace orba::pdx
