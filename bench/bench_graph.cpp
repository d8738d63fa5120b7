#include "AppState.h"
#include "ClassData.h"
#include "DateTime.h"
#include "GraphPlot.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMap>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <random>

namespace
{

constexpr int plotW = 1000;
constexpr int plotH = 600;
constexpr int fullSet = 32000;
// Samples a live row rewinds over, so that any number of benchmark rounds stays in the set.
constexpr int liveRoom = 50;
// Time span menu items: 1 min, 10 min and 1 h per division.
constexpr int minutePerDiv = 4;
constexpr int tenMinutesPerDiv = 6;
constexpr int hourPerDiv = 8;

double sampleTime(int i)
{
    return toDayCount(QDate(2026, 3, 1), QTime(0, 0, 0)) + i / secondsPerDay;
}

// Channel ch of a run of `count` samples, one a second: four periods of a wave over the run
// plus jitter, in tenths. The wave scales with the run so that runs of any length make the
// same picture when the whole run is in view and only the samples per column differ.
std::unique_ptr<ClassData> waveSet(int ch, int count)
{
    auto data = std::make_unique<ClassData>();
    data->ChNo = qint16(ch);
    std::minstd_rand jitter(unsigned(ch + 1));
    std::uniform_real_distribution<double> noise(-0.5, 0.5);
    const double omega = 2.0 * M_PI * 4.0 / count;
    for (int i = 0; i < count; ++i) {
        const double v = 25.0 + 4.0 * ch + 10.0 * std::sin(omega * i + ch) + noise(jitter);
        data->storeSample(i, sampleTime(i), float(std::round(v * 10.0) / 10.0), i);
    }
    data->DataNo = qint16(count);
    data->setTimeData();
    return data;
}

// Counts what the plot reports: Redraw and Scroll announce new time labels, Append does not.
class DrawCounter : public GraphListener
{
public:
    void plotChanged(const QRect &) override { ++pictureChanges; }
    void timeLabelsChanged() override { ++viewDraws; }
    int pictureChanges = 0;
    int viewDraws = 0;
};

// The graph window's start: an empty view, then each channel filled and shown in turn.
void setUpPlot(GraphPlot &plot, DrawCounter &counter, int channels, int count)
{
    for (auto &data : channelData)
        data.reset();
    plot.setListener(&counter);
    plot.Form_Load();
    plot.resize(plotW, plotH);
    plot.graphEventsOn = true;
    for (int ch = 0; ch < channels; ++ch) {
        channelData[ch] = waveSet(ch, count);
        plot.initGraphCh(ch);
    }
}

// Nanoseconds per call: the best of five batches of at least 20 ms each, so that a stray
// interruption does not decide the figure.
double nsPerCall(const std::function<void()> &step)
{
    double best = 1e300;
    for (int batch = 0; batch < 5; ++batch) {
        QElapsedTimer timer;
        timer.start();
        qint64 calls = 0;
        do {
            step();
            ++calls;
        } while (timer.nsecsElapsed() < 20'000'000);
        best = std::min(best, double(timer.nsecsElapsed()) / calls);
    }
    return best;
}

// Milliseconds, or microseconds for figures too small to read in milliseconds.
QString durationText(double ns)
{
    if (ns < 1e5)
        return QString::number(ns / 1e3, 'f', 2) + QStringLiteral(" us");
    return QString::number(ns / 1e6, 'f', 3) + QStringLiteral(" ms");
}

const char *verdict(bool met)
{
    return met ? "met" : "MISSED";
}

} // namespace

// The plot picture of 8 channels of up to 32000 samples in a 1000 x 600 plot: a full redraw,
// the segment a live sample adds, and a scroll by a tenth of the plot against a full redraw.
// The figures besides the benchmark output feed the summary printed at the end.
class BenchGraph : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void fullRedraw_data();
    void fullRedraw();
    void liveAppend_data();
    void liveAppend();
    void scrollStep_data();
    void scrollStep();

