#pragma once

#include <QImage>

namespace orba::demo {

// The default wallpaper: a quiet tile that repeats without visible seams.
QImage wallpaperTile();
// The picture of a new shortcut icon: a small program window.
QImage shortcutPicture();

}  // namespace orba::demo
