#pragma once

// What the program must hold, written out on its own in oracles/ rather than
// taken from the program's tables, so that a test comparing the two catches
// a code, a field or a row put in the wrong place. A file that cannot be
// read throws: a test never passes on an empty answer.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

namespace oracle {

// One option of the module menus and the bit of User_security that grants it.
struct Right {
  QString code;
  int module;
  int group;
  int position;
  int bit;
};
const std::vector<Right>& rights();
const Right& right(const QString& code);
// The 200 rights bytes that grant exactly these options ("*": all of them).
QByteArray rightsBytes(const QStringList& codes);
// The options that rights bytes grant, in the order of rights().
QStringList grantedBy(const QByteArray& bytes);

// A module menu of the main menu.
struct Menu {
  QString name;
  int position;
  int module;
  int firstSubmenu;
  QStringList groups;  // the four group submenus
  QStringList quickEntries;
};
const std::vector<Menu>& menus();

// A field the desktop declares, in declaration order within its table.
struct Field {
  QString table;  // "UserDataModule.User_table"
  QString file;
  QString name;
  char type;
  int size;
  bool required;
  bool calculated;
};
const std::vector<Field>& fields();
// The declared tables ("DataModule.Component") in the order first seen.
QStringList tables();
std::vector<Field> fieldsOf(const QString& table);
// How many leading fields key the tables whose key the data model fixes.
const std::map<QString, int>& keys();

// A row of Languages.db in a new installation.
struct Language {
  int key;
  QString code;
  QString name;
};
const std::vector<Language>& languages();

// An item of the international English wording, reached by position.
struct Wording {
  QString item;
  int top;
  int submenu;
  int position;
  QString caption;
};
const std::vector<Wording>& wording();

}  // namespace oracle
