#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace orba::settings {

// The text of one settings file: sections of "name=value" lines.
//
// Section and value names are matched without regard to letter case, so
// "Orba", "orba" and "ORba" address one section and "Intl" and "intl" one
// value; the spelling first seen is kept when the file is written back.
// Lines that are not sections or values (comments, blank lines) survive a
// rewrite unchanged. A value runs from the first '=' to the end of the line,
// spaces included; it cannot hold a line break.
class IniDocument {
 public:
  static IniDocument parse(const QString& text);
  QString serialize() const;

  std::optional<QString> value(const QString& section, const QString& name) const;
  // At least one "[section]" line.
  bool hasSections() const;
  // Replaces the value, or appends it (and its section) when absent.
  void setValue(const QString& section, const QString& name, const QString& value);

 private:
  struct Line {
    enum Kind { Other, Section, Value } kind = Other;
    QString text;  // the raw line for Other; the name for Section and Value
    QString value;
    QString section;  // for Value: the section it belongs to, as written
  };
  int findValue(const QString& section, const QString& name) const;
  int lastLineOfSection(const QString& section) const;

  QList<Line> lines_;
};

}  // namespace orba::settings
