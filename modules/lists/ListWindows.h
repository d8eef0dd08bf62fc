#pragma once

// The windows of a list maintenance option: the list of the company's
// records with a search box, and the form that adds or edits one record.
// Both are modal, translated from the language tables, and live on the
// caller's stack: nothing of them outlives the call into the library.

#include <QDialog>
#include <QObject>
#include <optional>

#include "Form.h"
#include "RecordStore.h"
#include "castellan/linku.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace orba::controls {
class MessageList;
}

namespace orba::lists {

// The texts the windows show in messages, in the user's language: the lines
// of hidden lists, translated as the components memTexts and memMore of
// "ListTexts".
class ListTexts : public QObject, public controls::Form {
 public:
  enum Line {
    Required,       // %1 field
    TooLong,        // %1 field, %2 size
    NotWhole,       // %1 field
    NotNumber,      // %1 field
    Duplicate,      // %1 key
    Changed,        // (editing)
    Deleted,        // (editing)
    Failed,         // %1 reason
    ConfirmDelete,  // %1 key
    Yes,
    No,
    DeleteChanged,   // (deleting)
    DeleteDeleted,   // (deleting)
    CannotOpen,      // %1 reason
    NotAListOption,  // %1 option
    Ok,
    // The lines of memMore, added later.
    HasAmounts = 100,
    InStock,
    TooManyDecimals,  // %1 field
    TooLarge,         // %1 field
  };
  explicit ListTexts(const TLinkSection* link);
  QString line(Line which) const;
  // The message for a problem of the form, with the field's caption.
  QString problem(const Outcome& o, const QString& fieldCaption) const;
  // A modal message box with an OK button, in the program's way.
  void tell(QWidget* parent, const QString& text) const;
  bool ask(QWidget* parent, const QString& text) const;

 private:
  controls::MessageList* memTexts_;
  controls::MessageList* memMore_;
};

// Adds a record (no `loaded`) or edits the one read as `loaded`. OK stores
// it through the store, or keeps the form open with the reason shown under
// the fields; when another workstation changed the record meanwhile, Reload
// shows it as it is now.
class RecordForm : public QDialog, public controls::Form {
 public:
  RecordForm(RecordStore& store, const ListTexts& texts, const TLinkSection* link,
             std::optional<Record> loaded, QWidget* parent = nullptr);
  // The record as stored by OK.
  const Record& stored() const { return stored_; }
  // The reason shown under the fields; empty when there is none.
  QString problemText() const;

 private:
  struct Editor {
    const ListField* field;
    QLabel* label = nullptr;
    QLineEdit* edit = nullptr;
    QCheckBox* check = nullptr;
  };
  void fill(const Record& record);
  FormValues values() const;
  void save();
  void reload();
  void showProblem(const Outcome& o);

  RecordStore& store_;
  const ListTexts& texts_;
  std::optional<Record> loaded_;
  Record stored_;
  std::vector<Editor> editors_;
  QLabel* problem_;
  QPushButton* reload_;
};

// The company's records in a grid over the fields the desktop's list shows,
// a search box that keeps the rows containing its text, and buttons to add,
// edit (also a double-click) and delete; in the grid, Insert, Enter and
// Delete do the same. Enter or Down in the search box goes to the first
// record found.
class ListWindow : public QDialog, public controls::Form {
 public:
  ListWindow(RecordStore& store, const ListTexts& texts, const TLinkSection* link, QWidget* parent = nullptr);
  // Reads the records again and shows them, keeping the search.
  void load();
  // Runs the record form for a new record, for the selected one, and the
  // deletion of the selected one.
  void addRecord();
  void editRecord();
  void deleteRecord();

 private:
  void applySearch();
  // After a search: a record shown is selected, so that Enter opens it.
  void selectFirstShown();
  void select(const QVariantList& key);
  int selectedRecord() const;

  RecordStore& store_;
  const ListTexts& texts_;
  const TLinkSection* link_;
  std::vector<Record> records_;
  QLineEdit* search_;
  QTableWidget* grid_;
};

// The text a value shows in the grid, or in the form (`editing`: an amount
// without its thousands grouped).
QString displayText(const QVariant& value, FieldKind kind, bool editing = false);

}  // namespace orba::lists
