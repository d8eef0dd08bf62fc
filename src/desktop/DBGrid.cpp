#include "DBGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <algorithm>

#include "DataSource.h"
#include "Table.h"

namespace orba::desktop {

TTamberlyDBGrid::TTamberlyDBGrid(QWidget* parent) : QTableView(parent), model_(new data::TableModel(this)) {
  setModel(model_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(false);
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    applyColumnWidths();
    if (data::Table* t = model_->table(); t && t->isActive() && t->recNo() >= 0)
      setCurrentIndex(model_->index(t->recNo(), std::max(0, currentIndex().column())));
  });
  setOptions({"dgTitles", "dgColumnResize", "dgColLines", "dgRowLines", "dgTabs", "dgRowSelect",
              "dgConfirmDelete", "dgCancelOnExit"});
}

void TTamberlyDBGrid::setDataSource(data::DataSource* source, const QString& name) {
  dataSourceName_ = name;
  model_->setDataSource(source);
}

bool TTamberlyDBGrid::hasOption(const char* option) const {
  return std::find(options_.begin(), options_.end(), option) != options_.end();
}

void TTamberlyDBGrid::setOptions(const std::vector<std::string>& options) {
  options_ = options;
  applyStyle();
}

void TTamberlyDBGrid::setFixedColor(TColor color) {
  fixedColor_ = color;
  applyStyle();
}

void TTamberlyDBGrid::setStreamFont(const StreamFont& font) {
  font_ = font;
  if (!parentFont_) setFont(font_.toQFont());
}

void TTamberlyDBGrid::setTitleFont(const StreamFont& font) {
  titleFont_ = font;
  horizontalHeader()->setFont(titleFont_.toQFont());
  applyStyle();
}

void TTamberlyDBGrid::setParentFont(bool on) {
  parentFont_ = on;
  if (!on) setFont(font_.toQFont());
}

void TTamberlyDBGrid::applyStyle() {
  // No row indicator (dgIndicator), titles only with dgTitles, lines as the
  // options say; the fixed (title) cells in the fixed colour.
  verticalHeader()->setVisible(hasOption("dgIndicator"));
  horizontalHeader()->setVisible(hasOption("dgTitles"));
  horizontalHeader()->setSectionResizeMode(hasOption("dgColumnResize") ? QHeaderView::Interactive
                                                                       : QHeaderView::Fixed);
  setShowGrid(hasOption("dgColLines") || hasOption("dgRowLines"));
  setSelectionBehavior(hasOption("dgRowSelect") ? QAbstractItemView::SelectRows
                                                : QAbstractItemView::SelectItems);
  const QColor fixed = toQColor(fixedColor_);
  const QColor title = toQColor(titleFont_.color);
  horizontalHeader()->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: %1; color: %2; "
                                                   "border: 0px; border-right: 1px solid %3; "
                                                   "border-bottom: 1px solid %3; padding: 1px 3px; }")
                                        .arg(fixed.name(), title.name(), fixed.darker(160).name()));
}

std::vector<data::TableModel::Column> TTamberlyDBGrid::columns() const {
  std::vector<data::TableModel::Column> out = model_->columns();
  for (size_t i = 0; i < out.size(); ++i) {
    const int width = horizontalHeader()->sectionSize(static_cast<int>(i));
    if (out[i].visible && width > 0) out[i].width = width;
  }
  return out;
}

void TTamberlyDBGrid::setColumns(std::vector<data::TableModel::Column> columns) {
  model_->setColumns(std::move(columns));
  applyColumnWidths();
}

void TTamberlyDBGrid::applyColumnWidths() {
  const auto& columns = model_->columns();
  for (size_t i = 0; i < columns.size(); ++i) {
    setColumnHidden(static_cast<int>(i), !columns[i].visible);
    if (columns[i].width > 0) horizontalHeader()->resizeSection(static_cast<int>(i), columns[i].width);
  }
}

void TTamberlyDBGrid::refresh() {
  const int row = model_->refresh();
  if (row >= 0) setCurrentIndex(model_->index(row, std::max(0, currentIndex().column())));
}

void TTamberlyDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  data::Table* t = model_->table();
  if (current.isValid() && t && t->isActive() && t->recNo() != current.row()) t->moveTo(current.row());
}

void TTamberlyDBGrid::mousePressEvent(QMouseEvent* event) {
  // The grid first (current row, column sizing), then the report, so that a
  // handler sees the record under the mouse.
  QTableView::mousePressEvent(event);
  emit OnMouseDown(this, event->button(), event->modifiers(), event->position().toPoint());
}

void TTamberlyDBGrid::keyPressEvent(QKeyEvent* event) {
  QPointer<TTamberlyDBGrid> self(this);
  emit OnKeyDown(this, event->key(), event->modifiers());
  // A handler may have run a module that closed the desktop meanwhile.
  if (self) QTableView::keyPressEvent(event);
}

}  // namespace orba::desktop