private:
    // Times `step` for the summary once per row; the benchmark reruns a function as it
    // settles on a repeat count.
    void record(const std::function<void()> &step);

    QMap<QString, double> m_ns;
};

void BenchGraph::initTestCase()
{
    programMode = 0;
}

void BenchGraph::record(const std::function<void()> &step)
{
    const QString key = QString::fromLatin1(QTest::currentTestFunction()) + u'/' +
                        QString::fromLatin1(QTest::currentDataTag());
    if (!m_ns.contains(key))
        m_ns.insert(key, nsPerCall(step));
}

void BenchGraph::fullRedraw_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("8 x 1000") << 1000;
    QTest::newRow("8 x 32000") << fullSet;
}

// The whole run in view, as the automatic range leaves it.
void BenchGraph::fullRedraw()
{
    QFETCH(int, count);
    DrawCounter counter;
    GraphPlot plot;
    setUpPlot(plot, counter, 8, count);
    plot.autoRange();
    QCOMPARE(plot.timeOrigin, 0);
    QVERIFY(plot.fTimeAxis(count - 1) < plot.plotWidth());

    const auto step = [&] { plot.drawData(GraphPlot::keepTime, GraphPlot::Redraw); };
    counter.viewDraws = 0;
    QBENCHMARK
    {
        step();
    }
    QVERIFY(counter.viewDraws > 0);
    record(step);
}

void BenchGraph::liveAppend_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("at 100 samples") << 100;
    QTest::newRow("at 32000 samples") << fullSet;
}

// CH1 records at 1 h per division with the origin at 0, so the newest sample lies inside the
// view at both lengths and Refresh2 appends a segment instead of scrolling. The set runs
// from count - liveRoom to count samples and then rewinds.
void BenchGraph::liveAppend()
{
    QFETCH(int, count);
    DrawCounter counter;
    GraphPlot plot;
    setUpPlot(plot, counter, 1, count);
    ClassData &data = *channelData[0];
    const auto recorded = waveSet(0, count);
    data.DataNo = qint16(count - liveRoom);
    data.setTimeData();
    plot.setMeasuringChannel(0);
    plot.MenuGraphTimeItem_Click(hourPerDiv);
    QCOMPARE(plot.timeOrigin, 0);

    const auto step = [&] {
        const int n = data.DataNo < count ? data.DataNo : count - liveRoom;
        data.storeSample(n, recorded->getDataDate0(n), recorded->getDataY(n), n);
        data.DataNo = qint16(n + 1);
        data.StopNo = data.LastNo = qint16(n);
        data.StopDateTime = recorded->getDataDate0(n);
        plot.Refresh2(n);
    };
    // The first append draws everything since the origin; a live window is past that.
    step();
    QVERIFY(plot.fTimeAxis(count - 1) < plot.plotWidth());
    counter.viewDraws = 0;
    counter.pictureChanges = 0;
    QBENCHMARK
    {
        step();
    }
    QCOMPARE(counter.viewDraws, 0);
    QVERIFY(counter.pictureChanges > 0);
    record(step);
}

void BenchGraph::scrollStep_data()
{
    QTest::addColumn<int>("spanItem");
    QTest::addColumn<bool>("scroll");
    QTest::newRow("1 min/div, scroll 100 px") << minutePerDiv << true;
    QTest::newRow("1 min/div, full redraw") << minutePerDiv << false;
    QTest::newRow("10 min/div, scroll 100 px") << tenMinutesPerDiv << true;
    QTest::newRow("10 min/div, full redraw") << tenMinutesPerDiv << false;
}

