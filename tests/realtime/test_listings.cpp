#include "FakePump.h"
#include "FormFileWait.h"
#include "FormMon.h"
#include "FormReadMem.h"
#include "Format.h"
#include "MainWindowFixture.h"
#include "MemBlocks.h"
#include "Modal.h"
#include "PrintListing.h"
#include "RunJournal.h"
#include "SheetWriter.h"
#include "Strings.h"
#include "TestFiles.h"

#include <QAction>
#include <QLabel>
#include <QPrinter>
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
// A data set of `count` samples one second apart from 26/03/01 10:00:00, values 20.0, 20.1, ...
std::unique_ptr<ClassData> makeData(int count, const QString &title, const QString &file)
{
    auto data = makeSeries(count, toDayCount(QDate(2026, 3, 1), QTime(10, 0, 0)), 1,
                           [](int i) { return 20.0f + (i % 50) / 10.0f; });
    data->Title = title;
    data->FileName = file;
    data->MeasPerson = QStringLiteral("Ann");
    return data;
}
} // namespace

// Listings of a channel and of the memory blocks: workbooks of logged runs and downloads read
// back from the .xlsx, printouts read back from the PDF.
class TestListings : public MainWindowFixture
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
        QFile::remove(m_dir.filePath(QStringLiteral("OrvanUtility.ini")));
        m_folder = m_dir.filePath(QStringLiteral("books%1").arg(QTest::currentDataTag()) +
                                  QTest::currentTestFunction());
        m_pdf = m_dir.filePath(QStringLiteral("out.pdf"));
        QFile::remove(m_pdf);
        MeasSetting = MeasSettingRecord();
        Settings = SettingsRecord();
        openMain();
    }

    void cleanup()
    {
        closeMain();
        for (auto &block : memBlocks)
            block.reset();
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
        const int samples = 8;
        FakePump pump(clockStart, 50);
        reopenWith(writable ? m_folder : unwritableFolder(m_dir));
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
        // What the run shows once it stored samples, and the journal it writes.
        QString notice, journalPath;
        bool noticeShown = false;
        pump.schedule(5000, [&] {
            QVERIFY(channelData[0] && channelData[0]->DataNo >= 1);
            notice = main->statusBar()->currentMessage();
            noticeShown = main->monitorWindow()->LabelNotice->isVisible() &&
                          main->monitorWindow()->LabelNotice->text() == notice;
            journalPath = main->journal().path();
        });
        runMeasurement(0, RunPlan{"1", QString::number(samples), 1});
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

        reopenWith(m_folder);
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
        FakePump pump(clockStart);
        Simulator sim(Simulator::FType);
        sim.setClock(clockStart);
        sim.fillDemoMemory();
        SimPort port(sim);
        FormReadMem window(&port);
        window.show();
        Settings.ExcelFolder = m_folder;
        m_prompter->answer(Prompter::AnswerYes); // "Load to Excel?"
        window.readMemData();

        QCOMPARE(m_prompter->texts().first(), loadString(4204));
        const QStringList paths = workbooks();
        QCOMPARE(paths.size(), 1);
        QVERIFY(paths[0].endsWith(QStringLiteral("/Memory 2026-03-01 10-00-00.xlsx")));
        QVERIFY(m_prompter->texts().last().endsWith(paths[0]));
        QStringList names;
        for (int block = 0; block < 64; ++block) {
            const ClassData *data = memBlocks[block].get();
            if (!data)
                continue;
            names << QStringLiteral("No.") + signedNumberText(block + 1);
            const QList<QStringList> rows = sheetRows(paths[0], names.size());
            QCOMPARE(rows.size(), data->DataNo + 2);
            QCOMPARE(rows[0], QStringList{QStringLiteral("Memory ") + names.last()});
            QCOMPARE(rows[1], header(unitText(data->Unit)));
            const double time = data->getDataDate0(0);
            QCOMPARE(rows[2], QStringList({longDateText(time), timeText(time),
                                           valueText(data->getDataY(0), data->Resolution)}));
            QVERIFY(columnAIs13Wide(paths[0], names.size()));
        }
        QCOMPARE(sheetNames(paths[0]), names);
    }

    void printingNeedsDataAndAConfirmedDialog_data()
    {
        QTest::addColumn<bool>("hasData");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("printDialogs");
        QTest::newRow("empty channel") << false << QStringList{loadString(1785)} << 0;
        QTest::newRow("cancelled dialog") << true << QStringList{} << 1;
    }

    void printingNeedsDataAndAConfirmedDialog()
    {
        QFETCH(bool, hasData);
        channelData[hasData ? 1 : 5] =
            makeData(3, QStringLiteral("Oven"), QStringLiteral("oven.csv"));
        m_main->setSaveState(hasData ? 1 : 5, 2);
        chooseChannel(this, 1);
        m_prompter->answerPrint([](QPrinter &) { return false; });
        m_main->MenuFileItem[6]->trigger();
        QTEST(m_prompter->texts(), "messages");
        QTEST(m_prompter->printDialogs(), "printDialogs");
        QVERIFY(!QFile::exists(m_pdf));
    }

    void oneSamplePrintsHeaderAndOneLineOnOnePage()
    {
        channelData[2] = makeData(1, QStringLiteral("Oven"), QStringLiteral("/data/run/oven.csv"));
        channelData[2]->ChNo = 2;
        const QStringList pages = printChannel(2);
        QCOMPARE(pages.size(), 1);
        QVERIFY(m_prompter->texts().isEmpty());
        QStringList lines = pages[0].split(u'\n', Qt::SkipEmptyParts);
        // The heading, right-aligned one line above the columns, carries Str()'s blanks.
        QVERIFY2(lines[0].endsWith(QStringLiteral("    CH 3:Oven (oven.csv)  1/ 1")),
                 qPrintable(lines[0]));
        for (QString &line : lines)
            line = line.simplified();
        QCOMPARE(lines.mid(1),
                 QStringList({"CH 3:Oven", "Start Time:26/03/01 10:00:00",
                              "Stop Time:26/03/01 10:00:00", "Data Num.: 1",
                              "Max:26/03/01 10:00:00 20.0 °C", "Min:26/03/01 10:00:00 20.0 °C",
                              "Ave:20.0 °C", "Meas. Person:Ann", "1 26/03/01 10:00:00 20.0 °C"}));
    }

    void pagesFollowTheLinesThatFillThem_data()
    {
        QTest::addColumn<int>("extraLines");
        QTest::addColumn<int>("extraPages");
        QTest::newRow("whole pages") << 0 << 0;
        QTest::newRow("one line more") << 1 << 1;
    }

    void pagesFollowTheLinesThatFillThem()
    {
        QFETCH(int, extraLines);
        QFETCH(int, extraPages);
        const int perPage = linesPerPage();
        QVERIFY(perPage > 100);
        // Enough whole pages for the sample numbers to pass 9999, however many lines a page holds
        // with the fonts at hand.
        const int fullPages = PrintListing::pageCountFor(8 + 10001, perPage);
        const int pages = fullPages + extraPages;
        QCOMPARE(PrintListing::pageCountFor(fullPages * perPage + extraLines, perPage),
                 qint16(pages));
        const int samples = fullPages * perPage - 8 + extraLines;
        channelData[0] = makeData(samples, QStringLiteral("Kiln"), QStringLiteral("kiln.csv"));
        const QStringList printed = printChannel(0);
        QCOMPARE(printed.size(), pages);
        const QString last = QStringLiteral("(kiln.csv)  %1/ %1").arg(pages);
        QVERIFY2(printed.last().contains(last), qPrintable(printed.last().left(200)));
        // Str() gives the number a leading blank: 4 digits right-aligned in 5, 5 digits in 6.
        const QString text = printed.join(u'\n');
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("(^|\\s)9999 26/03/01 12:46:38"))));
        QVERIFY(
            text.contains(QRegularExpression(QStringLiteral("(^|\\s)10001 26/03/01 12:46:40"))));
        QVERIFY(text.contains(QStringLiteral("%1 26/03/01").arg(samples)));
    }

    void stopAfterTheFirstPageStillPrintsIt()
    {
        const int perPage = linesPerPage();
        channelData[0] = makeData(4 * perPage, QStringLiteral("Kiln"), QStringLiteral("kiln.csv"));
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [timer] {
            FormFileWait *wait = FormFileWait::current();
            if (!wait || !wait->Label2->text().startsWith(QStringLiteral("Page 2/")))
                return;
            wait->Command1->click();
            timer->deleteLater();
        });
        timer->start(0);
        const QStringList printed = printChannel(0);
        QVERIFY2(printed.size() >= 1 && printed.size() <= 2,
                 qPrintable(QString::number(printed.size())));
        QVERIFY(printed[0].contains(QStringLiteral("(kiln.csv)  1/ 5")));
        QVERIFY(printed[0].contains(QStringLiteral("Meas. Person:Ann")));
        // The first page ends with its last line.
        const QString lastOfPage = QStringLiteral("%1 26/03/01").arg(perPage - 8);
        QVERIFY2(printed[0].contains(lastOfPage), qPrintable(lastOfPage));
        QVERIFY(!printed.join(u'\n').contains(QStringLiteral("%1 26/03/01").arg(2 * perPage)));
        QVERIFY(!stopRequested);
        QCOMPARE(FormFileWait::current(), nullptr);
    }

    void memoryListingCarriesComparatorAndJudgements()
    {
        memBlocks[1] = makeData(3, QStringLiteral("Pipe"), QString());
        memBlocks[1]->CompHigh = 20.15f;
        memBlocks[1]->CompLow = 20.05f;
        memBlocks[1]->compjob();
        memBlocks[4] = makeData(2, QStringLiteral("Duct"), QString());
        answerPdf();
        QVERIFY(PrintListing::showPrintDialog());
        QVERIFY(PrintListing::printMemory(nullptr, memBlocks, QStringLiteral("/m/field.csv")));
        const QStringList pages = pdfPages(m_pdf);
        QCOMPARE(pages.size(), 1);
        QStringList lines = pages[0].split(u'\n', Qt::SkipEmptyParts);
        for (QString &line : lines)
            line = line.simplified();
        QCOMPARE(lines.value(0), QStringLiteral("CH 2:Pipe (field.csv) 1/ 1"));
        QCOMPARE(lines.size(), 1 + 10 + 3 + 8 + 2);
        QCOMPARE(lines[1], QStringLiteral("No. 2:Pipe"));
        QCOMPARE(lines.mid(9, 6),
                 QStringList({"Upper:20.2 Lower:20.1", "Out: 2", "1 26/03/01 10:00:00 20.0 °C Lo",
                              "2 26/03/01 10:00:01 20.1 °C", "3 26/03/01 10:00:02 20.2 °C Hi",
                              "No. 5:Duct"}));
        QCOMPARE(lines[22], QStringLiteral("1 26/03/01 10:00:00 20.0 °C"));
    }

    void memoryPrintFollowsTheSaveState()
    {
        programMode = 1;
        FormReadMem window(m_port.get());
        window.show();
        QVERIFY(!window.Command1[2]->isEnabled());
        QVERIFY(!window.MenuFileItem[6]->isEnabled());
        window.setSaveMenu(2);
        QVERIFY(window.Command1[2]->isEnabled());
        QVERIFY(window.MenuFileItem[6]->isEnabled());
        window.Command1_Click(2);
        QCOMPARE(m_prompter->texts(), QStringList{loadString(4232)});
        QCOMPARE(m_prompter->printDialogs(), 0);
    }

