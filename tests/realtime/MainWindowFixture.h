#pragma once

#include "AppState.h"
#include "FormMain.h"
#include "SampleData.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "SimPort.h"
#include "Simulator.h"

#include "FormDialog.h"
#include "FormMeasStart.h"
#include "FormTimerSet.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>
#include <optional>

// What the measurement time dialogs are given: one sample per `interval` seconds for `logTime`
// in `logUnit` (0 continuous, 1 Times, 2 Sec, 4 Hour); a timer start at its minute and second
// (the date and hour stay as initialised) for a duration.
struct RunPlan {
    QString interval = QStringLiteral("1");
    QString logTime = QStringLiteral("1");
    int logUnit = 0;
    std::optional<QPair<int, int>> timerStart;
    QPair<QString, int> timerDuration;
};

Q_DECLARE_METATYPE(RunPlan)

// One real-time window on a simulated laboratory instrument, with a settings file of its own,
// scripted prompts and no channel data after. A test's init() calls openMain() and its
// cleanup() closeMain(). Answers queued on a prompter made after closeMain() reach the next
// window's start.
class MainWindowFixture : public QObject
{
protected:
    void openMain()
    {
        programMode = 0;
        settingsFileOverride = m_dir.filePath(QStringLiteral("OrvanUtility.ini"));
        if (!m_prompter)
            m_prompter = std::make_unique<ScriptedPrompter>();
        m_sim = std::make_unique<Simulator>(Simulator::LType);
        m_port = std::make_unique<SimPort>(*m_sim);
        m_main = new FormMain(m_port.get());
        m_main->show();
    }
    void closeMain()
    {
        delete m_main;
        clearChannels();
        m_port.reset();
        m_sim.reset();
        m_prompter.reset();
    }

    // Starts a logged run into channel `ch` with `plan`, answering the dialogs as a user would.
    void runMeasurement(int ch, const RunPlan &plan)
    {
        scriptDialogs(ch, plan);
        m_prompter->answer(Prompter::AnswerOk); // "Connection OK?"
        m_main->Command1[1]->click();
        QVERIFY(!m_main->engine().measuring);
        QVERIFY(!m_port->isOpen());
        QVERIFY(m_main->Command1[1]->isEnabled());
    }

    // Answers the channel choice and the measurement time dialogs once they show.
    void scriptDialogs(int ch, const RunPlan &plan)
    {
        auto *timer = new QTimer(this);
        auto filled = std::make_shared<bool>(false);
        auto timerDone = std::make_shared<bool>(!plan.timerStart);
        connect(timer, &QTimer::timeout, this, [=] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal == &FormDialog::instance()) {
                FormDialog::instance().Combo1->setCurrentIndex(ch);
                FormDialog::instance().Command1->click();
            } else if (auto *times = qobject_cast<FormMeasStart *>(modal)) {
                if (!*filled) {
                    *filled = true;
                    times->TextInterval->setText(plan.interval);
                    times->ComboIntervalUnit->setCurrentIndex(0);
                    times->ComboLogTimeUnit->setCurrentIndex(plan.logUnit);
                    times->TextLogTime->setText(plan.logTime);
                    if (plan.timerStart)
                        QTimer::singleShot(0, times->CheckTimer, &QCheckBox::click);
                } else if (*timerDone) {
                    timer->deleteLater();
                    QTimer::singleShot(0, times->Command1, &QPushButton::click);
                }
            } else if (auto *timerSet = qobject_cast<FormTimerSet *>(modal)) {
                if (*timerDone)
                    return;
                *timerDone = true;
                timerSet->Textnn[0]->setText(QString::number(plan.timerStart->first));
                timerSet->Textss[0]->setText(QString::number(plan.timerStart->second));
                timerSet->Option1[1]->click();
                timerSet->ComboLogTimeUnit->setCurrentIndex(plan.timerDuration.second);
                timerSet->TextLogTime->setText(plan.timerDuration.first);
                QTimer::singleShot(0, timerSet->Command1, &QPushButton::click);
            }
        });
        timer->start(2);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<Simulator> m_sim;
    std::unique_ptr<SimPort> m_port;
    QPointer<FormMain> m_main;
};