// 8 x 32000 samples viewed from the middle of the run. Scroll steps alternate forwards and
// backwards so that the view stays over the data however often the step repeats.
void BenchGraph::scrollStep()
{
    QFETCH(int, spanItem);
    QFETCH(bool, scroll);
    DrawCounter counter;
    GraphPlot plot;
    setUpPlot(plot, counter, 8, fullSet);
    plot.autoRange();
    plot.MenuGraphTimeItem_Click(spanItem);
    plot.moveWave0(fullSet / 2, GraphPlot::keepTemp);
    plot.drawData(GraphPlot::keepTime, GraphPlot::Redraw);
    const qint32 shiftSeconds = qint32(std::lround(plotW / 10.0 / plot.timeScale));
    QVERIFY(plot.timeOrigin + shiftSeconds + plot.plotWidth() / plot.timeScale < fullSet);

    // A mark the scroll must carry along shows that the picture is moved, not redrawn.
    const QRgb mark = qRgb(1, 2, 3);
    const_cast<QImage &>(plot.image()).setPixel(plotW / 2, plotH / 2, mark);
    plot.drawData(plot.timeOrigin + shiftSeconds, GraphPlot::Scroll);
    QCOMPARE(plot.image().pixel(plotW / 2 - plotW / 10, plotH / 2), mark);
    plot.drawData(plot.timeOrigin - shiftSeconds, GraphPlot::Redraw);

    bool forwards = true;
    const auto step = [&] {
        if (scroll) {
            plot.drawData(plot.timeOrigin + (forwards ? shiftSeconds : -shiftSeconds),
                          GraphPlot::Scroll);
            forwards = !forwards;
        } else {
            plot.drawData(GraphPlot::keepTime, GraphPlot::Redraw);
        }
    };
    QBENCHMARK
    {
        step();
    }
    record(step);
}

void BenchGraph::cleanupTestCase()
{
    const auto has = [&](const char *key) { return m_ns.contains(QLatin1String(key)); };
    const auto ns = [&](const char *key) { return m_ns.value(QLatin1String(key)); };

    qInfo("Summary (best of five 20 ms batches per case):");
    if (has("fullRedraw/8 x 32000")) {
        const double big = ns("fullRedraw/8 x 32000");
        qInfo("  full redraw 8 x 32000: %s (target at most 5 ms): %s",
              qPrintable(durationText(big)), verdict(big <= 5e6));
        if (has("fullRedraw/8 x 1000")) {
            const double small = ns("fullRedraw/8 x 1000");
            qInfo("  full redraw 8 x 1000: %s; 32000 / 1000 = %.2f (target at most 1.5): %s",
                  qPrintable(durationText(small)), big / small, verdict(big / small <= 1.5));
        }
    }
    if (has("liveAppend/at 100 samples") && has("liveAppend/at 32000 samples")) {
        const double early = ns("liveAppend/at 100 samples");
        const double late = ns("liveAppend/at 32000 samples");
        const double ratio = std::max(early, late) / std::min(early, late);
        qInfo("  Refresh2 append at 100: %s, at 32000: %s; ratio %.2f (target at most 1.20, "
              "each well under 1 ms): %s",
              qPrintable(durationText(early)), qPrintable(durationText(late)), ratio,
              verdict(ratio <= 1.2 && std::max(early, late) < 1e6));
    }
    for (const char *view : {"1 min/div", "10 min/div"}) {
        const QString scrollKey = QStringLiteral("scrollStep/%1, scroll 100 px").arg(view);
        const QString redrawKey = QStringLiteral("scrollStep/%1, full redraw").arg(view);
        if (!m_ns.contains(scrollKey) || !m_ns.contains(redrawKey))
            continue;
        const double step = m_ns.value(scrollKey);
        const double full = m_ns.value(redrawKey);
        qInfo("  %s, 8 x 32000: scroll %s, full redraw %s; scroll / redraw = %.2f "
              "(target under 0.33): %s",
              view, qPrintable(durationText(step)), qPrintable(durationText(full)), step / full,
              verdict(step * 3.0 < full));
    }
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    BenchGraph bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_graph.moc"
