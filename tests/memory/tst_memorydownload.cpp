#include "DataFileReader.h"
#include "DateTime.h"
#include "FormFileWait.h"
#include "Format.h"
#include "MemDataFile.h"
#include "MemoryListing.h"
#include "MemoryWindowFixture.h"
#include "Strings.h"
#include "TestFiles.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <cmath>

#include <signal.h>

namespace
{
enum Setup { LaboratoryType, MemSilentThenCancel, CutAtOnce, EmptyMemory };

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
    void init()
    {
        openWindow();
        // Downloads ask nothing about a workbook folder that cannot be made.
        Settings.ExcelFolder = unwritableFolder(m_dir);
        // A block from an earlier download that every download must replace.
        memBlocks[40] = std::make_unique<ClassData>();
    }

    void cleanup() { closeWindow(); }

    // The demonstration memory spans a new year, a block in F at whole degrees with an over-range
    // record, and negative tenths.
    void listingIsStoredAsTheInstrumentHoldsIt_data()
    {
        QTest::addColumn<QDateTime>("clock");
        QTest::newRow("january 2000") << QDateTime(QDate(2000, 1, 5), QTime(10, 20, 30));
        QTest::newRow("march") << QDateTime(QDate(2026, 3, 1), QTime(10, 0));
        QTest::newRow("december") << QDateTime(QDate(2026, 12, 20), QTime(8, 0));
        QTest::newRow("january 2030") << QDateTime(QDate(2030, 1, 2), QTime(0, 5));
    }

    void listingIsStoredAsTheInstrumentHoldsIt()
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

    void stopDuringListingKeepsWhatWasRead()
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

    // Thousands of records at 2400 baud: the progress counts them without claiming an end it
    // cannot know, every record is kept in its block, and the listing is in the downloads folder,
    // complete, before the first question; a fresh window opens it from there.
    void longListingIsKeptWholeBeforeAnyQuestion()
    {
        constexpr int count = 3000;
        m_sim->fillMemory(count);
        Settings.ExcelFolder = m_dir.filePath(QStringLiteral("books"));
        QList<int> positions;
        QStringList labels;
        QString header;
        m_sim->setTrafficLog([&](bool fromHost, const QString &line) {
            if (line.startsWith(QLatin1String("PRINT ")))
                header = line.right(17);
            if (!fromHost || line != QLatin1String("MEM"))
                return;
            for (int s = 20; s < 330; s += 30) {
                m_pump->schedule(s * 1000, [&positions, &labels] {
                    if (FormFileWait *wait = FormFileWait::current()) {
                        QCOMPARE(wait->ProgressBar1->maximum(), 1000);
                        positions << wait->ProgressBar1->value();
                        labels << wait->Label2->text();
                    }
                });
            }
        });

        int rowsAtQuestion = -1;
        QStringList keptAtQuestion;
        QString kept;
        m_prompter->answer(Prompter::AnswerNo); // "Load to Excel?"
        m_prompter->onNextMessage([&] {
            rowsAtQuestion = m_window->MSFlexGrid1->rowCount();
            kept = m_window->keptFile();
            keptAtQuestion = QDir(downloadsFolder()).entryList(QDir::Files);
            // Read back aside: the file on disk holds every record already.
            QFile file(kept);
            QVERIFY(file.open(QIODevice::ReadOnly));
            DataFileReader in(&file);
            std::unique_ptr<ClassData> blocks[64];
            const MemDataFileResult read = readMemDataFile(in, blocks, nullptr);
            QVERIFY(!read.failed);
            int samples = 0;
            for (const auto &block : blocks)
                samples += block ? block->DataNo : 0;
            QCOMPARE(samples, count);
        });
        m_window->readMemData();
        QCOMPARE(m_prompter->texts(), QStringList{loadString(4204)});
        verifyStored();
        QCOMPARE(rowsAtQuestion, m_window->blockCount);
        QVERIFY(keptAtQuestion.contains(QFileInfo(kept).fileName()));
        // Named by the instrument's clock; earlier downloads of this run at the same clock stay
        // beside it under " (2)", " (3)"...
        const QString stem = fromDayCount(MemoryListing::dayCountOf(header))
                                 .toString(QStringLiteral("'listing 'yyyy-MM-dd hh-mm-ss"));
        QVERIFY2(QFileInfo(kept).fileName().startsWith(stem) &&
                     kept.endsWith(QLatin1String(".csv")),
                 qPrintable(kept));

        QCOMPARE(positions.size(), 11);
        for (int k = 1; k < positions.size(); ++k) {
            QVERIFY2(positions[k] > positions[k - 1], qPrintable(QString::number(positions[k])));
            QVERIFY(positions[k] < 1000);
            QVERIFY(labels[k].startsWith(QLatin1String("Records received: ")));
            QVERIFY(labels[k].mid(18).toInt() > labels[k - 1].mid(18).toInt());
        }

        // The window goes without a save; a fresh one opens the kept listing.
        m_prompter->answer(Prompter::AnswerNo); // "Contents of file were changed. Save?"
        QVERIFY(m_window->close());
        for (auto &block : memBlocks)
            block.reset();
        m_window = new FormReadMem(m_port.get());
        m_window->show();
        m_prompter->clear();
        m_prompter->answerFile(kept);
        m_window->MenuFileItem[0]->trigger();
        QCOMPARE(m_prompter->texts(), QStringList());
        verifyStored();
    }

