#include "AppState.h"
#include "ClassData.h"
#include "ClassGraph.h"
#include "DateTime.h"
#include "GraphMath.h"
#include "GraphPlot.h"
#include "GraphRig.h"
#include "Settings.h"
#include "Strings.h"

#include <QPainter>
#include <QtTest>

#include <cmath>
#include <vector>

namespace
{
// Draws one trace of `data` into a white 200 x 100 image at origin 0, bottom 0.
QImage drawTrace(const ClassData &data, double timeScale, qint32 t0 = 0, qint32 t1 = 100000)
{
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PlotFrame frame;
    frame.timeScale = timeScale;
    frame.yScale = 1.0;
    frame.width = 200;
    frame.height = 100;
    frame.right = 199;
    ClassGraph trace;
    trace.waveColor = qRgb(0, 0, 255);
    trace.drawData(painter, data, t0, t1, frame);
    return image;
}
} // namespace

// The graph's view arithmetic, its menus and scroll bars, and what it draws, read back from
// the plot picture.
class TestGraphPlot : public QObject
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
        clearChannels();
    }

    void cleanup() { clearChannels(); }

    void mappingIsLimitedAndRoundsHalvesToEven_data()
    {
        QTest::addColumn<qint32>("origin");
        QTest::addColumn<qint32>("t");
        QTest::addColumn<double>("scale");
        QTest::addColumn<qint32>("x");
        QTest::newRow("100000 s right") << 0 << 100000 << 1.0 << 32000;
        QTest::newRow("100000 s left") << 100000 << 0 << 1.0 << -32000;
        QTest::newRow("half to even down") << 0 << 1 << 0.5 << 0;
        QTest::newRow("half to even up") << 0 << 3 << 0.5 << 2;
        QTest::newRow("origin subtracted") << 60 << 90 << 2.0 << 60;
    }

    void mappingIsLimitedAndRoundsHalvesToEven()
    {
        QFETCH(qint32, origin);
        QFETCH(qint32, t);
        QFETCH(double, scale);
        QTEST(fTimeAxisPrim(origin, t, scale), "x");
        // Far off temperatures stay inside the 16-bit range instead of wrapping.
        QCOMPARE(fYAxisPrim(0.0f, 1e9f, 1.0, 400), qint16(-32768));
        QCOMPARE(fYAxisPrim(0.0f, -1e9f, 1.0, 400), qint16(32767));
    }

    void gridStepsFollowTheLadders_data()
    {
        QTest::addColumn<double>("timeScale");
        QTest::addColumn<double>("yScale");
        QTest::addColumn<qint32>("seconds");
        QTest::addColumn<double>("degrees");
        QTest::newRow("0.5 px/s, 3 px/degree") << 0.5 << 3.0 << 300 << 20.0;
        QTest::newRow("exact ladder values") << 1.0 << 600.0 << 60 << 0.1;
        QTest::newRow("beyond the ladders") << 1e-6 << 0.01 << 8640000 << 100.0;
    }

    void gridStepsFollowTheLadders()
    {
        QFETCH(double, timeScale);
        QFETCH(double, yScale);
        QTEST(timeGridStep(60.0 / timeScale), "seconds");
        QTEST(tempGridStep(60.0 / yScale), "degrees");
        // Tenths are counted on whole numbers, so a single-precision 19.3 is on the grid.
        QCOMPARE(firstGridIndex(19.3f, 0.1), qint64(193));
        QCOMPARE(lastGridIndex(-15.0, 10.0), qint64(-2));
        QCOMPARE(firstGridIndex(-15.0, 10.0), qint64(-1));
    }

    void spanMenuThenZoomKeepsWholePixelsPerSecond()
    {
        GraphPlot plot;
        openPlot(plot);
        plot.MenuGraphTimeItem_Click(8); // 1Hour
        QCOMPARE(plot.timeBaseScale, 60.0f / 3600.0f);
        QCOMPARE(plot.timeZoomIndex, qint16(0));
        QCOMPARE(plot.timeSpanChecked, 8);
        plot.MenuMulTimeItem_Click(3); // 800%
        QCOMPARE(plot.timeScale, 8.0f * (60.0f / 3600.0f));

        plot.MenuGraphTimeItem_Click(0); // 1Sec: 60 px/s
        plot.MenuMulTimeItem_Click(3);
        QCOMPARE(plot.timeScale, 60.0f);
        plot.MenuGraphTimeItem_Click(2); // 10Sec, 6 px/s at 100%
        plot.MenuMulTimeItem_Click(1);
        QCOMPARE(plot.timeScale, 12.0f);
        plot.MenuGraphTimeItem_Click(99);
        QCOMPARE(plot.timeBaseScale, 1.0f);
        QCOMPARE(plot.timeSpanChecked, -1);
    }

    void zoomBackAlternatesBetweenLastTwoScales()
    {
        GraphPlot plot;
        openPlot(plot);
        plot.MenuGraphTimeItem_Click(4); // 1Min
        plot.MenuGraphYItem_Click(2);    // 1 degree
        const ScaleRecord shown = plot.currentScale();
        plot.MenuGraphTimeItem_Click(8); // 1Hour
        const ScaleRecord last = plot.currentScale();

        plot.zoomBack();
        QCOMPARE(plot.timeBaseScale, shown.timeBaseScale);
        QCOMPARE(plot.yBaseScale, shown.yBaseScale);
        plot.zoomBack();
        QCOMPARE(plot.timeBaseScale, last.timeBaseScale);
        QCOMPARE(plot.yBaseScale, last.yBaseScale);
    }

    void setWaveRaisesTinySpans()
    {
        GraphPlot plot;
        openPlot(plot, 601, 201);
        plot.setWave(GraphPlot::keepTime, GraphPlot::keepTemp, 1, 0.2f);
        QCOMPARE(plot.timeBaseScale, float(601 / 2));
        QCOMPARE(plot.yBaseScale, 201.0f / 0.5f);
        QCOMPARE(plot.timeSpanChecked, -1);
        QCOMPARE(plot.ySpanChecked, -1);
    }

    void autoRangeCentresTheDataWithMargins()
    {
        channelData[0] = makeChannel({0, 10, 20, 30}, {20.0f, 30.0f, 25.0f, 22.0f});
        GraphPlot plot;
        openPlot(plot);
        plot.autoRange();
        QCOMPARE(plot.timeOrigin, 0);
        QCOMPARE(plot.viewEnd, 30);
        const float top = plot.infYAxis(0);
        QVERIFY(qAbs(top - plot.yBottom - 12.0f) < 1e-3f);
        QVERIFY(qAbs((top + plot.yBottom) / 2.0f - 25.0f) < 1e-3f);
    }

    void autoRangeIgnoresChannelWithoutValidSample()
    {
        channelData[0] = makeChannel({0, 10}, {20.0f, 30.0f});
        channelData[1] = makeChannel({0, 10}, {999997.0f, 999998.0f});
        GraphPlot plot;
        openPlot(plot);
        plot.autoRange();
        QVERIFY(qAbs(plot.infYAxis(0) - plot.yBottom - 12.0f) < 1e-3f);
    }

    void bottomIsLimitedByUnit_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<float>("asked");
        QTest::addColumn<float>("bottom");
        QTest::newRow("C above 600") << 0 << 700.0f << 600.0f;
        QTest::newRow("F up to 1000") << 1 << 700.0f << 700.0f;
        QTest::newRow("F above 1000") << 1 << 1200.0f << 1000.0f;
        QTest::newRow("below -100") << 0 << -500.0f << -100.0f;
    }

    void bottomIsLimitedByUnit()
    {
        QFETCH(int, unit);
        QFETCH(float, asked);
        channelData[3] = makeChannel({0, 10}, {20.0f, 30.0f}, qint16(unit));
        GraphPlot plot;
        openPlot(plot);
        QCOMPARE(plot.tempUnit, qint16(unit));
        plot.moveWave0(GraphPlot::keepTime, asked);
        QTEST(plot.yBottom, "bottom");
    }

    void timeBarEndsAndArrowSteps()
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
    }

    void followKeepsNewestSampleOnLastColumn_data()
    {
        QTest::addColumn<int>("span");
        QTest::addColumn<int>("samples");
        QTest::addColumn<qint32>("origin");
        QTest::newRow("1 px/s, one-pixel scrolls") << -1 << 1001 << 1000 - 600;
        QTest::newRow("1Sec, 60-pixel scrolls") << 0 << 40 << 39 - 10;
    }

    void followKeepsNewestSampleOnLastColumn()
    {
        QFETCH(int, span);
        QFETCH(int, samples);
        channelData[0] = std::make_unique<ClassData>();
        GraphPlot plot;
        openPlot(plot);
        if (span >= 0)
            plot.MenuGraphTimeItem_Click(span);
        plot.MenuGraphYItem_Click(4); // 10 degrees: the wave fills the plot
        plot.moveWave0(0, 0.0f);
        plot.setMeasuringChannel(0);
        ClassData &data = *channelData[0];
        for (int i = 0; i < samples; ++i) {
            QCOMPARE(data.setRealTimeData(runStart + i / secondsPerDay,
                                          25.0f + 20.0f * float(std::sin(i / 5.0))),
                     qint16(0));
            if (i == 0)
                plot.initGraphCh(0);
            plot.Refresh2(data.getDataX(data.StopNo));
        }
        QTEST(plot.timeOrigin, "origin");
        const int last = samples - 1;
        QVERIFY(plot.fTimeAxis(last) <= 600 && plot.fTimeAxis(last) > 600 - 60);
        QVERIFY(inked(plot.image(), plot.fTimeAxis(last), plot.fYAxis(data.getDataY(last))));

        // Appends and scrolls together draw what one full redraw draws.
        QImage followed = plot.image();
        plot.refreshPlot();
        QCOMPARE(differingPixels(followed, plot.image()), 0);
    }

    void scrollDrawsWhatAFullRedrawDraws_data()
    {
        QTest::addColumn<qint32>("from");
        QTest::addColumn<qint32>("to");
        QTest::newRow("forwards a sixth") << 0 << 100;
        QTest::newRow("backwards") << 400 << 120;
        QTest::newRow("beyond the width") << 0 << 1200;
    }

    void scrollDrawsWhatAFullRedrawDraws()
    {
        QFETCH(qint32, from);
        QFETCH(qint32, to);
        channelData[0] = waveChannel(2000);
        channelData[4] = waveChannel(1500, 40.0f);
        GraphPlot scrolled;
        openPlot(scrolled);
        scrolled.MenuGraphYItem_Click(3); // 5 degrees per division
        scrolled.moveWave0(from, 0.0f);
        scrolled.refreshPlot();
        scrolled.moveWave(to, GraphPlot::keepTemp);

        GraphPlot fresh;
        openPlot(fresh);
        fresh.MenuGraphYItem_Click(3);
        fresh.moveWave0(to, 0.0f);
        fresh.refreshPlot();
        QCOMPARE(scrolled.timeOrigin, to);
        QCOMPARE(differingPixels(scrolled.image(), fresh.image()), 0);
    }

    void scaleChangeAtSameOriginRedrawsEverything()
    {
        channelData[0] = waveChannel(500);
        GraphPlot plot;
        openPlot(plot);
        plot.autoRangeY();
        const QImage ranged = plot.image();
        plot.refreshPlot();
        QCOMPARE(differingPixels(ranged, plot.image()), 0);
    }

    void samplesInOneColumnBecomeOneVerticalLine()
    {
        std::vector<qint32> times;
        std::vector<float> values;
        for (int i = 0; i < 1000; ++i) {
            times.push_back(i);
            values.push_back(float(i % 10) * 5.0f); // pixel rows 54..99
        }
        times.push_back(50000);
        values.push_back(20.0f);
        const QImage image = drawTrace(*makeChannel(times, values), 0.0004);
        for (int y = 54; y < 100; ++y)
            QVERIFY2(inked(image, 0, y), qPrintable(QString::number(y)));
        QVERIFY(!inked(image, 0, 53));
        QVERIFY(inked(image, 20, 79));
    }

    void sparseSamplesGetADot_data()
    {
        QTest::addColumn<qint32>("gap");
        QTest::addColumn<bool>("dot");
        QTest::newRow("30 px") << 30 << true;
        QTest::newRow("19 px") << 19 << false;
    }

    void sparseSamplesGetADot()
    {
        QFETCH(qint32, gap);
        const QImage image = drawTrace(*makeChannel({0, gap}, {50.0f, 50.0f}), 1.0);
        QVERIFY(inked(image, gap - 1, 49));
        // The dot is 5 pixels wide around (x, y - 1).
        QTEST(inked(image, gap + 2, 46), "dot");
        QTEST(inked(image, gap - 2, 50), "dot");
    }

    void farOffSampleIsLimitedToMinus300()
    {
        const QImage image = drawTrace(*makeChannel({0, 100}, {0.0f, 1e6f}), 1.0);
        // The line runs to (100, -300) and so leaves the plot at x = 100 * 99 / 399, about 25.
        int crossing = -1;
        for (int x = 0; x < 200 && crossing < 0; ++x) {
            if (inked(image, x, 0))
                crossing = x;
        }
        QVERIFY2(crossing >= 23 && crossing <= 27, qPrintable(QString::number(crossing)));
    }

    void segmentWhollyBelowPlotIsNotDrawn()
    {
        const QImage image =
            drawTrace(*makeChannel({0, 50, 100}, {-500.0f, -600.0f, -700.0f}), 1.0);
        QImage blank(image.size(), image.format());
        blank.fill(Qt::white);
        QCOMPARE(differingPixels(image, blank), 0);
    }

    void channelEndingBeforeStripDrawsNothing()
    {
        auto data = makeChannel({0, 20, 50}, {10.0f, 20.0f, 30.0f});
        ClassGraph trace;
        QCOMPARE(trace.findStartIndex(*data, 51), -1);
        QCOMPARE(trace.findStartIndex(*data, 20), 2);
        QImage image(200, 100, QImage::Format_RGB32);
        QPainter painter(&image);
        PlotFrame frame;
        frame.width = 200;
        frame.height = 100;
        frame.right = 199;
        QVERIFY(trace.drawData(painter, *data, 100, 200, frame).isEmpty());
    }

    void gridLinesFallOnLadderSteps()
    {
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
    }

    void gridOffDrawsNoGridButTraces()
    {
        channelData[0] = waveChannel(300);
        GraphPlot plot;
        openPlot(plot);
        plot.MenuGraphGrid_Click();
        QVERIFY(!plot.gridOn);
        const QImage &image = plot.image();
        int grey = 0;
        int inkedColumns = 0;
        for (int x = 0; x < image.width(); ++x) {
            bool ink = false;
            for (int y = 0; y < image.height(); ++y) {
                grey += image.pixel(x, y) == gridGrey;
                ink = ink || inked(image, x, y);
            }
            inkedColumns += ink;
        }
        QCOMPARE(grey, 0);
        QCOMPARE(inkedColumns, 300);
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
    }
};

QTEST_MAIN(TestGraphPlot)
#include "test_graphplot.moc"
