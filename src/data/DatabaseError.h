#pragma once

#include <QString>
#include <functional>
#include <stdexcept>

namespace orba::pdx {
class Status;
}

namespace orba::data {

// An error of the database layer: a table that cannot be opened, a value
// that cannot be stored. It travels up to the event being handled, which is
// abandoned. It says what failed twice: as a kind and a subject (the file,
// folder or field), which the windows turn into a sentence in the user's
// language (localization::ErrorTexts), and as the technical message, shown
// after that sentence.
class DatabaseError : public std::runtime_error {
 public:
  enum class Kind {
    Other,          // anything else: the technical message alone says it
    NotFound,       // a file that is not there (subject: the file)
    Damaged,        // a file whose contents are not a whole table (the file)
    InUse,          // a table another program or workstation holds (the table)
    NoPermission,   // the account may not open the file (the file)
    ReadWrite,      // reading or writing failed (the file)
    DiskFull,       // no room left to store the change (the file)
    NotSupported,   // a table this program cannot change (the table)
    InvalidValue,   // a value the field cannot hold (the field)
    Required,       // a field left empty that must have a value (the field)
    MissingFolder,  // a data folder that does not exist (the folder)
  };

  explicit DatabaseError(const QString& message, Kind kind = Kind::Other, QString subject = {})
      : std::runtime_error(message.toStdString()),
        message_(message),
        kind_(kind),
        subject_(std::move(subject)) {}

  // The engine's outcome, with its kind and the file it names.
  static DatabaseError fromStatus(const pdx::Status& status);

  const QString& message() const { return message_; }
  Kind kind() const { return kind_; }
  // What the user reads: the describer's sentence in the user's language
  // followed by the detail; the technical message while none is set.
  QString userText() const;

  // Set once per program by whoever knows the user's language (the desktop,
  // a module library for its own copy of this layer).
  using Describer = std::function<QString(const DatabaseError&)>;
  static void setDescriber(Describer describer);
  const QString& subject() const { return subject_; }

 private:
  QString message_;
  Kind kind_;
  QString subject_;
};

}  // namespace orba::data
