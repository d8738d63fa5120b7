#include "Format.h"
#include "GraphPlot.h"
#include "GraphPrint.h"
#include "GraphReport.h"
#include "SampleData.h"
#include "Strings.h"
#include "TestFiles.h"

#include <QPainter>
#include <QPdfWriter>
#include <QtTest>

#include <cmath>

namespace
{
const double runStart = toDayCount(QDate(2026, 3, 1), QTime(10, 0, 0));
const QRgb white = qRgb(255, 255, 255);
const QRgb gridGrey = qRgb(160, 160, 160);

// A channel whose samples lie at the given elapsed seconds.
std::unique_ptr<ClassData> makeChannel(const std::vector<qint32> &times,
                                       const std::vector<float> &values, qint16 unit = 0,
                                       double start = runStart)
{
    auto data = std::make_unique<ClassData>();
    for (std::size_t i = 0; i < times.size(); ++i)
        data->storeSample(int(i), start + times[i] / secondsPerDay, values[i], times[i]);
    data->DataNo = qint16(times.size());
    data->setTimeData();
    data->Unit = unit;
    return data;
}

// `count` samples one second apart on a slow wave with a little jitter.
std::unique_ptr<ClassData> waveChannel(int count, float level = 25.0f)
{
    return makeSeries(count, runStart, 1, [level](int i) {
        return level + 10.0f * float(std::sin(i / 90.0)) + float(i % 3) * 0.4f;
    });
}

bool inked(const QImage &image, int x, int y)
{
    const QRgb pixel = image.pixel(x, y);
    return pixel != white && pixel != gridGrey;
}

// A plot the size the window would give it, events on, as after loading.
void openPlot(GraphPlot &plot, int width = 601, int height = 401)
{
    plot.Form_Load();
    plot.resize(width, height);
    plot.graphEventsOn = true;
    for (int ch = 0; ch < 8; ++ch)
        plot.initGraphCh(ch);
}

// Draws one trace of `data` into a white 200 x `height` image at origin 0, bottom 0.
QImage drawTrace(const ClassData &data, double timeScale, qint32 t0 = 0, int height = 100)
{
    QImage image(200, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const PlotFrame frame{0, 0.0f, timeScale, 1.0, 200, height, 0, 199};
    ClassGraph trace;
    trace.waveColor = qRgb(0, 0, 255);
    trace.drawData(painter, data, t0, t0 + 100000, frame);
    return image;
}

// What pdftotext reads back, laid out, from the plot printed on a portrait A4 page.
QString printedText(GraphPlot &plot, bool colourPrinter)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("graph.pdf"));
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    return printGraph(writer, plot, colourPrinter) ? pdfText(path, {QStringLiteral("-layout")})
                                                   : QString();
}
} // namespace

