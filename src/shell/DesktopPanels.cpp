#include "DesktopPanels.h"

#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <algorithm>

#include "ComponentList.h"
#include "DBGrid.h"
#include "DataModules.h"
#include "DatabaseError.h"
#include "ListPanel.h"
#include "MenuBarMirror.h"
#include "MenuItem.h"
#include "ModuleRunner.h"
#include "PanelSizing.h"
#include "ToDoText.h"
#include "Wallpaper.h"

namespace orba::shell {

using desktop::TListPanel;
using desktop::TTamberlyDBGrid;
using desktop::TTitleButton;
using Column = data::TableModel::Column;

namespace {

struct PanelDesign {
  const char* name;
  const char* buttonPrefix;  // ClientReduce, ClientEnlarge, ClientClose ...
  const char* closeName;
  QRect geometry;
  const char* caption;  // the design text; the language tables replace it
  const char* rightCode;
  const char* insertCode;
  const char* iconName;
};

// In stored-index order.
constexpr PanelDesign kPanels[kPanelCount] = {
    {"ClientList",
     "Client",
     "ClientClose",
     {224, 40, 505, 233},
     "Liste des clients",
     "ar04",
     "ar01S",
     "ClientBtn"},
    {"SupplierList",
     "Supplier",
     "SupplierClose",
     {224, 72, 505, 233},
     "Liste des fournisseurs",
     "ap03",
     "ap01S",
     "SupplierBtn"},
    {"AccountsList",
     "Accounts",
     "AccountsClose",
     {312, 8, 417, 233},
     "Liste des comptes",
     "gl07",
     "gl01S",
     "AccountsBtn"},
    {"EmployeeList",
     "Employee",
     "EmployeeClose",
     {224, 104, 505, 233},
     "Liste des employés",
     "pa02",
     "pa101S",
     "EmployeeBtn"},
    {"ThingsToDoList", "Ttd", "Ttdclose", {280, 136, 313, 169}, "A Faire", "", "", "ToDoListBtn"},
    {"ProductList",
     "Product",
     "ProductClose",
     {224, 136, 505, 233},
     "Liste des produits",
     "iv04",
     "iv01S",
     "ProductBtn"},
};

// The grids' columns: field, title, width. A width the design leaves to the
// field is given here as the field's usual display width in the grid font.
std::vector<Column> gridColumns(int grid) {
  auto c = [](const char* field, const char* title, int width) {
    return Column{QString::fromUtf8(field), QString::fromUtf8(title), width};
  };
  switch (grid) {
    case 0:
      return {c("Cli_code", "Client #", 64),
              c("Cli_name", "Name", 200),
              c("Cli_tel", "Telephone", 100),
              c("Cli_adr1", "Address", 200),
              c("Cli_adr2", "Address (line 2)", 200),
              c("Cli_city", "City", 200),
              c("Cli_prov", "Province", 150),
              c("Cli_country", "Country", 150),
              c("Cli_postal_code", "Postal code", 100),
              c("Cli_fax", "Fax", 100),
              c("Cli_contact", "Contact", 100),
              c("Cli_email", "Email", 150),
              c("Cli_salesrep", "Sales rep.", 76)};
    case 1:
      return {c("Sup_code", "Supplier #", 64),          c("Sup_name", "Name", 200),
              c("Sup_tel", "Telephone", 100),           c("Sup_adr1", "Address", 200),
              c("Sup_adr2", "Address (line 2)", 200),   c("Sup_city", "City", 200),
              c("Sup_prov", "Province", 150),           c("Sup_country", "Country", 150),
              c("Sup_postal_code", "Postal code", 100), c("Sup_fax", "Fax", 100),
              c("Sup_contact", "Contact", 100),         c("Sup_email", "Email", 100)};
    case 2:
      // The type as the account holds it (the calculated glm_type_desc is
      // filled by nothing).
      return {c("Glm_account", "Account #", 67), c("Glm_Description", "Description", 200),
              c("Glm_type", "Type", 124)};
    case 3:
      return {c("Emp_Code", "Employee #", 76),        c("Emp_Name", "Name", 200),
              c("Emp_Telephone", "Telephone", 100),   c("Emp_Adr1", "Address", 200),
              c("Emp_Adr2", "Address (line 2)", 200), c("Emp_City", "City", 200),
              c("Emp_province", "Province", 150),     c("Emp_Postal_code", "Postal code", 82),
              c("Emp_Occupation", "Occupation", 100)};
    default: {
      std::vector<Column> columns = {c("Ivprod_line_code", "Line", 28),
                                     c("Ivprod_item_code", "Item code", 64),
                                     c("Ivprod_desc_1", "Description", 64), c("Ivprod_upc", "UPC code", 64),
                                     c("Ivprod_sup1", "Supplier", 64)};
      for (int i = 1; i <= 9; ++i)
        columns.push_back(Column{QStringLiteral("Ivprod_price%1").arg(i), QStringLiteral("Price %1").arg(i),
                                 i == 3 ? 24 : 64});
      columns.push_back(c("Ivprod_std_cost", "Cost", 64));
      return columns;
    }
  }
}

// The products' prices and cost are amounts, although the table keeps them
// as plain numbers.
QStringList productMoneyFields() {
  QStringList fields;
  for (int i = 1; i <= 9; ++i) fields << QStringLiteral("Ivprod_price%1").arg(i);
  fields << QStringLiteral("Ivprod_std_cost");
  return fields;
}

desktop::StreamFont arial(int height, desktop::TColor color) {
  desktop::StreamFont f;
  f.name = QStringLiteral("Arial");
  f.height = height;
  f.color = color;
  return f;
}

}  // namespace

DesktopPanels::DesktopPanels(desktop::TWallpaper* wallpaper, controls::ComponentList& components,
                             QObject* parent)
    : QObject(parent), wallpaper_(wallpaper) {
  create(components);
}

DesktopPanels::~DesktopPanels() = default;

void DesktopPanels::create(controls::ComponentList& components) {
  int gridIndex = 0;
  for (int i = 0; i < kPanelCount; ++i) {
    const PanelDesign& d = kPanels[i];
    Panel& p = panels_[static_cast<size_t>(i)];
    p.insertCode = QString::fromLatin1(d.insertCode);
    p.box = components.own(new TListPanel(QString::fromLatin1(d.name), wallpaper_));
    p.box->setGeometry(d.geometry);
    p.box->setCaption(QString::fromUtf8(d.caption));
    p.box->setColor(desktop::clNavy);
    p.box->setParentFont(false);
    p.box->setStreamFont(arial(-11, desktop::clWhite));
    p.box->dragCursor = "crArrow";
    p.box->setCursor(Qt::ArrowCursor);
    p.box->hide();

    QWidget* list = nullptr;
    if (static_cast<PanelId>(i) == PanelId::ThingsToDo) {
      toDoText_ = components.own(new desktop::TToDoText(p.box));
      toDoText_->setParentFont(false);
      toDoText_->setStreamFont(arial(-13, desktop::clBlack));
      toDoText_->setHideScrollBars(false);
      toDoText_->setScrollBars(desktop::TScrollStyle::ssVertical);
      toDoText_->setWantTabs(true);
      toDoText_->align = desktop::TAlign::alBottom;
      toDoText_->resize(d.geometry.width() - 4, 133);
      list = toDoText_;
    } else {
      const int index = gridIndex++;
      p.grid = components.own(new TTamberlyDBGrid(p.box));
      p.grid->setObjectName(QStringLiteral("DBGrid%1").arg(index + 1));
      p.grid->align = desktop::TAlign::alBottom;
      p.grid->setFixedColor(desktop::clTeal);
      p.grid->setParentFont(false);
      p.grid->setStreamFont(arial(-11, desktop::clBlack));
      p.grid->setTitleFont(
          arial(-11, static_cast<PanelId>(i) == PanelId::Product ? desktop::clWhite : desktop::clWindowText));
      p.grid->setColumns(gridColumns(index));
      if (static_cast<PanelId>(i) == PanelId::Product) p.grid->setMoneyFields(productMoneyFields());
      p.grid->resize(d.geometry.width() - 4, 199);
      connect(p.grid, &TTamberlyDBGrid::OnKeyDown, this,
              [this, index](TTamberlyDBGrid*, int key, Qt::KeyboardModifiers) { listKey(index, key); });
      list = p.grid;
    }
    p.box->setList(list);

    const QString prefix = QString::fromLatin1(d.buttonPrefix);
    p.reduce = components.own(new TTitleButton(prefix + QStringLiteral("Reduce")));
    p.enlarge = components.own(new TTitleButton(prefix + QStringLiteral("Enlarge")));
    p.close = components.own(new TTitleButton(QString::fromLatin1(d.closeName)));
    p.reduce->setIcon(QPixmap::fromImage(desktop::reduceGlyph()));
    p.enlarge->setIcon(QPixmap::fromImage(desktop::enlargeGlyph()));
    p.reduce->setIconSize({15, 15});
    p.enlarge->setIconSize({15, 15});
    p.close->setText(QStringLiteral("X"));
    p.box->setTitleButtons(p.reduce, p.enlarge, p.close);
    p.box->layoutTitleRow();

    const auto id = static_cast<PanelId>(i);
    connect(p.reduce, &QToolButton::clicked, this, [this, id] { reduce(id); });
    connect(p.enlarge, &QToolButton::clicked, this, [this, id] { enlarge(id); });
    // The close button toggles, on a click and on a double-click alike.
    connect(p.close, &QToolButton::clicked, this, [this, id] { toggle(id); });
    connect(p.close, &TTitleButton::doubleClicked, this, [this, id] { toggle(id); });
    if (id == PanelId::Employee) {
      // These two also step on the double-click itself.
      connect(p.reduce, &TTitleButton::doubleClicked, this, [this, id] { reduce(id); });
      connect(p.enlarge, &TTitleButton::doubleClicked, this, [this, id] { enlarge(id); });
    }
    connect(p.box, &TListPanel::surfaceMouseDown, this, &DesktopPanels::mouseDown);
    connect(p.box, &TListPanel::surfaceMouseMove, this, &DesktopPanels::mouseMove);
    connect(p.box, &TListPanel::surfaceMouseUp, this, [this] { dragging_ = false; });
    connect(p.box, &TListPanel::surfaceClicked, this, [this, id] { bringToFront(id); });
    connect(p.box, &TListPanel::listEntered, this, [this, id] { bringToFront(id); });
  }

  // The to-do panel's pop-up menu, on the panel and on its text.
  toDoPopup_ = components.own(new controls::MenuItem(QStringLiteral("ThingsToDoPopup")));
  toDoPopup_->setParent(this);
  components.own(toDoPopup_->add(QStringLiteral("Enlarge2"), QStringLiteral("Agrandir")))
      ->setOnClick([this](controls::MenuItem&) { popupStep(true); });
  components.own(toDoPopup_->add(QStringLiteral("Reduce2"), QStringLiteral("Réduire")))
      ->setOnClick([this](controls::MenuItem&) { popupStep(false); });
  components.own(toDoPopup_->add(QStringLiteral("PrintThingsToDo"), QStringLiteral("Imprimer la liste")))
      ->setOnClick([this](controls::MenuItem&) {
        if (hooks_.printToDo) hooks_.printToDo();
      });
  toDoMenu_ = new QMenu(wallpaper_);
  toDoMenu_->setObjectName(QStringLiteral("ThingsToDoPopupShown"));
  new controls::MenuBarMirror(toDoPopup_, toDoMenu_, this);
  TListPanel* toDo = at(PanelId::ThingsToDo).box;
  toDo->popupMenuName = QStringLiteral("ThingsToDoPopup");
  toDoText_->popupMenuName = QStringLiteral("ThingsToDoPopup");
  for (QWidget* w : {static_cast<QWidget*>(toDo), static_cast<QWidget*>(toDoText_)}) {
    w->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(w, &QWidget::customContextMenuRequested, this, [this, w](const QPoint& at) {
      toDoMenu_->setProperty("popupComponent", QVariant::fromValue<QObject*>(w));
      toDoMenu_->popup(w->mapToGlobal(at));
    });
  }
}

void DesktopPanels::attach(const AppContext& context) {
  struct Source {
    data::DataSource* source;
    const char* name;
    std::vector<data::Table*> tables;
  };
  const Source sources[] = {
      {context.Ar_DataModule->Ar_DataSource,
       "Ar_DataModule.Ar_DataSource",
       {context.Ar_DataModule->Ar_Table}},
      {context.Ap_DataModule->Ap_DataSource,
       "Ap_DataModule.Ap_DataSource",
       {context.Ap_DataModule->Ap_Table}},
      {context.Gl_DataModule->Gl_DataSource,
       "Gl_DataModule.Gl_DataSource",
       {context.Gl_DataModule->Gl_Table}},
      {context.Emp_DataModule->Emp_DataSource,
       "Emp_DataModule.Emp_DataSource",
       {context.Emp_DataModule->Emp_Table}},
      {context.InvDataModule->DataSource1,
       "InvDataModule.DataSource1",
       {context.InvDataModule->IvprodTable, context.InvDataModule->IvinvTable}},
  };
  const PanelId data[] = {PanelId::Client, PanelId::Supplier, PanelId::Accounts, PanelId::Employee,
                          PanelId::Product};
  for (int g = 0; g < 5; ++g) {
    Panel& p = at(data[g]);
    p.grid->setDataSource(sources[g].source, QString::fromLatin1(sources[g].name));
    p.tables = sources[g].tables;
  }
}

TListPanel* DesktopPanels::panel(PanelId id) const { return panels_[static_cast<size_t>(id)].box; }

TTamberlyDBGrid* DesktopPanels::grid(int index) const {
  const PanelId ids[] = {PanelId::Client, PanelId::Supplier, PanelId::Accounts, PanelId::Employee,
                         PanelId::Product};
  if (index < 0 || index >= 5) return nullptr;
  return panels_[static_cast<size_t>(ids[index])].grid;
}

std::optional<PanelId> DesktopPanels::fromIconName(const QString& name) {
  for (int i = 0; i < kPanelCount; ++i)
    if (name == QLatin1String(kPanels[i].iconName)) return static_cast<PanelId>(i);
  return std::nullopt;
}

QString DesktopPanels::rightCode(PanelId id) {
  return QString::fromLatin1(kPanels[static_cast<size_t>(id)].rightCode);
}

QString DesktopPanels::panelName(PanelId id) {
  return QString::fromLatin1(kPanels[static_cast<size_t>(id)].name);
}

QString DesktopPanels::designCaption(PanelId id) {
  return QString::fromUtf8(kPanels[static_cast<size_t>(id)].caption);
}

std::vector<Column> DesktopPanels::designColumns(int grid) { return gridColumns(grid); }

std::optional<PanelId> DesktopPanels::idOf(const TListPanel* box) const {
  for (int i = 0; i < kPanelCount; ++i)
    if (panels_[static_cast<size_t>(i)].box == box) return static_cast<PanelId>(i);
  return std::nullopt;
}

void DesktopPanels::changed() {
  if (hooks_.changed) hooks_.changed();
}

void DesktopPanels::guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const data::DatabaseError& e) {
    if (hooks_.showError) hooks_.showError(hooks_.describe ? hooks_.describe(e) : e.message());
  }
}

