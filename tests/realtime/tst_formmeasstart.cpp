#include "ClassData.h"
#include "DateTime.h"
#include "FakePump.h"
#include "FormMeasStart.h"
#include "FormTimerSet.h"
#include "MeasTime.h"
#include "ScriptedPrompter.h"
#include "Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <functional>
#include <memory>

// The measurement time and timer dialogs driven through their controls, as show1() runs them
// for a logged measurement.
class TestFormMeasStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_pump = std::make_unique<FakePump>(QDateTime(QDate(2026, 3, 1), QTime(10, 0, 30)));
        m_prompter = std::make_unique<ScriptedPrompter>();
        Settings = SettingsRecord();
        MeasTime = MeasTimeRecord();
        MaxDataNo = 32000;
        m_form = std::make_unique<FormMeasStart>();
    }

    void cleanup()
    {
        m_form.reset();
        m_prompter.reset();
        m_pump.reset();
    }

    void okCorrectsOutOfRangeFieldsThenStoresRunTiming_data()
    {
        QTest::addColumn<QStringList>("typed"); // interval, its unit, logging time, its unit
        QTest::addColumn<QStringList>("shown"); // interval, logging time
        QTest::addColumn<QString>("message");   // empty: accepted at once
        QTest::addColumn<double>("logTime");    // days; NaN: not checked
        const QString interval = QStringLiteral("Interval time setting is out of range.\r");
        const QString logging = QStringLiteral("Logging time setting is out of range.\r");
        const double any = qQNaN();
        auto row = [](const char *name, const QStringList &typed, const QStringList &shown,
                      const QString &message, double logTime) {
            QTest::newRow(name) << typed << shown << message << logTime;
        };
        row("0.5 s", {"0.5", "0", "1", "0"}, {" 1", " 1"}, interval + " 1 ~ 3600", any);
        // The minute range starts at the 0.1 the field keeps.
        row("0.05 min", {"0.05", "1", "1", "0"}, {" .1", " 1"}, interval + " 0.1 ~ 60", any);
        row("5000 s", {"5000", "0", "1", "0"}, {" 3600", " 1"}, interval + " 1 ~ 3600", any);
        row("2.5 s rounds to even", {"2.5", "0", "1", "0"}, {" 2", " 1"}, interval + " 1 ~ 3600",
            any);
        row("1.5 min is kept", {"1.5", "1", "1", "0"}, {" 1.5", " 1"}, "", any);
        row("1 s interval, seconds", {"1", "0", "40000", "2"}, {" 1", " 31999"},
            logging + " 0 ~ 31999", 31999 * oneSecond);
        row("1 s interval, minutes", {"1", "0", "600", "3"}, {" 1", " 533.31"},
            logging + " 0 ~ 533.31", any);
        // 31999 x 78 s is 41598.7 min exactly, which the cut to hundredths must not lose.
        row("78 s interval, minutes", {"78", "0", "50000", "3"}, {" 78", " 41598.7"},
            logging + " 0 ~ 41598.70", any);
        row("10 s interval, seconds", {"10", "0", "200000", "2"}, {" 10", " 99999"},
            logging + " 0 ~ 99999", 99999 * oneSecond);
        // Times count the first sample: 100 samples span 99 intervals.
        row("times 100", {"10", "0", "100", "1"}, {" 10", " 100"}, "", 990 * oneSecond);
        row("times 32000", {"1", "0", "32000", "1"}, {" 1", " 32000"}, "", any);
        row("times 32001", {"1", "0", "32001", "1"}, {" 1", " 32000"}, logging + " 0 ~ 32000", any);
        row("days", {"60", "0", "1.5", "5"}, {" 60", " 1.5"}, "", 129600 * oneSecond);
        row("continuous has no limit", {"1", "0", "1E+07", "0"}, {" 1", " 1E+07"}, "", -1.0);
    }

    void okCorrectsOutOfRangeFieldsThenStoresRunTiming()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, shown);
        QFETCH(QString, message);
        QFETCH(double, logTime);
        MeasTime.timerStart = true;
        const auto stored = [] {
            return QList<double>{Settings.IntervalTimeCount, double(Settings.IntervalTimeUnit),
                                 Settings.LogTimeCount,      double(Settings.LogTimeUnit),
                                 double(Settings.UseExcel),  double(MeasTime.timerStart),
                                 MeasTime.interval,          MeasTime.logTime};
        };
        const QList<double> before = stored();
        QSignalSpy applied(m_form.get(), &FormMeasStart::applied);
        bool stayedOpen = false;
        const auto typeThen = [&](QPushButton *button) {
            return [&, button] {
                m_form->TextInterval->setText(typed[0]);
                m_form->ComboIntervalUnit->setCurrentIndex(typed[1].toInt());
                m_form->TextLogTime->setText(typed[2]);
                m_form->ComboLogTimeUnit->setCurrentIndex(typed[3].toInt());
                m_form->CheckEXCEL->setChecked(true);
                button->click();
                stayedOpen = m_form->isVisible();
                // The corrected values pass as they stand.
                if (stayedOpen)
                    button->click();
            };
        };
        // Cancel stores nothing; OK stores what the fields show once corrected.
        QCOMPARE(show1With({{m_form.get(), typeThen(m_form->Command2)}}), 1);
        QCOMPARE(stored(), before);
        QCOMPARE(applied.count(), 0);
        QCOMPARE(show1With({{m_form.get(), typeThen(m_form->Command1)}}), 0);
        QCOMPARE(applied.count(), 1);
        QCOMPARE(stayedOpen, !message.isEmpty());
        QCOMPARE((QStringList{m_form->TextInterval->text(), m_form->TextLogTime->text()}), shown);
        QCOMPARE(m_prompter->texts(), message.isEmpty() ? QStringList() : QStringList{message});
        const double intervalSeconds = shown[0].toDouble() * (typed[1] == "1" ? 60 : 1);
        QCOMPARE(stored().mid(0, 7),
                 (QList<double>{shown[0].trimmed().toFloat(), typed[1].toDouble(),
                                shown[1].trimmed().toFloat(), typed[3].toDouble(), 1, 0,
                                intervalSeconds * oneSecond}));
        QVERIFY(m_form->excelLogging());
        if (!qIsNaN(logTime))
            QCOMPARE(MeasTime.logTime, logTime);
    }

    void timerAndContinuousSwitchTheLoggingControlsAndADurationReplacesThem()
    {
        Settings.LogTimeUnit = 2;
        m_pump->advance(3 * 60 * 1000);
        // Left over from a previous showing: every showing starts without Timer Start.
        m_form->CheckTimer->setChecked(true);
        FormTimerSet *timer = m_form->timerSet();
        auto state = [this] {
            return QList<bool>{m_form->CheckTimer->isChecked(), m_form->CommandTimer->isEnabled(),
                               m_form->ComboLogTimeUnit->isEnabled(),
                               m_form->TextLogTime->isEnabled()};
        };
        QList<QList<bool>> seen;
        QStringList startFields;
        bool durationEnabled = false;
        // Ticking Timer Start opens the timer dialog at once: queue the click.
        const auto tickTimer = [this] {
            QTimer::singleShot(0, m_form->CheckTimer, &QAbstractButton::click);
        };
        const int result =
            show1With({{m_form.get(),
                        [&] {
                            seen.append(state());
                            m_form->TextInterval->setText(QStringLiteral("10"));
                            tickTimer();
                        }},
                       {timer,
                        [&] {
                            startFields = fieldTexts(timer, 0);
                            timer->Command2->click();
                        }},
                       {m_form.get(),
                        [&] {
                            seen.append(state());
                            m_form->CheckTimer->click();
                            seen.append(state());
                            m_form->ComboLogTimeUnit->setCurrentIndex(0);
                            seen.append(state());
                            m_form->ComboLogTimeUnit->setCurrentIndex(4);
                            seen.append(state());
                            tickTimer();
                        }},
                       {timer,
                        [&] {
                            setFields(timer, 0, {"26", "3", "2", "8", "0", "0"});
                            timer->Option1[1]->click();
                            durationEnabled =
                                timer->TextLogTime->isEnabled() && !timer->Frame1[1]->isEnabled();
                            // A 10 s interval allows more than the field's 99999 seconds.
                            timer->ComboLogTimeUnit->setCurrentIndex(2);
                            timer->TextLogTime->setText(QStringLiteral("200000"));
                            timer->Command1->click();
                            QCOMPARE(timer->TextLogTime->text(), QStringLiteral(" 99999"));
                            timer->TextLogTime->setText(QStringLiteral("2"));
                            timer->ComboLogTimeUnit->setCurrentIndex(4);
                            timer->Command1->click();
                        }},
                       {m_form.get(), [&] { m_form->Command1->click(); }}});
        QCOMPARE(result, 0);
        QCOMPARE(seen, (QList<QList<bool>>{{false, false, true, true},
                                           {true, true, false, false},
                                           {false, false, true, true},
                                           {false, false, true, false},
                                           {false, false, true, true}}));
        // The timer starts at the current minute (10:03:30 on the fake clock).
        QCOMPARE(startFields, (QStringList{"26", "03", "01", "10", "03", "00"}));
        QVERIFY(durationEnabled);
        QCOMPARE(m_prompter->texts(),
                 QStringList{QStringLiteral("Logging time setting is out of range.\r 0 ~ 99999")});
        QCOMPARE(m_form->TextLogTime->text(), QStringLiteral(" 2"));
        QCOMPARE(m_form->ComboLogTimeUnit->currentIndex(), 4);
        QCOMPARE(Settings.LogTimeCount, 2.0f);
        QCOMPARE(Settings.LogTimeUnit, qint16(4));
        QVERIFY(MeasTime.timerStart);
        QVERIFY(!MeasTime.endTimeMode);
        QCOMPARE(MeasTime.logTime, 7200 * oneSecond);
        const double start = toDayCount(QDate(2026, 3, 2), QTime(8, 0));
        QCOMPARE(MeasTime.startTime, start);
        QCOMPARE(MeasTime.stopTime, start + 7200 * oneSecond);
    }

    void timerOkChecksDatesAndKeepsStopWithinCapacity_data()
    {
        QTest::addColumn<double>("intervalSeconds");
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QStringList>("stop");
        QTest::addColumn<QStringList>("shown"); // the stop fields after the first OK
        QTest::addColumn<QString>("message");   // empty: accepted at once
        QTest::addColumn<QDateTime>("stopAt");  // invalid: refused
        auto row = [](const char *name, double seconds, const QStringList &start,
                      const QStringList &stop, const QStringList &shown, const QString &message,
                      const QDateTime &stopAt) {
            QTest::newRow(name) << seconds << start << stop << shown << message << stopAt;
        };
        const QString range =
            QStringLiteral("Logging time setting is out of range.\r 26/03/01 12:00:00 ~ ");
        const QStringList noon{"26", "03", "01", "12", "00", "00"};
        const QStringList latest1s{"26", "03", "01", "20", "53", "19"};
        const QDate day(2026, 3, 1);
        row("stop before start", 1.0, noon, {"26", "3", "1", "11", "0", "0"}, noon,
            range + "26/03/01 20:53:19", QDateTime(day, QTime(12, 0)));
        row("31999 intervals of 1 s", 1.0, noon, latest1s, latest1s, "",
            QDateTime(day, QTime(20, 53, 19)));
        // Counted in day fractions, 32000 intervals of 2 s come out a hair below 32000.
        row("32000 intervals of 2 s", 2.0, noon, {"26", "03", "02", "05", "46", "40"},
            {"26", "03", "02", "05", "46", "38"}, range + "26/03/02 05:46:38",
            QDateTime(day.addDays(1), QTime(5, 46, 38)));
        row("part of an interval past the last", 10.0, noon, {"26", "03", "05", "04", "53", "15"},
            {"26", "03", "05", "04", "53", "15"}, "", QDateTime(day.addDays(4), QTime(4, 53, 15)));
        row("four days at 10 s", 10.0, noon, {"26", "03", "05", "12", "00", "00"},
            {"26", "03", "05", "04", "53", "10"}, range + "26/03/05 04:53:10",
            QDateTime(day.addDays(4), QTime(4, 53, 10)));
        const QStringList y79{"79", "1", "2", "3", "4", "5"},
            y80{"80", "12", "31", "23", "59", "59"};
        row("79 is 2079", 1.0, y79, y79, {"79", "01", "02", "03", "04", "05"}, "",
            QDateTime(QDate(2079, 1, 2), QTime(3, 4, 5)));
        row("80 is 1980", 1.0, y80, y80, y80, "",
            QDateTime(QDate(1980, 12, 31), QTime(23, 59, 59)));
        const QString wrong = QStringLiteral("Date/Time value is wrong.");
        row("30 February", 1.0, noon, {"26", "2", "30", "12", "0", "0"},
            {"26", "02", "30", "12", "00", "00"}, wrong, QDateTime());
        row("minute 60 in the start", 1.0, {"26", "3", "1", "12", "60", "0"}, noon, noon, wrong,
            QDateTime());
    }

    void timerOkChecksDatesAndKeepsStopWithinCapacity()
    {
        QFETCH(double, intervalSeconds);
        QFETCH(QStringList, start);
        QFETCH(QStringList, stop);
        QFETCH(QStringList, shown);
        QFETCH(QString, message);
        QFETCH(QDateTime, stopAt);
        FormTimerSet timer;
        timer.setInterval(intervalSeconds * oneSecond);
        const double initialStop = MeasTime.stopTime;
        timer.show();
        setFields(&timer, 0, start);
        setFields(&timer, 1, stop);
        timer.Command1->click();
        QCOMPARE(fieldTexts(&timer, 1), shown);
        QCOMPARE(m_prompter->texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(timer.isVisible(), !message.isEmpty());
        if (!stopAt.isValid()) {
            QCOMPARE(MeasTime.stopTime, initialStop);
            return;
        }
        // A corrected stop is accepted as it stands.
        if (timer.isVisible())
            timer.Command1->click();
        QVERIFY(!timer.isVisible());
        QCOMPARE(m_prompter->texts().size(), message.isEmpty() ? 0 : 1);
        QCOMPARE(MeasTime.stopTime, toDayCount(stopAt));
        QVERIFY(MeasTime.endTimeMode);
    }

private:
    using Step = std::pair<QWidget *, std::function<void()>>;
    // Runs show1() and each step's action once its dialog is the active modal one; a dialog
    // still up after the last step is cancelled.
    int show1With(const QList<Step> &steps)
    {
        int next = 0;
        QTimer poll;
        poll.setInterval(5);
        connect(&poll, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (next < steps.size()) {
                if (modal == steps.at(next).first)
                    steps.at(next++).second();
            } else if (auto *dialog = qobject_cast<QDialog *>(modal)) {
                dialog->reject();
            }
        });
        poll.start();
        return m_form->show1();
    }

    static void setFields(FormTimerSet *timer, int group, const QStringList &texts)
    {
        QLineEdit *const fields[6] = {timer->Textyy[group], timer->Textmm[group],
                                      timer->Textdd[group], timer->Texthh[group],
                                      timer->Textnn[group], timer->Textss[group]};
        for (int i = 0; i < 6; ++i)
            fields[i]->setText(texts.at(i));
    }

    static QStringList fieldTexts(const FormTimerSet *timer, int group)
    {
        return {timer->Textyy[group]->text(), timer->Textmm[group]->text(),
                timer->Textdd[group]->text(), timer->Texthh[group]->text(),
                timer->Textnn[group]->text(), timer->Textss[group]->text()};
    }

    std::unique_ptr<FakePump> m_pump;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<FormMeasStart> m_form;
};

QTEST_MAIN(TestFormMeasStart)
#include "tst_formmeasstart.moc"