// The graph's view arithmetic, its menus, scroll bars and cursors, what it draws (read back
// from the plot picture) and what it prints.
class TestGraphPlot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        setLanguage();
        initLanguage();
    }

    // Two channels for the cursors: CH1 at 0, 10, 20 s, CH2 at 0, 15, 30 s.
    void init()
    {
        clearChannels();
        channelData[0] = makeChannel({0, 10, 20}, {20.0f, 21.0f, 22.0f});
        channelData[1] = makeChannel({0, 15, 30}, {30.0f, 31.5f, 33.0f});
        m_plot = std::make_unique<GraphPlot>();
        openPlot(*m_plot);
    }

    void cleanup()
    {
        m_plot.reset();
        clearChannels();
    }

    void viewArithmeticIsLimitedAndRoundsHalvesToEven()
    {
        QCOMPARE(fTimeAxisPrim(0, 100000, 1.0), 32000);
        QCOMPARE(fTimeAxisPrim(100000, 0, 1.0), -32000);
        QCOMPARE(fTimeAxisPrim(0, 1, 0.5), 0);
        QCOMPARE(fTimeAxisPrim(0, 3, 0.5), 2);
        QCOMPARE(fTimeAxisPrim(60, 90, 2.0), 60);
        // Far off temperatures stay inside the 16-bit range instead of wrapping.
        QCOMPARE(fYAxisPrim(0.0f, 1e9f, 1.0, 400), qint16(-32768));
        QCOMPARE(fYAxisPrim(0.0f, -1e9f, 1.0, 400), qint16(32767));
        // Grid steps: the ladder value at or above the span of 60 pixels, or the last one.
        QCOMPARE(timeGridStep(60.0), 60);
        QCOMPARE(timeGridStep(6e7), 8640000);
        QCOMPARE(tempGridStep(0.1), 0.1);
        QCOMPARE(tempGridStep(6000.0), 100.0);
        // Tenths are counted on whole numbers, so a single-precision 19.3 is on the grid.
        QCOMPARE(firstGridIndex(19.3f, 0.1), qint64(193));
        QCOMPARE(lastGridIndex(-15.0, 10.0), qint64(-2));
        QCOMPARE(firstGridIndex(-15.0, 10.0), qint64(-1));
        QVERIFY(!timeScrollRange(1.0, 601, 0).visible); // no time range, no bar
    }

    void spanMenuThenZoomKeepsWholePixelsPerSecondAndZoomBackReturns()
    {
        GraphPlot &plot = *m_plot;
        plot.MenuGraphTimeItem_Click(0); // 1Sec: 60 px/s
        plot.MenuMulTimeItem_Click(3);
        QCOMPARE(plot.timeScale, 60.0f);
        plot.MenuGraphTimeItem_Click(2); // 10Sec, 6 px/s at 100%
        plot.MenuMulTimeItem_Click(1);
        QCOMPARE(plot.timeScale, 12.0f);
        plot.MenuGraphTimeItem_Click(99);
        QCOMPARE(plot.timeBaseScale, 1.0f);
        QCOMPARE(plot.timeSpanChecked, -1);
        // Spans are raised to 2 s and 0.5 degrees at least.
        plot.resize(601, 201);
        plot.setWave(GraphPlot::keepTime, GraphPlot::keepTemp, 1, 0.2f);
        QCOMPARE(plot.timeBaseScale, 300.0f);
        QCOMPARE(plot.yBaseScale, 402.0f);
        QCOMPARE(plot.ySpanChecked, -1);

        // Zoom Back alternates between the last two scales.
        plot.MenuGraphTimeItem_Click(4); // 1Min
        plot.MenuGraphYItem_Click(2);    // 1 degree
        const ScaleRecord shown = plot.currentScale();
        plot.MenuGraphTimeItem_Click(8); // 1Hour
        const ScaleRecord last = plot.currentScale();
        for (const ScaleRecord &expected : {shown, last}) {
            plot.zoomBack();
            QCOMPARE(plot.timeBaseScale, expected.timeBaseScale);
            QCOMPARE(plot.yBaseScale, expected.yBaseScale);
        }
    }

    // A channel without a valid sample takes no part.
    void autoRangeCentresTheDataWithMargins()
    {
        channelData[0] = makeChannel({0, 10, 20, 30}, {20.0f, 30.0f, 25.0f, 22.0f});
        channelData[1] = makeChannel({0, 10}, {errorCode, lowBatteryCode});
        GraphPlot plot;
        openPlot(plot);
        plot.autoRange();
        QCOMPARE(plot.timeOrigin, 0);
        QCOMPARE(plot.viewEnd, 30);
        const float top = plot.infYAxis(0);
        QVERIFY(qAbs(top - plot.yBottom - 12.0f) < 1e-3f);
        QVERIFY(qAbs((top + plot.yBottom) / 2.0f - 25.0f) < 1e-3f);
    }

    // Celsius from -100 to 600, Fahrenheit up to 1000.
    void bottomIsLimitedByUnit()
    {
        clearChannels();
        const float cases[][3] = {{0, 700, 600}, {1, 700, 700}, {1, 1200, 1000}, {0, -500, -100}};
        for (const auto &[unit, asked, bottom] : cases) {
            channelData[3] = makeChannel({0, 10}, {20.0f, 30.0f}, qint16(unit));
            GraphPlot plot;
            openPlot(plot);
            plot.moveWave0(GraphPlot::keepTime, asked);
            QCOMPARE(plot.yBottom, bottom);
        }
    }

    void scrollBarsSpanTheDataAndStep()
    {
        channelData[0] = waveChannel(3601);
        GraphPlot plot;
        openPlot(plot);
        QCOMPARE(plot.timeMax, 3600);
        QVERIFY(plot.hScroll.visible);
        plot.HScrollGraph_Change(plot.hScroll.max);
        QCOMPARE(plot.timeOrigin, 3600);
        plot.HScrollGraph_Change(0);
        QCOMPARE(plot.timeOrigin, 0);

        // At 0.1 px/s one arrow click moves at least one pixel's worth of time (10 s), even when
        // the bar's own step stands for less.
        plot.timeBaseScale = 0.1f;
        plot.MenuMulTimeItem_Click(0);
        plot.HScrollGraph_Change(1);
        QCOMPARE(plot.timeOrigin, 10);
        plot.HScrollGraph_Change(plot.hScroll.value + 1);
        QCOMPARE(plot.timeOrigin, 20);

        // The vertical slider's share of its bar is the share of the range the plot shows.
        plot.yBaseScale = 0.8f;
        plot.MenuMulYItem_Click(0);
        const ScrollBarState &bar = plot.vScroll;
        QVERIFY(bar.visible);
        const double shown =
            (plot.infYAxis(0) - plot.yBottom) / double(plot.yHighLimit - plot.yLowLimit);
        QVERIFY2(qAbs(double(bar.largeChange) / (bar.max + bar.largeChange) - shown) < 0.01,
                 qPrintable(QStringLiteral("%1 of %2").arg(bar.largeChange).arg(bar.max)));
    }

    // At 1 px/s the plot scrolls a pixel at a time (the run's own test follows at 1Sec).
    void followKeepsNewestSampleOnLastColumn()
    {
        clearChannels();
        channelData[0] = std::make_unique<ClassData>();
        GraphPlot plot;
        openPlot(plot);
        plot.MenuGraphYItem_Click(4); // 10 degrees: the wave fills the plot
        plot.moveWave0(0, 0.0f);
        plot.setMeasuringChannel(0);
        ClassData &data = *channelData[0];
        for (int i = 0; i <= 1000; ++i) {
            QCOMPARE(data.setRealTimeData(runStart + i / secondsPerDay,
                                          25.0f + 20.0f * float(std::sin(i / 5.0))),
                     qint16(0));
            if (i == 0)
                plot.initGraphCh(0);
            plot.Refresh2(data.getDataX(data.StopNo));
        }
        QCOMPARE(plot.timeOrigin, 1000 - 600);
        QCOMPARE(plot.fTimeAxis(1000), 600);
        QVERIFY(inked(plot.image(), 600, plot.fYAxis(data.getDataY(1000))));

        // Appends and scrolls together draw what one full redraw draws.
        QImage followed = plot.image();
        plot.refreshPlot();
        QCOMPARE(followed, plot.image());
    }

    void scrollDrawsWhatAFullRedrawDraws_data()
    {
        QTest::addColumn<qint32>("from");
        QTest::addColumn<qint32>("to");
        QTest::newRow("forwards a sixth") << 0 << 100;
        QTest::newRow("backwards") << 400 << 120;
        QTest::newRow("beyond the width") << 0 << 1200;
        QTest::newRow("scale change at the same origin") << 0 << -1;
    }

    void scrollDrawsWhatAFullRedrawDraws()
    {
        QFETCH(qint32, from);
        QFETCH(qint32, to);
        channelData[0] = waveChannel(2000);
        channelData[4] = waveChannel(1500, 40.0f);
        GraphPlot scrolled;
        GraphPlot fresh;
        const bool rescale = to < 0;
        for (GraphPlot *plot : {&scrolled, &fresh}) {
            openPlot(*plot);
            plot->MenuGraphYItem_Click(3); // 5 degrees per division
            plot->moveWave0(plot == &fresh && !rescale ? to : from, 0.0f);
            plot->refreshPlot();
        }
        if (rescale) {
            scrolled.autoRangeY();
            fresh.autoRangeY();
            fresh.refreshPlot();
        } else {
            scrolled.moveWave(to, GraphPlot::keepTemp);
        }
        QCOMPARE(scrolled.timeOrigin, fresh.timeOrigin);
        QCOMPARE(scrolled.image(), fresh.image());
    }

    void samplesInOneColumnBecomeOneVerticalLine()
    {
        auto data = makeSeries(1000, runStart, 1, [](int i) { return float(i % 10) * 5.0f; });
        data->storeSample(1000, runStart + 50000 / secondsPerDay, 20.0f, 50000);
        data->DataNo = 1001;
        data->setTimeData();
        const QImage image = drawTrace(*data, 0.0004);
        for (int y = 54; y < 100; ++y) // 45 degrees to 0
            QVERIFY2(inked(image, 0, y), qPrintable(QString::number(y)));
        QVERIFY(!inked(image, 0, 53));
        QVERIFY(inked(image, 20, 79));
    }

    // Samples 30 pixels apart get a dot 5 pixels wide around (x, y - 1); 19 apart none.
    void sparseSamplesGetADot()
    {
        for (qint32 gap : {30, 19}) {
            const QImage image = drawTrace(*makeChannel({0, gap}, {50.0f, 50.0f}), 1.0);
            QVERIFY(inked(image, gap - 1, 49));
            QCOMPARE(inked(image, gap + 2, 46), gap == 30);
            QCOMPARE(inked(image, gap - 2, 50), gap == 30);
        }
    }

    void offPlotSamplesAreLimitedOrLeftOut()
    {
        QImage image = drawTrace(*makeChannel({0, 100}, {0.0f, 1e6f}), 1.0);
        // The line runs to (100, -300) and so leaves the plot at x = 100 * 99 / 399, about 25.
        int crossing = 0;
        while (crossing < 200 && !inked(image, crossing, 0))
            ++crossing;
        QVERIFY2(crossing >= 23 && crossing <= 27, qPrintable(QString::number(crossing)));

        const QImage blank = drawTrace(ClassData(), 1.0);
        image = drawTrace(*makeChannel({0, 50, 100}, {-500.0f, -600.0f, -700.0f}), 1.0);
        QCOMPARE(image, blank);
        // A channel ending before the strip draws nothing.
        const auto data = makeChannel({0, 20, 50}, {10.0f, 20.0f, 30.0f});
        QCOMPARE(ClassGraph().findStartIndex(*data, 51), -1);
        QCOMPARE(ClassGraph().findStartIndex(*data, 20), 2);
        QCOMPARE(drawTrace(*data, 1.0, 100), blank);
        // A printed area is taller than any screen plot: its lowest samples stay in place.
        image = drawTrace(*makeChannel({0, 100}, {0.0f, 4000.0f}), 1.0, 0, 4000);
        QVERIFY(inked(image, 0, 3990) && inked(image, 50, 1980));
    }

    void gridLinesFallOnLadderSteps()
    {
        clearChannels();
        GraphPlot plot;
        openPlot(plot);
        plot.timeBaseScale = 0.5f;
        plot.MenuMulTimeItem_Click(0);
        plot.yBaseScale = 3.0f;
        plot.MenuMulYItem_Click(0);
        plot.moveWave0(0, 0.0f);
        plot.refreshPlot();
        const QImage &image = plot.image();
        QCOMPARE(image.pixel(150, 10), gridGrey); // 300 s
        QCOMPARE(image.pixel(60, 10), white);     // 120 s is no step
        const int y20 = plot.fYAxis(20.0f);
        QVERIFY(image.pixel(100, y20) == gridGrey || image.pixel(101, y20) == gridGrey);
        const int y10 = plot.fYAxis(10.0f);
        QVERIFY(image.pixel(100, y10) == white && image.pixel(101, y10) == white);

        // Grid off leaves not one grey pixel, but the traces (300 s at 0.5 px/s).
        channelData[0] = waveChannel(300);
        plot.initGraphCh(0);
        plot.MenuGraphGrid_Click();
        QVERIFY(!plot.gridOn && inked(image, 100, plot.fYAxis(channelData[0]->getDataY(200))));
        int grey = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                grey += image.pixel(x, y) == gridGrey;
        QCOMPARE(grey, 0);
    }

    void timeLabelsShowDaysOrClockTime()
    {
        const double nearMidnight = toDayCount(QDate(2026, 3, 1), QTime(23, 59, 50));
        channelData[1] = makeChannel({0, 100000}, {20.0f, 20.0f}, 0, nearMidnight);
        GraphPlot plot;
        openPlot(plot);
        plot.MenuGraphTimeItem_Click(12); // 1Day
        QVector<AxisLabel> labels = plot.timeLabels();
        QVERIFY(labels.size() >= 2);
        QCOMPARE(labels[0].text, QStringLiteral("00:00:00"));
        QCOMPARE(labels[1].text, QStringLiteral("1Days"));
        QCOMPARE(labels[1].position, 60);

        plot.MenuGraphTimeItem_Click(4); // 1Min
        plot.cursorTimeCh = 2;
        plot.refreshPlot();
        labels = plot.timeLabels();
        // Lines fall on whole clock minutes: the first is midnight, 10 s into the run.
        QCOMPARE(labels[0].text, QStringLiteral("00:00:00"));
        QCOMPARE(labels[0].position, plot.fTimeAxis(10));
        // The cursors' clock follows the chosen channel across midnight.
        plot.cursors[0].setTime(20);
        QCOMPARE(plot.cursorRow(0).mid(0, 2), QStringList({"26/03/02", "00:00:10"}));
        plot.cursorTimeCh = 0;
        QCOMPARE(plot.cursorRow(0).mid(0, 2), QStringList({"0Days", "00:00:20"}));
    }

    // A cursor stops on the next (or last) sample of any channel, in the direction of the last
    // move.
    void stepsStopOnSamplesInTheDirectionOfTheLastMove()
    {
        ClassCursor &a = m_plot->cursors[0];
        a.setTime(10);
        QCOMPARE(a.Time(), 10);
        QCOMPARE(a.getCursorData(0), 1);
        QCOMPARE(a.getCursorData(1), ClassCursor::noSample);
        a.setTime(11);
        QCOMPARE(a.Time(), 15);
        // Cursor row: days, time, CH1..CH8, Min, Max, Ave, P-P.
        QCOMPARE(m_plot->cursorRow(0).mid(2, 3), QStringList({"*", "31.5", QString()}));
        QCOMPARE(a.getCursorDataStr(0), QStringLiteral("-"));

        // Past the last sample the cursor stops at the end of the data.
        a.setTime(31);
        QCOMPARE(a.Time(), 30);

        ClassCursor &b = m_plot->cursors[1];
        b.setTime(20); // forwards from 0: CH1's sample at 20
        QCOMPARE(b.Time(), 20);
        b.setTime(19); // backwards: CH2's 15 is the latest at or before 19
        QCOMPARE(b.Time(), 15);
        // A drag compares with the last request, not the result: 16 after 19 goes backwards.
        b.moveCursor(16, 1);
        QCOMPARE(b.Time(), 15);
        b.moveCursor(17, 1);
        QCOMPARE(b.Time(), 20);
        // So does the step that ends a drag: 18 after 17 goes on forwards.
        b.moveCursor(18, 0);
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
            << overRangeCode << 30.0f << QStringList{"30.0", "+OVER", "30.0", "-"};
        QTest::newRow("no normal sample")
            << errorCode << overRangeCode << QStringList{"+OVER", "+OVER", "-", "0.0"};
        QTest::newRow("errors only")
            << errorCode << lowBatteryCode << QStringList{"ERROR", "ERROR", "-", "-"};
    }

    void readingsAcrossChannelsFollowStatus()
    {
        QFETCH(float, first);
        QFETCH(float, second);
        channelData[0] = makeChannel({0, 10}, {first, 0.0f});
        channelData[1] = makeChannel({0, 10}, {second, 0.0f});
        m_plot->initGraphCh(0);
        m_plot->initGraphCh(1);
        QTEST(m_plot->cursorRow(0).mid(10, 4), "minMaxAvePP");
    }

    void statisticsCoverEarlierToLaterCursor()
    {
        channelData[0] = makeSeries(13, runStart, 10, [](int i) { return float(10 * i); });
        channelData[2] = makeChannel({200, 210}, {5.0f, 6.0f}); // starts after both cursors
        m_plot->initGraphCh(0);
        m_plot->initGraphCh(2);
        m_plot->cursors[0].setTime(100);
        m_plot->cursors[1].setTime(40);
        QCOMPARE(m_plot->statisRow(0),
                 (QStringList{"40.0", "100.0", "70.0", "60.0", "7", "00:01:00"}));
        QCOMPARE(m_plot->statisRow(2), QStringList(6, QString()));
        // Both cursors between two samples of CH2 (0 and 15 s): nothing of a neighbour is shown.
        m_plot->cursors[0].setTime(110);
        m_plot->cursors[0].moveCursor(11, 0);
        m_plot->cursors[1].setTime(11);
        QCOMPARE(m_plot->statisRow(1).mid(0, 1) + m_plot->statisRow(1).mid(4, 1),
                 QStringList({"-", "0"}));
    }

    void bothCursorsStayVisibleOnOneColumnAndTheBarStepsOneSecond()
    {
        m_plot->MenuGraphTimeItem_Click(0); // 1Sec: 60 px per second
        m_plot->cursors[0].setTime(5);
        m_plot->cursors[1].setTime(5);
        QCOMPARE(m_plot->cursors[0].Time(), 10);
        QCOMPARE(m_plot->cursors[1].Time(), 10);
        m_plot->cursors[0].setTime(1); // A leaves the shared column, back to 0
        QCOMPARE(m_plot->cursors[0].Time(), 0);
        const QImage picture = m_plot->composedImage();
        QCOMPARE(picture.pixel(m_plot->fTimeAxis(0), 100), qRgb(255, 0, 0));
        QCOMPARE(picture.pixel(m_plot->fTimeAxis(10), 100), qRgb(0, 0, 255));

        // An arrow click on A's bar at 1 px per second (B put out of the way).
        m_plot->cursors[1].setTime(30);
        m_plot->MenuGraphTimeItem_Click(4);
        const int value = m_plot->cursorScroll[0].value;
        m_plot->HScrollCursor_Change(0, value + 1);
        QCOMPARE(m_plot->cursors[0].Time(), 10); // one second on, then snapped to a sample
        m_plot->HScrollCursor_Change(0, m_plot->cursorScrollValue(0) + 200);
        QCOMPARE(m_plot->cursors[0].Time(), 30); // beyond the data: its end
    }

    void rectangleThresholds_data()
    {
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::addColumn<bool>("shown");
        QTest::newRow("up and left: 1 x 1") << -20 << -20 << false;
        QTest::newRow("straight down: 1 x 100") << 0 << 100 << true;
        QTest::newRow("3 x 3") << 3 << 3 << false;
        QTest::newRow("4 x 1") << 4 << 1 << true;
    }

    void rectangleThresholds()
    {
        QFETCH(int, dx);
        QFETCH(int, dy);
        m_plot->gamen_MouseDown(Qt::LeftButton, 300, 150);
        m_plot->gamen_MouseMove(Qt::LeftButton, 300 + dx, 150 + dy);
        QTEST(m_plot->select.Visible(), "shown");
        QCOMPARE(m_plot->select.Width(), qint16(std::max(dx, 1)));
        m_plot->gamen_MouseUp(Qt::LeftButton);
        m_plot->gamen_MouseDown(Qt::LeftButton, 10, 10);
        QVERIFY(!m_plot->select.Visible());
    }

    void dragNearCursorMovesItAndDrawsNoRectangle()
    {
        m_plot->MenuGraphTimeItem_Click(1); // 5Sec: 12 px per second
        m_plot->cursors[0].setTime(10);
        const int x = m_plot->cursors[0].column() + 2;
        QVERIFY(m_plot->gamen_MouseMove(Qt::NoButton, x, 100));
        m_plot->gamen_MouseDown(Qt::LeftButton, x, 100);
        m_plot->gamen_MouseMove(Qt::LeftButton, m_plot->fTimeAxis(19), 160);
        m_plot->gamen_MouseUp(Qt::LeftButton);
        QCOMPARE(m_plot->cursors[0].Time(), 20);
        QVERIFY(!m_plot->select.Visible());
        QVERIFY(!m_plot->gamen_MouseMove(Qt::NoButton, m_plot->cursors[0].column() + 3, 100));
    }

    void channelCellCentresWithoutRescaling()
    {
        m_plot->autoRange();
        const float scale = m_plot->yScale;
        m_plot->centreOnChannel(1);
        QCOMPARE(m_plot->yScale, scale);
        QVERIFY(qAbs((m_plot->infYAxis(0) + m_plot->yBottom) / 2.0f - 31.5f) < 0.01f);
    }

    // A title too long for its cell is shortened with dots; a short one is printed whole.
    void printOutShowsTablesAndShortensLongCells()
    {
        const QString title = QStringLiteral("Furnace wall north side, sensor position");
        clearChannels();
        channelData[0] = waveChannel(600);
        channelData[0]->Title = title;
        channelData[0]->MeasPerson = QStringLiteral("R. Lindqvist");
        channelData[3] = waveChannel(300, 60.0f);
        channelData[3]->Title = QStringLiteral("Kiln 2");
        GraphPlot plot;
        openPlot(plot, 600, 400);
        plot.cursors[0].moveCursor(100, 0);
        plot.cursors[1].moveCursor(450, 0);

        const QString text = printedText(plot, false);
        QVERIFY2(!text.isEmpty(), "nothing read back from the PDF");
        for (int id : {1213, 1214, 5015, 1215, 1216, 1217, 1221, 2601, 2602})
            QVERIFY2(text.contains(loadString(id)), qPrintable(loadString(id)));
        for (const char *shown : {"R. Lindqvist", "Kiln 2"})
            QVERIFY(text.contains(QLatin1String(shown)));
        // A channel past its last sample at cursor B reads "*"; one with samples reads a value.
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("\\b4\\s.*\\*"))));
        QVERIFY(text.contains(channelData[0]->getDataDate(100)));
        QVERIFY(text.contains(plot.yUnitCaption()));

        QVERIFY(!text.contains(title));
        // The Title cell is 20 characters wide and its text gets 16 of them, dots included.
        const QRegularExpression shortened(QRegularExpression::escape(title.left(8)) +
                                           QStringLiteral("[^\\n]*?(?=\\.\\.\\.)"));
        const QString kept = shortened.match(text).captured(0);
        QVERIFY2(!kept.isEmpty() && title.startsWith(kept), qPrintable(kept));
        QVERIFY(kept.size() + 3 <= infoTableCells()[1].width - 4);
        QCOMPARE(infoTableCells()[1].width, 20);
    }

    void printedTimeLabelsNeverOverlap_data()
    {
        QTest::addColumn<int>("timeItem");
        QTest::addColumn<int>("cursorTimeCh");
        QTest::newRow("1 min per division, clock of CH1") << 4 << 1;
        QTest::newRow("10 s per division") << 2 << 0;
        QTest::newRow("1 hour per division") << 8 << 0;
    }

    void printedTimeLabelsNeverOverlap()
    {
        QFETCH(int, timeItem);
        QFETCH(int, cursorTimeCh);
        clearChannels();
        channelData[0] = waveChannel(30000);
        GraphPlot plot;
        // A wide screen plot squeezed onto a portrait page.
        openPlot(plot, 1900, 300);
        plot.MenuGraphTimeItem_Click(timeItem);
        plot.cursorTimeCh = qint16(cursorTimeCh);
        plot.refreshPlot();

        // The time labels are the last line of the page; laid out as text, each stays a word.
        const QString last = printedText(plot, true).trimmed().split(u'\n').last();
        const QStringList labels = last.split(u' ', Qt::SkipEmptyParts);
        QVERIFY2(labels.size() >= 3, qPrintable(last));
        static const QRegularExpression label(
            QStringLiteral("^(\\d\\d:\\d\\d(:\\d\\d)?|\\d+Days)$"));
        for (const QString &text : labels)
            QVERIFY2(label.match(text).hasMatch(), qPrintable(last));
    }

    // A refused report leaves a file of the same name as it was.
    void reportRefusesNothingToShowAndUnwritableFiles()
    {
        const auto data = waveChannel(60);
        const ClassData empty;
        QTemporaryDir dir;
        const QString kept = writeFile(dir.filePath(QStringLiteral("kept.pdf")), "kept");
        const QString unwritable = unwritableFolder(dir) + QStringLiteral("/r.pdf");
        QString error;
        QVERIFY(!writeGraphReport({nullptr, &empty}, GraphReportOptions(), kept, &error));
        QVERIFY(!error.isEmpty());
        error.clear();
        QVERIFY(!writeGraphReport({data.get()}, GraphReportOptions(), unwritable, &error));
        QVERIFY(!error.isEmpty() && !QFileInfo::exists(unwritable));
        QCOMPARE(readFile(kept), QByteArray("kept"));
    }

    // A monochrome printer draws darker traces wider; a colour printer all at pen value 2.
    void printerPenFollowsTraceBrightness()
    {
        QList<int> penValues; // brightness 0, 255, 383, 384, 765
        for (QRgb colour : {qRgb(0, 0, 0), qRgb(0, 0, 255), qRgb(255, 128, 0), qRgb(128, 128, 128),
                            qRgb(255, 255, 255)})
            penValues << ClassGraph::printerPenValue(colour);
        QCOMPARE(penValues, QList<int>({4, 3, 2, 2, 1}));
        QImage page(10, 10, QImage::Format_RGB32);
        QPainter painter(&page);
        ClassGraph trace;
        trace.waveColor = qRgb(0, 0, 255);
        for (bool colour : {false, true}) {
            trace.setPrinterPen(painter, colour, 3.0);
            QCOMPARE(painter.pen().color(), QColor(colour ? Qt::blue : Qt::black));
            QCOMPARE(painter.pen().widthF(), (colour ? 2 : 3) * 3.0);
        }
    }

    void clipboardPictureFramesPlotWithTracesAndLabels()
    {
        clearChannels();
        channelData[0] = waveChannel(600);
        GraphPlot plot;
        openPlot(plot, 600, 400);
        plot.setWave(0, 0.0f, 600, 50.0f);
        const QRgb trace = GraphPlot::defaultColor(0) | 0xff000000;
        const QImage picture = copyGraphImage(plot);
        QCOMPARE(picture.size(), QSize(680, 450));

        // One second per pixel: the trace runs across the whole plot below the legend, and the
        // labels stand left of and below it.
        // The legend is ANDed in: its bar shows in the trace colour at the plot's top left.
        int tracePixels = 0;
        int darkOutside = 0;
        int legendBar = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const bool inPlot = x >= clipPlotLeft && x < clipPlotLeft + 600 &&
                                    y >= clipPlotTop && y < clipPlotTop + 400;
                const bool isTrace = inPlot && picture.pixel(x, y) == trace;
                tracePixels += isTrace && y >= clipPlotTop + 20;
                legendBar += isTrace && y < clipPlotTop + 20 && x == clipPlotLeft + 10;
                darkOutside += !inPlot && qGray(picture.pixel(x, y)) < 100;
            }
        }
        QVERIFY2(tracePixels >= 550, qPrintable(QString::number(tracePixels)));
        QVERIFY(darkOutside > 0 && legendBar > 0);
    }

private:
    std::unique_ptr<GraphPlot> m_plot;
};

QTEST_MAIN(TestGraphPlot)
#include "test_graphplot.moc"
