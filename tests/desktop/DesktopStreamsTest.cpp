// The list panel's and the to-do text's component streams: what they
// write, in which order, and that a stream reads back into the same state.

#include <gtest/gtest.h>

#include <QTextCursor>

#include "ComponentStreams.h"
#include "ListPanel.h"
#include "ToDoText.h"

using namespace orba::desktop;

namespace {
std::vector<std::string> names(const orba::stream::Component& c) {
  std::vector<std::string> out;
  for (const auto& p : c.properties) out.push_back(p.name);
  return out;
}
}  // namespace

TEST(DesktopStreams, APanelWritesItsEntriesInOrderAndReadsBackWhole) {
  QWidget desk;  // panels live on the wallpaper
  TListPanel panel("ClientList", &desk);
  panel.tag = 1;
  panel.setGeometry(50, 40, 505, 233);
  panel.setCaption("Clients");
  panel.setColor(clNavy);
  panel.setParentFont(false);
  panel.setStreamFont({"DEFAULT_CHARSET", clWhite, -11, "MS Sans Serif", {"fsBold"}});
  panel.tabOrder = 1;
  const orba::stream::Component c = writeComponent(panel);
  EXPECT_EQ(names(c), (std::vector<std::string>{"Tag", "Left", "Top", "Width", "Height", "Caption", "Color",
                                                "Font.Charset", "Font.Color", "Font.Height", "Font.Name",
                                                "Font.Style", "ParentFont", "TabOrder"}));
  const std::string first = orba::stream::writeComponentStream(c);
  TListPanel copy("x", &desk);
  readComponent(copy, orba::stream::readComponentStream(first).component);
  EXPECT_EQ(orba::stream::writeComponentStream(writeComponent(copy)), first);
  EXPECT_EQ(copy.objectName(), "ClientList");
  EXPECT_EQ(copy.geometry(), QRect(50, 40, 505, 233));
  EXPECT_EQ(copy.color(), clNavy);

  // Hidden, it says so; an untouched panel writes its geometry alone.
  copy.setVisible(false);
  EXPECT_NE(writeComponent(copy).find("Visible"), nullptr);
  TListPanel plain("SupplierList", &desk);
  EXPECT_EQ(names(writeComponent(plain)), (std::vector<std::string>{"Left", "Top", "Width", "Height"}));
}

TEST(DesktopStreams, TheToDoTextKeepsItsLinesButNotTheirFormatting) {
  TToDoText text;
  text.tag = 1;
  text.align = TAlign::alClient;
  text.setHtml("<b>Call</b> the bank<br>Pay <i>the</i> rent");
  QTextCursor end(text.document());
  end.movePosition(QTextCursor::End);
  end.insertText("\t(10th)");
  text.setScrollBars(TScrollStyle::ssVertical);
  text.popupMenuName = "PopupMenu2";
  const orba::stream::Component c = writeComponent(text);
  EXPECT_EQ(names(c), (std::vector<std::string>{"Tag", "Left", "Top", "Width", "Height", "Align",
                                                "Lines.Strings", "PopupMenu", "ScrollBars"}));
  const std::string first = orba::stream::writeComponentStream(c);
  TToDoText copy;
  readComponent(copy, orba::stream::readComponentStream(first).component);
  EXPECT_EQ(copy.lines(), (QStringList{"Call the bank", "Pay the rent\t(10th)"}));
  EXPECT_EQ(orba::stream::writeComponentStream(writeComponent(copy)), first);
  EXPECT_EQ(copy.scrollBars(), TScrollStyle::ssVertical);

  text.setPlainText("Réunion à 9 h — salle B");
  EXPECT_NO_THROW(writeComponent(text)) << "é, à and the dash are Windows-1252";
  text.setPlainText("会议");
  EXPECT_THROW(writeComponent(text), StreamError) << "refused, never changed";
}

TEST(DesktopStreams, AStreamForAnotherClassOrWithAWrongValueIsRefused) {
  TListPanel panel("ClientList");
  TToDoText text;
  EXPECT_THROW(readComponent(text, writeComponent(panel)), StreamError);
  orba::stream::Component c = writeComponent(panel);
  c.set("Visible", orba::stream::Value::Integer(1));
  try {
    readComponent(panel, c);
    FAIL();
  } catch (const StreamError& e) {
    EXPECT_NE(std::string(e.what()).find("TGroupBox.Visible"), std::string::npos) << e.what();
  }
}
