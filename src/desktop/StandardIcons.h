#pragma once

#include <QImage>
#include <string>

namespace orba::desktop {

// The standard desktop's icons: the six list icons (clients, suppliers,
// accounts, employees, products, to-do list) in one column down the left
// edge of the wallpaper, as a user who has no stored desktop of their own
// gets them, and as the demo installation stores them.
inline constexpr int kStandardIconCount = 6;

// Icon `i`'s glyph, 32 by 32; the background is the colour of the
// bottom-left pixel, which the icon button leaves transparent.
QImage panelIconGlyph(int i);

// Icon `i` as a stored desktop row holds it: the component stream of a
// TTransparentButton named ClientBtn ... ToDoListBtn, its caption in
// English or French.
std::string standardIconStream(int i, bool french);

// Icon `i`'s name (ClientBtn ... ToDoListBtn) and its design caption.
QString standardIconName(int i);
QString standardIconCaption(int i, bool french);

}  // namespace orba::desktop
