#include "ClassData.h"
#include "DateTime.h"
#include "SheetWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace
{
constexpr int fullSet = 32000;
// Targets: one live row, and finishing the workbook of a full data set.
constexpr double rowTargetMs = 0.1;
constexpr double finishTargetMs = 1000.0;

const double start = toDayCount(QDate(2026, 3, 1), QTime(0, 0, 0));

ClassData runData()
{
    ClassData data;
    data.StartDateTime = start;
    return data;
}
} // namespace

// The cost of one row of a logged run (formatted, appended to the side file and flushed) and
// of turning a 32000-row side file into the workbook when the run ends.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    SheetWriter writer(dir.path());
    writer.openExcelLog(runData());

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < fullSet; ++i)
        writer.writeExcelRow(start + i / secondsPerDay, 20.0f + float(i % 997) / 10.0f);
    const double rowMs = double(timer.nsecsElapsed()) / 1e6 / fullSet;
    const int rows = writer.rowCount();

    QString path;
    writer.finished = [&path](const QString &finished) { path = finished; };
    timer.restart();
    writer.release();
    const double finishMs = double(timer.nsecsElapsed()) / 1e6;
    const qint64 bytes = QFileInfo(path).size();

    const bool rowOk = rowMs < rowTargetMs;
    const bool finishOk = !path.isEmpty() && rows == fullSet + 1 && finishMs < finishTargetMs;
    std::printf("one live row:          %8.4f ms (target < %.1f ms)  %s\n", rowMs, rowTargetMs,
                rowOk ? "ok" : "SLOW");
    std::printf("finish %d rows:     %8.1f ms (target < %.0f ms)  %s  (%lld bytes)\n", rows,
                finishMs, finishTargetMs, finishOk ? "ok" : "SLOW", static_cast<long long>(bytes));
    return rowOk && finishOk ? 0 : 1;
}
