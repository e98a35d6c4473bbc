#pragma once
#include <QMargins>
#include <QRect>
#include <QSize>

// Where the window opens, as the rectangle of its inside (the frame goes around it).
//   available  the screen's room for windows (without panels and docks);
//   stored     the place the window had when it was last closed; an empty one when none;
//   frame      the window manager's frame around the inside (title bar, borders).
// A stored place is kept where it still fits: it is made no larger than the screen's room and
// moved, not cut, back onto it. Without one the window takes phone proportions where they fit,
// shorter (or narrower) where they do not, centred on the screen.
QRect WindowPlacement(const QRect& available, const QRect& stored, const QMargins& frame);

namespace WindowSize {
// The phone proportions of the window on a screen high enough for them.
inline constexpr QSize Preferred{480, 800};
// Smaller than this, pages no longer show their bars and fields side by side.
inline constexpr QSize Minimum{320, 480};
// The frame assumed before the window manager has told its own: a title bar.
inline constexpr QMargins AssumedFrame{0, 32, 0, 0};
} // namespace WindowSize
