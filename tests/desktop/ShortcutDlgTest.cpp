// The shortcut dialog keeps the option catalogue in its two lists: the
// captions the user chooses from and, line for line, the codes the user may
// run.

#include <gtest/gtest.h>

#include <QListWidget>

#include "DesktopDialogs.h"

using orba::desktop::TShortcutDlg;

TEST(ShortcutDlg, TheCatalogueIsTheDialogsTwoListsLineForLine) {
  TShortcutDlg dialog;
  dialog.append("Transactions entry - General Ledger", "gl03");
  dialog.append("Budget - General Ledger", "");
  dialog.append("Report maintenance - Accounts Receivable", "ar091");
  EXPECT_EQ(dialog.OptionNames->count(), 3);
  EXPECT_EQ(dialog.DllList->count(), 3);
  EXPECT_EQ(dialog.OptionNames->item(1)->text(), "Budget - General Ledger");
  EXPECT_EQ(dialog.codes(), (QStringList{"gl03", "", "ar091"}));
  EXPECT_FALSE(dialog.DllList->isVisibleTo(&dialog)) << "the codes are not shown";
  EXPECT_TRUE(dialog.allows("gl03"));
  EXPECT_FALSE(dialog.allows("ar09"));
  EXPECT_FALSE(dialog.allows(""));
  dialog.clear();
  EXPECT_TRUE(dialog.names().isEmpty());
  EXPECT_FALSE(dialog.allows("gl03"));
}

TEST(ShortcutDlg, ComponentsInOrderWithTheirNames) {
  TShortcutDlg dialog;
  QStringList names;
  for (QObject* c : dialog.components().components()) names << c->objectName();
  EXPECT_EQ(names, (QStringList{"Label2", "OptionNames", "DllList", "OKBtn", "CancelBtn"}));
  EXPECT_EQ(dialog.objectName(), "ShortcutDlg");
}
