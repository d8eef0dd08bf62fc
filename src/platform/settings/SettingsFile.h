#pragma once

#include <QString>
#include <optional>

#include "IniDocument.h"

namespace orba::settings {

// Why a settings file that exists cannot be used. A missing file is no
// problem: it reads as empty, and every value takes its default.
struct SettingsProblem {
  enum class Kind {
    NotAFile,    // a directory, a FIFO, a device (or a link to one)
    Unreadable,  // no permission, or an error while reading
    TooLarge,    // beyond the size a settings file can have
    Empty,       // not one byte
    Binary,      // holds NUL bytes or other control characters
    Utf16,       // UTF-16 text, which is not read
    NotUtf8,     // text in another encoding
    NoSection,   // text, but no "[section]" line at all
  };
  QString file;
  Kind kind = Kind::Unreadable;
  QString detail;  // the system's own words, where there are some

  // "<file>: <what is wrong>", in English, for logs and tests.
  QString describe() const;
};

// A settings file can be this large at most.
inline constexpr qint64 kMaxSettingsFileSize = 1024 * 1024;

// Reads a settings file without ever blocking on a FIFO or a device and
// without reading more than kMaxSettingsFileSize: the document, or an empty
// one and the problem when the file exists but cannot be used.
IniDocument readSettingsFile(const QString& path, std::optional<SettingsProblem>* problem);

}  // namespace orba::settings
