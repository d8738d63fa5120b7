#include "PrintListing.h"

#include "AppState.h"
#include "ClassData.h"
#include "FormFileWait.h"
#include "Format.h"
#include "Prompter.h"
#include "Pump.h"
#include "Strings.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLabel>
#include <QPrinter>

#include <cmath>

namespace
{
QPrinter *sharedPrinter = nullptr;

// The seven labelled header lines after the first, with labels labelBase..labelBase + 6
// (Start Time, Stop Time, Data Num., Max, Min, Ave, Meas. Person).
QStringList headerLines(const ClassData &d, const QString &first, int labelBase)
{
    const auto label = [labelBase](int k) -> QString { return loadString(labelBase + k) + u':'; };
    const QString unit = u' ' + unitText(d.Unit);
    return {first,
            label(0) + d.getStartDateTime(),
            label(1) + d.getStopDateTime(),
            label(2) + signedNumberText(d.DataNo),
            label(3) + d.getMaxDateTime() + u' ' + valueText(d.MaxValue, d.Resolution) + unit,
            label(4) + d.getMinDateTime() + u' ' + valueText(d.MinValue, d.Resolution) + unit,
            label(5) + valueText(d.AveValue, d.Resolution) + unit,
            label(6) + d.MeasPerson};
}

QStringList memoryHeaderLines(const ClassData &d, int block)
{
    QStringList lines =
        headerLines(d, loadString(4060) + signedNumberText(block + 1) + u':' + d.Title, 4062);
    if (d.getCompOn()) {
        lines << loadString(4209) + u':' + d.getCompHighStr() + QStringLiteral("   ") +
                     loadString(4210) + u':' + d.getCompLowStr()
              << loadString(4211) + u':' + signedNumberText(d.CompOut);
    }
    return lines;
}

void reportFailure()
{
    showMessage(loadString(1795), Prompter::Ok, Prompter::Warning);
}
} // namespace

PrintListing::PrintListing(QPrinter &printer) : m_printer(printer) {}

PrintListing::~PrintListing()
{
    if (m_painter.isActive())
        m_painter.end();
}

QPrinter &PrintListing::printer()
{
    if (!sharedPrinter) {
        sharedPrinter = new QPrinter(QPrinter::HighResolution);
        // A printer outliving the application object would tear down the print system late.
        qAddPostRoutine([] {
            delete sharedPrinter;
            sharedPrinter = nullptr;
        });
    }
    return *sharedPrinter;
}

void PrintListing::showPageSetup()
{
    Prompter::instance().printSetup(printer(), true);
}

bool PrintListing::showPrintDialog()
{
    return Prompter::instance().printSetup(printer(), false);
}

qint16 PrintListing::pageCountFor(int lines, int linesPerPage)
{
    if (linesPerPage < 1)
        return static_cast<qint16>(lines);
    const int whole = lines / linesPerPage;
    return static_cast<qint16>(lines % linesPerPage == 0 ? whole : whole + 1);
}

QFont PrintListing::printFont()
{
    const QStringList families = QFontDatabase::families();
    QString family = fixedFontName;
    if (!families.contains(family, Qt::CaseInsensitive)) {
        // Liberation Mono has the widths of Courier New, so the columns keep their room.
        family = families.contains(QStringLiteral("Liberation Mono"))
                     ? QStringLiteral("Liberation Mono")
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    }
    QFont font(family);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(dispFontSize - 1);
    return font;
}

bool PrintListing::begin(int topMarginPoints)
{
    if (!m_painter.begin(&m_printer))
        return false;
    measurePrinter();
    m_painter.setFont(printFont());
    m_painter.setPen(Qt::black);
    lineGap = pointScale;
    leftMargin = qRound(40 * pointScale);
    topMargin = qRound(topMarginPoints * pointScale);
    columnWidth = qRound(180 * pointScale);
    startLayout();
    return true;
}

bool PrintListing::end()
{
    return m_painter.end();
}

void PrintListing::measurePrinter()
{
    const QRectF pixels = m_printer.pageRect(QPrinter::DevicePixel);
    const qreal points = m_printer.pageRect(QPrinter::Point).width();
    pointScale = points > 0 ? float(pixels.width() / points) : float(m_printer.resolution() / 72.0);
    m_width = pixels.width();
    m_height = pixels.height();
}

void PrintListing::startLayout()
{
    const QFontMetricsF metrics(m_painter.font(), m_painter.device());
    m_ascent = metrics.ascent();
    lineHeight = qRound(metrics.height() + lineGap); // the height of "88g": ascent + descent
    if (lineHeight < 1)
        lineHeight = 1;
    // A sheet too small for one line or column still takes one, rather than none.
    linesPerColumn = std::max(0, qRound((m_height - topMargin - 40 * pointScale) / lineHeight - 1));
    columnsPerPage =
        std::max(0, qRound((m_width - topMargin - 20 * pointScale) / std::max(columnWidth, 1) - 1));
    curColumn = curLine = pageIndex = 0;
}

void PrintListing::printLine(const QString &text)
{
    if (curLine > linesPerColumn) {
        if (++curColumn > columnsPerPage) {
            m_printer.newPage();
            ++pageIndex;
            printPageHeading();
            curColumn = 0;
        }
        curLine = 0;
    }
    m_painter.drawText(
        QPointF(columnWidth * curColumn + leftMargin, lineHeight * curLine + topMargin + m_ascent),
        text);
    ++curLine;
}

