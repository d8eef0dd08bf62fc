#include "ListWindows.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "Amounts.h"
#include "DatabaseError.h"
#include "MessageList.h"
#include "Messages.h"
#include "ModuleKit.h"

namespace orba::lists {

namespace {

// Every text handed to Qt is a heap copy, never a literal of this library:
// the desktop unloads the library when the call returns, and a copy Qt kept
// of a literal would point into unmapped memory.
QString s(const char* utf8) { return QString::fromUtf8(utf8); }

const char* const kDesignTexts[] = {
    "%1 must be filled in.",
    "%1 holds at most %2 characters.",
    "%1 must be a whole number.",
    "%1 must be a number.",
    "The code %1 is already used by another record.",
    "Another workstation changed this record after you opened it; your changes were not saved. Click "
    "Reload to see the record as it is now.",
    "Another workstation deleted this record; your changes were not saved.",
    "The record could not be saved: %1",
    "Delete %1?",
    "Yes",
    "No",
    "Another workstation changed this record after the list was read; nothing was deleted.",
    "Another workstation deleted this record already.",
    "The list cannot be opened: %1",
    "This library does not serve the option %1.",
    "OK",
};

// Hands the grid's keys to the window before the grid sees them.
class GridKeys : public QObject {
 public:
  GridKeys(QObject* parent, std::function<bool(int key)> handle)
      : QObject(parent), handle_(std::move(handle)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    return key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier ? handle_(key->key())
                                                                                        : false;
  }

