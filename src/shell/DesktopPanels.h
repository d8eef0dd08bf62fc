#pragma once

#include <QObject>
#include <QPoint>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "AppContext.h"
#include "TableModel.h"

class QMenu;

namespace orba::controls {
class ComponentList;
class MenuItem;
}  // namespace orba::controls
namespace orba::data {
class DatabaseError;
class Table;
}  // namespace orba::data
namespace orba::desktop {
class TListPanel;
class TTamberlyDBGrid;
class TTitleButton;
class TToDoText;
class TWallpaper;
}  // namespace orba::desktop

namespace orba::shell {

// The six list panels, numbered as a stored desktop numbers them (the to-do
// panel is 4, the products 5).
enum class PanelId { Client = 0, Supplier = 1, Accounts = 2, Employee = 3, ThingsToDo = 4, Product = 5 };
inline constexpr int kPanelCount = 6;

// The list panels of the desktop: five browse lists over the company's
// tables (clients, suppliers, accounts, employees, products) and the to-do
// text. They lie on the wallpaper, start hidden, and are opened and closed,
// dragged, stepped in size and brought to the front by the user; every one
// of these actions marks the desktop changed. Opening a data panel opens its
// table(s); closing it closes them.
//
// The panels, their title buttons, grids, the to-do text and the to-do
// pop-up menu are components of the main window, created here in the
// window's component order.
//
// Every panel stays within reach on the desktop: a size step stops at the
// desktop's edge, and a panel that lies partly outside it (a desktop stored
// on a larger screen, a window made smaller) is brought back onto it, made
// smaller only when it is larger than the whole desktop. A panel opened
// comes to the front.
class DesktopPanels : public QObject {
  Q_OBJECT
 public:
  struct Hooks {
    // Whether the user may run an option (the catalogue's codes).
    std::function<bool(const QString& code)> allowed;
    // A layout action happened.
    std::function<void()> changed;
    // Repaints the whole window at once (the wallpaper behind a moved panel).
    std::function<void()> repaintWindow;
    // Runs an option through the dispatch (the Insert key on a list), with
    // the OptionContext the module receives.
    std::function<void(const QString& code, const QString& context)> runOption;
    // Reports an error the way the program shows them.
    std::function<void(const QString& message)> showError;
    // An error of the tables in the user's words.
    std::function<QString(const data::DatabaseError&)> describe;
    // Prints the to-do list (its menu's "Print the list").
    std::function<void()> printToDo;
  };

  DesktopPanels(desktop::TWallpaper* wallpaper, controls::ComponentList& components,
                QObject* parent = nullptr);
  ~DesktopPanels() override;
  void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }
  // Gives the grids their data sources and the panels their tables.
  void attach(const AppContext& context);

  desktop::TListPanel* panel(PanelId id) const;
  // DBGrid1 ... DBGrid5 by their stored index (0 clients ... 4 products).
  desktop::TTamberlyDBGrid* grid(int index) const;
  desktop::TToDoText* toDoText() const { return toDoText_; }
  controls::MenuItem* toDoPopup() const { return toDoPopup_; }
  // The panel whose icon carries this name (ClientBtn ... ToDoListBtn).
  static std::optional<PanelId> fromIconName(const QString& name);
  // The option code that lets the user see a data panel; empty for the
  // to-do panel.
  static QString rightCode(PanelId id);
  // The panel's component name (ClientList ... ProductList).
  static QString panelName(PanelId id);
  // The design texts: the panel's caption and a grid's columns (field,
  // title, width) before any language table or stored desktop is applied.
  static QString designCaption(PanelId id);
  static std::vector<data::TableModel::Column> designColumns(int grid);

  // Opens a closed panel or closes an open one (its close button, its icon).
  // A data panel needs its right; without it nothing happens at all.
  void toggle(PanelId id);
  // The title buttons' steps: width by 1.15 and height by 1.25, then the
  // title row laid out again.
  void enlarge(PanelId id);
  void reduce(PanelId id);
  // The to-do pop-up's steps, on the panel the menu was opened on (the
  // panel itself or its text): both sides by 1.15, the title row left as it
  // is.
  void popupStep(bool enlarge);
  void bringToFront(PanelId id);
  // Closes a panel (its tables too), when its icon is deleted.
  void closePanel(PanelId id);
  // After a stored panel was read: open (tables, shown, title row) when its
  // Tag is 1, hidden otherwise.
  void showRestored(PanelId id);
  // Reads the tables of every open list again, each staying on its record
  // when it still exists: after a module has run, after a company switch.
  void refreshOpen();
  // Brings every open panel wholly onto the desktop (only while the
  // desktop is on screen, when its size is the real one).
  void bringOntoDesktop();
  // After a stored desktop was read: its panels onto this desktop, and its
  // grids' columns shown by the fields that hold their values.
  void settleRestored();

  // The drag state the six panels share.
  bool dragging() const { return dragging_; }

 private:
  struct Panel {
    desktop::TListPanel* box = nullptr;
    desktop::TTitleButton* reduce = nullptr;
    desktop::TTitleButton* enlarge = nullptr;
    desktop::TTitleButton* close = nullptr;
    desktop::TTamberlyDBGrid* grid = nullptr;
    std::vector<data::Table*> tables;
    QString insertCode;  // the option the Insert key runs
  };

  void create(controls::ComponentList& components);
  Panel& at(PanelId id) { return panels_[static_cast<size_t>(id)]; }
  std::optional<PanelId> idOf(const desktop::TListPanel* box) const;
  void open(Panel& p);
  void close(Panel& p);
  void bringOntoDesktop(desktop::TListPanel* box);
  // A size the panel may take where it stands: no wider or taller than the
  // room up to the desktop's right and bottom edges (a panel already past
  // them is not made smaller by a step up).
  QSize withinDesktop(const desktop::TListPanel* box, QSize wanted) const;
  void mouseDown(desktop::TListPanel* box, Qt::MouseButton button, QPoint at);
  void mouseMove(desktop::TListPanel* box, QPoint at);
  // Insert runs the panel's maintenance for a new record; F5 reads the list
  // again.
  void listKey(int index, int key);
  void refresh(Panel& p);
  void changed();
  // Runs a handler, showing the database error it may end with.
  void guarded(const std::function<void()>& handler);

  desktop::TWallpaper* wallpaper_;
  Hooks hooks_;
  std::array<Panel, kPanelCount> panels_{};
  desktop::TToDoText* toDoText_ = nullptr;
  controls::MenuItem* toDoPopup_ = nullptr;
  QMenu* toDoMenu_ = nullptr;
  bool dragging_ = false;
  QPoint dragStart_;
};

}  // namespace orba::shell
