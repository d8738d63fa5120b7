#include "AppState.h"
#include "ClassData.h"
#include "DateTime.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

namespace
{

constexpr int fullSet = 32000;

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
// recording. The file loops run with the application's own event pump.
class BenchChannelFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void loadFullFile();
    void saveFullFile();
    void appendOneSample_data();
    void appendOneSample();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ClassData> m_full;
};

void BenchChannelFile::initTestCase()
{
    programMode = 0;
    QVERIFY(m_dir.isValid());
    m_full = filledSet(fullSet);
    m_full->setTimeData();
    QVERIFY(m_full->saveFileData(m_dir.filePath(QStringLiteral("full.csv"))));
}

void BenchChannelFile::loadFullFile()
{
    const QString path = m_dir.filePath(QStringLiteral("full.csv"));
    QBENCHMARK
    {
        ClassData data;
        QVERIFY(data.loadFileData(path));
        QCOMPARE(data.DataNo, qint16(fullSet));
    }
}

void BenchChannelFile::saveFullFile()
{
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

QTEST_GUILESS_MAIN(BenchChannelFile)
#include "bench_channelfile.moc"
