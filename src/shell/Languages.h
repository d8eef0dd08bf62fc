#pragma once

#include <QString>
#include <vector>

namespace orba::data {
class Table;
}

namespace orba::shell {

// A row of the languages table (Languages.db).
struct Language {
  int key = 0;   // the language number (1 English, 2 French)
  QString code;  // as stored ("en", "fr", possibly longer)
  QString name;  // the language menu's caption
};

// Every language in key order. The table is reopened to read the file as it
// is, and stays open.
std::vector<Language> readLanguages(data::Table& languages);

// The language with this name; with no such row, the first one (the table
// is left there, as a failed locate leaves it). Empty when the table is.
Language languageNamed(data::Table& languages, const QString& name);

}  // namespace orba::shell
