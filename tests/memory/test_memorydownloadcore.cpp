#include "AppState.h"
#include "ClassData.h"
#include "DateTime.h"
#include "Format.h"
#include "InstrumentRig.h"
#include "MemBlocks.h"
#include "MemoryDownload.h"
#include "MemoryListing.h"
#include "Settings.h"
#include "Strings.h"
#include "TestFiles.h"

#include <QtTest>

#include <cmath>

namespace
{
enum Setup { Demo, StoppedHalfWay, LaboratoryType };

const QString header = QStringLiteral("PRINT 00/01/05 10:20:30");

// Feeds the lines as readMemLine splits them; returns the step of the last one.
MemoryListing::Step feedAll(MemoryListing &listing, const QStringList &lines)
{
    MemoryListing::Step step = MemoryListing::Continue;
    for (const QString &line : lines) {
        QString rest = line;
        QString fields[11];
        const int count = splitBlank(rest, fields) + 1;
        step = listing.feed(fields, count, line);
        if (step != MemoryListing::Continue)
            break;
    }
    return step;
}

int samplesHeld()
{
    int samples = 0;
    for (const auto &block : memBlocks)
        samples += block ? block->DataNo : 0;
    return samples;
}
} // namespace

Q_DECLARE_METATYPE(Setup)

