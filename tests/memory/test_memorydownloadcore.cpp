#include "AppState.h"
#include "ClassData.h"
#include "InstrumentRig.h"
#include "MemBlocks.h"
#include "MemoryDownload.h"
#include "Settings.h"
#include "Strings.h"
#include "TestFiles.h"

#include <QtTest>

namespace
{
enum Setup { Demo, StoppedHalfWay, LaboratoryType };

int samplesHeld()
{
    int samples = 0;
    for (const auto &block : memBlocks)
        samples += block ? block->DataNo : 0;
    return samples;
}
} // namespace

Q_DECLARE_METATYPE(Setup)

// The download, its file and the clearing as a command line drives them: no window, the link
// on the in-process simulator, simulated time.
class TestMemoryDownloadCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        // The real-time mode's file form must not leak into the memory data file.
        programMode = 0;
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

private:
    QTemporaryDir m_dir;
    std::unique_ptr<InstrumentRig> m_rig;
};

QTEST_GUILESS_MAIN(TestMemoryDownloadCore)
#include "test_memorydownloadcore.moc"
