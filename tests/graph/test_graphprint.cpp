#include "AppState.h"
#include "GraphPrint.h"
#include "GraphRig.h"
#include "SampleData.h"
#include "Settings.h"
#include "Strings.h"
#include "TestFiles.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
const QString longTitle = QStringLiteral("Furnace wall north side, sensor position");

// Prints the plot's view into a PDF and returns the text pdftotext reads back from it.
QString printedText(GraphPlot &plot, bool colourPrinter)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("graph.pdf"));
    {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::A4));
        printGraph(writer, plot, colourPrinter);
    }
    return pdfText(path, {QStringLiteral("-layout")});
}
} // namespace

// The graph on paper and on the clipboard: the tables of the print-out, the printer pens and
// the composed picture.
class TestGraphPrint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void printOutShowsTablesAndShortensLongCells_data();
    void printOutShowsTablesAndShortensLongCells();
    void monochromePenFollowsTraceBrightness_data();
    void monochromePenFollowsTraceBrightness();
    void clipboardPictureFramesPlotWithTracesAndLabels();
};

void TestGraphPrint::initTestCase()
{
    setLanguage();
    initLanguage();
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
             "pdftotext is needed to read the print-out back");
}

void TestGraphPrint::cleanup()
{
    clearChannels();
}

void TestGraphPrint::printOutShowsTablesAndShortensLongCells_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("colourPrinter");
    QTest::newRow("40-character title, monochrome") << longTitle << false;
    QTest::newRow("40-character title, colour") << longTitle << true;
    QTest::newRow("short title") << QStringLiteral("Kiln 2") << true;
}

void TestGraphPrint::printOutShowsTablesAndShortensLongCells()
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

void TestGraphPrint::monochromePenFollowsTraceBrightness_data()
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

void TestGraphPrint::monochromePenFollowsTraceBrightness()
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

void TestGraphPrint::clipboardPictureFramesPlotWithTracesAndLabels()
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

QTEST_MAIN(TestGraphPrint)
#include "test_graphprint.moc"
