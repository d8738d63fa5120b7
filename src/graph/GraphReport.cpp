#include "GraphReport.h"

#include "ClassData.h"
#include "GraphPlot.h"
#include "GraphPrint.h"
#include "Strings.h"

#include <QDir>
#include <QPdfWriter>
#include <QSaveFile>

#include <cmath>

namespace
{
bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}
} // namespace

bool writeGraphReport(const QVector<const ClassData *> &channels, const GraphReportOptions &options,
                      const QString &pdfPath, QString *error)
{
    if (channels.size() > 8)
        return fail(error, loadString(7301));
    bool anySample = false;
    for (const ClassData *data : channels)
        anySample = anySample || (data && data->LastNo >= 0);
    if (!anySample)
        return fail(error, loadString(7300));

    const QString shownPath = QDir::toNativeSeparators(pdfPath);
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, loadString(7302) + shownPath + u'\n' + file.errorString());

    bool printed = false;
    {
        QPdfWriter writer(&file);
        writer.setPageSize(options.pageSize);
        writer.setPageOrientation(QPageLayout::Portrait);
        writer.setTitle(loadString(2000));
        writer.setCreator(loadString(6001));

        GraphPlot plot;
        plot.setChannelSource([&channels](int ch) -> const ClassData * {
            return ch < channels.size() ? channels[ch] : nullptr;
        });
        plot.Form_Load();
        for (int ch = 0; ch < 8; ++ch)
            plot.initGraphCh(ch);
        // The view gets the proportions of the printed area at screen density, so that grid
        // steps and labels come out as the window would print a plot of that shape.
        const GraphPage page = graphPageLayout(writer, plot);
        const double toScreen = 96.0 / writer.logicalDpiX();
        plot.resize(int(std::lround(page.area.width() * toScreen)),
                    int(std::lround(page.area.height() * toScreen)));
        plot.graphEventsOn = true;
        plot.autoRange();
        if (options.cursorA)
            plot.cursors[0].setTime(*options.cursorA);
        if (options.cursorB)
            plot.cursors[1].setTime(*options.cursorB);
        printed = printGraph(writer, plot, options.colour);
    }
    if (!printed || !file.commit())
        return fail(error, loadString(7302) + shownPath + u'\n' + file.errorString());
    return true;
}
