#include "WindowPlacement.h"

#include "Placement.h"

#include <QScreen>
#include <QWidget>

void placeWindow(QWidget *window, const QWidget *main, const QList<QWidget *> &others,
                 std::optional<QPoint> preferred)
{
    const QScreen *screen = main ? main->screen() : window->screen();
    if (!screen)
        return;
    // A window gets its frame when it first shows; until then the main window's frame tells
    // what the window manager adds.
    QSize frame = window->frameGeometry().size();
    if (main && !window->isVisible())
        frame = window->size() + main->frameGeometry().size() - main->size();
    QList<QPoint> taken;
    for (const QWidget *other : others) {
        if (other != window && other->isVisible())
            taken.append(other->frameGeometry().topLeft());
    }
    const QRect avoid = main ? main->frameGeometry() : QRect();
    const QRect place = placeFrame(screen->availableGeometry(), avoid, frame, taken, preferred);
    // A window larger than the screen is made to fit, as far as its minimum size allows.
    if (place.size() != frame)
        window->resize(window->size() - (frame - place.size()));
    window->move(place.topLeft());
}
