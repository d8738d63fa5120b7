// Preloaded into an installed orvan-utility (LD_PRELOAD) to act as a user would: it opens
// Real Time Measurement and, with ORVAN_DRIVER "move", moves the window to 200,150 and closes
// it, which writes the settings file; with "read" it writes the place the window opened at
// into ORVAN_DRIVER_OUT ("x,y") and closes the window.
#include "PollingDriver.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QWidget>

namespace
{
class Driver : public PollingDriver
{
    void poll() override
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (!window->isVisible())
                continue;
            if (isA(window, "FormStart")) {
                chooseMode(window, "Real Time Measurement");
            } else if (isA(window, "FormMain") && !m_done) {
                m_done = true;
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

    bool m_done = false;
};

} // namespace

ORVAN_POLLING_DRIVER(Driver)
