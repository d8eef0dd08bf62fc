#pragma once

#include <QString>
#include <stdexcept>

namespace orba::data {

// An error of the database layer: a table that cannot be opened, a value
// that cannot be stored. It travels up to the event being handled, which is
// abandoned, and its message is shown to the user as it stands.
class DatabaseError : public std::runtime_error {
 public:
  explicit DatabaseError(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

}  // namespace orba::data
