// Writes the graph report of 8 channels of 32000 samples to a PDF with no window and no
// display. Target: under 1 s.
#include "AppState.h"
#include "ClassData.h"
#include "DateTime.h"
#include "GraphReport.h"
#include "Strings.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    setLanguage();
    initLanguage();
    const double start = toDayCount(QDate(2026, 3, 1), QTime(10, 0, 0));
    std::vector<std::unique_ptr<ClassData>> sets;
    QVector<const ClassData *> channels;
    for (int ch = 0; ch < 8; ++ch) {
        auto data = std::make_unique<ClassData>();
        data->Title = QStringLiteral("Bench %1").arg(ch + 1);
        for (int i = 0; i < 32000; ++i) {
            const double v = 25.0 + 4.0 * ch + 10.0 * std::sin(i / 1000.0 + ch) + (i % 7) * 0.1;
            data->storeSample(i, start + i / secondsPerDay, float(v), i);
        }
        data->DataNo = 32000;
        data->setTimeData();
        channels.append(data.get());
        sets.push_back(std::move(data));
    }

    QTemporaryDir dir;
    const QString path =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir.filePath(QStringLiteral("report.pdf"));
    GraphReportOptions options;
    options.cursorA = 3600;
    options.cursorB = 28800;
    QString error;
    QElapsedTimer timer;
    timer.start();
    const bool ok = writeGraphReport(channels, options, path, &error);
    const qint64 ms = timer.elapsed();
    std::printf("graph report of 8 x 32000 samples to PDF: %lld ms, %lld bytes (%s), target "
                "1000 ms\n",
                static_cast<long long>(ms), static_cast<long long>(QFileInfo(path).size()),
                ok ? "written" : qPrintable(error));
    return ok && ms < 1000 ? 0 : 1;
}
