#include "DatabaseError.h"

#include "paradox/Status.h"

namespace orba::data {

namespace {
DatabaseError::Describer& describer() {
  static DatabaseError::Describer current;
  return current;
}
}  // namespace

void DatabaseError::setDescriber(Describer d) { describer() = std::move(d); }

QString DatabaseError::userText() const { return describer() ? describer()(*this) : message_; }

DatabaseError DatabaseError::fromStatus(const pdx::Status& status) {
  const QString text = QString::fromStdString(status.ToString());
  // The engine's messages start with the file they are about.
  const QString message = QString::fromStdString(status.message());
  const qsizetype colon = message.indexOf(QLatin1String(": "));
  const QString file = colon > 0 ? message.left(colon) : QString();
  using Code = pdx::Status::Code;
  Kind kind = Kind::Other;
  switch (status.code()) {
    case Code::kOk:
      break;
    case Code::kNotFound:
      kind = Kind::NotFound;
      break;
    case Code::kCorruption:
      kind = Kind::Damaged;
      break;
    case Code::kLocked:
      kind = Kind::InUse;
      break;
    case Code::kNotSupported:
      kind = Kind::NotSupported;
      break;
    case Code::kInvalidArgument:
      kind = Kind::InvalidValue;
      break;
    case Code::kIOError:
      // The system's own words end the engine's message (strerror).
      if (message.contains(QLatin1String("Permission denied")) ||
          message.contains(QLatin1String("Operation not permitted")))
        kind = Kind::NoPermission;
      else if (message.contains(QLatin1String("No space left")) ||
               message.contains(QLatin1String("Disk quota exceeded")))
        kind = Kind::DiskFull;
      else
        kind = Kind::ReadWrite;
      break;
  }
  return DatabaseError(text, kind, file);
}

}  // namespace orba::data
