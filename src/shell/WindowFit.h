#pragma once

#include <QMargins>
#include <QRect>

namespace orba::shell {

// Where a window's frame goes so that all of it is on the screen's usable
// area: moved onto the area, and made smaller only where it is larger than
// the area. A frame already inside is left where it is.
QRect fitFrame(const QRect& frame, const QRect& available);

// The same for a window's client area, given the frame's margins around it
// (the title bar and borders the window manager adds).
QRect fitClient(const QRect& client, const QMargins& frame, const QRect& available);

}  // namespace orba::shell