void PrintListing::printPageHeading()
{
    const QString text =
        u' ' + printTitle + signedNumberText(pageIndex + 1) + u'/' + signedNumberText(pageCount);
    const QFontMetricsF metrics(m_painter.font(), m_painter.device());
    const qreal x = m_width - metrics.horizontalAdvance(text) - 10 * pointScale;
    const qreal top = topMargin - lineHeight - 5 * pointScale;
    m_painter.drawText(QPointF(x, top + m_ascent), text);
}

void PrintListing::announcePage(FormFileWait &wait, int &announced) const
{
    if (pageIndex == announced)
        return;
    announced = pageIndex;
    wait.Label2->setText(loadString(1794) + signedNumberText(pageIndex + 1) + u'/' +
                         signedNumberText(pageCount));
}

bool PrintListing::stepJob(FormFileWait &wait, int i, int step, int &announced)
{
    if ((i + 1) % step == 0)
        wait.ProgressJob(i);
    announcePage(wait, announced);
    Pump::instance().processPendingEvents();
    if (!stopRequested)
        return false;
    stopRequested = false;
    return true;
}

bool PrintListing::finishJob(FormFileWait &wait, int lastPosition, int &announced)
{
    wait.ProgressJob(lastPosition);
    announcePage(wait, announced);
    Pump::instance().processPendingEvents();
    const bool ok = end();
    wait.Hide1();
    if (!ok)
        reportFailure();
    return ok;
}

namespace
{
// The progress dialog of a print job, shown with "Ready..." before the printer starts.
void startWait(FormFileWait &wait, QWidget *owner, int lastPosition)
{
    wait.initMsg(loadString(1791), loadString(1792), loadString(1711));
    wait.initProgress(lastPosition);
    wait.show1(owner);
    wait.Label2->setText(loadString(1793));
    Pump::instance().processPendingEvents();
}
} // namespace

bool PrintListing::printChannel(QWidget *owner, int ch)
{
    const ClassData &d = *channelData[ch];
    FormFileWait wait;
    startWait(wait, owner, d.LastNo);
    PrintListing job(printer());
    if (!job.begin(30)) {
        wait.Hide1();
        reportFailure();
        return false;
    }
    job.pageCount = pageCountFor(d.LastNo + 9, job.linesPerPage());
    const QString heading = loadString(1213) + signedNumberText(ch + 1) + u':' + d.Title;
    job.printTitle = heading + QStringLiteral(" (") + fileNameOf(d.FileName) + QStringLiteral(") ");
    job.printPageHeading();
    for (const QString &line : headerLines(d, heading, 1215))
        job.printLine(line);

    const QString unit = u' ' + unitText(d.Unit);
    const int step = std::max(1, qRound(d.LastNo / 100.0));
    int announced = -1;
    for (int i = 0; i <= d.LastNo; ++i) {
        job.printLine(padLeft(signedNumberText(i + 1), 5) + u' ' + d.getDataDateTime(i) + u' ' +
                      padLeft(valueText(d.getDataY(i), d.Resolution), 7) + unit);
        if (job.stepJob(wait, i, step, announced))
            break;
    }
    return job.finishJob(wait, d.LastNo, announced);
}

bool PrintListing::printMemory(QWidget *owner, const std::unique_ptr<ClassData> (&memBlocks)[64],
                               const QString &memFileName)
{
    QList<int> blocks;
    int lines = 0;
    int samples = 0;
    for (int block = 0; block < 64; ++block) {
        if (!memBlocks[block])
            continue;
        blocks.append(block);
        lines += memoryHeaderLines(*memBlocks[block], block).size();
        samples += memBlocks[block]->LastNo + 1;
    }
    if (blocks.isEmpty())
        return false;

    FormFileWait wait;
    startWait(wait, owner, samples - 1);
    PrintListing job(printer());
    if (!job.begin(20)) {
        wait.Hide1();
        reportFailure();
        return false;
    }
    job.pageCount = pageCountFor(lines + samples, job.linesPerPage());
    const ClassData &first = *memBlocks[blocks.first()];
    job.printTitle = loadString(1213) + signedNumberText(blocks.first() + 1) + u':' + first.Title +
                     QStringLiteral(" (") + fileNameOf(memFileName) + QStringLiteral(") ");
    job.printPageHeading();

    const int step = std::max(1, qRound((samples - 1) / 100.0));
    int announced = -1;
    int done = 0; // samples printed over all blocks
    bool stopped = false;
    for (int b = 0; b < blocks.size() && !stopped; ++b) {
        const ClassData &d = *memBlocks[blocks[b]];
        for (const QString &line : memoryHeaderLines(d, blocks[b]))
            job.printLine(line);
        const QString unit = u' ' + unitText(d.Unit) + QStringLiteral("   ");
        for (int i = 0; i <= d.LastNo && !stopped; ++i) {
            job.printLine(padLeft(signedNumberText(i + 1), 5) + QStringLiteral("   ") +
                          d.getDataDateTime(i) + QStringLiteral("   ") +
                          padLeft(valueText(d.getDataY(i), d.Resolution), 7) + unit +
                          d.getDataStatusStr(i));
            stopped = job.stepJob(wait, done++, step, announced);
        }
    }
    return job.finishJob(wait, samples - 1, announced);
}
