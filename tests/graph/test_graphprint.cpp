#include "AppState.h"
#include "Format.h"
#include "GraphPrint.h"
#include "GraphReport.h"
#include "GraphRig.h"
#include "SampleData.h"
#include "Settings.h"
#include "Strings.h"
#include "TestFiles.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QtTest>

namespace
{
const QString longTitle = QStringLiteral("Furnace wall north side, sensor position");

// Prints the plot's view on a portrait A4 page into a PDF at `path`.
void printPdf(GraphPlot &plot, bool colourPrinter, const QString &path)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QVERIFY(printGraph(writer, plot, colourPrinter));
}

// Prints the plot's view into a PDF and returns what pdftotext reads back with `options`.
QString printedText(GraphPlot &plot, bool colourPrinter,
                    const QStringList &options = {QStringLiteral("-layout")})
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("graph.pdf"));
    printPdf(plot, colourPrinter, path);
    return pdfText(path, options);
}

// The page of a PDF as pixels at `dpi`, as pdftoppm renders it.
QImage pdfPicture(const QString &path, int dpi)
{
    const QString stem = path + QStringLiteral(".page");
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                    QStringLiteral("-singlefile"), path, stem});
    if (!pdftoppm.waitForFinished(30000) || pdftoppm.exitCode() != 0)
        return {};
    return QImage(stem + QStringLiteral(".png"));
}

struct PrintedWord {
    QRectF box;
    QString text;
};

// The words pdftotext finds on the page, with their boxes in points.
QVector<PrintedWord> printedWords(const QString &bboxHtml)
{
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QVector<PrintedWord> words;
    for (const QRegularExpressionMatch &m : word.globalMatch(bboxHtml)) {
        words.append({QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                             QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())),
                      m.captured(5)});
    }
    return words;
}
} // namespace

