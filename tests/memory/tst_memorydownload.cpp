#include "DateTime.h"
#include "FormFileWait.h"
#include "Format.h"
#include "MemoryWindowFixture.h"
#include "Strings.h"
#include "TestFiles.h"

#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <cmath>

namespace
{
enum Setup { LaboratoryType, TooManyRecords, MemSilentThenCancel, CutAtOnce, EmptyMemory };

QDateTime wholeMinute(const QDateTime &t)
{
    return QDateTime(t.date(), QTime(t.time().hour(), t.time().minute()));
}
} // namespace

Q_DECLARE_METATYPE(Setup)

// Read Memory Data end to end: the window, the link and the simulated instrument's listing.
class TestMemoryDownload : public MemoryWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void listingIsStoredAsTheInstrumentHoldsIt_data();
    void listingIsStoredAsTheInstrumentHoldsIt();
    void stopDuringListingKeepsWhatWasRead();
    void downloadWithoutRecordsLeavesNoBlock_data();
    void downloadWithoutRecordsLeavesNoBlock();

private:
    // Every block holds its records of the simulator's memory, `count` of them at most, in
    // order; the list shows the blocks in number order.
    void verifyStored(int count = -1);
};

void TestMemoryDownload::init()
{
    openWindow();
    // Downloads ask nothing about a workbook folder that cannot be made.
    Settings.ExcelFolder = unwritableFolder(m_dir);
    // A block from an earlier download that every download must replace.
    memBlocks[40] = std::make_unique<ClassData>();
}

void TestMemoryDownload::cleanup()
{
    closeWindow();
}

void TestMemoryDownload::verifyStored(int count)
{
    QList<Simulator::MemoryRecord> records = m_sim->memory();
    if (count >= 0)
        records = records.mid(0, count);
    int index[64] = {};
    for (const Simulator::MemoryRecord &r : records) {
        const int block = r.block - 1;
        QVERIFY2(memBlocks[block], qPrintable(QString::number(r.block)));
        const ClassData &data = *memBlocks[block];
        const int i = index[block]++;
        QCOMPARE(fromDayCount(data.getDataDate0(i)), wholeMinute(r.time));
        const float value =
            r.over ? overRangeCode
                   : float(std::round(r.value * (r.precision ? 1 : 10)) / (r.precision ? 1 : 10));
        QCOMPARE(data.getDataY(i), value);
        QCOMPARE(int(data.Unit), r.unit);
        QCOMPARE(int(data.Resolution), r.precision);
    }
    QList<int> listed;
    for (int block = 0; block < 64; ++block) {
        QCOMPARE(memBlocks[block] ? int(memBlocks[block]->DataNo) : 0, index[block]);
        if (index[block] > 0)
            listed << block;
    }
    QCOMPARE(m_window->blockCount, int(listed.size()));
    QCOMPARE(QList<int>(m_window->rowBlock, m_window->rowBlock + m_window->blockCount), listed);
    QCOMPARE(m_window->MSFlexGrid1->rowCount(), int(listed.size()));
    QVERIFY(!m_sim->awake());
}

// The demonstration memory spans a new year, a block in F at whole degrees with an over-range
// record, and negative tenths.
void TestMemoryDownload::listingIsStoredAsTheInstrumentHoldsIt_data()
{
    QTest::addColumn<QDateTime>("clock");
    QTest::newRow("january 2000") << QDateTime(QDate(2000, 1, 5), QTime(10, 20, 30));
    QTest::newRow("march") << QDateTime(QDate(2026, 3, 1), QTime(10, 0));
    QTest::newRow("december") << QDateTime(QDate(2026, 12, 20), QTime(8, 0));
    QTest::newRow("january 2030") << QDateTime(QDate(2030, 1, 2), QTime(0, 5));
}

void TestMemoryDownload::listingIsStoredAsTheInstrumentHoldsIt()
{
    QFETCH(QDateTime, clock);
    m_sim->setClock(clock);
    m_sim->fillDemoMemory();
    m_window->readMemData();
    QCOMPARE(m_prompter->texts(), QStringList());
    verifyStored();
    QCOMPARE(m_window->saveState(), 1);
    QVERIFY(m_window->memUntitled);

    // Saved and loaded back, the listing is the download again, block for block.
    const QString path = m_dir.filePath(QStringLiteral("listing.csv"));
    QVERIFY(m_window->saveMemFile(path));
    m_prompter->answer(Prompter::AnswerOk); // "There is memory data."
    m_prompter->answerFile(path);
    m_window->loadMemData();
    QCOMPARE(m_window->saveState(), 2);
    QList<Simulator::MemoryRecord> records = m_sim->memory();
    int index[64] = {};
    for (const Simulator::MemoryRecord &r : records) {
        QVERIFY(memBlocks[r.block - 1]);
        const ClassData &data = *memBlocks[r.block - 1];
        const int i = index[r.block - 1]++;
        QCOMPARE(fromDayCount(data.getDataDate0(i)), wholeMinute(r.time));
        QCOMPARE(int(data.Unit), r.unit);
    }
    for (int block = 0; block < 64; ++block)
        QCOMPARE(memBlocks[block] ? int(memBlocks[block]->DataNo) : 0, index[block]);
}

void TestMemoryDownload::stopDuringListingKeepsWhatWasRead()
{
    m_sim->fillMemory(300);
    m_sim->setTrafficLog([this](bool fromHost, const QString &line) {
        if (fromHost && line == QLatin1String("MEM"))
            m_pump->schedule(1500, [] { FormFileWait::current()->Command1->click(); });
    });
    m_window->readMemData();
    QCOMPARE(m_prompter->texts(), QStringList{loadString(4231)});
    QVERIFY(memBlocks[0]);
    const int read = memBlocks[0]->DataNo;
    QVERIFY2(read > 5 && read < 20, qPrintable(QString::number(read)));
    verifyStored(read);
    QCOMPARE(m_window->saveState(), 1);
}

void TestMemoryDownload::downloadWithoutRecordsLeavesNoBlock_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QStringList>("texts");
    const QString failed = loadString(4205);
    QTest::newRow("laboratory type") << LaboratoryType << QStringList{loadString(1779), failed};
    QTest::newRow("more than 1001 records") << TooManyRecords << QStringList{failed};
    QTest::newRow("no reply to MEM, cancelled")
        << MemSilentThenCancel << QStringList{loadString(1732) + QStringLiteral(" (MEM) "), failed};
    QTest::newRow("time-out at once") << CutAtOnce << QStringList{loadString(4203)};
    QTest::newRow("empty memory") << EmptyMemory << QStringList{loadString(4203)};
}

void TestMemoryDownload::downloadWithoutRecordsLeavesNoBlock()
{
    QFETCH(Setup, setup);
    m_sim->fillDemoMemory();
    switch (setup) {
    case LaboratoryType:
        m_sim->setType(Simulator::LType);
        break;
    case TooManyRecords:
        m_sim->fillMemory(1002);
        break;
    case MemSilentThenCancel:
        m_sim->setFault(Simulator::Silence, 1, QStringLiteral("MEM"));
        m_prompter->answer(Prompter::AnswerCancel);
        break;
    case CutAtOnce:
        m_sim->setFault(Simulator::FirstLineOnly, 1, QStringLiteral("MEM"));
        break;
    case EmptyMemory:
        m_sim->setMemory({});
        break;
    }
    m_window->readMemData();
    QTEST(m_prompter->texts(), "texts");
    verifyStored(0);
    QCOMPARE(m_window->saveState(), 0);
}

QTEST_MAIN(TestMemoryDownload)
#include "tst_memorydownload.moc"
