#pragma once

#include <QString>
#include <QStringList>
#include <map>

namespace orba::localization {

// What one component says in one language table: its caption and its lines
// (a grid's column titles, a memo's lines).
struct ComponentText {
  QString caption;
  QStringList lines;
};

// The rows (form, component) of one language table ("MainMenufr"), by
// component name; a component without a row is left out. Throws
// DatabaseError when the table cannot be opened.
std::map<QString, ComponentText> readComponentTexts(const QString& baseName, const QString& form,
                                                    const QStringList& components);

// The base names of the language tables beside the program ("MainMenuen",
// "MainMenufr"): every language the system's texts exist in.
QStringList languageTables();

}  // namespace orba::localization
