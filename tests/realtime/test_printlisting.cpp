#include "FormFileWait.h"
#include "FormReadMem.h"
#include "MainWindowFixture.h"
#include "MemBlocks.h"
#include "Modal.h"
#include "PrintListing.h"
#include "Strings.h"
#include "TestFiles.h"

#include <QAction>
#include <QLabel>
#include <QPrinter>
#include <QtTest>

namespace
{
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

class TestPrintListing : public MainWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_pdf = m_dir.filePath(QStringLiteral("out.pdf"));
        QFile::remove(m_pdf);
        openMain();
    }

    void cleanup()
    {
        closeMain();
        for (auto &block : memBlocks)
            block.reset();
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
        const QStringList lines = pages[0].split(u'\n', Qt::SkipEmptyParts);
        // The heading, one line above the columns, carries Str()'s blanks after ") ".
        QVERIFY2(lines[0].trimmed() == QStringLiteral("CH 3:Oven (oven.csv)  1/ 1"),
                 qPrintable(lines[0]));
        QVERIFY(lines[0].startsWith(QStringLiteral("    "))); // right-aligned
        const QStringList expected = {QStringLiteral("CH 3:Oven"),
                                      QStringLiteral("Start Time:26/03/01 10:00:00"),
                                      QStringLiteral("Stop Time:26/03/01 10:00:00"),
                                      QStringLiteral("Data Num.: 1"),
                                      QStringLiteral("Max:26/03/01 10:00:00 20.0 °C"),
                                      QStringLiteral("Min:26/03/01 10:00:00 20.0 °C"),
                                      QStringLiteral("Ave:20.0 °C"),
                                      QStringLiteral("Meas. Person:Ann")};
        QCOMPARE(lines.size(), 10);
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(lines[i + 1].trimmed(), expected[i]);
        }
        QVERIFY2(lines[9].contains(
                     QRegularExpression(QStringLiteral("^\\s*1 26/03/01 10:00:00\\s+20.0 °C$"))),
                 qPrintable(lines[9]));
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
        QCOMPARE(lines[9], QStringLiteral("Upper:20.2 Lower:20.1"));
        QCOMPARE(lines[10], QStringLiteral("Out: 2"));
        QCOMPARE(lines[11], QStringLiteral("1 26/03/01 10:00:00 20.0 °C Lo"));
        QCOMPARE(lines[12], QStringLiteral("2 26/03/01 10:00:01 20.1 °C"));
        QCOMPARE(lines[13], QStringLiteral("3 26/03/01 10:00:02 20.2 °C Hi"));
        QCOMPARE(lines[14], QStringLiteral("No. 5:Duct"));
        QCOMPARE(lines[22], QStringLiteral("1 26/03/01 10:00:00 20.0 °C"));
    }

    void memoryPrintFollowsTheSaveState()
    {
        programMode = 1;
        QPointer<FormReadMem> window = new FormReadMem(m_port.get());
        window->show();
        QVERIFY(!window->Command1[2]->isEnabled());
        QVERIFY(!window->MenuFileItem[6]->isEnabled());
        window->setSaveMenu(2);
        QVERIFY(window->Command1[2]->isEnabled());
        QVERIFY(window->MenuFileItem[6]->isEnabled());
        window->Command1_Click(2);
        QCOMPARE(m_prompter->texts(), QStringList{loadString(4232)});
        QCOMPARE(m_prompter->printDialogs(), 0);
        delete window;
    }

private:
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

    QString m_pdf;
};

QTEST_MAIN(TestPrintListing)
#include "test_printlisting.moc"