// The listing's lines into the work buffers and on into memBlocks, and the download, its file
// and the clearing as a command line drives them: no window, the link on the in-process
// simulator, simulated time.
class TestMemoryDownloadCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        // The real-time mode's file form must not leak into the memory data file.
        programMode = 0;
        MaxDataNo = 32000;
        MeasSetting = MeasSettingRecord();
        m_rig = std::make_unique<InstrumentRig>(Simulator::FType);
    }

    void cleanup()
    {
        m_rig.reset();
        for (auto &block : memBlocks)
            block.reset();
    }

    void downloadIsWrittenVerifiedThenCleared_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("demo memory") << Demo << QStringList();
        QTest::newRow("stopped half way") << StoppedHalfWay << QStringList{loadString(4231)};
        QTest::newRow("laboratory type")
            << LaboratoryType << QStringList{loadString(1779), loadString(4205)};
    }

    void downloadIsWrittenVerifiedThenCleared()
    {
        QFETCH(Setup, setup);
        m_rig->sim.fillDemoMemory();
        if (setup == LaboratoryType)
            m_rig->sim.setType(Simulator::LType);
        if (setup == StoppedHalfWay) {
            m_rig->sim.fillMemory(1500);
            m_rig->sim.setTrafficLog([this](bool fromHost, const QString &line) {
                if (fromHost && line == QLatin1String("MEM"))
                    m_rig->pump.schedule(60000, [] { stopRequested = true; });
            });
        }
        const int held = int(m_rig->sim.memory().size());

        QList<qsizetype> counts;
        const MemoryDownload::Result result =
            downloadMemory(m_rig->link, m_rig->instrument, [&counts](qsizetype n) { counts << n; });
        QTEST(m_rig->prompter.texts(), "texts");
        QVERIFY(!m_rig->sim.awake());
        QCOMPARE(int(result.records), samplesHeld());
        QCOMPARE(result.stopped, setup == StoppedHalfWay);
        QCOMPARE(result.failed, setup == LaboratoryType);
        if (setup == LaboratoryType) {
            QCOMPARE(samplesHeld(), 0);
            QVERIFY(result.keptFile.isEmpty());
            QVERIFY(!clearMemory(m_rig->link, m_rig->instrument));
            QCOMPARE(int(m_rig->sim.memory().size()), held);
            return;
        }
        if (setup == StoppedHalfWay)
            QVERIFY2(result.records > 100 && result.records < held / 2,
                     qPrintable(QString::number(result.records)));
        else
            QCOMPARE(int(result.records), held);
        // The records read, each in its block in order, to the minute, as the instrument holds it.
        int next[64] = {};
        for (const Simulator::MemoryRecord &r : m_rig->sim.memory().mid(0, result.records)) {
            const ClassData &data = *memBlocks[r.block - 1];
            const int i = next[r.block - 1]++;
            const double scale = r.precision ? 1 : 10;
            QCOMPARE(data.getDataY(i),
                     r.over ? overRangeCode : float(std::round(r.value * scale) / scale));
            QCOMPARE(fromDayCount(data.getDataDate0(i)).toString(u"yyMMddhhmm"),
                     r.time.toString(u"yyMMddhhmm"));
            QCOMPARE(QPoint(data.Unit, data.Resolution), QPoint(r.unit, r.precision));
        }
        // One call a line, counting up to every record received.
        QVERIFY(std::is_sorted(counts.begin(), counts.end()));
        QCOMPARE(counts.last(), result.records);
        QVERIFY(QFile::exists(result.keptFile));
        QVERIFY(verifyMemoryFile(result.keptFile));

        const QString path = m_dir.filePath(QStringLiteral("listing.txt"));
        QVERIFY(writeMemoryFile(path));
        QVERIFY(verifyMemoryFile(path));
        const QByteArray bytes = readFile(path);
        QVERIFY(!bytes.contains("Resolution"));

        // A file that does not read back as held stops a clear.
        QVERIFY(
            !writeFile(path, bytes.left(bytes.lastIndexOf("\r\n", bytes.size() - 5))).isEmpty());
        QVERIFY(!verifyMemoryFile(path));
        QVERIFY(!verifyMemoryFile(m_dir.filePath(QStringLiteral("missing.txt"))));

        // The rest of a stopped listing is still on the line; it goes before the next command.
        m_rig->pump.advance(200000);
        m_rig->sim.takeOutput();
        QVERIFY2(clearMemory(m_rig->link, m_rig->instrument),
                 qPrintable(m_rig->prompter.texts().join(u'|')));
        QVERIFY(m_rig->sim.memory().isEmpty());
        QVERIFY(!m_rig->sim.awake());
        QCOMPARE(programMode, qint16(0));
    }

    // The first sample of the last line's block is checked. Short dates, whole degrees in F and
    // over range come from the simulator in the download test.
    void recordIsPlacedAndStored_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<float>("value");
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("unit");

        auto at = [](int y, int mo, int d, int h, int mi) {
            return QDateTime(QDate(y, mo, d), QTime(h, mi));
        };
        auto row = [](const char *name, const QStringList &lines) -> QTestData & {
            return QTest::newRow(name) << lines;
        };
        row("within 31 days after the clock stays", {header, "No.01 2/04 10:20 -0.4 C"})
            << at(2000, 2, 4, 10, 20) << -0.4f << 0 << 0;
        row("31 days after the clock goes back", {header, "No.01 2/05 10:21 -20 C"})
            << at(1999, 2, 5, 10, 21) << -20.0f << 1 << 0;
        row("unknown unit keeps the last",
            {header, "No.01 1/03 9:00 100.0 F", "No.09 1/03 9:00 99.0 ?"})
            << at(2000, 1, 3, 9, 0) << 99.0f << 0 << 1;
        row("header in the 1990s", {"PRINT 99/03/01 08:00:00", "No.64 2/28 23:59 1.5 C"})
            << at(1999, 2, 28, 23, 59) << 1.5f << 0 << 0;
        row("header in the 2030s", {"PRINT 31/01/10 08:00:00", "No.01 12/30 7:00 5.0 C"})
            << at(2030, 12, 30, 7, 0) << 5.0f << 0 << 0;
        row("negative written with a space", {header, "No.05 1/04 8:05 -  0.4 C"})
            << at(2000, 1, 4, 8, 5) << -0.4f << 0 << 0;
        // A 29 February goes to the latest leap year before the clock.
        row("29 february across a year end", {"PRINT 29/01/10 08:00:00", "No.07 2/29 12:00 28 C"})
            << at(2028, 2, 29, 12, 0) << 28.0f << 1 << 0;
        row("29 february in a later year", {"PRINT 27/03/01 08:00:00", "No.07 2/29 12:00 28 C"})
            << at(2024, 2, 29, 12, 0) << 28.0f << 1 << 0;
        row("29 february within 31 days", {"PRINT 28/02/20 08:00:00", "No.07 2/29 12:00 28 C"})
            << at(2028, 2, 29, 12, 0) << 28.0f << 1 << 0;
        // Without a header the computer's clock stands in for the instrument's.
        row("no header", {"No.01 12/31 23:50 18.4 C"})
            << at(2025, 12, 31, 23, 50) << 18.4f << 0 << 0;
    }

    void recordIsPlacedAndStored()
    {
        QFETCH(QStringList, lines);
        MemoryListing listing(0, toDayCount(QDate(2026, 1, 10)));
        QCOMPARE(feedAll(listing, lines), MemoryListing::Continue);
        const int block = listing.records().last().block;
        QCOMPARE(listing.store(), QStringList());

        QVERIFY(memBlocks[block]);
        const ClassData &data = *memBlocks[block];
        QCOMPARE(data.ChNo, qint16(block));
        QCOMPARE(data.DataNo, qint16(1));
        QTEST(fromDayCount(data.getDataDate0(0)), "time");
        QTEST(data.getDataY(0), "value");
        QTEST(int(data.Resolution), "resolution");
        QTEST(int(data.Unit), "unit");
        QCOMPARE(data.StartDateTime, data.getDataDate0(0));
    }

    void listingEndsAsItsLinesSay_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("records");

        const QString r = QStringLiteral("No.01 1/04 9:05 20.0 C");
        const int finished = MemoryListing::Finished;
        QTest::newRow("three in a row end it")
            << QStringList{header, r, "END", "", ""} << finished << 1;
        QTest::newRow("two between records do not")
            << QStringList{header, "", r, "END", "", r, "", "x"} << int(MemoryListing::Continue)
            << 2;
        QTest::newRow("header counts as one") << QStringList{header, "", ""} << finished << 0;
        QTest::newRow("blocks 00, 65, .5, -5, 1 are no records")
            << QStringList{header, r, "No.00 1/04", "No.65 1/04", r, "No.5", "No.-5", "No.1"}
            << finished << 2;
    }

    void listingEndsAsItsLinesSay()
    {
        QFETCH(QStringList, lines);
        MemoryListing listing;
        QTEST(int(feedAll(listing, lines)), "step");
        QTEST(int(listing.records().size()), "records");
    }

    // What cannot be stored is said once per cause, and everything else is stored.
    void failedAppendsAreReported_data()
    {
        QTest::addColumn<int>("maxDataNo");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("stored");

        const QString r = QStringLiteral("No.01 1/04 9:05 20.0 C");
        const QString r2 = QStringLiteral("No.02 1/04 9:05 20.0 C");
        QTest::newRow("full sets") << 2 << QStringList{r, r, r, r2, r2, r2, r2, r}
                                   << QStringList{"No more data can be stored.\r"
                                                  "No. 1: 2 records were not stored.\r"
                                                  "No. 2: 2 records were not stored."}
                                   << 2;
        // Ten are named.
        QStringList undatable{"No.01 2/30 9:05 20.0 C", "No.01 1/04 25:05 20.0 C",
                              "No.03 13/01 9:05 20.0 C", "No.01 1/4 9:05 1.0 C"};
        for (int i = 0; i < 10; ++i)
            undatable << QStringLiteral("No.01 4/31 9:%1 1.0 C").arg(i, 2, 10, QLatin1Char('0'));
        QTest::newRow("dates no year has")
            << 32000 << QStringList{r} + undatable + QStringList{r}
            << QStringList{"These records have no valid date and were not stored:\r" +
                           undatable.mid(0, 10).join(u'\r') + "\r... and 4 more."}
            << 2;
    }

    void failedAppendsAreReported()
    {
        QFETCH(int, maxDataNo);
        QFETCH(QStringList, lines);
        MaxDataNo = qint16(maxDataNo);
        MemoryListing listing;
        feedAll(listing, QStringList{header} + lines);
        QTEST(listing.store(), "messages");
        QTEST(int(memBlocks[0]->DataNo), "stored");
        QCOMPARE(memBlocks[0]->StopNo, qint16(memBlocks[0]->DataNo - 1));
        // A block whose records all lack a date is no block.
        QVERIFY(!memBlocks[2]);
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<InstrumentRig> m_rig;
};

QTEST_GUILESS_MAIN(TestMemoryDownloadCore)
#include "test_memorydownloadcore.moc"
