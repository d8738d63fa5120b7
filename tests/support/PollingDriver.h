#pragma once

#include <QAbstractButton>
#include <QCoreApplication>
#include <QWidget>
#include <QTimer>

// The base of a module preloaded (LD_PRELOAD) into a real orvan-utility process to use it as
// a user would: poll() runs every 40 ms from the process's own event loop and looks at the
// windows by their class and object names.
class PollingDriver : public QObject
{
public:
    // Owned by the application, so that a process that ends by itself frees it.
    PollingDriver() : QObject(QCoreApplication::instance())
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

    // Chooses a mode in the start-up menu by the start of its button's text.
    static void chooseMode(QWidget *startMenu, const char *mode)
    {
        for (auto *button : startMenu->findChildren<QAbstractButton *>()) {
            if (button->text().startsWith(QLatin1String(mode)))
                click(button);
        }
    }
};

// Starts a driver once the application runs; the application object is still being built
// when a startup function is called, hence the posting.
#define ORVAN_POLLING_DRIVER(Driver)                                                              \
    static void startPollingDriver()                                                              \
    {                                                                                             \
        QMetaObject::invokeMethod(                                                                \
            QCoreApplication::instance(), [] { new Driver; }, Qt::QueuedConnection);              \
    }                                                                                             \
    Q_COREAPP_STARTUP_FUNCTION(startPollingDriver)
