#include "WindowPlacement.h"

#include <algorithm>

namespace {

// lo..hi, with hi winning when the room is smaller than lo.
int within(int value, int lo, int hi) { return std::max(std::min(value, hi), std::min(lo, hi)); }

} // namespace

QRect WindowPlacement(const QRect& available, const QRect& stored, const QMargins& frame)
{
    // The inside's room: the screen's room less the frame.
    const QRect room = available.marginsRemoved(frame);
    const QSize wanted = stored.isEmpty() ? WindowSize::Preferred : stored.size();
    const QSize size(within(wanted.width(), WindowSize::Minimum.width(), room.width()),
                     within(wanted.height(), WindowSize::Minimum.height(), room.height()));
    if (stored.isEmpty()) {
        QRect centred(QPoint(), size);
        centred.moveCenter(room.center());
        return centred;
    }
    const int x = within(stored.x(), room.left(), room.right() + 1 - size.width());
    const int y = within(stored.y(), room.top(), room.bottom() + 1 - size.height());
    return QRect(QPoint(x, y), size);
}
