// Lays a 32000-sample channel listing out into a PDF with the progress dialog live.
// Target: under 2 s.
#include "ClassData.h"
#include "DateTime.h"
#include "PrintListing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    auto data = std::make_unique<ClassData>();
    data->Title = QStringLiteral("Bench");
    data->FileName = QStringLiteral("bench.csv");
    const double start = toDayCount(QDate(2026, 3, 1), QTime(10, 0, 0));
    for (int i = 0; i < 32000; ++i)
        data->storeSample(i, start + i / 86400.0, 20.0f + (i % 100) / 10.0f, i);
    data->DataNo = 32000;
    data->setTimeData();
    channelData[0] = std::move(data);

    QPrinter &printer = PrintListing::printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("bench.pdf")));
    QElapsedTimer timer;
    timer.start();
    const bool ok = PrintListing::printChannel(nullptr, 0);
    const qint64 ms = timer.elapsed();
    std::printf("32000-sample listing to PDF: %lld ms (%s), target 2000 ms\n",
                static_cast<long long>(ms), ok ? "printed" : "FAILED");
    channelData[0].reset();
    return ok && ms < 2000 ? 0 : 1;
}
