#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "TableSchemas.h"

namespace orba::localization {

// One row of the language texts: the texts of one component of one form in
// both languages. The texts live in the repository as tab-separated text
// (src/localization/texts/MainMenu.tsv), one row per component, columns
//   form component kind en_caption fr_caption en_hint fr_hint en_lines fr_lines
// where kind is form, menu, memo, grid, radio, combo, checklist, navigator or
// control, and lines are joined by the two characters "\n" ("\\" for a
// backslash).
struct LanguageRow {
  QString form;
  QString component;
  QString kind;
  QString caption[2];  // [0] English, [1] French
  QString hint[2];
  QStringList lines[2];
};

enum class Language { English = 0, French = 1 };

// Fails (empty result, reason in *error naming the line) on a malformed row.
std::vector<LanguageRow> parseLanguageTexts(const QString& text, QString* error);

// The shape of a language table: keyed on form and component names.
const data::TableSpec& languageTableSpec();

// Writes the table of one language to `path` (a "MainMenuxx.db" file),
// replacing any table there. Returns false with the reason in *error.
bool writeLanguageTable(const QString& path, const std::vector<LanguageRow>& rows, Language language,
                        QString* error);

}  // namespace orba::localization