    // A real orvan-utility reads a real simulator's memory and is killed with SIGKILL at the
    // question after the download, nothing saved; the listing kept in its downloads folder opens
    // whole in a fresh window.
    void killedAfterDownloadKeepsTheListing()
    {
        constexpr int count = 30;
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("COM1"));
        QProcess sim;
        sim.start(QStringLiteral(ORVAN_SIM),
                  {QStringLiteral("--type"), QStringLiteral("F"),
                   QStringLiteral("--memory-records"), QString::number(count),
                   QStringLiteral("--link"), link});
        QVERIFY(sim.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(link), 10000);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(ORVAN_MEMDRIVER));
        // A sanitized build's runtime is not first in a preloaded process.
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("verify_asan_link_order=0"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("HOME"), dir.path());
        const QString asked = dir.filePath(QStringLiteral("asked.txt"));
        env.insert(QStringLiteral("ORVAN_DRIVER_OUT"), asked);
        QStringList args;
        for (int n = 1; n <= 4; ++n)
            args << QStringLiteral("--port") << QStringLiteral("COM%1=%2").arg(n).arg(link);
        QProcess app;
        app.setProcessEnvironment(env);
        app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        app.start(QStringLiteral(ORVAN_UTILITY), args);
        QVERIFY(app.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(asked), 90000);
        ::kill(pid_t(app.processId()), SIGKILL);
        QVERIFY(app.waitForFinished());
        sim.terminate();
        sim.waitForFinished();
        QFile question(asked);
        QVERIFY(question.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(question.readAll()), loadString(4204));

        const QDir downloads(dir.filePath(QStringLiteral("data/OrvanUtility/downloads")));
        const QStringList kept =
            downloads.entryList({QStringLiteral("listing *.csv")}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        m_prompter->answerFile(downloads.filePath(kept.first()));
        m_window->MenuFileItem[0]->trigger();
        QCOMPARE(m_prompter->texts(), QStringList());
        QVERIFY(memBlocks[0]);
        QCOMPARE(int(memBlocks[0]->DataNo), count);
        for (int i = 0; i < count; ++i) {
            // The simulator's slow drift, at tenths, one record a minute.
            QCOMPARE(memBlocks[0]->getDataY(i),
                     float(std::round(200.0 + 50.0 * std::sin(i / 40.0)) / 10));
            if (i > 0)
                QCOMPARE(
                    qRound((memBlocks[0]->getDataDate0(i) - memBlocks[0]->getDataDate0(i - 1)) *
                           secondsPerDay),
                    60);
        }
    }

    void downloadWithoutRecordsLeavesNoBlock_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QStringList>("texts");
        const QString failed = loadString(4205);
        QTest::newRow("laboratory type") << LaboratoryType << QStringList{loadString(1779), failed};
        QTest::newRow("no reply to MEM, cancelled")
            << MemSilentThenCancel
            << QStringList{loadString(1732) + QStringLiteral(" (MEM) "), failed};
        QTest::newRow("time-out at once") << CutAtOnce << QStringList{loadString(4203)};
        QTest::newRow("empty memory") << EmptyMemory << QStringList{loadString(4203)};
    }

    void downloadWithoutRecordsLeavesNoBlock()
    {
        QFETCH(Setup, setup);
        m_sim->fillDemoMemory();
        switch (setup) {
        case LaboratoryType:
            m_sim->setType(Simulator::LType);
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

private:
    // Every block holds its records of the simulator's memory, `count` of them at most, in
    // order; the list shows the blocks in number order.
    void verifyStored(int count = -1)
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
                r.over
                    ? overRangeCode
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
};

QTEST_MAIN(TestMemoryDownload)
#include "tst_memorydownload.moc"
