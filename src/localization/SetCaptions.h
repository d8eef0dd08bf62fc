#pragma once

#include <QString>

#include "ComponentList.h"

class QObject;

namespace orba::localization {

// The folder of the language tables: "../languages" from the program
// folder, wherever the program was started from. Until the settings have
// named a program folder, the current directory stands for it.
QString languageDirectory();
void setProgramDirectory(const QString& directory);

// The file name of a language table: the base name without its first ".",
// followed by ".db" ("MainMenufr" gives "MainMenufr.db").
QString languageTableName(const QString& baseName);

// Translates one form from the language table `baseName` (for example
// "MainMenufr"): the form's caption from its own row, then each component it
// owns, in component order, from the row (form name, component name).
//
// A row's flags decide what the component is: a memo takes the row's lines
// as its text, a grid its column titles (only when the counts agree), a radio
// group its caption and as many items as it has, a combo box or check list
// exactly the row's lines. Otherwise a menu item or report text takes the
// caption; the component named "DBNavigator1" its button hints from the
// lines; any other component its caption or text, and its hint when the
// row's hint is not empty. Components without a row keep their texts.
//
// The table is opened and closed within the call. When it cannot be opened,
// DatabaseError is thrown before anything on the form has changed.
void SetCaptions(QObject* form, const controls::ComponentList& components, const QString& baseName);

}  // namespace orba::localization
