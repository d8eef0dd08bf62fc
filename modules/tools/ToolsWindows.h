#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "Form.h"
#include "ToolStore.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace orba::controls {
class ComponentList;
class MessageList;
}  // namespace orba::controls

namespace orba::tools {

// An option of the catalogue the desktop lends: its caption (with its
// module's name) and its code.
struct CatalogueOption {
  QString caption;
  QString code;
};

// One entry of the Tools menu: captions and hints in both languages, an
// external program or a module of the program, its working folder, and the
// option whose right it borrows. OK hands the entry to `save`; the window
// stays open, with what was typed, when `save` refuses.
class TToolDlg : public QDialog, public controls::Form {
  Q_OBJECT
 public:
  using Save = std::function<bool(const Application&)>;
  TToolDlg(const std::vector<CatalogueOption>& catalogue, const QString& noRight, QWidget* parent = nullptr);

  void load(const Application& tool);
  Application tool() const;
  void setSave(Save save) { save_ = std::move(save); }

  QLabel* NameLabel;
  QLineEdit* NameEdit;
  QLabel* NameFrLabel;
  QLineEdit* NameFrEdit;
  QLabel* AboutLabel;
  QLineEdit* AboutEdit;
  QLabel* AboutFrLabel;
  QLineEdit* AboutFrEdit;
  QLabel* ProgramLabel;
  QLineEdit* ProgramEdit;
  QRadioButton* ProgramRadio;
  QRadioButton* ModuleRadio;
  QLabel* DirectoryLabel;
  QLineEdit* DirectoryEdit;
  QLabel* SecurityLabel;
  QComboBox* SecurityCombo;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

 private:
  Save save_;
};

// The Tools menu's entries in menu order: add, change, move and delete
// them. Every change is stored at once, whole or not at all.
class TToolsForm : public QDialog, public controls::Form {
  Q_OBJECT
 public:
  // `language`: 2 shows the French captions, anything else the English ones.
  TToolsForm(ToolStore& store, std::vector<CatalogueOption> catalogue, int language,
             QWidget* parent = nullptr);

  using Translate = std::function<void(QObject*, const controls::ComponentList&)>;
  void setTranslate(Translate translate) { translate_ = std::move(translate); }

  // Reads the entries again and selects row `select` when it exists.
  void reload(int select = 0);
  void addTool();
  void editTool();
  void moveTool(int step);
  void deleteTool();

  QTableWidget* ToolsGrid;
  QPushButton* AddBtn;
  QPushButton* EditBtn;
  QPushButton* UpBtn;
  QPushButton* DownBtn;
  QPushButton* DeleteBtn;
  QPushButton* CloseBtn;
  controls::MessageList* Messages;

 private:
  bool report(const std::function<void()>& change);
  void runToolDlg(const Application& start, const std::function<void(const Application&)>& store);
  QString line(int index, const QString& subject = {}) const;
  QString optionCaption(const QString& code) const;

  ToolStore& store_;
  std::vector<CatalogueOption> catalogue_;
  int language_;
  Translate translate_;
  std::vector<Application> tools_;
};

}  // namespace orba::tools
