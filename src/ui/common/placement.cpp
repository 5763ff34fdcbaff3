#include "ui/common/placement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <array>

namespace ui {

namespace {

enum class Side { Right, Left, Below, Above };

// `start` moved as little as needed for [start, start + length) to lie within [low, high].
int slideInto(int start, int length, int low, int high)
{
    return std::max(low, std::min(start, high - length + 1));
}

// The window in the free `room` on `side` of the anchor: against the anchor, and level with it
// as far as the room allows.
QRect placeIn(const QRect &room, Side side, const QRect &anchor, const QSize &size)
{
    const int across = slideInto(anchor.top(), size.height(), room.top(), room.bottom());
    const int along = slideInto(anchor.left(), size.width(), room.left(), room.right());
    switch (side) {
    case Side::Right: return {QPoint(room.left(), across), size};
    case Side::Left: return {QPoint(room.right() - size.width() + 1, across), size};
    case Side::Below: return {QPoint(along, room.top()), size};
    case Side::Above: return {QPoint(along, room.bottom() - size.height() + 1), size};
    }
    return {};
}

bool holds(const QRect &room, const QSize &size)
{
    return room.width() >= size.width() && room.height() >= size.height();
}

} // namespace

QRect besideWindow(const QRect &anchor, const QSize &wanted, const QSize &smallest, const QRect &screen, int gap)
{
    // The free parts of the screen on each side of the anchor, in the order they are tried (an
    // anchor partly off the screen leaves them on it).
    const auto room = [&screen](QPoint topLeft, QPoint bottomRight) {
        return QRect(topLeft, bottomRight).intersected(screen);
    };
    const std::array<std::pair<Side, QRect>, 4> rooms{{
        {Side::Right, room({anchor.right() + 1 + gap, screen.top()}, screen.bottomRight())},
        {Side::Left, room(screen.topLeft(), {anchor.left() - 1 - gap, screen.bottom()})},
        {Side::Below, room({screen.left(), anchor.bottom() + 1 + gap}, screen.bottomRight())},
        {Side::Above, room(screen.topLeft(), {screen.right(), anchor.top() - 1 - gap})},
    }};
    for (const auto &[side, free] : rooms) {
        if (holds(free, wanted))
            return placeIn(free, side, anchor, wanted);
    }
    const auto area = [](const QRect &free) { return std::max(0, free.width()) * std::max(0, free.height()); };
    const auto *roomiest = &rooms.front();
    for (const auto &candidate : rooms) {
        if (area(candidate.second) > area(roomiest->second))
            roomiest = &candidate;
    }
    if (holds(roomiest->second, smallest))
        return placeIn(roomiest->second, roomiest->first, anchor, wanted.boundedTo(roomiest->second.size()));
    const QSize size = wanted.boundedTo(screen.size());
    return {QPoint(slideInto(anchor.right() + 1 + gap, size.width(), screen.left(), screen.right()),
                   slideInto(anchor.top(), size.height(), screen.top(), screen.bottom())),
            size};
}

void placeBeside(QWidget &window, const QWidget &anchor)
{
    const QScreen *screen = anchor.screen();
    if (!screen)
        return;
    // A window not yet shown has no frame; the anchor's shows how much the desktop adds.
    const QSize frame = anchor.frameGeometry().size() - anchor.geometry().size();
    const QRect placed = besideWindow(anchor.frameGeometry(), window.size() + frame,
                                      window.minimumSizeHint().expandedTo(window.minimumSize()) + frame,
                                      screen->availableGeometry());
    window.resize(placed.size() - frame);
    window.move(placed.topLeft());
}

} // namespace ui