// The graph on paper and on the clipboard: the tables of the print-out, the printer pens and
// the composed picture.
class TestGraphPrint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        setLanguage();
        initLanguage();
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext is needed to read the print-out back");
    }

    void cleanup() { clearChannels(); }

    void printOutShowsTablesAndShortensLongCells_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("colourPrinter");
        QTest::newRow("40-character title, monochrome") << longTitle << false;
        QTest::newRow("40-character title, colour") << longTitle << true;
        QTest::newRow("short title") << QStringLiteral("Kiln 2") << true;
    }

    void printOutShowsTablesAndShortensLongCells()
    {
        QFETCH(QString, title);
        QFETCH(bool, colourPrinter);
        channelData[0] = waveChannel(600);
        channelData[0]->Title = title;
        channelData[0]->MeasPerson = QStringLiteral("R. Lindqvist");
        channelData[3] = waveChannel(300, 60.0f);
        GraphPlot plot;
        openPlot(plot, 600, 400);
        plot.cursors[0].moveCursor(100, 0);
        plot.cursors[1].moveCursor(450, 0);

        const QString text = printedText(plot, colourPrinter);
        QVERIFY2(!text.isEmpty(), "nothing read back from the PDF");
        for (int id : {1213, 1214, 5015, 1215, 1216, 1217, 1221, 2601, 2602})
            QVERIFY2(text.contains(loadString(id)), qPrintable(loadString(id)));
        QVERIFY(text.contains(QStringLiteral("R. Lindqvist")));
        // A channel past its last sample at cursor B reads "*"; one with samples reads a value.
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("\\b4\\s.*\\*"))));
        QVERIFY(text.contains(channelData[0]->getDataDate(100)));
        QVERIFY(text.contains(plot.yUnitCaption()));

        if (title.size() < 16) {
            QVERIFY(text.contains(title));
            QVERIFY(!text.contains(QStringLiteral("...")));
            return;
        }
        QVERIFY(!text.contains(title));
        // The Title cell is 20 characters wide and its text gets 16 of them, dots included.
        const QRegularExpression shortened(QRegularExpression::escape(title.left(8)) +
                                           QStringLiteral("[^\\n]*?(?=\\.\\.\\.)"));
        const QRegularExpressionMatch match = shortened.match(text);
        QVERIFY(match.hasMatch());
        const QString kept = match.captured(0);
        QVERIFY2(title.startsWith(kept), qPrintable(kept));
        QVERIFY(kept.size() + 3 <= infoTableCells()[1].width - 4);
        QCOMPARE(infoTableCells()[1].width, 20);
    }

    void tallPrintedPlotKeepsItsLowestSamples()
    {
        // A steady rise across the whole view: on paper every column of the trace climbs.
        std::vector<qint32> times;
        std::vector<float> values;
        for (int i = 0; i <= 600; ++i) {
            times.push_back(i);
            values.push_back(float(i) / 6.0f);
        }
        channelData[2] = makeChannel(times, values);
        GraphPlot plot;
        openPlot(plot, 600, 400);
        plot.autoRange();

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tall.pdf"));
        printPdf(plot, true, path);
        const QImage page = pdfPicture(path, 50);
        QVERIFY2(!page.isNull(), "pdftoppm could not render the print-out");
        QVERIFY(page.height() > page.width());

        // Middle height of the red trace in each column.
        QMap<int, double> traceY;
        for (int x = 0; x < page.width(); ++x) {
            int count = 0;
            double sum = 0.0;
            for (int y = 0; y < page.height(); ++y) {
                const QColor c = page.pixelColor(x, y);
                if (c.red() - c.green() > 60 && c.red() - c.blue() > 60) {
                    sum += y;
                    ++count;
                }
            }
            if (count > 0)
                traceY.insert(x, sum / count);
        }
        QVERIFY2(traceY.size() > page.width() / 2, qPrintable(QString::number(traceY.size())));
        const int x0 = traceY.firstKey();
        const int span = traceY.lastKey() - x0;
        const auto yAt = [&](double part) {
            return traceY.lowerBound(x0 + int(part * span)).value();
        };
        const double fall = yAt(0.0) - yAt(1.0);
        QVERIFY(fall > page.height() / 2.0);
        // The first tenth of the samples, lowest on the page, climbs as steeply as the middle.
        for (double from : {0.02, 0.45}) {
            const double climb = (yAt(from) - yAt(from + 0.1)) / fall;
            QVERIFY2(climb > 0.07 && climb < 0.13,
                     qPrintable(QStringLiteral("from %1: %2").arg(from).arg(climb)));
        }
    }

    void printedTimeLabelsNeverOverlap_data()
    {
        QTest::addColumn<int>("timeItem");
        QTest::addColumn<int>("cursorTimeCh");
        QTest::newRow("1 min per division, elapsed") << 4 << 0;
        QTest::newRow("1 min per division, clock of CH1") << 4 << 1;
        QTest::newRow("10 s per division") << 2 << 0;
        QTest::newRow("1 hour per division") << 8 << 0;
    }

    void printedTimeLabelsNeverOverlap()
    {
        QFETCH(int, timeItem);
        QFETCH(int, cursorTimeCh);
        channelData[0] = waveChannel(30000);
        GraphPlot plot;
        // A wide screen plot squeezed onto a portrait page.
        openPlot(plot, 1900, 300);
        plot.MenuGraphTimeItem_Click(timeItem);
        plot.cursorTimeCh = qint16(cursorTimeCh);
        plot.refreshPlot();

        const QVector<PrintedWord> words =
            printedWords(printedText(plot, true, {QStringLiteral("-bbox")}));
        QVERIFY(!words.isEmpty());
        // The time labels are the lowest line of the page.
        double lowest = 0.0;
        for (const PrintedWord &word : words)
            lowest = std::max(lowest, word.box.top());
        QVector<PrintedWord> labels;
        for (const PrintedWord &word : words) {
            if (std::abs(word.box.top() - lowest) < 1.0)
                labels.append(word);
        }
        std::sort(labels.begin(), labels.end(), [](const PrintedWord &a, const PrintedWord &b) {
            return a.box.left() < b.box.left();
        });
        QVERIFY2(labels.size() >= 3, qPrintable(QString::number(labels.size())));
        static const QRegularExpression label(
            QStringLiteral("^(\\d\\d:\\d\\d(:\\d\\d)?|\\d+Days)$"));
        for (int i = 0; i < labels.size(); ++i) {
            QVERIFY2(label.match(labels[i].text).hasMatch(), qPrintable(labels[i].text));
            if (i > 0)
                QVERIFY2(labels[i - 1].box.right() < labels[i].box.left(),
                         qPrintable(labels[i - 1].text + u' ' + labels[i].text));
        }
    }

    void reportWritesTablesAndCursorsWithoutWindows()
    {
        QVERIFY(!qApp->inherits("QApplication"));
        auto first = waveChannel(600);
        first->Title = QStringLiteral("Kiln 2");
        first->MeasPerson = QStringLiteral("R. Lindqvist");
        auto fourth = waveChannel(300, 60.0f);
        fourth->Title = QStringLiteral("Door");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.pdf"));
        QVERIFY(!writeFile(path, "an older report").isEmpty());

        GraphReportOptions options;
        options.cursorA = 100;
        options.cursorB = 450;
        QString error;
        QVERIFY2(
            writeGraphReport({first.get(), nullptr, nullptr, fourth.get()}, options, path, &error),
            qPrintable(error));
        QVERIFY(error.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("report.pdf")});

        const QString text = pdfText(path, {QStringLiteral("-layout")});
        for (int id : {1213, 1214, 5015, 1215, 1216, 1221, 2601, 2602})
            QVERIFY2(text.contains(loadString(id)), qPrintable(loadString(id)));
        for (const QString &expected :
             {QStringLiteral("Kiln 2"), QStringLiteral("Door"), QStringLiteral("R. Lindqvist"),
              QStringLiteral("00:01:40"), QStringLiteral("00:07:30"),
              first->getStartDateTime().trimmed()})
            QVERIFY2(text.contains(expected), qPrintable(expected));
        // Cursor A reads both channels' samples at 100 s; at 450 s only CH1 has one.
        for (int index : {100, 450})
            QVERIFY2(text.contains(valueText(first->getDataY(index), first->Resolution).trimmed()),
                     qPrintable(QString::number(index)));
        QVERIFY(text.contains(valueText(fourth->getDataY(100), fourth->Resolution).trimmed()));
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("\\b4\\s.*\\*"))));
        // Rows are named by their slot, whatever channel the data were recorded under.
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("\\b4\\s+Door"))));
    }

    void reportRefusesNothingToShowAndUnwritableFiles()
    {
        auto data = waveChannel(60);
        const auto empty = std::make_unique<ClassData>();
        QTemporaryDir dir;
        const QString kept = writeFile(dir.filePath(QStringLiteral("kept.pdf")), "kept");
        QVERIFY(!kept.isEmpty());
        struct Case {
            QVector<const ClassData *> channels;
            QString path;
        };
        const QVector<const ClassData *> nine(9, data.get());
        for (const Case &c :
             {Case{{}, kept}, Case{{nullptr, empty.get()}, kept}, Case{nine, kept},
              Case{{data.get()}, unwritableFolder(dir) + QStringLiteral("/r.pdf")}}) {
            QString error;
            QVERIFY(!writeGraphReport(c.channels, GraphReportOptions(), c.path, &error));
            QVERIFY(!error.isEmpty());
            QVERIFY(!QFileInfo::exists(c.path) || c.path == kept);
        }
        QFile file(kept);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("kept"));
    }

    void monochromePenFollowsTraceBrightness_data()
    {
        QTest::addColumn<int>("ch");
        QTest::addColumn<int>("brightness");
        QTest::addColumn<int>("penValue");
        QTest::newRow("CH1 black") << 0 << 0 << 4;
        QTest::newRow("CH2 blue") << 1 << 255 << 3;
        QTest::newRow("CH5 orange") << 4 << 383 << 2;
        QTest::newRow("CH8 grey") << 7 << 384 << 2;
        QTest::newRow("white") << -1 << 765 << 1;
    }

    void monochromePenFollowsTraceBrightness()
    {
        QFETCH(int, ch);
        QFETCH(int, brightness);
        QFETCH(int, penValue);
        const QRgb colour = ch >= 0 ? GraphPlot::defaultColor(ch) : qRgb(255, 255, 255);
        QCOMPARE(qRed(colour) + qGreen(colour) + qBlue(colour), brightness);
        QCOMPARE(ClassGraph::printerPenValue(colour), penValue);

        ClassGraph trace;
        trace.waveColor = colour;
        QImage page(10, 10, QImage::Format_RGB32);
        QPainter painter(&page);
        const double unit = 3.0;
        trace.setPrinterPen(painter, false, unit);
        QCOMPARE(painter.pen().color(), QColor(Qt::black));
        QCOMPARE(painter.pen().widthF(), penValue * unit);
        trace.setPrinterPen(painter, true, unit);
        QCOMPARE(painter.pen().color(), QColor::fromRgb(colour));
        QCOMPARE(painter.pen().widthF(), 2 * unit);
    }

    void clipboardPictureFramesPlotWithTracesAndLabels()
    {
        channelData[0] = waveChannel(600);
        GraphPlot plot;
        openPlot(plot, 600, 400);
        plot.setWave(0, 0.0f, 600, 50.0f);
        const QRgb trace = GraphPlot::defaultColor(0) | 0xff000000;
        const QImage picture = copyGraphImage(plot);
        QCOMPARE(picture.size(), QSize(680, 450));

        int tracePixels = 0;
        int darkLeft = 0;
        int darkBelow = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb pixel = picture.pixel(x, y);
                const bool inPlot = x >= clipPlotLeft && x < clipPlotLeft + 600 &&
                                    y >= clipPlotTop + 20 && y < clipPlotTop + 400;
                tracePixels += inPlot && pixel == trace;
                const bool dark = qGray(pixel) < 100;
                darkLeft += dark && x < clipPlotLeft - 2;
                darkBelow += dark && y > clipPlotTop + 401;
            }
        }
        // One second per pixel: the trace runs across the whole plot below the legend.
        QVERIFY2(tracePixels >= 550, qPrintable(QString::number(tracePixels)));
        QVERIFY(darkLeft > 0);
        QVERIFY(darkBelow > 0);
        // The legend is ANDed in: its bar shows in the trace colour at the plot's top left.
        bool legendBar = false;
        for (int y = clipPlotTop; y < clipPlotTop + 20 && !legendBar; ++y)
            legendBar = picture.pixel(clipPlotLeft + 10, y) == trace;
        QVERIFY(legendBar);
    }
};

QTEST_MAIN(TestGraphPrint)
#include "test_graphprint.moc"
