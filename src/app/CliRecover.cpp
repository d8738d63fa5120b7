#include "CliCommand.h"
#include "RunJournal.h"
#include "Strings.h"

#include <QFileInfo>

// Keeps the journals of runs that never ended as channel data files and lists the files.
// Journals of runs still going on in another process are left alone.
int runRecover(const CliCommand &command, const QStringList &arguments)
{
    CliOptions options(command);
    const QCommandLineOption outputOption =
        options.add({QStringLiteral("o"), QStringLiteral("output")}, 7450, QStringLiteral("DIR"),
                    RunJournal::recoveryFolder());
    const QCommandLineOption journalsOption = options.add(
        {QStringLiteral("journals")}, 7453, QStringLiteral("DIR"), RunJournal::defaultFolder());
    options.parse(arguments);
    const QString output =
        options.isSet(outputOption) ? options.value(outputOption) : RunJournal::recoveryFolder();
    const QString journals =
        options.isSet(journalsOption) ? options.value(journalsOption) : RunJournal::defaultFolder();

    const QStringList pending = RunJournal::pending(journals);
    int failed = 0;
    int kept = 0;
    for (const QString &journal : pending) {
        const QString path = RunJournal::keep(journal, output);
        if (!path.isEmpty()) {
            cliOut(path);
            ++kept;
        } else if (QFileInfo::exists(journal)) {
            cliReport(loadString(7452).arg(journal, output));
            ++failed;
        }
    }
    if (kept == 0 && failed == 0)
        cliReport(loadString(7451));
    return failed ? ExitUsage : ExitDone;
}
