#include "ToolsWindows.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "DatabaseError.h"
#include "MessageList.h"
#include "Messages.h"
#include "ModuleKit.h"
#include "SimpleDialog.h"

namespace orba::tools {

namespace {

using kit::guarded;
using kit::named;
using kit::openOnEnter;

// The messages of the Tools window, in English until translated; the
// reasons of ToolRefused are their line numbers.
QStringList designMessages() {
  return {
      QString::fromUtf8("The program or module name is missing."),
      QString::fromUtf8("A module name is an option code: letters, digits and underscores only."),
      QString::fromUtf8("The Tools menu already has an entry for %1."),
      QString::fromUtf8("The English caption is missing."),
      QString::fromUtf8("The French caption is missing."),
      QString::fromUtf8(
          "This entry is the only one that maintains the Tools menu: it cannot be deleted or made to "
          "run something else."),
      QString::fromUtf8("Delete the entry %1?"),
      QString::fromUtf8("The applications table could not be changed: %1"),
      QString::fromUtf8("The Tools menu was changed on another workstation. The list has been read again."),
      QString::fromUtf8("Program"),
      QString::fromUtf8("Module"),
      QString::fromUtf8("(none: always allowed)"),
      QString::fromUtf8("&Delete"),
      QString::fromUtf8("Cancel"),
  };
}

enum Line {
  kConfirmDelete = 6,
  kStoreFailed = 7,
  kProgramKind = 9,
  kModuleKind = 10,
  kNoRight = 11,
  kDeleteButton = 12,
  kCancelButton = 13,
};

}  // namespace

// ---------------------------------------------------------------------------

TToolDlg::TToolDlg(const std::vector<CatalogueOption>& catalogue, const QString& noRight, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QString::fromUtf8("ToolDlg"));
  setWindowTitle(QString::fromUtf8("Tools menu entry"));
  setWindowFlags(controls::kFixedDialogFlags);

  NameLabel = components_.own(named(new QLabel(QString::fromUtf8("&English caption:"), this), "NameLabel"));
  NameEdit = components_.own(named(new QLineEdit(this), "NameEdit"));
  NameFrLabel =
      components_.own(named(new QLabel(QString::fromUtf8("&French caption:"), this), "NameFrLabel"));
  NameFrEdit = components_.own(named(new QLineEdit(this), "NameFrEdit"));
  AboutLabel = components_.own(named(new QLabel(QString::fromUtf8("English &hint:"), this), "AboutLabel"));
  AboutEdit = components_.own(named(new QLineEdit(this), "AboutEdit"));
  AboutFrLabel = components_.own(named(new QLabel(QString::fromUtf8("French h&int:"), this), "AboutFrLabel"));
  AboutFrEdit = components_.own(named(new QLineEdit(this), "AboutFrEdit"));
  ProgramLabel =
      components_.own(named(new QLabel(QString::fromUtf8("&Program or module:"), this), "ProgramLabel"));
  ProgramEdit = components_.own(named(new QLineEdit(this), "ProgramEdit"));
  ProgramRadio =
      components_.own(named(new QRadioButton(QString::fromUtf8("E&xternal program"), this), "ProgramRadio"));
  ModuleRadio = components_.own(
      named(new QRadioButton(QString::fromUtf8("&Module of Castellan/Orba"), this), "ModuleRadio"));
  DirectoryLabel =
      components_.own(named(new QLabel(QString::fromUtf8("&Working folder:"), this), "DirectoryLabel"));
  DirectoryEdit = components_.own(named(new QLineEdit(this), "DirectoryEdit"));
  SecurityLabel =
      components_.own(named(new QLabel(QString::fromUtf8("&Right of the option:"), this), "SecurityLabel"));
  SecurityCombo = components_.own(named(new QComboBox(this), "SecurityCombo"));
  OKBtn = components_.own(named(new QPushButton(QString::fromUtf8("OK"), this), "OKBtn"));
  CancelBtn = components_.own(named(new QPushButton(QString::fromUtf8("Cancel"), this), "CancelBtn"));
  OKBtn->setDefault(true);

  // The stored lengths of the fields.
  for (QLineEdit* e : {NameEdit, NameFrEdit, ProgramEdit}) e->setMaxLength(60);
  for (QLineEdit* e : {AboutEdit, AboutFrEdit}) e->setMaxLength(200);
  DirectoryEdit->setMaxLength(240);
  SecurityCombo->addItem(noRight, QString());
  for (const CatalogueOption& o : catalogue)
    SecurityCombo->addItem(o.caption + QString::fromUtf8(" (") + o.code + QLatin1Char(')'), o.code);
  ProgramRadio->setChecked(true);
  connect(ProgramRadio, &QRadioButton::toggled, DirectoryEdit, &QWidget::setEnabled);
  NameLabel->setBuddy(NameEdit);
  NameFrLabel->setBuddy(NameFrEdit);
  AboutLabel->setBuddy(AboutEdit);
  AboutFrLabel->setBuddy(AboutFrEdit);
  ProgramLabel->setBuddy(ProgramEdit);
  DirectoryLabel->setBuddy(DirectoryEdit);
  SecurityLabel->setBuddy(SecurityCombo);
  connect(OKBtn, &QPushButton::clicked, this, [this] {
    if (!save_ || save_(tool())) accept();
  });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

