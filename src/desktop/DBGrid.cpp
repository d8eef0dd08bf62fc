#include "DBGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

#include "DataSource.h"
#include "RegionalFormats.h"
#include "Table.h"

namespace orba::desktop {

namespace {

// The widest a column grows to show its values; a title always fits.
constexpr int kWidestValueColumn = 300;
// The rows measured for a column's values when the grid is not on screen.
constexpr int kRowsMeasured = 40;

// The text of a cell: an amount of a money column as money, everything else
// as the model gives it.
class CellText : public QStyledItemDelegate {
 public:
  explicit CellText(TTamberlyDBGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!grid_->isMoneyColumn(index.column())) return;
    const QVariant v = index.data(Qt::EditRole);
    bool number = false;
    const double amount = v.toDouble(&number);
    if (v.isValid() && number) {
      option->text = formats::RegionalFormats::instance().formatCurrency(amount);
      option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    }
  }

 private:
  TTamberlyDBGrid* grid_;
};

}  // namespace

TTamberlyDBGrid::TTamberlyDBGrid(QWidget* parent) : QTableView(parent), model_(new data::TableModel(this)) {
  setModel(model_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setItemDelegate(new CellText(this));
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(false);
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    applyColumnWidths();
    if (data::Table* t = model_->table(); t && t->isActive() && t->recNo() >= 0)
      if (const int row = model_->shownRowOfRecord(t->recNo()); row >= 0)
        setCurrentIndex(model_->index(row, std::max(0, currentIndex().column())));
    fitColumns();
  });
  // The model tells of its records a batch at a time; scrolling to the top
  // of its window brings the batch above (fetchMore does the same below).
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (value == verticalScrollBar()->minimum() && model_->canFetchAbove())
      keepTopRowWhile([this] { model_->fetchAbove(); });
  });
  // Translated titles may be longer than the ones they replace.
  connect(model_, &QAbstractItemModel::headerDataChanged, this, [this] { fitColumns(); });
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
  // dgTabs: Tab moves from cell to cell instead of leaving the grid.
  setTabKeyNavigation(hasOption("dgTabs"));
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
  fitColumns();
}

bool TTamberlyDBGrid::isMoneyColumn(int column) const {
  const auto& columns = model_->columns();
  if (column < 0 || static_cast<size_t>(column) >= columns.size()) return false;
  return moneyFields_.contains(columns[static_cast<size_t>(column)].fieldName, Qt::CaseInsensitive);
}

int TTamberlyDBGrid::valuesWidth(int column) const {
  const int rows = model_->rowCount();
  if (rows == 0) return 0;
  int first = 0, last = std::min(rows, kRowsMeasured) - 1;
  if (isVisible() && viewport()->height() > 0) {
    first = std::max(0, rowAt(0));
    const int bottom = rowAt(viewport()->height() - 1);
    last = bottom < 0 ? rows - 1 : bottom;
    last = std::min(last, first + kRowsMeasured - 1);
  }
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  int widest = 0;
  for (int r = first; r <= last; ++r) {
    const QModelIndex index = model_->index(r, column);
    widest = std::max(widest, itemDelegateForIndex(index)->sizeHint(option, index).width());
  }
  return widest;
}

void TTamberlyDBGrid::fitColumns() {
  const auto& columns = model_->columns();
  QHeaderView* header = horizontalHeader();
  for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
    if (!columns[static_cast<size_t>(c)].visible) continue;
    const int title = header->isVisible() || hasOption("dgTitles") ? header->sectionSizeHint(c) : 0;
    const int wanted = std::max(title, std::min(valuesWidth(c) + 2, kWidestValueColumn));
    if (header->sectionSize(c) < wanted) header->resizeSection(c, wanted);
  }
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

void TTamberlyDBGrid::keepTopRowWhile(const std::function<void()>& change) {
  const int topRecord = model_->recordOfRow(rowAt(0));
  change();
  if (const int row = model_->shownRowOfRecord(topRecord); row >= 0)
    scrollTo(model_->index(row, std::max(0, columnAt(0))), QAbstractItemView::PositionAtTop);
}

QModelIndex TTamberlyDBGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  // The window of rows follows the keys that leave it: Ctrl+Home and
  // Ctrl+End reach the table's first and last records, moving up or down
  // past the window's edge brings the next batch.
  const int total = model_->recordCount();
  const int current = currentIndex().isValid() ? currentIndex().row() : 0;
  const int page = std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()));
  const bool ctrl = modifiers & Qt::ControlModifier;
  if (total > 0 && ctrl && (action == MoveEnd || action == MoveHome)) {
    const int row = model_->rowOfRecord(action == MoveEnd ? total - 1 : 0);
    return model_->index(row, std::max(0, currentIndex().column()));
  }
  if ((action == MoveUp || action == MovePageUp) && current < page && model_->canFetchAbove()) {
    const int record = model_->recordOfRow(current);
    keepTopRowWhile([this] { model_->fetchAbove(); });
    setCurrentIndex(model_->index(model_->shownRowOfRecord(record), std::max(0, currentIndex().column())));
  } else if ((action == MoveDown || action == MovePageDown) && current >= model_->rowCount() - page &&
             model_->canFetchMore({})) {
    model_->fetchMore({});
  }
  return QTableView::moveCursor(action, modifiers);
}

void TTamberlyDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  // The record first: showing the row may scroll the view to the window's
  // top, which brings the batch above and renumbers the rows.
  const int record = model_->recordOfRow(current.row());
  QTableView::currentChanged(current, previous);
  data::Table* t = model_->table();
  if (current.isValid() && t && t->isActive() && t->recNo() != record) t->moveTo(record);
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
  if (!self) return;
  // With Tab kept for the cells, Ctrl+Tab (Ctrl+Shift+Tab) leaves the grid.
  const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
  if (tab && (event->modifiers() & Qt::ControlModifier)) {
    const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
    // The view's own focusNextPrevChild would move within the cells.
    QWidget::focusNextPrevChild(!back);
    return;
  }
  QTableView::keyPressEvent(event);
}

}  // namespace orba::desktop
