#pragma once

#include <QList>
#include <QPoint>

#include <optional>

class QWidget;

// Moves `window` to its place (placeFrame) before it shows: on the screen of `main`, fully
// visible (made smaller if it is larger than the screen), clear of `main` where the screen has
// room, and off the corners of the windows in `others` that are showing. `preferred` is a place the user chose before, kept when it suits.
void placeWindow(QWidget *window, const QWidget *main, const QList<QWidget *> &others = {},
                 std::optional<QPoint> preferred = {});