  auto* grid = new QGridLayout;
  int row = 0;
  for (auto [label, field] :
       std::initializer_list<std::pair<QLabel*, QWidget*>>{{NameLabel, NameEdit},
                                                           {NameFrLabel, NameFrEdit},
                                                           {AboutLabel, AboutEdit},
                                                           {AboutFrLabel, AboutFrEdit},
                                                           {ProgramLabel, ProgramEdit}}) {
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row++, 1);
  }
  auto* kinds = new QHBoxLayout;
  kinds->addWidget(ProgramRadio);
  kinds->addWidget(ModuleRadio);
  grid->addLayout(kinds, row++, 1);
  grid->addWidget(DirectoryLabel, row, 0);
  grid->addWidget(DirectoryEdit, row++, 1);
  grid->addWidget(SecurityLabel, row, 0);
  grid->addWidget(SecurityCombo, row++, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  NameEdit->setMinimumWidth(360);
}

void TToolDlg::load(const Application& tool) {
  NameEdit->setText(tool.name);
  NameFrEdit->setText(tool.nameFr);
  AboutEdit->setText(tool.about);
  AboutFrEdit->setText(tool.aboutFr);
  ProgramEdit->setText(tool.program);
  (tool.isModule ? ModuleRadio : ProgramRadio)->setChecked(true);
  DirectoryEdit->setText(tool.directory);
  DirectoryEdit->setEnabled(!tool.isModule);
  int index = SecurityCombo->findData(tool.security);
  if (index < 0) {
    // An option the catalogue does not list (a module not installed here)
    // is kept as it is.
    SecurityCombo->addItem(tool.security, tool.security);
    index = SecurityCombo->count() - 1;
  }
  SecurityCombo->setCurrentIndex(index);
}

Application TToolDlg::tool() const {
  Application a;
  a.name = NameEdit->text();
  a.nameFr = NameFrEdit->text();
  a.about = AboutEdit->text();
  a.aboutFr = AboutFrEdit->text();
  a.program = ProgramEdit->text();
  a.isModule = ModuleRadio->isChecked();
  // A module runs in the desktop's folder; only a program has its own.
  a.directory = a.isModule ? QString() : DirectoryEdit->text();
  a.security = SecurityCombo->currentData().toString();
  return a;
}

// ---------------------------------------------------------------------------

TToolsForm::TToolsForm(ToolStore& store, std::vector<CatalogueOption> catalogue, int language,
                       QWidget* parent)
    : QDialog(parent), store_(store), catalogue_(std::move(catalogue)), language_(language) {
  setObjectName(QString::fromUtf8("ToolsForm"));
  setWindowTitle(QString::fromUtf8("Maintenance of Tools menu"));
  setWindowFlags(controls::kFixedDialogFlags | Qt::WindowMaximizeButtonHint);

  ToolsGrid = components_.own(named(new QTableWidget(0, 4, this), "ToolsGrid"));
  ToolsGrid->setHorizontalHeaderLabels({QString::fromUtf8("Caption"), QString::fromUtf8("Program"),
                                        QString::fromUtf8("Kind"), QString::fromUtf8("Right of")});
  ToolsGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  ToolsGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  ToolsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ToolsGrid->verticalHeader()->hide();
  ToolsGrid->setWordWrap(false);
  ToolsGrid->horizontalHeader()->setStretchLastSection(true);
  AddBtn = components_.own(named(new QPushButton(QString::fromUtf8("&Add..."), this), "AddBtn"));
  EditBtn = components_.own(named(new QPushButton(QString::fromUtf8("&Change..."), this), "EditBtn"));
  UpBtn = components_.own(named(new QPushButton(QString::fromUtf8("Move &up"), this), "UpBtn"));
  DownBtn = components_.own(named(new QPushButton(QString::fromUtf8("Move d&own"), this), "DownBtn"));
  DeleteBtn = components_.own(named(new QPushButton(QString::fromUtf8("&Delete"), this), "DeleteBtn"));
  CloseBtn = components_.own(named(new QPushButton(QString::fromUtf8("Close"), this), "CloseBtn"));
  Messages =
      components_.own(new controls::MessageList(QString::fromUtf8("Messages"), designMessages(), this));

  connect(AddBtn, &QPushButton::clicked, this, guarded(this, [this] { addTool(); }));
  connect(EditBtn, &QPushButton::clicked, this, guarded(this, [this] { editTool(); }));
  connect(UpBtn, &QPushButton::clicked, this, guarded(this, [this] { moveTool(-1); }));
  connect(DownBtn, &QPushButton::clicked, this, guarded(this, [this] { moveTool(1); }));
  connect(DeleteBtn, &QPushButton::clicked, this, guarded(this, [this] { deleteTool(); }));
  connect(CloseBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(ToolsGrid, &QTableWidget::cellDoubleClicked, this, guarded(this, [this] { editTool(); }));
  openOnEnter(ToolsGrid, guarded(this, [this] { editTool(); }));

  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {AddBtn, EditBtn, UpBtn, DownBtn, DeleteBtn}) buttons->addWidget(b);
  buttons->addStretch();
  buttons->addWidget(CloseBtn);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(ToolsGrid, 1);
  layout->addLayout(buttons);
  resize(700, 360);
}

