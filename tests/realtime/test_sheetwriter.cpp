#include "FakePump.h"
#include "FormMon.h"
#include "FormReadMem.h"
#include "Format.h"
#include "MainWindowFixture.h"
#include "RunJournal.h"
#include "SheetWriter.h"
#include "Strings.h"
#include "TestFiles.h"

#include <QLabel>
#include <QStatusBar>
#include <QtTest>

namespace
{
const QDateTime clockStart(QDate(2026, 3, 1), QTime(10, 0, 0));

QString zipEntry(const QString &workbook, const QString &entry)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), workbook, entry});
    unzip.waitForFinished();
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

// The cell texts of every row of worksheet `n` (inline strings, as the writer stores them).
QList<QStringList> sheetRows(const QString &workbook, int n = 1)
{
    const QString xml = zipEntry(workbook, QStringLiteral("xl/worksheets/sheet%1.xml").arg(n));
    static const QRegularExpression rowPattern(QStringLiteral("<row [^>]*>(.*?)</row>"));
    static const QRegularExpression textPattern(QStringLiteral("<t[^>]*>([^<]*)</t>"));
    QList<QStringList> rows;
    for (const auto &row : rowPattern.globalMatch(xml)) {
        QStringList cells;
        for (const auto &text : textPattern.globalMatch(row.captured(1)))
            cells << text.captured(1);
        rows << cells;
    }
    return rows;
}

QStringList sheetNames(const QString &workbook)
{
    static const QRegularExpression pattern(QStringLiteral("<sheet name=\"([^\"]*)\""));
    QStringList names;
    for (const auto &match : pattern.globalMatch(zipEntry(workbook, "xl/workbook.xml")))
        names << match.captured(1);
    return names;
}

bool columnAIs13Wide(const QString &workbook, int n = 1)
{
    // Excel stores a width of 13 characters as 13.7109375 (the cell padding added).
    return zipEntry(workbook, QStringLiteral("xl/worksheets/sheet%1.xml").arg(n))
        .contains(QStringLiteral("<col min=\"1\" max=\"1\" width=\"13.7109375\""));
}

QStringList header(const QString &unit)
{
    return {QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Data[%1]").arg(unit)};
}
} // namespace

