#pragma once

#include <QAbstractButton>
#include <QTimer>

// The base of a module preloaded (LD_PRELOAD) into a real orvan-utility process to use it as
// a user would: poll() runs every 40 ms from the process's own event loop and looks at the
// windows by their class and object names.
class PollingDriver : public QObject
{
public:
    PollingDriver()
    {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] { poll(); });
        timer->start(40);
    }

protected:
    virtual void poll() = 0;

    static bool isA(const QObject *object, const char *className)
    {
        return qstrcmp(object->metaObject()->className(), className) == 0;
    }

    // Clicks from the event loop, so that a dialog the click opens never blocks the poll.
    static void click(QAbstractButton *button)
    {
        if (button)
            QTimer::singleShot(0, button, &QAbstractButton::click);
    }
};
