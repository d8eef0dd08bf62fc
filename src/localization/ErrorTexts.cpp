#include "ErrorTexts.h"

#include "MessageList.h"
#include "SetCaptions.h"

namespace orba::localization {

namespace {

using Kind = data::DatabaseError::Kind;

// The lines of memErrors, by kind, then the detail's own line.
enum Line {
  kNotFound,
  kDamaged,
  kInUse,
  kNoPermission,
  kReadWrite,
  kDiskFull,
  kNotSupported,
  kInvalidValue,
  kRequired,
  kMissingFolder,
  kDetails,
};

const QStringList& designLines() {
  static const QStringList lines = {
      QStringLiteral("The file %1 was not found."),
      QStringLiteral("The file %1 is damaged. Restore it from a backup or ask the administrator."),
      QStringLiteral("The table %1 is in use by another program or workstation. Try again in a moment."),
      QStringLiteral("Your account may not open %1. Ask the administrator to add it to the office's group."),
      QStringLiteral("The file %1 could not be read or written."),
      QStringLiteral("The disk is full: %1 could not be stored. Free some space and try again."),
      QStringLiteral("The table %1 cannot be changed by this program."),
      QStringLiteral("The value of %1 is not valid."),
      QStringLiteral("%1 must be filled in."),
      QStringLiteral("The folder %1 does not exist."),
      QStringLiteral("Details: %1"),
  };
  return lines;
}

int lineFor(Kind kind) {
  switch (kind) {
    case Kind::NotFound:
      return kNotFound;
    case Kind::Damaged:
      return kDamaged;
    case Kind::InUse:
      return kInUse;
    case Kind::NoPermission:
      return kNoPermission;
    case Kind::ReadWrite:
      return kReadWrite;
    case Kind::DiskFull:
      return kDiskFull;
    case Kind::NotSupported:
      return kNotSupported;
    case Kind::InvalidValue:
      return kInvalidValue;
    case Kind::Required:
      return kRequired;
    case Kind::MissingFolder:
      return kMissingFolder;
    case Kind::Other:
      break;
  }
  return -1;
}

}  // namespace

ErrorTexts::ErrorTexts(QObject* parent) : QObject(parent) {
  setObjectName(QStringLiteral("ErrorTexts"));
  memErrors_ = components_.own(new controls::MessageList(QStringLiteral("memErrors"), designLines(), this));
}

void ErrorTexts::load(const QString& languageTable) {
  try {
    SetCaptions(this, components_, languageTable);
  } catch (const data::DatabaseError&) {
    // The sentences stay as they were: an error about errors helps nobody.
  }
}

QString ErrorTexts::describe(const data::DatabaseError& error) const {
  return describe(error, error.subject());
}

QString ErrorTexts::describe(const data::DatabaseError& error, const QString& fieldCaption) const {
  const int line = lineFor(error.kind());
  const QString sentence = line >= 0 ? memErrors_->line(line) : QString();
  if (sentence.isEmpty()) return error.message();
  const bool aboutField = error.kind() == Kind::InvalidValue || error.kind() == Kind::Required;
  const QString subject = aboutField ? fieldCaption : error.subject();
  if (subject.isEmpty() && sentence.contains(QLatin1String("%1"))) return error.message();
  const QString said = sentence.contains(QLatin1String("%1")) ? sentence.arg(subject) : sentence;
  const QString details = memErrors_->line(kDetails);
  return said + QStringLiteral("\n\n") +
         (details.contains(QLatin1String("%1")) ? details.arg(error.message()) : error.message());
}

}  // namespace orba::localization
