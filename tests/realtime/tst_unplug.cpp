#include "AppState.h"
#include "ClassData.h"
#include "FormDialog.h"
#include "FormMain.h"
#include "FormMeasStart.h"
#include "PortDevices.h"
#include "PtyServer.h"
#include "Pump.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "Simulator.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <cmath>

// A logged run over the real serial port on a simulator's pseudo-terminal, in real time,
// whose adapter is pulled and plugged back in while the "No reply" question shows.
class TestUnplug : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runGoesOnAfterRetryWithTheAdapterBack()
    {
        constexpr int ch = 1;
        constexpr int logSeconds = 15;
        QTemporaryDir dir;
        programMode = 0;
        settingsFileOverride = dir.filePath(QStringLiteral("OrvanUtility.ini"));
        MeasSetting = MeasSettingRecord();
        Settings = SettingsRecord();
        for (auto &data : channelData)
            data.reset();

        Simulator sim(Simulator::LType);
        PtyServer server(sim);
        const QString link = dir.filePath(QStringLiteral("ttyORVAN"));
        QVERIFY2(server.start(link), qPrintable(server.errorString()));
        setPortDeviceForRun(0, link);
        ScriptedPrompter prompter;
        QPointer<FormMain> main = new FormMain();
        main->show();

        // The user's side: the channel, a 1 s interval for logSeconds, then the cable.
        QElapsedTimer clock;
        clock.start();
        qint64 unpluggedAt = -1, askedAt = -1, pluggedAt = -1;
        QList<double> timesBefore;
        QList<float> valuesBefore;
        const QString noReply = QStringLiteral("No reply. (:) ");
        QTimer user;
        bool filled = false;
        connect(&user, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal == &FormDialog::instance()) {
                FormDialog::instance().Combo1->setCurrentIndex(ch);
                FormDialog::instance().Command1->click();
            } else if (auto *times = qobject_cast<FormMeasStart *>(modal)) {
                if (!filled) {
                    filled = true;
                    times->TextInterval->setText(QStringLiteral("1"));
                    times->ComboIntervalUnit->setCurrentIndex(0);
                    times->ComboLogTimeUnit->setCurrentIndex(2); // Sec
                    times->TextLogTime->setText(QString::number(logSeconds));
                } else {
                    QTimer::singleShot(0, times->Command1, &QPushButton::click);
                }
            }
            const ClassData *data = channelData[ch].get();
            if (unpluggedAt >= 0 || !main->engine().measuring || !data || data->DataNo < 3)
                return;
            for (int i = 0; i < data->DataNo; ++i) {
                timesBefore << data->getDataDate0(i);
                valuesBefore << data->getDataY(i);
            }
            server.unplug();
            unpluggedAt = clock.elapsed();
            prompter.onNextMessage([&] {
                askedAt = clock.elapsed();
                // The time it takes to find the adapter and plug it back in.
                QTest::qWait(1500);
                QVERIFY(server.replug());
                pluggedAt = clock.elapsed();
            });
        });
        user.start(20);

        prompter.answer(Prompter::AnswerOk); // "Connection OK?"
        prompter.answer(Prompter::AnswerRetry);
        main->Command1[1]->click();
        user.stop();

        QVERIFY2(pluggedAt >= 0, qPrintable(prompter.texts().join(QLatin1Char('|'))));
        // The closed port is taken for silence at once rather than after three seconds.
        QVERIFY2(askedAt - unpluggedAt < 2500, qPrintable(QString::number(askedAt - unpluggedAt)));
        QCOMPARE(prompter.texts().count(noReply), 1);
        QCOMPARE(prompter.lastText(), noReply);
        QCOMPARE(prompter.unexpected(), 0);
        QVERIFY(!main->engine().measuring);
        QVERIFY(!sim.awake());

        const ClassData *data = channelData[ch].get();
        QVERIFY(data);
        for (int other = 0; other < int(std::size(channelData)); ++other)
            QVERIFY(other == ch || !channelData[other]);
        QList<qint64> seconds;
        for (int i = 0; i < data->DataNo; ++i) {
            if (i < timesBefore.size()) {
                QCOMPARE(data->getDataDate0(i), timesBefore.at(i));
                QCOMPARE(data->getDataY(i), valuesBefore.at(i));
            }
            seconds << std::llround(data->getDataDate0(i) * 86400.0);
        }
        const qint64 unpluggedSeconds = (pluggedAt - unpluggedAt) / 1000;
        int gapAt = -1;
        for (int i = 1; i < seconds.size(); ++i) {
            QVERIFY2(seconds[i] > seconds[i - 1], qPrintable(QStringLiteral("sample %1").arg(i)));
            if (seconds[i] - seconds[i - 1] >= unpluggedSeconds && gapAt < 0)
                gapAt = i;
        }
        QCOMPARE(gapAt, int(timesBefore.size()));
        QVERIFY2(seconds.size() - gapAt >= 2, qPrintable(QString::number(seconds.size() - gapAt)));
        // To its end: the last sample falls in the run's last second.
        QVERIFY(seconds.last() - seconds.first() >= logSeconds - 2);
        delete main;
        setPortDeviceForRun(0, QString());
        for (auto &data : channelData)
            data.reset();
    }
};

QTEST_MAIN(TestUnplug)
#include "tst_unplug.moc"
