#include "DesktopStore.h"

#include "ComponentList.h"
#include "ComponentStreams.h"
#include "DBGrid.h"
#include "DatabaseError.h"
#include "DesktopPanels.h"
#include "ListPanel.h"
#include "ShortcutIcons.h"
#include "SystemCaptions.h"
#include "Table.h"
#include "TableTransaction.h"
#include "ToDoText.h"
#include "TransparentButton.h"
#include "Wallpaper.h"

namespace orba::shell {

namespace {

using desktop::StreamError;

QByteArray bytesOf(const stream::Component& c) {
  const std::string bytes = stream::writeComponentStream(c);
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

stream::Component componentOf(const DesktopRow& row) {
  const std::string_view bytes(row.stream.constData(), static_cast<size_t>(row.stream.size()));
  stream::ReadResult read = stream::readComponentStream(bytes);
  if (!read.ok()) throw StreamError("", "", 0, read.error->toString());
  return std::move(read.component);
}

int panelIndex(const QString& name) {
  for (int i = 0; i < kPanelCount; ++i)
    if (name == DesktopPanels::panelName(static_cast<PanelId>(i))) return i;
  return -1;
}

int gridIndex(const QString& name) {
  for (int i = 0; i < 5; ++i)
    if (name == QStringLiteral("DBGrid%1").arg(i + 1)) return i;
  return -1;
}

}  // namespace

DesktopStore::DesktopStore(desktop::TWallpaper& wallpaper, DesktopPanels& panels, ShortcutIcons& icons,
                           const controls::ComponentList& components)
    : wallpaper_(wallpaper), panels_(panels), icons_(icons), components_(components) {}

std::vector<DesktopRow> DesktopStore::rows() const {
  std::vector<DesktopRow> out;
  int position = 0;
  for (QObject* c : components_.components()) {
    const int at = position++;
    if (c == &wallpaper_) {
      out.push_back({DesktopRow::Wallpaper, at, bytesOf(desktop::writeComponent(wallpaper_))});
    } else if (auto* icon = qobject_cast<desktop::TTransparentButton*>(c)) {
      out.push_back({DesktopRow::Icon, at, bytesOf(desktop::writeComponent(*icon))});
    } else if (auto* panel = qobject_cast<desktop::TListPanel*>(c)) {
      if (const int i = panelIndex(panel->objectName()); i >= 0)
        out.push_back({DesktopRow::Panel, i, bytesOf(desktop::writeComponent(*panel))});
    } else if (auto* grid = qobject_cast<desktop::TTamberlyDBGrid*>(c)) {
      if (const int i = gridIndex(grid->objectName()); i >= 0)
        out.push_back({DesktopRow::Grid, i, bytesOf(desktop::writeComponent(*grid))});
    } else if (auto* text = qobject_cast<desktop::TToDoText*>(c)) {
      out.push_back({DesktopRow::ToDoText, at, bytesOf(desktop::writeComponent(*text))});
    }
  }
  return out;
}

void DesktopStore::save(data::Table& desktopTable, const QString& user, const std::vector<DesktopRow>& rows) {
  data::TableTransaction change(desktopTable);
  change.deleteWhere(QStringLiteral("Desktop_user"), user);
  for (const DesktopRow& row : rows)
    change.insert({{QStringLiteral("Desktop_user"), user},
                   {QStringLiteral("Desktop_Component_type"), row.kind},
                   {QStringLiteral("Desktop_ComponentIndex"), row.index},
                   {QStringLiteral("Desktop_Component"), row.stream}});
  change.commit();
}

std::vector<DesktopRow> DesktopStore::load(data::Table& desktopTable,
                                           std::vector<DesktopRowProblem>* problems) {
  std::vector<DesktopRow> out;
  const QStringList fields = {QStringLiteral("Desktop_Component_type"),
                              QStringLiteral("Desktop_ComponentIndex"), QStringLiteral("Desktop_Component")};
  const int count = desktopTable.recordCount();
  for (int i = 0; i < count; ++i) {
    try {
      const QVariantList v = desktopTable.valuesAt(i, fields);
      out.push_back({v[0].toInt(), v[1].toInt(), v[2].toByteArray()});
    } catch (const data::DatabaseError& e) {
      // Neither its kind nor its index could be read: the row's place.
      if (problems) problems->push_back({-1, i, e.userText()});
    }
  }
  return out;
}

std::vector<DesktopRowProblem> DesktopStore::restore(const std::vector<DesktopRow>& rows) {
  std::vector<DesktopRowProblem> problems;
  auto attempt = [&](const DesktopRow& row, const std::function<void()>& apply) {
    try {
      apply();
    } catch (const StreamError& e) {
      problems.push_back({row.kind, row.index, QString::fromStdString(e.what())});
    } catch (const data::DatabaseError& e) {
      problems.push_back({row.kind, row.index, e.userText()});
    }
  };

  // The wallpaper and the panels take their stored state before any icon,
  // grid or to-do text is read.
  for (const DesktopRow& row : rows) {
    if (row.kind == DesktopRow::Wallpaper) {
      attempt(row, [&] { desktop::readComponent(wallpaper_, componentOf(row)); });
    } else if (row.kind == DesktopRow::Panel && row.index >= 0 && row.index < kPanelCount) {
      attempt(row, [&] {
        const auto id = static_cast<PanelId>(row.index);
        desktop::TListPanel* panel = panels_.panel(id);
        const stream::Component c = componentOf(row);
        if (QString::fromStdString(c.name) != DesktopPanels::panelName(id))
          throw StreamError(c.className, "", 0,
                            "the row for " + DesktopPanels::panelName(id).toStdString() + " holds " + c.name);
        desktop::readComponent(*panel, c);
        panels_.showRestored(id);
      });
    }
  }

  for (const DesktopRow& row : rows) {
    if (row.kind == DesktopRow::Icon) {
      attempt(row, [&] {
        const stream::Component c = componentOf(row);
        const QString name = QString::fromStdString(c.name);
        if (name.isEmpty() || components_.find(name))
          throw StreamError(c.className, "", 0,
                            "a component named \"" + c.name + "\" is on the desktop already");
        desktop::TTransparentButton* icon = icons_.createForRestore();
        try {
          desktop::readComponent(*icon, c);
        } catch (...) {
          icons_.discard(icon);
          throw;
        }
        icons_.bind(icon);
        icon->setVisible(icon->tag() == 1);
      });
    } else if (row.kind == DesktopRow::Grid && row.index >= 0 && row.index < 5) {
      attempt(row, [&] { desktop::readComponent(*panels_.grid(row.index), componentOf(row)); });
    } else if (row.kind == DesktopRow::ToDoText) {
      attempt(row, [&] { desktop::readComponent(*panels_.toDoText(), componentOf(row)); });
    }
  }

  panels_.settleRestored();
  icons_.bringOntoDesktop();
  if (captions_) captions_->follow();
  return problems;
}

}  // namespace orba::shell