 private:
  std::function<bool(int key)> handle_;
};

const char* const kMoreDesignTexts[] = {
    "This record still carries amounts (a balance or this year's figures); it is not deleted.",
    "The inventory still holds this product; it is not deleted.",
    "%1 takes at most two decimals.",
    "%1 is too large an amount.",
};

void translate(QObject* window, const controls::ComponentList& components, const TLinkSection* link) {
  if (link) kit::translate(window, components, *link);
}

}  // namespace

QString displayText(const QVariant& value, FieldKind kind, bool editing) {
  if (!value.isValid()) return {};
  if (kind == FieldKind::Money)
    return editing ? editableAmount(value.toDouble()) : formatAmount(value.toDouble());
  if (kind == FieldKind::Number) return QLocale::c().toString(value.toDouble(), 'g', 15);
  return value.toString();
}

// ---------------------------------------------------------------------------

ListTexts::ListTexts(const TLinkSection* link) {
  setObjectName(s("ListTexts"));
  QStringList lines;
  for (const char* t : kDesignTexts) lines << s(t);
  memTexts_ = components_.own(new controls::MessageList(s("memTexts"), lines, this));
  QStringList more;
  for (const char* t : kMoreDesignTexts) more << s(t);
  memMore_ = components_.own(new controls::MessageList(s("memMore"), more, this));
  translate(this, components_, link);
}

QString ListTexts::line(Line which) const {
  const int n = static_cast<int>(which);
  return n >= HasAmounts ? memMore_->line(n - HasAmounts) : memTexts_->line(n);
}

QString ListTexts::problem(const Outcome& o, const QString& caption) const {
  using P = Outcome::Problem;
  switch (o.problem) {
    case P::None:
      return {};
    case P::Required:
      return line(Required).arg(caption);
    case P::TooLong:
      return line(TooLong).arg(caption).arg(o.size);
    case P::NotWhole:
      return line(NotWhole).arg(caption);
    case P::NotNumber:
      return line(NotNumber).arg(caption);
    case P::TooManyDecimals:
      return line(TooManyDecimals).arg(caption);
    case P::TooLarge:
      return line(TooLarge).arg(caption);
    case P::Duplicate:
      return line(Duplicate).arg(o.detail);
    case P::Changed:
      return line(Changed);
    case P::Deleted:
      return line(Deleted);
    case P::Failed:
      return line(Failed).arg(o.detail);
    case P::HasAmounts:
      return line(HasAmounts);
    case P::InStock:
      return line(InStock);
  }
  return {};
}

void ListTexts::tell(QWidget* parent, const QString& text) const {
  QMessageBox box(parent);
  box.setObjectName(s("ListMessage"));
  box.setWindowTitle(s("Castellan/Orba"));
  box.setIcon(QMessageBox::Information);
  box.setText(text);
  box.addButton(line(Ok), QMessageBox::AcceptRole);
  controls::Messages::makeRoomForTitle(box);
  box.exec();
}

bool ListTexts::ask(QWidget* parent, const QString& text) const {
  QMessageBox box(parent);
  box.setObjectName(s("ListQuestion"));
  box.setWindowTitle(s("Castellan/Orba"));
  box.setIcon(QMessageBox::Question);
  box.setText(text);
  QPushButton* yes = box.addButton(line(Yes), QMessageBox::YesRole);
  QPushButton* no = box.addButton(line(No), QMessageBox::NoRole);
  box.setDefaultButton(no);
  controls::Messages::makeRoomForTitle(box);
  box.exec();
  return box.clickedButton() == yes;
}

// ---------------------------------------------------------------------------

RecordForm::RecordForm(RecordStore& store, const ListTexts& texts, const TLinkSection* link,
                       std::optional<Record> loaded, QWidget* parent)
    : QDialog(parent), store_(store), texts_(texts), loaded_(std::move(loaded)) {
  const ListDefinition& d = store.definition();
  setObjectName(s(d.formName));
  setWindowTitle(s(d.formCaption));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  int row = 0;
  for (const ListField& f : d.fields) {
    Editor e{&f};
    const QString field = s(f.name);
    if (f.kind == FieldKind::YesNo) {
      e.check = components_.own(new QCheckBox(s(f.caption), this));
      e.check->setObjectName(s("chk") + field);
      grid->addWidget(e.check, row, 1);
    } else {
      // The language tables give each label its accelerator.
      e.label = components_.own(new QLabel(s(f.caption) + QLatin1Char(':'), this));
      e.label->setObjectName(s("lbl") + field);
      e.edit = components_.own(new QLineEdit(this));
      e.edit->setObjectName(s("edt") + field);
      const int size = store.fieldSize(field);
      if (f.kind == FieldKind::Text && size > 0) e.edit->setMaxLength(size);
      e.label->setBuddy(e.edit);
      grid->addWidget(e.label, row, 0);
      grid->addWidget(e.edit, row, 1);
    }
    editors_.push_back(e);
    ++row;
  }
  problem_ = components_.own(new QLabel(this));
  problem_->setObjectName(s("lblProblem"));
  problem_->setWordWrap(true);
  problem_->setStyleSheet(s("color: #b00000;"));
  problem_->hide();
  layout->addWidget(problem_);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  reload_ = components_.own(new QPushButton(s("&Reload"), this));
  reload_->setObjectName(s("btnReload"));
  reload_->hide();
  auto* ok = components_.own(new QPushButton(s("OK"), this));
  ok->setObjectName(s("btnOK"));
  ok->setDefault(true);
  auto* cancel = components_.own(new QPushButton(s("Cancel"), this));
  cancel->setObjectName(s("btnCancel"));
  buttons->addWidget(reload_);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, [this] { save(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(reload_, &QPushButton::clicked, this, [this] { reload(); });

  translate(this, components_, link);
  if (loaded_) fill(*loaded_);
  resize(460, sizeHint().height());
}

QString RecordForm::problemText() const { return problem_->isHidden() ? QString() : problem_->text(); }

void RecordForm::fill(const Record& record) {
  for (Editor& e : editors_) {
    const QVariant v = store_.value(record, s(e.field->name));
    if (e.check)
      e.check->setChecked(v.toString().compare(s("Y"), Qt::CaseInsensitive) == 0);
    else
      e.edit->setText(displayText(v, e.field->kind, true));
  }
}

FormValues RecordForm::values() const {
  FormValues out;
  for (const Editor& e : editors_)
    out.emplace_back(s(e.field->name), e.check ? s(e.check->isChecked() ? "Y" : "N") : e.edit->text());
  return out;
}

void RecordForm::showProblem(const Outcome& o) {
  QString caption;
  QWidget* focus = nullptr;
  for (const Editor& e : editors_)
    if (s(e.field->name) == o.field) {
      caption = (e.label ? e.label->text() : e.check->text()).remove(QLatin1Char('&')).trimmed();
      if (caption.endsWith(QLatin1Char(':'))) caption = caption.chopped(1).trimmed();
      focus = e.edit ? static_cast<QWidget*>(e.edit) : e.check;
    }
  if (o.problem == Outcome::Problem::Duplicate && !editors_.empty()) focus = editors_.front().edit;
  problem_->setText(texts_.problem(o, caption));
  problem_->show();
  reload_->setVisible(o.problem == Outcome::Problem::Changed);
  if (focus) focus->setFocus();
}

void RecordForm::save() {
  const Outcome o = loaded_ ? store_.update(*loaded_, values(), &stored_) : store_.add(values(), &stored_);
  if (o.ok()) {
    accept();
    return;
  }
  showProblem(o);
}

void RecordForm::reload() {
  Outcome o;
  try {
    if (const std::optional<Record> now = store_.read(store_.keyOf(*loaded_))) {
      loaded_ = *now;
      fill(*now);
      problem_->clear();
      problem_->hide();
      reload_->hide();
      return;
    }
    o.problem = Outcome::Problem::Deleted;
  } catch (const data::DatabaseError& e) {
    o.problem = Outcome::Problem::Failed;
    o.detail = e.userText();
  }
  showProblem(o);
}

// ---------------------------------------------------------------------------

ListWindow::ListWindow(RecordStore& store, const ListTexts& texts, const TLinkSection* link, QWidget* parent)
    : QDialog(parent), store_(store), texts_(texts), link_(link) {
  const ListDefinition& d = store.definition();
  setObjectName(s(d.windowName));
  setWindowTitle(s(d.caption));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* label = components_.own(new QLabel(s("&Search:"), this));
  label->setObjectName(s("lblSearch"));
  search_ = components_.own(new QLineEdit(this));
  search_->setObjectName(s("edtSearch"));
  search_->setClearButtonEnabled(true);
  label->setBuddy(search_);
  top->addWidget(label);
  top->addWidget(search_, 1);
  layout->addLayout(top);

  grid_ = components_.own(new QTableWidget(0, static_cast<int>(d.fields.size()), this));
  grid_->setObjectName(s("grdRecords"));
  QStringList titles;
  for (const ListField& f : d.fields) titles << s(f.caption);
  grid_->setHorizontalHeaderLabels(titles);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->hide();
  grid_->setWordWrap(false);
  // One line a record, each column about as wide as its field.
  for (size_t c = 0; c < d.fields.size(); ++c) {
    const int size = store.fieldSize(s(d.fields[c].name));
    const int width = d.fields[c].kind == FieldKind::Text ? std::clamp(size * 5, 64, 200) : 80;
    grid_->setColumnWidth(static_cast<int>(c), width);
  }
  grid_->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(grid_, 1);

  auto* buttons = new QHBoxLayout;
  const char* const kButtons[][2] = {{"btnAdd", "&Add"},
                                     {"btnEdit", "&Edit"},
                                     {"btnDelete", "&Delete"},
                                     {"btnRefresh", "&Refresh"},
                                     {"btnClose", "Close"}};
  QPushButton* made[5] = {};
  for (int i = 0; i < 5; ++i) {
    made[i] = components_.own(new QPushButton(s(kButtons[i][1]), this));
    made[i]->setObjectName(s(kButtons[i][0]));
    made[i]->setAutoDefault(false);
    if (i == 4) buttons->addStretch();
    buttons->addWidget(made[i]);
  }
  layout->addLayout(buttons);
  connect(made[0], &QPushButton::clicked, this, [this] { addRecord(); });
  connect(made[1], &QPushButton::clicked, this, [this] { editRecord(); });
  connect(made[2], &QPushButton::clicked, this, [this] { deleteRecord(); });
  connect(made[3], &QPushButton::clicked, this, [this] { load(); });
  connect(made[4], &QPushButton::clicked, this, &QDialog::accept);
  connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { editRecord(); });
  // The keys of the desktop's lists: Insert adds, Delete deletes, Enter
  // edits. The filter belongs to the grid and goes with it.
  grid_->installEventFilter(new GridKeys(grid_, [this](int key) {
    if (key == Qt::Key_Insert)
      addRecord();
    else if (key == Qt::Key_Delete)
      deleteRecord();
    else if (key == Qt::Key_Return || key == Qt::Key_Enter)
      editRecord();
    else
      return false;
    return true;
  }));
  connect(search_, &QLineEdit::textChanged, this, [this] { applySearch(); });
  // From the search to the records it found: Enter or Down.
  search_->installEventFilter(new GridKeys(search_, [this](int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Down) return false;
    selectFirstShown();
    grid_->setFocus(Qt::TabFocusReason);
    return true;
  }));

  translate(this, components_, link);
  resize(720, 420);
  load();
}

void ListWindow::load() {
  const int row = selectedRecord();
  const QVariantList selected = row >= 0 ? store_.keyOf(records_[static_cast<size_t>(row)]) : QVariantList();
  try {
    records_ = store_.readAll();
  } catch (const data::DatabaseError& e) {
    texts_.tell(this, texts_.line(ListTexts::CannotOpen).arg(e.userText()));
    return;
  }
  const ListDefinition& d = store_.definition();
  grid_->setRowCount(0);
  grid_->setRowCount(static_cast<int>(records_.size()));
  for (size_t r = 0; r < records_.size(); ++r)
    for (size_t c = 0; c < d.fields.size(); ++c) {
      const ListField& f = d.fields[c];
      auto* item = new QTableWidgetItem(displayText(store_.value(records_[r], s(f.name)), f.kind));
      if (f.kind == FieldKind::Whole || f.kind == FieldKind::Number || f.kind == FieldKind::Money)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid_->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  applySearch();
  if (!selected.isEmpty()) select(selected);
}

void ListWindow::applySearch() {
  const QString wanted = search_->text().trimmed();
  for (int r = 0; r < grid_->rowCount(); ++r) {
    bool match = wanted.isEmpty();
    for (int c = 0; !match && c < grid_->columnCount(); ++c)
      if (const QTableWidgetItem* item = grid_->item(r, c))
        match = item->text().contains(wanted, Qt::CaseInsensitive);
    grid_->setRowHidden(r, !match);
  }
}

void ListWindow::selectFirstShown() {
  if (selectedRecord() >= 0) return;
  for (int r = 0; r < grid_->rowCount(); ++r)
    if (!grid_->isRowHidden(r)) {
      grid_->selectRow(r);
      return;
    }
}

void ListWindow::select(const QVariantList& key) {
  for (size_t r = 0; r < records_.size(); ++r)
    if (store_.keyOf(records_[r]) == key && !grid_->isRowHidden(static_cast<int>(r))) {
      grid_->selectRow(static_cast<int>(r));
      return;
    }
}

int ListWindow::selectedRecord() const {
  const QList<QTableWidgetItem*> items = grid_->selectedItems();
  if (items.isEmpty()) return -1;
  const int row = items.front()->row();
  return row >= 0 && static_cast<size_t>(row) < records_.size() && !grid_->isRowHidden(row) ? row : -1;
}

void ListWindow::addRecord() {
  RecordForm form(store_, texts_, link_, std::nullopt, this);
  if (form.exec() != QDialog::Accepted) return;
  const QVariantList key = store_.keyOf(form.stored());
  search_->clear();
  load();
  select(key);
}

void ListWindow::editRecord() {
  const int row = selectedRecord();
  if (row < 0) return;
  const QVariantList key = store_.keyOf(records_[static_cast<size_t>(row)]);
  std::optional<Record> now;
  try {
    // The form starts from the record as the file holds it now.
    now = store_.read(key);
  } catch (const data::DatabaseError& e) {
    texts_.tell(this, texts_.line(ListTexts::Failed).arg(e.userText()));
    return;
  }
  if (!now) {
    texts_.tell(this, texts_.line(ListTexts::DeleteDeleted));
    load();
    return;
  }
  RecordForm form(store_, texts_, link_, now, this);
  const bool stored = form.exec() == QDialog::Accepted;
  load();
  if (stored) select(store_.keyOf(form.stored()));
}

void ListWindow::deleteRecord() {
  const int row = selectedRecord();
  if (row < 0) return;
  const Record record = records_[static_cast<size_t>(row)];
  // The record by its code and its name (the first text after the key).
  QString named = RecordStore::keyText(store_.keyOf(record));
  const ListDefinition& d = store_.definition();
  for (size_t f = static_cast<size_t>(d.keyFields); f < d.fields.size(); ++f)
    if (d.fields[f].kind == FieldKind::Text) {
      const QString name = store_.value(record, s(d.fields[f].name)).toString().trimmed();
      if (!name.isEmpty()) named += s(" \u2013 ") + name;
      break;
    }
  if (!texts_.ask(this, texts_.line(ListTexts::ConfirmDelete).arg(named))) return;
  const Outcome o = store_.remove(record);
  if (o.problem == Outcome::Problem::Changed)
    texts_.tell(this, texts_.line(ListTexts::DeleteChanged));
  else if (o.problem == Outcome::Problem::Deleted)
    texts_.tell(this, texts_.line(ListTexts::DeleteDeleted));
  else if (!o.ok())
    texts_.tell(this, texts_.problem(o, QString()));
  load();
}

}  // namespace orba::lists
