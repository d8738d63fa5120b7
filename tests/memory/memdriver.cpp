// Preloaded into a real orvan-utility process (LD_PRELOAD) to read the instrument's memory as
// a user would: it picks Read Memory Data at the start, presses Read Memory Data once and
// answers nothing after, so the process waits at the first question that follows the
// download. When a question shows it writes its text into the file ORVAN_DRIVER_OUT.
#include "PollingDriver.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>

namespace
{
class Driver : public PollingDriver
{
public:
    Driver() : m_out(qEnvironmentVariable("ORVAN_DRIVER_OUT")) {}

private:
    void poll() override
    {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            if (!m_asked) {
                m_asked = true;
                QSaveFile file(m_out);
                if (file.open(QIODevice::WriteOnly)) {
                    file.write(box->text().toUtf8());
                    file.commit();
                }
            }
            return;
        }
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (!window->isVisible())
                continue;
            if (isA(window, "FormStart") && !m_chosen) {
                m_chosen = true;
                click(window->findChild<QPushButton *>(QStringLiteral("Command1_1")));
            } else if (isA(window, "FormReadMem") && !m_started) {
                m_started = true;
                click(window->findChild<QPushButton *>(QStringLiteral("Command1_0")));
            }
        }
    }

    QString m_out;
    bool m_chosen = false;
    bool m_started = false;
    bool m_asked = false;
};

} // namespace

ORVAN_POLLING_DRIVER(Driver)