void DesktopPanels::open(Panel& p) {
  p.box->tag = 1;
  try {
    for (data::Table* t : p.tables) t->open();
  } catch (...) {
    // A table that cannot be opened (a company without the file) leaves the
    // panel closed, and closed in what the desktop stores.
    p.box->tag = 0;
    for (data::Table* t : p.tables) t->close();
    throw;
  }
  p.box->show();
  p.box->layoutTitleRow();
  // Opened, a panel is in front of the others and wholly on the desktop.
  p.box->raise();
  bringOntoDesktop(p.box);
}

void DesktopPanels::close(Panel& p) {
  p.box->tag = 0;
  p.box->hide();
  for (data::Table* t : p.tables) t->close();
}

void DesktopPanels::toggle(PanelId id) {
  // The right is looked up as a whole code: holding ar041 does not open the
  // panel that needs ar04.
  const QString right = rightCode(id);
  if (!right.isEmpty() && !(hooks_.allowed && hooks_.allowed(right))) return;
  Panel& p = at(id);
  guarded([&] {
    if (p.box->isHidden())
      open(p);
    else
      close(p);
  });
  changed();
}

QSize DesktopPanels::withinDesktop(const TListPanel* box, QSize wanted) const {
  // Off screen the desktop has no real size yet.
  if (!wallpaper_->isVisible()) return wanted;
  const QSize room(std::max(box->width(), wallpaper_->width() - box->x()),
                   std::max(box->height(), wallpaper_->height() - box->y()));
  return wanted.boundedTo(room);
}

