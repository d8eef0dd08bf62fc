#include "SystemCaptions.h"

#include <QSet>

#include "ComponentTexts.h"
#include "DBGrid.h"
#include "DatabaseError.h"
#include "DesktopPanels.h"
#include "ListPanel.h"
#include "ShortcutIcons.h"
#include "StandardIcons.h"
#include "TransparentButton.h"

namespace orba::shell {

namespace {

const QString kWindowForm = QStringLiteral("LogoAppForm");
const QString kIconsForm = QStringLiteral("DesktopIcons");

// A table that cannot be read gives no texts: nothing changes by it.
std::map<QString, localization::ComponentText> textsOf(const QString& table, const QString& form,
                                                       const QStringList& components) {
  try {
    return localization::readComponentTexts(table, form, components);
  } catch (const data::DatabaseError&) {
    return {};
  }
}

}  // namespace

SystemCaptions::SystemCaptions(DesktopPanels& panels, ShortcutIcons& icons,
                               std::function<QString()> currentTable)
    : panels_(panels), icons_(icons), currentTable_(std::move(currentTable)) {}

void SystemCaptions::follow() {
  const QString table = currentTable_();
  followPanels(table);
  followIcons(table);
}

void SystemCaptions::followPanels(const QString& table) {
  QStringList names;
  for (int i = 0; i < kPanelCount; ++i) names << DesktopPanels::panelName(static_cast<PanelId>(i));
  for (int g = 0; g < 5; ++g) names << QStringLiteral("DBGrid%1").arg(g + 1);
  const auto texts = textsOf(table, kWindowForm, names);

  for (int i = 0; i < kPanelCount; ++i) {
    const auto id = static_cast<PanelId>(i);
    if (auto row = texts.find(DesktopPanels::panelName(id)); row != texts.end())
      panels_.panel(id)->setCaption(row->second.caption);
  }
  // A grid's titles are listed in the design's column order; a stored grid
  // may hold fewer columns or another order, so each column finds its
  // title by its field.
  for (int g = 0; g < 5; ++g) {
    const auto row = texts.find(QStringLiteral("DBGrid%1").arg(g + 1));
    if (row == texts.end()) continue;
    const auto design = DesktopPanels::designColumns(g);
    const QStringList& titles = row->second.lines;
    if (titles.size() != static_cast<qsizetype>(design.size())) continue;
    desktop::TTamberlyDBGrid* grid = panels_.grid(g);
    const auto columns = grid->tableModel()->columns();
    for (size_t c = 0; c < columns.size(); ++c)
      for (size_t k = 0; k < design.size(); ++k)
        if (design[k].fieldName.compare(columns[c].fieldName, Qt::CaseInsensitive) == 0) {
          if (columns[c].title != titles[static_cast<qsizetype>(k)])
            grid->tableModel()->setHeaderData(static_cast<int>(c), Qt::Horizontal,
                                              titles[static_cast<qsizetype>(k)]);
          break;
        }
  }
}

void SystemCaptions::followIcons(const QString& table) {
  QStringList names;
  for (int i = 0; i < desktop::kStandardIconCount; ++i) names << desktop::standardIconName(i);
  // Every caption the system has given an icon, in any language.
  std::vector<QSet<QString>> known(desktop::kStandardIconCount);
  for (int i = 0; i < desktop::kStandardIconCount; ++i)
    known[static_cast<size_t>(i)] << desktop::standardIconCaption(i, false)
                                  << desktop::standardIconCaption(i, true);
  for (const QString& other : localization::languageTables())
    for (const auto& [name, text] : textsOf(other, kIconsForm, names))
      known[static_cast<size_t>(names.indexOf(name))] << text.caption;
  const auto current = textsOf(table, kIconsForm, names);

  for (desktop::TTransparentButton* icon : icons_.icons()) {
    const int i = static_cast<int>(names.indexOf(icon->objectName()));
    if (i < 0) continue;
    const auto row = current.find(names[i]);
    if (row == current.end() || row->second.caption.isEmpty()) continue;
    if (known[static_cast<size_t>(i)].contains(icon->caption())) icon->setCaption(row->second.caption);
  }
}

}  // namespace orba::shell
