#include "AppState.h"
#include "ClassData.h"
#include "DateTime.h"
#include "FormFileWait.h"
#include "Strings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <ctime>
#include <memory>
#include <vector>

namespace
{

constexpr int fullSet = 32000;
// Loads timed for one figure; the figure is their median.
constexpr int loadRounds = 41;
// Median load time in milliseconds, wall clock and the thread's processor time: in a core
// application, then in a widgets application. On a busy machine the processor time is the
// steadier figure.
double loadMs[2] = {};
double loadCpuMs[2] = {};

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double sampleTime(int i)
{
    return toDayCount(QDate(2026, 3, 1), QTime(0, 0, 0)) + i / secondsPerDay;
}

float sampleValue(int i)
{
    return 20.0f + float(i % 997) / 10.0f;
}

std::unique_ptr<ClassData> filledSet(int count)
{
    auto data = std::make_unique<ClassData>();
    for (int i = 0; i < count; ++i)
        data->setRealTimeData(sampleTime(i), sampleValue(i));
    return data;
}

} // namespace

// Load and save of a full channel file, and the cost of one live append early and late in a
// recording. The file loops run with the application's own event pump. The load is measured in
// a core application, as a tool without windows runs it, and again in a widgets application
// with the progress dialog showing over a window, as the channel list window runs it.
class BenchChannelFile : public QObject
{
    Q_OBJECT
public:
    explicit BenchChannelFile(bool widgets) : m_widgets(widgets) {}

private Q_SLOTS:
    void initTestCase();
    void loadFullFile();
    void saveFullFile();
    void appendOneSample_data();
    void appendOneSample();

private:
    bool m_widgets;
    QTemporaryDir m_dir;
    std::unique_ptr<ClassData> m_full;
};

void BenchChannelFile::initTestCase()
{
    programMode = 0;
    setLanguage();
    initLanguage();
    QVERIFY(m_dir.isValid());
    m_full = filledSet(fullSet);
    m_full->setTimeData();
    QVERIFY(m_full->saveFileData(m_dir.filePath(QStringLiteral("full.csv"))));
}

void BenchChannelFile::loadFullFile()
{
    const QString path = m_dir.filePath(QStringLiteral("full.csv"));
    std::unique_ptr<QWidget> owner;
    if (m_widgets) {
        owner = std::make_unique<QWidget>();
        owner->resize(640, 480);
        owner->show();
        QVERIFY(QTest::qWaitForWindowExposed(owner.get()));
    }
    std::vector<double> times;
    std::vector<double> cpuTimes;
    for (int round = 0; round < loadRounds; ++round) {
        ClassData data;
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = threadCpuMs();
        if (m_widgets) {
            FormFileWait wait;
            wait.initMsg(loadString(1753), loadString(1754), loadString(1755));
            wait.show1(owner.get());
            QVERIFY(data.loadFileData(path, &wait));
            wait.Hide1();
        } else {
            QVERIFY(data.loadFileData(path));
        }
        cpuTimes.push_back(threadCpuMs() - cpuStart);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        QCOMPARE(data.DataNo, qint16(fullSet));
    }
    loadMs[m_widgets] = median(times);
    loadCpuMs[m_widgets] = median(cpuTimes);
    QTest::setBenchmarkResult(loadMs[m_widgets], QTest::WalltimeMilliseconds);
    if (m_widgets)
        qInfo("32000-sample load, median of %d: core application %.1f ms (processor %.1f ms), "
              "widgets application with the progress dialog %.1f ms (processor %.1f ms): "
              "%+.1f %% (processor %+.1f %%)",
              loadRounds, loadMs[0], loadCpuMs[0], loadMs[1], loadCpuMs[1],
              100.0 * (loadMs[1] / loadMs[0] - 1.0), 100.0 * (loadCpuMs[1] / loadCpuMs[0] - 1.0));
}

void BenchChannelFile::saveFullFile()
{
    if (m_widgets)
        QSKIP("measured in the core application");
    const QString path = m_dir.filePath(QStringLiteral("saved.csv"));
    QBENCHMARK
    {
        QVERIFY(m_full->saveFileData(path));
    }
}

void BenchChannelFile::appendOneSample_data()
{
    QTest::addColumn<int>("held");
    QTest::newRow("set holding 100 samples") << 100;
    QTest::newRow("set holding 31800 samples") << 31800;
}

// Each round appends the next 100 samples (one growth of the arrays included) to fresh sets
// that already hold `held` samples; the figure is the time of one append.
void BenchChannelFile::appendOneSample()
{
    QFETCH(int, held);
    if (m_widgets)
        QSKIP("measured in the core application");
    constexpr int sets = 20;
    constexpr int appends = 100;
    std::vector<std::unique_ptr<ClassData>> pool;
    for (int k = 0; k < sets; ++k)
        pool.push_back(filledSet(held));

    QElapsedTimer timer;
    timer.start();
    for (auto &data : pool) {
        for (int i = held; i < held + appends; ++i)
            data->setRealTimeData(sampleTime(i), sampleValue(i));
    }
    const qint64 elapsed = timer.nsecsElapsed();
    QCOMPARE(pool.front()->DataNo, qint16(held + appends));
    QTest::setBenchmarkResult(qreal(elapsed) / (sets * appends), QTest::WalltimeNanoseconds);
}

int main(int argc, char *argv[])
{
    int failures = 0;
    {
        QCoreApplication app(argc, argv);
        BenchChannelFile bench(false);
        failures += QTest::qExec(&bench, argc, argv);
    }
    // Without a display the widgets run is drawn off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    {
        QApplication app(argc, argv);
        BenchChannelFile bench(true);
        failures += QTest::qExec(&bench, argc, argv);
    }
    return failures;
}

#include "bench_channelfile.moc"