void DesktopPanels::bringOntoDesktop(TListPanel* box) {
  if (!wallpaper_->isVisible() || box->isHidden()) return;
  const QSize desk = wallpaper_->size();
  if (desk.isEmpty()) return;
  const QSize size = box->size().boundedTo(desk);
  const QPoint at(std::clamp(box->x(), 0, desk.width() - size.width()),
                  std::clamp(box->y(), 0, desk.height() - size.height()));
  if (size == box->size() && at == box->pos()) return;
  box->setGeometry(QRect(at, size));
  box->layoutTitleRow();
}

void DesktopPanels::bringOntoDesktop() {
  for (Panel& p : panels_) bringOntoDesktop(p.box);
}

void DesktopPanels::settleRestored() {
  // Desktops stored before the accounts' type was shown name its empty
  // calculated description; the type itself is in Glm_type.
  TTamberlyDBGrid* accounts = grid(2);
  std::vector<Column> columns = accounts->columns();
  bool renamed = false;
  for (Column& c : columns)
    if (c.fieldName.compare(QLatin1String("glm_type_desc"), Qt::CaseInsensitive) == 0) {
      c.fieldName = QStringLiteral("Glm_type");
      renamed = true;
    }
  if (renamed) accounts->setColumns(std::move(columns));
  bringOntoDesktop();
}

