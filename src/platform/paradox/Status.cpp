#include "paradox/Status.h"

namespace orba::pdx {

Status::Status(Code code, std::string_view file, std::string_view msg) : code_(code) {
  message_.reserve(file.size() + msg.size() + 2);
  message_.append(file);
  if (!file.empty() && !msg.empty()) message_.append(": ");
  message_.append(msg);
}

std::string Status::ToString() const {
  const char* kind = "OK";
  switch (code_) {
    case Code::kOk:
      return "OK";
    case Code::kNotFound:
      kind = "Not found";
      break;
    case Code::kCorruption:
      kind = "Corruption";
      break;
    case Code::kIOError:
      kind = "IO error";
      break;
    case Code::kNotSupported:
      kind = "Not supported";
      break;
    case Code::kInvalidArgument:
      kind = "Invalid argument";
      break;
    case Code::kLocked:
      kind = "Locked";
      break;
  }
  return std::string(kind) + ": " + message_;
}

}  // namespace orba::pdx