QString TToolsForm::line(int index, const QString& subject) const {
  const QString text = Messages->line(index);
  return text.contains(QString::fromUtf8("%1")) ? text.arg(subject) : text;
}

QString TToolsForm::optionCaption(const QString& code) const {
  for (const CatalogueOption& o : catalogue_)
    if (o.code == code) return o.caption + QString::fromUtf8(" (") + code + QLatin1Char(')');
  return code;
}

void TToolsForm::reload(int select) {
  tools_ = store_.tools();
  ToolsGrid->setRowCount(static_cast<int>(tools_.size()));
  for (int r = 0; r < static_cast<int>(tools_.size()); ++r) {
    const Application& t = tools_[static_cast<std::size_t>(r)];
    const QStringList cells = {t.caption(language_), t.program, line(t.isModule ? kModuleKind : kProgramKind),
                               optionCaption(t.security)};
    for (int c = 0; c < cells.size(); ++c) ToolsGrid->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  ToolsGrid->resizeColumnsToContents();
  if (!tools_.empty()) ToolsGrid->selectRow(std::clamp(select, 0, static_cast<int>(tools_.size()) - 1));
  for (QPushButton* b : {EditBtn, UpBtn, DownBtn, DeleteBtn}) b->setEnabled(!tools_.empty());
}

bool TToolsForm::report(const std::function<void()>& change) {
  try {
    change();
    return true;
  } catch (const ToolRefused& refused) {
    controls::Messages::error(line(refused.reason, refused.subject), this);
    if (refused.reason == ToolRefused::Changed) {
      try {
        reload(ToolsGrid->currentRow());
      } catch (const data::DatabaseError& e) {
        controls::Messages::error(e.userText(), this);
      }
      return true;
    }
  } catch (const data::DatabaseError& e) {
    controls::Messages::error(line(kStoreFailed, e.userText()), this);
  }
  return false;
}

void TToolsForm::runToolDlg(const Application& start, const std::function<void(const Application&)>& store) {
  TToolDlg dlg(catalogue_, line(kNoRight), this);
  if (translate_) translate_(&dlg, dlg.components());
  dlg.load(start);
  dlg.setSave([&](const Application& a) { return report([&] { store(a); }); });
  dlg.exec();
}

void TToolsForm::addTool() {
  runToolDlg(Application{}, [this](const Application& a) {
    store_.add(a);
    reload(static_cast<int>(tools_.size()));
  });
}

void TToolsForm::editTool() {
  const int row = ToolsGrid->currentRow();
  if (row < 0 || row >= static_cast<int>(tools_.size())) return;
  const Application shown = tools_[static_cast<std::size_t>(row)];
  runToolDlg(shown, [this, row, &shown](const Application& a) {
    store_.update(row, shown, a);
    reload(row);
  });
}

void TToolsForm::moveTool(int step) {
  const int row = ToolsGrid->currentRow();
  const int to = row + step;
  if (row < 0 || row >= static_cast<int>(tools_.size()) || to < 0 || to >= static_cast<int>(tools_.size()))
    return;
  const Application shown = tools_[static_cast<std::size_t>(row)];
  report([&] {
    store_.move(row, shown, to);
    reload(to);
  });
}

void TToolsForm::deleteTool() {
  const int row = ToolsGrid->currentRow();
  if (row < 0 || row >= static_cast<int>(tools_.size())) return;
  const Application shown = tools_[static_cast<std::size_t>(row)];
  QMessageBox ask(QMessageBox::Question, controls::Messages::title(),
                  line(kConfirmDelete, shown.caption(language_)), QMessageBox::NoButton, this);
  QPushButton* yes = ask.addButton(line(kDeleteButton), QMessageBox::DestructiveRole);
  ask.setDefaultButton(ask.addButton(line(kCancelButton), QMessageBox::RejectRole));
  ask.exec();
  if (ask.clickedButton() != yes) return;
  report([&] {
    store_.remove(row, shown);
    reload(row);
  });
}

}  // namespace orba::tools