void DesktopPanels::enlarge(PanelId id) {
  TListPanel* box = at(id).box;
  // The step stops at the desktop's edge.
  box->resize(withinDesktop(box, desktop::sizing::enlarged(box->size())));
  box->layoutTitleRow();
  changed();
}

void DesktopPanels::reduce(PanelId id) {
  TListPanel* box = at(id).box;
  box->resize(desktop::sizing::reduced(box->size()));
  box->layoutTitleRow();
  changed();
}

void DesktopPanels::popupStep(bool enlarge) {
  // The menu belongs to the to-do panel and its text only: either way the
  // panel is the one that changes.
  TListPanel* box = at(PanelId::ThingsToDo).box;
  box->resize(enlarge ? withinDesktop(box, desktop::sizing::popupEnlarged(box->size()))
                      : desktop::sizing::popupReduced(box->size()));
  changed();
}

void DesktopPanels::bringToFront(PanelId id) {
  at(id).box->raise();
  changed();
}

void DesktopPanels::closePanel(PanelId id) { close(at(id)); }

void DesktopPanels::showRestored(PanelId id) {
  Panel& p = at(id);
  if (p.box->tag == 1) {
    open(p);
  } else {
    p.box->hide();
    for (data::Table* t : p.tables) t->close();
  }
}

