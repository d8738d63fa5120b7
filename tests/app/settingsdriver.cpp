// Preloaded into an installed orvan-utility (LD_PRELOAD) to act as a user would: it opens
// Real Time Measurement and, with ORVAN_DRIVER "move", moves the window to 200,150 and closes
// it, which writes the settings file; with "read" it writes the place the window opened at
// into ORVAN_DRIVER_OUT ("x,y") and closes the window. It knows the windows by class name only.
#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QTimer>

namespace
{
bool done = false;

void poll()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        const QByteArray type = window->metaObject()->className();
        if (!window->isVisible()) {
            continue;
        } else if (type == "FormStart") {
            for (auto *button : window->findChildren<QAbstractButton *>()) {
                if (button->text().startsWith(QLatin1String("Real Time Measurement")))
                    QTimer::singleShot(0, button, &QAbstractButton::click);
            }
        } else if (type == "FormMain" && !done) {
            done = true;
            if (qgetenv("ORVAN_DRIVER") == "move") {
                window->move(200, 150);
            } else {
                QFile out(qEnvironmentVariable("ORVAN_DRIVER_OUT"));
                if (out.open(QIODevice::WriteOnly))
                    out.write(QByteArray::number(window->x()) + ',' +
                              QByteArray::number(window->y()));
            }
            QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
        }
    }
}

// The application object is still being built when a startup function runs, hence the posting.
void start()
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            auto *timer = new QTimer(QCoreApplication::instance());
            QObject::connect(timer, &QTimer::timeout, &poll);
            timer->start(40);
        },
        Qt::QueuedConnection);
}
} // namespace

Q_COREAPP_STARTUP_FUNCTION(start)
