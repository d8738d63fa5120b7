#include "AppState.h"
#include "ClassData.h"
#include "DateTime.h"
#include "FormMain.h"
#include "RunEngine.h"
#include "RunJournal.h"
#include "Strings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace
{
constexpr int samples = 500;
constexpr int rounds = 5;

double sampleTime(int i)
{
    return toDayCount(QDate(2026, 3, 1), QTime(8, 0, 0)) + i / secondsPerDay;
}

float sampleValue(int i)
{
    return 20.0f + float(i % 997) / 10.0f;
}
} // namespace

// What the run journal costs a logged run. Each sample a run stores goes through
// RunEngine::storeReading with the main window as its view: the data set, the journal line, the
// table window, the channel row and the graph. The figure is the mean per sample, the median of
// several rounds, with the journal on and off; the journal must stay within 10 % of the run's cost
// without it.
class BenchJournal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void appendOnly();
    void storeReading();

private:
    // Nanoseconds per sample of one round of `samples` stores.
    qint64 storeRound(FormMain &main, bool journal);

    QTemporaryDir m_dir;
};

void BenchJournal::initTestCase()
{
    programMode = 0;
    settingsFileOverride = m_dir.filePath(QStringLiteral("OrvanUtility.ini"));
    setLanguage();
    initLanguage();
}

// One journal line on its own, written to the system at once.
void BenchJournal::appendOnly()
{
    RunJournal journal(m_dir.filePath(QStringLiteral("append")));
    ClassData header;
    QVERIFY(journal.open(header));
    constexpr int lines = 32000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < lines; ++i)
        journal.append(sampleTime(i), sampleValue(i));
    const qint64 elapsed = timer.nsecsElapsed();
    journal.finish();
    QTest::setBenchmarkResult(qreal(elapsed) / lines, QTest::WalltimeNanoseconds);
}

qint64 BenchJournal::storeRound(FormMain &main, bool journal)
{
    main.journal().setFolder(journal ? m_dir.filePath(QStringLiteral("journal")) : QString());
    main.engine().prepareMeasurement(main.runSettings(0));
    // A run opens its journal with its first sample.
    main.journal().open(*channelData[0]);
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < samples; ++i) {
        main.engine().storeReading(sampleTime(i), sampleValue(i));
        QCoreApplication::processEvents();
    }
    const qint64 elapsed = timer.nsecsElapsed();
    if (main.journal().isOpen() != journal)
        qFatal("The journal is %s", journal ? "off" : "on");
    main.journal().finish();
    return elapsed / samples;
}

void BenchJournal::storeReading()
{
    FormMain main;
    main.show();
    main.showGraph();
    QList<qint64> with;
    QList<qint64> without;
    // Interleaved, so that the machine's drift weighs on both alike.
    for (int r = 0; r < rounds; ++r) {
        without << storeRound(main, false);
        with << storeRound(main, true);
    }
    std::sort(with.begin(), with.end());
    std::sort(without.begin(), without.end());
    const qint64 on = with[rounds / 2];
    const qint64 off = without[rounds / 2];
    qInfo("Per sample: %.1f us with the journal, %.1f us without; ratio %.3f", on / 1000.0,
          off / 1000.0, double(on) / double(off));
    QTest::setBenchmarkResult(qreal(on), QTest::WalltimeNanoseconds);
}

int main(int argc, char **argv)
{
    QTemporaryDir data;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    QApplication app(argc, argv);
    BenchJournal bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_journal.moc"
