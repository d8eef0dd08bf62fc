#include "ComponentTexts.h"

#include <QDir>

#include "SetCaptions.h"
#include "Table.h"

namespace orba::localization {

std::map<QString, ComponentText> readComponentTexts(const QString& baseName, const QString& form,
                                                    const QStringList& components) {
  data::Table table(QStringLiteral("LanguageTable"));
  table.setDatabaseName(languageDirectory());
  table.setTableName(languageTableName(baseName));
  table.setReadOnly(true);
  table.open();
  std::map<QString, ComponentText> out;
  for (const QString& component : components) {
    if (!table.findKey({form, component})) continue;
    ComponentText text;
    text.caption = table.text(QStringLiteral("Caption"));
    QString lines = table.text(QStringLiteral("Lines"));
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (lines.endsWith(QLatin1Char('\n'))) lines.chop(1);
    if (!lines.isEmpty()) text.lines = lines.split(QLatin1Char('\n'));
    out.emplace(component, std::move(text));
  }
  table.close();
  return out;
}

QStringList languageTables() {
  QStringList names;
  const QDir folder(languageDirectory());
  for (const QString& file : folder.entryList({QStringLiteral("MainMenu*.db")}, QDir::Files, QDir::Name)) {
    // "MainMenu" and a language code.
    const QString base = file.chopped(3);
    if (base.size() > 8 && !names.contains(base)) names << base;
  }
  return names;
}

}  // namespace orba::localization
