#pragma once

#include <QImage>

namespace orba::demo {

// The default wallpaper: a quiet tile that repeats without visible seams.
QImage wallpaperTile();
// The picture of a new shortcut icon: a small program window.
QImage shortcutPicture();

// The glyphs of the six panel icons a demo desktop starts with, 32 by 32, in
// the order clients, suppliers, accounts, employees, products, to-do list.
// The background is the colour of the bottom-left pixel, which the icon
// button leaves transparent.
inline constexpr int kPanelIconCount = 6;
QImage panelIconGlyph(int which);

}  // namespace orba::demo
