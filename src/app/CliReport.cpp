#include "CliCommand.h"
#include "ClassData.h"
#include "GraphReport.h"
#include "Strings.h"

#include <memory>
#include <vector>

// The graph print-out of channel data files as a PDF: the channel table, the cursor table
// and the graph, auto ranged, as File > Print gives it in the graph window.
int runReport(const CliCommand &command, const QStringList &arguments)
{
    CliOptions options(command);
    const QCommandLineOption outputOption =
        options.add({QStringLiteral("o"), QStringLiteral("output")}, 7460, QStringLiteral("PDF"));
    const QCommandLineOption cursorAOption =
        options.add({QStringLiteral("cursor-a")}, 7461, QStringLiteral("TIME"));
    const QCommandLineOption cursorBOption =
        options.add({QStringLiteral("cursor-b")}, 7462, QStringLiteral("TIME"));
    const QCommandLineOption monoOption = options.add({QStringLiteral("mono")}, 7463);
    options.allowArguments(QStringLiteral("CH.csv..."), 7464);
    options.parse(arguments);

    const QStringList files = options.arguments();
    if (files.isEmpty() || files.size() > 8)
        throw CliError{ExitUsage, loadString(7465)};
    if (!options.isSet(outputOption))
        throw CliError{ExitUsage, loadString(7466)};
    GraphReportOptions report;
    if (options.isSet(cursorAOption))
        report.cursorA = qint32(cliDuration(options.value(cursorAOption), 7467));
    if (options.isSet(cursorBOption))
        report.cursorB = qint32(cliDuration(options.value(cursorBOption), 7467));
    report.colour = !options.isSet(monoOption);

    std::vector<std::unique_ptr<ClassData>> loaded;
    QVector<const ClassData *> channels;
    for (const QString &file : files) {
        auto data = std::make_unique<ClassData>();
        data->ChNo = qint16(channels.size() + 1);
        // The reader has said what is wrong with the file; this names the file.
        if (!data->loadFileData(file))
            throw CliError{ExitUsage, loadString(7468).arg(file)};
        data->FileName = file;
        data->Untitled = false;
        channels << data.get();
        loaded.push_back(std::move(data));
    }
    QString error;
    if (!writeGraphReport(channels, report, options.value(outputOption), &error))
        throw CliError{ExitUsage, error};
    return ExitDone;
}
