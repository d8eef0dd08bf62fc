#include "Languages.h"

#include "Table.h"

namespace orba::shell {

namespace {
Language current(const data::Table& t) {
  return {t.value(QStringLiteral("LangKey")).toInt(), t.text(QStringLiteral("LangCode")),
          t.text(QStringLiteral("LangName"))};
}
}  // namespace

std::vector<Language> readLanguages(data::Table& languages) {
  languages.close();
  languages.open();
  std::vector<Language> out;
  for (languages.first(); !languages.eof(); languages.next()) out.push_back(current(languages));
  return out;
}

Language languageNamed(data::Table& languages, const QString& name) {
  languages.close();
  languages.open();
  languages.locate(QStringLiteral("LangName"), name);
  return languages.recordCount() > 0 ? current(languages) : Language{};
}

}  // namespace orba::shell