private:
    // A new main window whose settings file names the workbook folder and Load To Excel.
    void reopenWith(const QString &folder)
    {
        closeMain();
        QVERIFY(!writeFile(m_dir.filePath(QStringLiteral("OrvanUtility.ini")),
                           "[Setting]\r\nExcelFolder," + folder.toUtf8() +
                               "\r\n\r\n[MeasSetting]\r\nUseExcel,1\r\n")
                     .isEmpty());
        openMain();
    }

    QStringList workbooks() const
    {
        QStringList paths;
        for (const QString &name : QDir(m_folder).entryList(QDir::Files))
            paths << QDir(m_folder).filePath(name);
        return paths;
    }

    // Prints channel `ch` from the File menu into a PDF and returns its text, pages split.
    QStringList printChannel(int ch)
    {
        m_main->setSaveState(ch, 2); // Print is offered once a channel is loaded or saved
        chooseChannel(this, ch);
        answerPdf();
        m_main->MenuFileItem[6]->trigger();
        return pdfPages(m_pdf);
    }

    QStringList pdfPages(const QString &path)
    {
        // At the print font's pitch (7 points x 0.6) the blanks come back one for one.
        QStringList pages = pdfText(path, {"-layout", "-fixed", "4.2"}).split(u'\f');
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
            pages.removeLast();
        return pages;
    }

    void answerPdf()
    {
        const QString path = m_pdf;
        m_prompter->answerPrint([path](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            printer.setPageSize(QPageSize(QPageSize::A4));
            return true;
        });
    }

    int linesPerPage()
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_dir.filePath(QStringLiteral("probe.pdf")));
        printer.setPageSize(QPageSize(QPageSize::A4));
        PrintListing probe(printer);
        if (!probe.begin(30))
            return 0;
        probe.end();
        return probe.linesPerPage();
    }

    QString m_folder;
    QString m_pdf;
};

QTEST_MAIN(TestListings)
#include "test_listings.moc"
