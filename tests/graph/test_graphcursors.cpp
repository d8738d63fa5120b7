#include "AppState.h"
#include "GraphRig.h"
#include "Settings.h"
#include "Strings.h"

#include <QtTest>

// Cursor columns of cursorRow: days, time, CH1..CH8, Min, Max, Ave, P-P.
enum { Days = 0, Time = 1, Ch1 = 2, Min = 10 };
// Columns of statisRow: Min, Max, Ave, P-P, count, span.
enum { StatMin = 0, StatCount = 4 };

// The cursors: snapping to sample times, their readings and the A-B statistics, the
// selection rectangle and the pointer on the plot.
class TestGraphCursors : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        setLanguage();
        initLanguage();
    }

    void init()
    {
        programMode = 0;
        MeasSetting = MeasSettingRecord();
        channelData[0] = makeChannel({0, 10, 20}, {20.0f, 21.0f, 22.0f});
        channelData[1] = makeChannel({0, 15, 30}, {30.0f, 31.5f, 33.0f});
        openPlot(m_plot);
    }

    void cleanup() { clearChannels(); }

    void stepForwardStopsOnNextSampleOfAnyChannel()
    {
        ClassCursor &a = m_plot.cursors[0];
        a.setTime(10);
        QCOMPARE(a.Time(), 10);
        QCOMPARE(a.getCursorData(0), 1);
        QCOMPARE(a.getCursorData(1), ClassCursor::noSample);
        a.setTime(11);
        QCOMPARE(a.Time(), 15);
        const QStringList row = m_plot.cursorRow(0);
        QCOMPARE(row[Ch1], QStringLiteral("*"));
        QCOMPARE(row[Ch1 + 1], QStringLiteral("31.5"));
        QCOMPARE(row[Ch1 + 2], QString()); // no channel
        QCOMPARE(a.getCursorDataStr(0), QStringLiteral("-"));

        // Past the last sample the cursor stops at the end of the data.
        a.setTime(31);
        QCOMPARE(a.Time(), m_plot.timeMax);
        QCOMPARE(m_plot.timeMax, 30);
    }

    void stepsAndDragsTakeTheirDirectionFromTheLastMove()
    {
        ClassCursor &b = m_plot.cursors[1];
        b.setTime(20); // forwards from 0: CH1's sample at 20
        QCOMPARE(b.Time(), 20);
        b.setTime(19); // backwards: CH2's 15 is the latest at or before 19
        QCOMPARE(b.Time(), 15);
        // A drag compares with the last request, not the result: 16 after 19 goes backwards.
        b.moveCursor(16, 1);
        QCOMPARE(b.Time(), 15);
        b.moveCursor(17, 1);
        QCOMPARE(b.Time(), 20);
    }

    void readingsAcrossChannelsFollowStatus_data()
    {
        QTest::addColumn<float>("first");
        QTest::addColumn<float>("second");
        QTest::addColumn<QStringList>("minMaxAvePP");
        QTest::newRow("two readings")
            << 20.0f << 30.0f << QStringList{"20.0", "30.0", "25.0", "10.0"};
        // Over range counts for the extremes but not for the average.
        QTest::newRow("over range")
            << 999999.0f << 30.0f << QStringList{"30.0", "+OVER", "30.0", "-"};
        QTest::newRow("no normal sample")
            << 999997.0f << 999999.0f << QStringList{"+OVER", "+OVER", "-", "0.0"};
        QTest::newRow("errors only")
            << 999997.0f << 999998.0f << QStringList{"ERROR", "ERROR", "-", "-"};
    }

    void readingsAcrossChannelsFollowStatus()
    {
        QFETCH(float, first);
        QFETCH(float, second);
        channelData[0] = makeChannel({0, 10}, {first, 0.0f});
        channelData[1] = makeChannel({0, 10}, {second, 0.0f});
        m_plot.initGraphCh(0);
        m_plot.initGraphCh(1);
        QTEST(m_plot.cursorRow(0).mid(Min, 4), "minMaxAvePP");
    }

    void clockTimeOfChannelCrossesMidnight()
    {
        const double nearMidnight = toDayCount(QDate(2026, 3, 1), QTime(23, 59, 50));
        channelData[1] = makeChannel({0, 20}, {30.0f, 31.0f}, 0, nearMidnight);
        m_plot.initGraphCh(1);
        m_plot.cursors[0].setTime(20);
        QCOMPARE(m_plot.cursorRow(0).mid(Days, 2), QStringList({"0Days", "00:00:20"}));
        m_plot.cursorTimeCh = 2;
        QCOMPARE(m_plot.cursorRow(0).mid(Days, 2), QStringList({"26/03/02", "00:00:10"}));
    }

    void statisticsCoverEarlierToLaterCursor()
    {
        std::vector<qint32> times;
        std::vector<float> values;
        for (int t = 0; t <= 120; t += 10) {
            times.push_back(t);
            values.push_back(float(t));
        }
        channelData[0] = makeChannel(times, values);
        channelData[2] = makeChannel({200, 210}, {5.0f, 6.0f}); // starts after both cursors
        m_plot.initGraphCh(0);
        m_plot.initGraphCh(2);
        m_plot.cursors[0].setTime(100);
        m_plot.cursors[1].setTime(40);
        QCOMPARE(m_plot.statisRow(0),
                 (QStringList{"40.0", "100.0", "70.0", "60.0", "7", "00:01:00"}));
        QCOMPARE(m_plot.statisRow(2), QStringList(6, QString()));
        // Both cursors between two samples of CH2 (0 and 15 s): nothing of a neighbour is shown.
        m_plot.cursors[0].setTime(110);
        m_plot.cursors[0].moveCursor(11, 0);
        m_plot.cursors[1].setTime(11);
        QCOMPARE(m_plot.statisRow(1)[StatMin], QStringLiteral("-"));
        QCOMPARE(m_plot.statisRow(1)[StatCount], QStringLiteral("0"));
    }

    void bothCursorsStayVisibleOnOneColumn()
    {
        m_plot.MenuGraphTimeItem_Click(0); // 1Sec: 60 px per second
        m_plot.cursors[0].setTime(5);
        m_plot.cursors[1].setTime(5);
        QCOMPARE(m_plot.cursors[0].Time(), 10);
        QCOMPARE(m_plot.cursors[1].Time(), 10);
        m_plot.cursors[0].setTime(1); // A leaves the shared column, back to 0
        QCOMPARE(m_plot.cursors[0].Time(), 0);
        const QImage picture = m_plot.composedImage();
        QCOMPARE(picture.pixel(m_plot.fTimeAxis(0), 100), qRgb(255, 0, 0));
        QCOMPARE(picture.pixel(m_plot.fTimeAxis(10), 100), qRgb(0, 0, 255));
    }

    void cursorBarArrowStepsOneSecond()
    {
        m_plot.MenuGraphTimeItem_Click(4); // 1 px per second
        const int value = m_plot.cursorScroll[0].value;
        m_plot.HScrollCursor_Change(0, value + 1);
        QCOMPARE(m_plot.cursors[0].Time(), 10); // one second on, then snapped to a sample
        m_plot.HScrollCursor_Change(0, m_plot.cursorScrollValue(0) + 200);
        QCOMPARE(m_plot.cursors[0].Time(), 30); // beyond the data: its end
    }

    void rectangleThresholds_data()
    {
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::addColumn<bool>("shown");
        QTest::newRow("up and left: 1 x 1") << -20 << -20 << false;
        QTest::newRow("straight down: 1 x 100") << 0 << 100 << true;
        QTest::newRow("3 x 100") << 3 << 100 << true;
        QTest::newRow("3 x 3") << 3 << 3 << false;
        QTest::newRow("4 x 1") << 4 << 1 << true;
    }

    void rectangleThresholds()
    {
        QFETCH(int, dx);
        QFETCH(int, dy);
        m_plot.gamen_MouseDown(Qt::LeftButton, 300, 150);
        m_plot.gamen_MouseMove(Qt::LeftButton, 300 + dx, 150 + dy);
        QTEST(m_plot.select.Visible(), "shown");
        QCOMPARE(m_plot.select.Width(), qint16(std::max(dx, 1)));
        m_plot.gamen_MouseUp(Qt::LeftButton);
        m_plot.gamen_MouseDown(Qt::LeftButton, 10, 10);
        QVERIFY(!m_plot.select.Visible());
    }

    void dragNearCursorMovesItAndDrawsNoRectangle()
    {
        m_plot.MenuGraphTimeItem_Click(1); // 5Sec: 12 px per second
        m_plot.cursors[0].setTime(10);
        const int x = m_plot.cursors[0].column() + 2;
        QVERIFY(m_plot.gamen_MouseMove(Qt::NoButton, x, 100));
        m_plot.gamen_MouseDown(Qt::LeftButton, x, 100);
        m_plot.gamen_MouseMove(Qt::LeftButton, m_plot.fTimeAxis(19), 160);
        m_plot.gamen_MouseUp(Qt::LeftButton);
        QCOMPARE(m_plot.cursors[0].Time(), 20);
        QVERIFY(!m_plot.select.Visible());
        QVERIFY(!m_plot.gamen_MouseMove(Qt::NoButton, m_plot.cursors[0].column() + 3, 100));
    }

    void zoomSelectedAreaShowsTheArea()
    {
        channelData[2] = waveChannel(2000);
        m_plot.initGraphCh(2);
        m_plot.gamen_MouseDown(Qt::LeftButton, 60, 100);
        m_plot.gamen_MouseMove(Qt::LeftButton, 180, 200);
        const qint32 start = m_plot.infTimeAxis(60);
        const float bottom = m_plot.infYAxis(200);
        m_plot.zoomSelectedArea();
        QCOMPARE(m_plot.timeOrigin, start);
        QVERIFY(qAbs(m_plot.yBottom - bottom) < 0.01f);
        QCOMPARE(m_plot.timeBaseScale, 5.0f); // 601 px for 120 s, cut to whole pixels

        QVERIFY(!m_plot.select.Visible());
        m_plot.zoomBack();
        m_plot.zoomBack();
        QCOMPARE(m_plot.timeOrigin, start);
    }

    void channelCellCentresWithoutRescaling()
    {
        m_plot.autoRange();
        const float scale = m_plot.yScale;
        m_plot.centreOnChannel(1);
        QCOMPARE(m_plot.yScale, scale);
        QVERIFY(qAbs((m_plot.infYAxis(0) + m_plot.yBottom) / 2.0f - 31.5f) < 0.01f);
    }

private:
    GraphPlot m_plot;
};

QTEST_MAIN(TestGraphCursors)
#include "test_graphcursors.moc"
