#pragma once

#include <QByteArray>
#include <QString>
#include <QTreeWidget>

namespace orba::users {

// The rights of one user as a tree of check boxes: the module menus of the
// desktop, their groups and their options, in the desktop's own order (the
// rights map), so that each option's box is the bit the desktop tests. A
// module or group box checks or clears all of its options.
//
// Column 0 shows the option's caption as the desktop's menu shows it in the
// language of `languageTable` ("MainMenuen", "MainMenufr"), column 1 its code.
class RightsTree : public QTreeWidget {
  Q_OBJECT
 public:
  explicit RightsTree(const QString& languageTable, QWidget* parent = nullptr);

  // Shows the rights of a 200-byte field (shorter: the rest is zero).
  void setRights(const QByteArray& rights);
  // `base` with the option bits as the boxes show them; bits that are no
  // option of the menus stay as they were.
  QByteArray rights(const QByteArray& base) const;
  void setAll(bool granted);

  // The box of an option code; nullptr for a code that is no option.
  QTreeWidgetItem* option(const QString& code) const;
};

}  // namespace orba::users
