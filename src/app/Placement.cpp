#include "Placement.h"

#include <algorithm>

namespace
{

// One cascade step, about the height of a title bar.
constexpr int cascadeStep = 28;
// Places tried for a new window before it goes on the first one anyway.
constexpr int cascadeTries = 64;

qint64 area(const QRect &r)
{
    return r.isEmpty() ? 0 : qint64(r.width()) * r.height();
}

// `at` moved just as far as needed for a window of `size` to lie inside `room`.
QPoint clampInto(const QRect &room, const QSize &size, QPoint at)
{
    at.setX(
        std::clamp(at.x(), room.left(), std::max(room.left(), room.right() + 1 - size.width())));
    at.setY(
        std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height())));
    return at;
}

bool isTaken(const QPoint &at, const QList<QPoint> &taken)
{
    return std::any_of(taken.begin(), taken.end(), [&at](const QPoint &p) {
        return (p - at).manhattanLength() < cascadeStep / 2;
    });
}

// The first place from `start` on, stepping down and to the right and wrapping around inside
// `room`, that no window in `taken` has. In a room too small for that, any free place in it;
// with none left, `start`.
QPoint cascade(const QRect &room, const QSize &size, const QPoint &start,
               const QList<QPoint> &taken)
{
    const int spanX = std::max(0, room.width() - size.width()) + 1;
    const int spanY = std::max(0, room.height() - size.height()) + 1;
    for (int k = 0; k < cascadeTries; ++k) {
        const QPoint at(room.left() + (start.x() - room.left() + k * cascadeStep) % spanX,
                        room.top() + (start.y() - room.top() + k * cascadeStep) % spanY);
        if (!isTaken(at, taken))
            return at;
    }
    for (int y = 0; y < spanY; y += cascadeStep / 2) {
        for (int x = 0; x < spanX; x += cascadeStep / 2) {
            const QPoint at(room.left() + x, room.top() + y);
            if (!isTaken(at, taken))
                return at;
        }
    }
    return start;
}

} // namespace

QRect placeFrame(const QRect &screen, const QRect &avoid, const QSize &size,
                 const QList<QPoint> &taken, std::optional<QPoint> preferred)
{
    const QSize fit = size.boundedTo(screen.size());
    const QRect main = avoid.intersected(screen);
    if (preferred) {
        const QRect there(*preferred, fit);
        if (screen.contains(there) && !there.intersects(main))
            return there;
    }
    if (main.isEmpty())
        return QRect(cascade(screen, fit, screen.topLeft(), taken), fit);

    // The strips of the screen beside the main window, each with the place next to the main
    // window where a new window starts: right, below, left, above.
    const struct {
        QRect room;
        QPoint start;
    } sides[] = {
        {QRect(QPoint(main.right() + 1, screen.top()), screen.bottomRight()),
         QPoint(main.right() + 1, main.top())},
        {QRect(QPoint(screen.left(), main.bottom() + 1), screen.bottomRight()),
         QPoint(main.left(), main.bottom() + 1)},
        {QRect(screen.topLeft(), QPoint(main.left() - 1, screen.bottom())),
         QPoint(main.left() - fit.width(), main.top())},
        {QRect(screen.topLeft(), QPoint(screen.right(), main.top() - 1)),
         QPoint(main.left(), main.top() - fit.height())},
    };
    for (const auto &side : sides) {
        if (side.room.width() >= fit.width() && side.room.height() >= fit.height()) {
            const QPoint start = clampInto(side.room, fit, side.start);
            return QRect(cascade(side.room, fit, start, taken), fit);
        }
    }
    // No room anywhere: the side where it covers the least of the main window.
    QPoint best = clampInto(screen, fit, sides[0].start);
    for (const auto &side : sides) {
        const QPoint at = clampInto(screen, fit, side.start);
        if (area(QRect(at, fit).intersected(main)) < area(QRect(best, fit).intersected(main)))
            best = at;
    }
    return QRect(cascade(screen, fit, best, taken), fit);
}
