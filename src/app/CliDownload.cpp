#include "CliCommand.h"
#include "CliInstrument.h"
#include "CliSignals.h"
#include "MemBlocks.h"
#include "MemoryDownload.h"
#include "Strings.h"

#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

// The memory listing of a field-type instrument into a memory data file. Every download is
// also kept in the downloads folder at once; the instrument is cleared only on request and
// only after the file was written and read back whole.
int runDownload(const CliCommand &command, const QStringList &arguments)
{
    CliOptions options(command);
    CliInstrument instrument(options);
    const QCommandLineOption outputOption =
        options.add({QStringLiteral("o"), QStringLiteral("output")}, 7470, QStringLiteral("FILE"));
    const QCommandLineOption clearOption = options.add({QStringLiteral("clear-after")}, 7471);
    options.parse(arguments);
    const QString output = options.value(outputOption);
    if (options.isSet(outputOption))
        cliCheckOutputFile(output);
    instrument.prepare(options);

    // A progress line only where someone watches it; a job's log keeps the outcome alone.
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    const auto progress = [terminal](qsizetype records) {
        if (terminal)
            std::fprintf(stderr, "\r%s", qPrintable(loadString(7473).arg(records)));
    };
    const MemoryDownload::Result result =
        downloadMemory(instrument.link(), instrument.instrument(), progress);
    if (terminal)
        std::fputc('\n', stderr);
    if (result.failed)
        throw CliError{ExitInstrument, QString()};
    if (result.records == 0 && result.keptFile.isEmpty())
        return result.stopped ? ExitStopped : ExitDone;

    int blocks = 0;
    for (const auto &block : memBlocks)
        blocks += block != nullptr;
    cliReport(loadString(7474).arg(result.records).arg(blocks));
    if (!result.keptFile.isEmpty())
        cliReport(loadString(7475).arg(result.keptFile));

    const QString file = options.isSet(outputOption) ? output : result.keptFile;
    if (options.isSet(outputOption)) {
        if (!writeMemoryFile(output))
            throw CliError{ExitUsage, loadString(7476).arg(output)};
        cliOut(output);
    } else if (!file.isEmpty()) {
        cliOut(file);
    }
    if (!options.isSet(clearOption))
        return result.stopped ? ExitStopped : ExitDone;

    // The instrument's records are gone for good once cleared: only a whole listing, read
    // back from its file as it is held here, allows it.
    if (result.stopped || stopSignalReceived())
        throw CliError{ExitStopped, loadString(7477)};
    if (file.isEmpty() || !verifyMemoryFile(file))
        throw CliError{ExitUsage, loadString(7478).arg(file)};
    if (!clearMemory(instrument.link(), instrument.instrument()))
        throw CliError{ExitInstrument, QString()};
    cliReport(loadString(7479));
    return ExitDone;
}
