// Preloaded into a real orvan-utility process (LD_PRELOAD) to use it as a user would: it
// answers the dialogs of a logged run and writes what the channel's table window shows, so a
// test can kill the process and compare. It knows the windows only by their class and object
// names. Environment: ORVAN_DRIVER "log" (start a run) or "recover" (accept the recovery and
// read the recovered channel), ORVAN_DRIVER_CH the channel 0..7, ORVAN_DRIVER_OUT the file
// that receives "No.,date,time,value" lines; "recover" ends it with a line "END".
#include "PollingDriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMap>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>

namespace
{
class Driver : public PollingDriver
{
public:
    Driver()
        : m_recover(qgetenv("ORVAN_DRIVER") == "recover"),
          m_ch(qEnvironmentVariableIntValue("ORVAN_DRIVER_CH")),
          m_out(qEnvironmentVariable("ORVAN_DRIVER_OUT"))
    {
    }

private:
    void poll() override
    {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            answer(modal);
            return;
        }
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (!window->isVisible())
                continue;
            if (isA(window, "FormStart")) {
                chooseMode(window, "Real Time Measurement");
            } else if (isA(window, "FormMain") && !m_started) {
                m_started = true;
                if (m_recover) {
                    if (auto *action =
                            window->findChild<QAction *>(QStringLiteral("Menu%1").arg(1180 + m_ch)))
                        QTimer::singleShot(0, action, &QAction::trigger);
                } else {
                    click(window->findChild<QPushButton *>(QStringLiteral("Command1_1")));
                }
            } else if (isA(window, "FormTable")) {
                readTable(window);
            }
        }
    }

    void answer(QWidget *modal)
    {
        if (isA(modal, "FormDialog")) {
            if (auto *combo = modal->findChild<QComboBox *>(QStringLiteral("Combo1")))
                combo->setCurrentIndex(m_ch);
            click(modal->findChild<QPushButton *>(QStringLiteral("Command1")));
        } else if (isA(modal, "FormMeasStart")) {
            modal->findChild<QLineEdit *>(QStringLiteral("TextInterval"))
                ->setText(QStringLiteral("1"));
            modal->findChild<QComboBox *>(QStringLiteral("ComboIntervalUnit"))->setCurrentIndex(0);
            modal->findChild<QComboBox *>(QStringLiteral("ComboLogTimeUnit"))->setCurrentIndex(0);
            for (const char *name : {"CheckTimer", "CheckEXCEL"}) {
                auto *box = modal->findChild<QCheckBox *>(QLatin1String(name));
                if (box && box->isChecked())
                    box->setChecked(false);
            }
            click(modal->findChild<QPushButton *>(QStringLiteral("Command1")));
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            for (const auto button : {QMessageBox::Yes, QMessageBox::Ok, QMessageBox::Retry}) {
                if (QAbstractButton *b = box->button(button)) {
                    click(b);
                    break;
                }
            }
        }
    }

    // Collects the rows the table shows; when recovering, scrolls through all of them.
    void readTable(QWidget *window)
    {
        auto *grid = window->findChild<QTableWidget *>(QStringLiteral("MSFlexGrid1"));
        auto *scroll = window->findChild<QScrollBar *>(QStringLiteral("VScrollTable"));
        if (!grid || !scroll || (m_recover && m_done))
            return;
        const int before = m_rows.size();
        const auto collect = [&] {
            for (int r = 0; r < grid->rowCount(); ++r) {
                const QTableWidgetItem *number = grid->item(r, 0);
                if (!number || number->text().isEmpty())
                    continue;
                QStringList cells;
                for (int c = 0; c < 4; ++c)
                    cells << grid->item(r, c)->text();
                m_rows.insert(number->text().toInt(), cells.join(u','));
            }
        };
        if (m_recover) {
            for (int v = scroll->minimum(); v <= scroll->maximum(); ++v) {
                scroll->setValue(v);
                collect();
            }
            m_done = true;
        } else {
            collect();
        }
        if (m_rows.size() != before || m_done)
            write();
    }

    void write()
    {
        QSaveFile file(m_out);
        if (!file.open(QIODevice::WriteOnly))
            return;
        for (const QString &row : std::as_const(m_rows))
            file.write(row.toUtf8() + '\n');
        if (m_done)
            file.write("END\n");
        file.commit();
    }

    const bool m_recover;
    const int m_ch;
    const QString m_out;
    bool m_started = false;
    bool m_done = false;
    QMap<int, QString> m_rows;
};

} // namespace

ORVAN_POLLING_DRIVER(Driver)
