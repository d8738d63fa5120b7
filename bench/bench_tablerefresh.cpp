#include "AppState.h"
#include "ClassData.h"
#include "DateTime.h"
#include "FormTable.h"
#include "Strings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTest>

namespace
{

constexpr int fullSet = 32000;
constexpr int appends = 100;

double sampleTime(int i)
{
    return toDayCount(QDate(2026, 3, 1), QTime(0, 0, 0)) + i / secondsPerDay;
}

float sampleValue(int i)
{
    return 20.0f + float(i % 997) / 10.0f;
}

} // namespace

// A live recording with the channel's table window open: every append is followed by
// refreshTableData and the repaint it causes. The cost must not grow with the recording.
class BenchTableRefresh : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void appendAndRefresh_data();
    void appendAndRefresh();
    void wholeRecording();
};

void BenchTableRefresh::initTestCase()
{
    programMode = 0;
    setLanguage();
    initLanguage();
}

void BenchTableRefresh::appendAndRefresh_data()
{
    QTest::addColumn<int>("held");
    QTest::newRow("at 100 samples") << 100 - appends;
    QTest::newRow("at 32000 samples") << fullSet - appends;
}

// The figure is the time of one append and refresh, averaged over the `appends` samples
// that bring the channel to 100 or to 32000 samples.
void BenchTableRefresh::appendAndRefresh()
{
    QFETCH(int, held);
    channelData[0] = std::make_unique<ClassData>();
    ClassData &data = *channelData[0];
    for (int i = 0; i < held; ++i)
        data.setRealTimeData(sampleTime(i), sampleValue(i));
    FormTable form;
    form.setChNo(0);
    form.show();
    form.dispMeasData();
    QCoreApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    for (int i = held; i < held + appends; ++i) {
        data.setRealTimeData(sampleTime(i), sampleValue(i));
        form.refreshTableData();
        QCoreApplication::processEvents();
    }
    const qint64 elapsed = timer.nsecsElapsed();
    QCOMPARE(int(data.DataNo), held + appends);
    QCOMPARE(form.MSFlexGrid1->item(form.visibleRows() - 1, 0)->text(),
             QString::number(held + appends));
    QTest::setBenchmarkResult(qreal(elapsed) / appends, QTest::WalltimeNanoseconds);
}

// All 32000 appends of a full recording, each refreshed; the figure is the mean per append.
void BenchTableRefresh::wholeRecording()
{
    channelData[0] = std::make_unique<ClassData>();
    ClassData &data = *channelData[0];
    FormTable form;
    form.setChNo(0);
    form.show();
    form.dispMeasData();

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < fullSet; ++i) {
        data.setRealTimeData(sampleTime(i), sampleValue(i));
        form.refreshTableData();
        QCoreApplication::processEvents();
    }
    const qint64 elapsed = timer.nsecsElapsed();
    QCOMPARE(int(data.DataNo), fullSet);
    QTest::setBenchmarkResult(qreal(elapsed) / fullSet, QTest::WalltimeNanoseconds);
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchTableRefresh bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_tablerefresh.moc"
