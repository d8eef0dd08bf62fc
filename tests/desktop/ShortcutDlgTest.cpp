// The shortcut dialog keeps the option catalogue in its two lists: the
// captions the user chooses from and, line for line, the codes the user may
// run.

#include <gtest/gtest.h>

#include <QListWidget>
#include <algorithm>

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

TEST(ShortcutDlg, OneOptionAtATimeInRowsOfThirteenPixelsOrTheFontsHeight) {
  TShortcutDlg dialog;
  EXPECT_EQ(dialog.OptionNames->selectionMode(), QAbstractItemView::SingleSelection);
  dialog.show();
  EXPECT_EQ(dialog.OptionNames->currentRow(), -1) << "an empty catalogue: nothing selected";
  for (int i = 0; i < 30; ++i)
    dialog.append(QStringLiteral("Option %1").arg(i), QStringLiteral("o%1").arg(i));
  dialog.OptionNames->setCurrentRow(0);
  dialog.OptionNames->item(3)->setSelected(true);
  EXPECT_EQ(dialog.OptionNames->selectedItems().size(), 1);
  const int height = dialog.OptionNames->visualItemRect(dialog.OptionNames->item(1)).height();
  EXPECT_EQ(height, std::max(13, dialog.OptionNames->fontMetrics().height()));
}
