#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where a new window goes, as a frame rectangle for a window of frame size `size`: fully inside
// `screen` (the screen's free area), clear of `avoid` (the main window's frame) wherever the
// screen leaves room for it, and not on the top-left corner of any window in `taken` (windows
// of its kind already open): those cascade down and to the right, starting over at the top of
// the room rather than leaving the screen. A `preferred` place (one the user chose before) is
// kept when it is fully visible and clear of `avoid`.
QRect placeFrame(const QRect &screen, const QRect &avoid, const QSize &size,
                 const QList<QPoint> &taken = {}, std::optional<QPoint> preferred = {});