void DesktopPanels::mouseDown(TListPanel*, Qt::MouseButton button, QPoint at) {
  if (button != Qt::LeftButton) return;
  dragStart_ = at;
  dragging_ = true;
}

void DesktopPanels::mouseMove(TListPanel* box, QPoint at) {
  if (!dragging_) return;
  const int left = box->x() + at.x() - dragStart_.x();
  const int top = box->y() + at.y() - dragStart_.y();
  QWidget* parent = box->parentWidget();
  // A step that would leave the desktop is refused whole: the panel stops
  // short of the edge rather than sliding along it.
  if (left < 0 || top < 0 || left + box->width() > parent->width() || top + box->height() > parent->height())
    return;
  box->setGeometry(left, top, box->width(), box->height());
  if (hooks_.repaintWindow) hooks_.repaintWindow();
  changed();
}

void DesktopPanels::refresh(Panel& p) {
  if (!p.box || p.box->tag != 1 || p.tables.empty() || !p.tables.front()->isActive()) return;
  // The grid's own table through its model (the rows are read again, the
  // cursor stays on its record), then the tables that follow it.
  if (p.grid)
    p.grid->refresh();
  else
    p.tables.front()->refresh();
  for (std::size_t i = 1; i < p.tables.size(); ++i)
    if (p.tables[i]->isActive()) p.tables[i]->refresh();
}

void DesktopPanels::refreshOpen() {
  for (Panel& p : panels_) guarded([&] { refresh(p); });
}

void DesktopPanels::listKey(int index, int key) {
  const PanelId byIndex[] = {PanelId::Client, PanelId::Supplier, PanelId::Accounts, PanelId::Employee,
                             PanelId::Product};
  if (key == Qt::Key_F5) {
    guarded([&] { refresh(at(byIndex[index])); });
    return;
  }
  if (key != Qt::Key_Insert) return;
  // The maintenance option opens the form of a new record, not its list;
  // the lists are read again when it returns (refreshOpen).
  if (hooks_.runOption) hooks_.runOption(at(byIndex[index]).insertCode, dispatch::kNewRecordContext);
}

}  // namespace orba::shell
