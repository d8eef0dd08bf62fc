// Status: the outcome of an engine operation, returned by value.
//
// A Status is either ok or carries a category and a message. Messages name
// the file and the fault ("orders.db: block 7: record offset 9999 exceeds the
// block"), so a caller can show them to the user unchanged.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace orba::pdx {

class Status {
 public:
  enum class Code {
    kOk = 0,
    kNotFound,
    kCorruption,
    kIOError,
    kNotSupported,
    kInvalidArgument,
    kLocked,
  };

  Status() = default;

  static Status OK() { return Status(); }
  static Status NotFound(std::string_view file, std::string_view msg) {
    return Status(Code::kNotFound, file, msg);
  }
  static Status Corruption(std::string_view file, std::string_view msg) {
    return Status(Code::kCorruption, file, msg);
  }
  static Status IOError(std::string_view file, std::string_view msg) {
    return Status(Code::kIOError, file, msg);
  }
  static Status NotSupported(std::string_view file, std::string_view msg) {
    return Status(Code::kNotSupported, file, msg);
  }
  static Status InvalidArgument(std::string_view file, std::string_view msg) {
    return Status(Code::kInvalidArgument, file, msg);
  }
  static Status Locked(std::string_view file, std::string_view msg) {
    return Status(Code::kLocked, file, msg);
  }

  bool ok() const { return code_ == Code::kOk; }
  bool IsNotFound() const { return code_ == Code::kNotFound; }
  bool IsCorruption() const { return code_ == Code::kCorruption; }
  bool IsIOError() const { return code_ == Code::kIOError; }
  bool IsNotSupported() const { return code_ == Code::kNotSupported; }
  bool IsInvalidArgument() const { return code_ == Code::kInvalidArgument; }
  bool IsLocked() const { return code_ == Code::kLocked; }

  Code code() const { return code_; }
  // "<file>: <fault>", without the category.
  const std::string& message() const { return message_; }
  // "Corruption: <file>: <fault>"; "OK" for success.
  std::string ToString() const;

 private:
  Status(Code code, std::string_view file, std::string_view msg);

  Code code_ = Code::kOk;
  std::string message_;
};

// Result<T>: a value or the Status explaining why there is none.
template <typename T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}          // NOLINT: implicit by design
  Result(Status status) : status_(std::move(status)) {}  // NOLINT

  bool ok() const { return status_.ok(); }
  const Status& status() const { return status_; }
  T& value() { return value_; }
  const T& value() const { return value_; }
  T& operator*() { return value_; }
  T* operator->() { return &value_; }

 private:
  Status status_;
  T value_{};
};

}  // namespace orba::pdx