// Spreadsheet logging: workbooks of logged runs and memory downloads, read back from the .xlsx.
class TestSheetWriter : public MainWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty(), "needs unzip");
        SheetWriter::openFinished = false;
    }

    void init()
    {
        programMode = 0;
        QFile::remove(m_dir.filePath(QStringLiteral("OrvanUtility.ini")));
        m_folder = m_dir.filePath(QStringLiteral("books%1").arg(QTest::currentDataTag()) +
                                  QTest::currentTestFunction());
        MeasSetting = MeasSettingRecord();
        Settings = SettingsRecord();
        clearChannels();
        m_pump = std::make_unique<FakePump>(clockStart);
        m_prompter = std::make_unique<ScriptedPrompter>();
    }

    void cleanup()
    {
        closeMain();
        for (auto &block : memBlocks)
            block.reset();
        m_pump.reset();
        programMode = 0;
    }

    void runWorkbookHoldsHeaderThenSampleTexts_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("resolution");
        QTest::addColumn<QStringList>("firstSample");
        QTest::newRow("C, tenths") << 0 << 0 << QStringList{"2026/03/01", "10:00:00", "23.5"};
        QTest::newRow("F, whole degrees") << 1 << 1 << QStringList{"2026/03/01", "10:00:00", "24"};
    }

    void runWorkbookHoldsHeaderThenSampleTexts()
    {
        QFETCH(int, unit);
        QFETCH(int, resolution);
        QFETCH(QStringList, firstSample);
        ClassData data;
        data.ChNo = 2;
        data.Unit = qint16(unit);
        data.Resolution = qint16(resolution);
        data.StartDateTime = toDayCount(clockStart);
        QStringList finished;
        SheetWriter writer(m_folder);
        QVERIFY(writer.available());
        // A full disk shows when the rows are flushed: none counts.
        const QString full = m_folder + QStringLiteral("/full.xlsx");
        QVERIFY(QDir().mkpath(m_folder));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), full + QStringLiteral(".rows")));
        writer.openExcelLog(data, full);
        writer.writeExcelRow(data.StartDateTime, 1.0f);
        QCOMPARE(writer.rowCount(), 0);
        QFile::remove(full + QStringLiteral(".rows"));
        writer.release();
        QFile::remove(full);
        writer.finished = [&finished](const QString &path) { finished << path; };

        // Two runs of the same second must not overwrite each other.
        for (int run = 0; run < 2; ++run) {
            writer.openExcelLog(data);
            writer.writeExcelRow(data.StartDateTime, 23.5f);
            writer.writeExcelRow(data.StartDateTime + 1 / secondsPerDay, -0.5f);
            QCOMPARE(writer.rowCount(), 3);
            writer.release();
        }

        const QString stem = m_folder + QStringLiteral("/CH3 2026-03-01 10-00-00");
        QCOMPARE(finished, QStringList({stem + ".xlsx", stem + " (2).xlsx"}));
        // No side file or partial workbook left behind.
        QCOMPARE(workbooks(), QStringList({finished[1], finished[0]}));
        const QList<QStringList> rows = sheetRows(finished[0]);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0], header(unitText(unit)));
        QCOMPARE(rows[1], firstSample);
        QCOMPARE(rows[2][1], QStringLiteral("10:00:01"));
        QVERIFY(columnAIs13Wide(finished[0]));
    }

    void loggedRunWritesOneRowPerSample_data()
    {
        QTest::addColumn<bool>("writable");
        // Whether the desktop has a program that opens the finished workbook.
        QTest::addColumn<bool>("opens");
        QTest::newRow("opened") << true << true;
        QTest::newRow("no program opens workbooks") << true << false;
        QTest::newRow("unwritable folders: the run goes on") << false << true;
    }

    void loggedRunWritesOneRowPerSample()
    {
        QFETCH(bool, writable);
        QFETCH(bool, opens);
        const int samples = 4;
        writeSettings(writable ? m_folder : unwritableFolder(m_dir));
        openMain();
        FormMain *main = m_main;
        QStringList opened;
        SheetWriter::openFinished = true;
        main->openWorkbook = [&opened, opens](const QString &path) {
            opened << path;
            return opens;
        };
        if (!writable)
            main->journal().setFolder(unwritableFolder(m_dir) + QStringLiteral("/journal"));
        QCOMPARE(main->excelAvailable, writable);
        // What the run shows once it stored its first sample, and the journal it writes.
        QString notice, journalPath;
        bool noticeShown = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (!main->engine().measuring || !channelData[0] || channelData[0]->DataNo < 1)
                return;
            watch.stop();
            notice = main->statusBar()->currentMessage();
            noticeShown = main->monitorWindow()->LabelNotice->isVisible() &&
                          main->monitorWindow()->LabelNotice->text() == notice;
            journalPath = main->journal().path();
        });
        watch.start(1);
        m_pump->setStep(50);
        runMeasurement(0, logging(QString::number(samples), 1));
        SheetWriter::openFinished = false;
        QCOMPARE(int(channelData[0]->DataNo), samples);
        QCOMPARE(m_prompter->texts().size(), 1); // only the start question
        // One run, one name: the journal and the workbook carry the time of the first sample.
        const QString start =
            QStringLiteral("CH1 ") + fromDayCount(channelData[0]->getDataDate0(0))
                                         .toString(QStringLiteral("yyyy-MM-dd hh-mm-ss"));
        const QStringList paths = workbooks();
        QCOMPARE(paths.size(), writable ? 1 : 0);
        if (writable) {
            QCOMPARE(QFileInfo(journalPath).fileName(), start + RunJournal::fileSuffix);
            QCOMPARE(notice, QString());
            QCOMPARE(QFileInfo(paths[0]).fileName(), start + QStringLiteral(".xlsx"));
            const QList<QStringList> rows = sheetRows(paths[0]);
            QCOMPARE(rows.size(), samples + 1);
            const double last = channelData[0]->getDataDate0(samples - 1);
            QCOMPARE(rows.last().mid(0, 2), QStringList({longDateText(last), timeText(last)}));
            QCOMPARE(opened, paths);
            QCOMPARE(main->statusBar()->currentMessage(),
                     loadString(opens ? 1767 : 7101) + u' ' + paths[0]);
        } else {
            // Told at the start, in the status bar and the monitor window, and still there at the
            // end; no question holds the run up.
            QVERIFY2(notice.startsWith(loadString(7100)), qPrintable(notice));
            QVERIFY(noticeShown);
            QCOMPARE(main->statusBar()->currentMessage(), notice);
        }
    }

    void killedRunIsRebuiltAtNextStart()
    {
        ClassData data;
        data.StartDateTime = toDayCount(clockStart);
        auto writer = std::make_unique<SheetWriter>(m_folder);
        writer->openExcelLog(data);
        for (int i = 0; i < 5; ++i)
            writer->writeExcelRow(data.StartDateTime + i / secondsPerDay, 20.0f + i);
        writer.reset();
        const QString path = m_folder + QStringLiteral("/CH1 2026-03-01 10-00-00.xlsx");
        QCOMPARE(workbooks(), QStringList{path + ".rows"});
        {
            // The kill came in the middle of a row.
            QFile side(path + ".rows");
            QVERIFY(side.open(QIODevice::Append));
            side.write("2026/03/01,10:0");
        }

        writeSettings(m_folder);
        openMain();
        QCOMPARE(m_prompter->texts().size(), 1);
        QVERIFY(m_prompter->texts().first().contains(path));
        QCOMPARE(workbooks(), QStringList{path});
        const QList<QStringList> rows = sheetRows(path);
        QCOMPARE(rows.size(), 6);
        QCOMPARE(rows[5], QStringList({"2026/03/01", "10:00:04", "24.0"}));
    }

    // An unwritable folder asks nothing: test_memorydownload downloads with one throughout.
    void downloadExportsOneSheetPerBlock()
    {
        programMode = 1;
        Simulator sim(Simulator::FType);
        sim.setClock(clockStart);
        sim.fillDemoMemory();
        SimPort port(sim);
        QPointer<FormReadMem> window = new FormReadMem(&port);
        window->show();
        Settings.ExcelFolder = m_folder;
        m_prompter->answer(Prompter::AnswerYes); // "Load to Excel?"
        window->readMemData();
        delete window;

        QCOMPARE(m_prompter->texts().first(), loadString(4204));
        const QStringList paths = workbooks();
        QCOMPARE(paths.size(), 1);
        QVERIFY(paths[0].endsWith(QStringLiteral("/Memory 2026-03-01 10-00-00.xlsx")));
        QVERIFY(m_prompter->texts().last().endsWith(paths[0]));
        QStringList expectedNames;
        for (int block = 0; block < 64; ++block) {
            if (memBlocks[block])
                expectedNames << QStringLiteral("No.") + signedNumberText(block + 1);
        }
        QCOMPARE(sheetNames(paths[0]), expectedNames);

        int sheet = 0;
        for (int block = 0; block < 64; ++block) {
            const ClassData *data = memBlocks[block].get();
            if (!data)
                continue;
            ++sheet;
            const QList<QStringList> rows = sheetRows(paths[0], sheet);
            QCOMPARE(rows.size(), data->DataNo + 2);
            QCOMPARE(rows[0],
                     QStringList{QStringLiteral("Memory No.") + signedNumberText(block + 1)});
            QCOMPARE(rows[1], header(unitText(data->Unit)));
            const double time = data->getDataDate0(0);
            QCOMPARE(rows[2], QStringList({longDateText(time), timeText(time),
                                           valueText(data->getDataY(0), data->Resolution)}));
            QVERIFY(columnAIs13Wide(paths[0], sheet));
        }
    }

private:
    // The settings file the next main window reads: the workbook folder and Load To Excel.
    void writeSettings(const QString &folder)
    {
        QVERIFY(!writeFile(m_dir.filePath(QStringLiteral("OrvanUtility.ini")),
                           "[Setting]\r\nExcelFolder," + folder.toUtf8() +
                               "\r\n\r\n[MeasSetting]\r\nUseExcel,1\r\n")
                     .isEmpty());
    }

    QStringList workbooks() const
    {
        QStringList paths;
        for (const QString &name : QDir(m_folder).entryList(QDir::Files))
            paths << QDir(m_folder).filePath(name);
        return paths;
    }

    QString m_folder;
    std::unique_ptr<FakePump> m_pump;
};

QTEST_MAIN(TestSheetWriter)
#include "test_sheetwriter.moc"
