#pragma once

#include <QString>
#include <functional>

namespace orba::shell {

class DesktopPanels;
class ShortcutIcons;

// The desktop's texts that are the system's rather than the user's: the
// list panels' titles, their grids' column titles and the captions of the
// six panel icons (ClientBtn ... ToDoListBtn). They follow the language: a
// stored desktop keeps the texts of the language it was saved in, and the
// restore would otherwise show them over the translation; a switch of
// language translates the window but not the icons, which are not the
// window's own components.
//
// What is the system's: a panel's title and a column's title cannot be
// typed by a user (nothing offers to), so they are always the system's and
// always take the current language's text. An icon's caption can be typed
// (its properties); it counts as the system's when it is the icon's design
// caption in English or French, or the icon's caption in any language table
// (form DesktopIcons); any other caption was typed and stays as it is. Old
// stored desktops need nothing new: their captions are those texts.
class SystemCaptions {
 public:
  // `currentTable` names the current language's table ("MainMenufr").
  SystemCaptions(DesktopPanels& panels, ShortcutIcons& icons, std::function<QString()> currentTable);

  // Gives the panels, the grids' columns and the panel icons the current
  // language's texts. A language table that cannot be read leaves the texts
  // it would have given as they are.
  void follow();

 private:
  void followPanels(const QString& table);
  void followIcons(const QString& table);

  DesktopPanels& panels_;
  ShortcutIcons& icons_;
  std::function<QString()> currentTable_;
};

}  // namespace orba::shell
