#include "CliCommand.h"
#include "CliInstrument.h"
#include "CliSignals.h"
#include "ClassData.h"
#include "DateTime.h"
#include "Format.h"
#include "MeasTime.h"
#include "Pump.h"
#include "RunEngine.h"
#include "RunJournal.h"
#include "Settings.h"
#include "Strings.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

namespace
{

// "2026-12-07 14:00:01,23.4": one reading as a line a script reads without guessing the
// century or the order of day and month.
QString readingLine(double time, float value, int resolution)
{
    return fromDayCount(time).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + u',' +
           valueText(value, resolution);
}

class PrintingView : public RunView
{
public:
    bool logged = false;

    void dispTemp(float value, double time) override
    {
        if (!logged)
            cliOut(readingLine(time, value, MeasSetting.Precision));
    }
    void sampleStored(int ch, double time, float value) override
    {
        cliOut(readingLine(time, value, channelData[ch]->Resolution));
    }
    bool acceptUnit(int unit) override
    {
        // The run follows the instrument's unit; a file written in the other unit is the
        // user's to convert.
        Q_UNUSED(unit)
        return true;
    }
    void notice(const QString &text) override { cliReport(text); }
};

// --interval: "10", "10s" in seconds, "2m", "0.5m" in minutes, checked by the interval
// field's rule.
void parseInterval(const QString &text, RunSettings &run)
{
    const CliAmount amount = cliAmount(text, "sm", 7481);
    run.intervalUnit = amount.unit == u'm' ? intervalMinutes : intervalSeconds;
    run.intervalCount = amount.value;
    if (normalInterval(run.intervalCount, run.intervalUnit) != run.intervalCount)
        throw CliError{ExitUsage, intervalRangeMessage(run.intervalUnit)};
}

// --for: "90", "90s", "30m", "8h", "2d", in the logging time unit it names.
void parseLoggingTime(const QString &text, RunSettings &run)
{
    const CliAmount amount = cliAmount(text, "smhd", 7482);
    run.logUnit = amount.unit == u'm'   ? logMinutes
                  : amount.unit == u'h' ? logHours
                  : amount.unit == u'd' ? logDays
                                        : logSeconds;
    run.logCount = amount.value;
}

void checkLoggingTime(const RunSettings &run)
{
    const double interval = calcIntervalTime(run.intervalCount, run.intervalUnit);
    const double limit = logTimeLimit(interval, run.logUnit);
    if (run.logCount <= 0 || run.logCount > limit)
        throw CliError{ExitUsage, logTimeRangeMessage(limit)};
}

// --start-at and --stop-at: "2026-12-08 06:00[:ss]" (a "T" may stand for the blank), or a
// time of day "06:00[:ss]" for its next occurrence.
double parseClockTime(const QString &text, double now)
{
    static const QRegularExpression full(QStringLiteral(
        "^\\s*(\\d{4}-\\d{1,2}-\\d{1,2})[T ]\\s*(\\d{1,2}:\\d{2}(?::\\d{2})?)\\s*$"));
    static const QRegularExpression timeOnly(
        QStringLiteral("^\\s*(\\d{1,2}:\\d{2}(?::\\d{2})?)\\s*$"));
    const auto timeOf = [](const QString &t) {
        return QTime::fromString(t, t.count(u':') == 2 ? QStringLiteral("H:mm:ss")
                                                       : QStringLiteral("H:mm"));
    };
    QRegularExpressionMatch match = full.match(text);
    if (match.hasMatch()) {
        const QDate date = QDate::fromString(match.captured(1), QStringLiteral("yyyy-M-d"));
        const QTime time = timeOf(match.captured(2));
        if (!date.isValid() || !time.isValid())
            cliBadValue(7483, text);
        return toDayCount(date, time);
    }
    match = timeOnly.match(text);
    const QTime time = match.hasMatch() ? timeOf(match.captured(1)) : QTime();
    if (!time.isValid())
        cliBadValue(7483, text);
    const QDate today = fromDayCount(now).date();
    const double atToday = toDayCount(today, time);
    return atToday > now ? atToday : toDayCount(today.addDays(1), time);
}

// Saves the run where asked; when that fails the samples go to the recovery folder rather
// than away with the process.
int saveRun(ClassData &data, const QString &path)
{
    if (data.saveFileData(path)) {
        cliReport(loadString(7484).arg(data.DataNo).arg(path));
        return ExitDone;
    }
    const QString rescue = QDir(RunJournal::recoveryFolder()).filePath(QFileInfo(path).fileName());
    QDir().mkpath(RunJournal::recoveryFolder());
    if (rescue != path && data.saveFileData(rescue)) {
        cliReport(loadString(7485).arg(rescue));
        return ExitUsage;
    }
    throw CliError{ExitUsage, loadString(7486)};
}

} // namespace

// A logged run as the Real Time Measurement window runs it, with the command as the user's
// go-ahead: nothing is asked, every sample is journalled and printed, and the data set is
// saved when the run ends, by its time or by Ctrl+C.
int runLog(const CliCommand &command, const QStringList &arguments)
{
    CliOptions options(command);
    CliInstrument instrument(options);
    const QCommandLineOption intervalOption =
        options.add({QStringLiteral("interval")}, 7487, QStringLiteral("TIME"));
    const QCommandLineOption countOption =
        options.add({QStringLiteral("count")}, 7488, QStringLiteral("N"));
    const QCommandLineOption forOption =
        options.add({QStringLiteral("for")}, 7489, QStringLiteral("TIME"));
    const QCommandLineOption startOption =
        options.add({QStringLiteral("start-at")}, 7490, QStringLiteral("DATE-TIME"));
    const QCommandLineOption stopOption =
        options.add({QStringLiteral("stop-at")}, 7491, QStringLiteral("DATE-TIME"));
    const QCommandLineOption outputOption =
        options.add({QStringLiteral("o"), QStringLiteral("output")}, 7492, QStringLiteral("FILE"));
    const QCommandLineOption xlsxOption =
        options.add({QStringLiteral("xlsx")}, 7493, QStringLiteral("FILE"));
    const QCommandLineOption channelOption =
        options.add({QStringLiteral("channel")}, 7494, QStringLiteral("N"));
    const QCommandLineOption titleOption =
        options.add({QStringLiteral("title")}, 7495, QStringLiteral("TEXT"));
    const QCommandLineOption personOption =
        options.add({QStringLiteral("person")}, 7496, QStringLiteral("TEXT"));
    options.parse(arguments);

    RunSettings run;
    run.intervalCount = 1.0;
    run.intervalUnit = intervalSeconds;
    if (options.isSet(intervalOption))
        parseInterval(options.value(intervalOption), run);
    if (options.isSet(countOption) && options.isSet(forOption))
        throw CliError{ExitUsage, loadString(7497)};
    if (options.isSet(countOption)) {
        bool ok = false;
        run.logCount = options.value(countOption).toInt(&ok);
        if (!ok)
            cliBadValue(7498, options.value(countOption));
        run.logUnit = logTimes;
        checkLoggingTime(run);
    } else if (options.isSet(forOption)) {
        parseLoggingTime(options.value(forOption), run);
        checkLoggingTime(run);
    }
    if (options.isSet(channelOption)) {
        bool ok = false;
        run.channel = options.value(channelOption).toInt(&ok) - 1;
        if (!ok || run.channel < 0 || run.channel > 7)
            cliBadValue(7499, options.value(channelOption));
    }
    run.title = options.value(titleOption);
    run.person = options.value(personOption);

    const double now = Pump::instance().now();
    const double interval = calcIntervalTime(run.intervalCount, run.intervalUnit);
    if (options.isSet(startOption)) {
        run.timerStart = true;
        run.startTime = parseClockTime(options.value(startOption), now);
        if (run.startTime <= now)
            throw CliError{ExitUsage, loadString(7469).arg(options.value(startOption))};
        run.endTimeMode = options.isSet(stopOption);
    }
    if (options.isSet(stopOption)) {
        if (options.isSet(countOption) || options.isSet(forOption))
            throw CliError{ExitUsage, loadString(7497)};
        const double start = run.timerStart ? run.startTime : now;
        const double stop = parseClockTime(options.value(stopOption), start);
        const double latest = latestStopTime(start, interval);
        if (stop <= start || stop > latest + sampleTolerance)
            throw CliError{ExitUsage, stopTimeRangeMessage(start, latest)};
        if (run.timerStart) {
            run.stopTime = stop;
        } else {
            // Without a timer start the stop is a logging time from now.
            run.logUnit = logSeconds;
            run.logCount = std::round((stop - now) / oneSecond);
        }
    }

    QString output = options.value(outputOption);
    for (const QCommandLineOption &file : {outputOption, xlsxOption}) {
        if (options.isSet(file))
            cliCheckOutputFile(options.value(file));
    }
    if (options.isSet(xlsxOption)) {
        run.workbook = true;
        run.workbookPath = QFileInfo(options.value(xlsxOption)).absoluteFilePath();
    }
    instrument.prepare(options);

    RunEngine engine(instrument.link(), instrument.instrument());
    PrintingView view;
    view.logged = true;
    engine.setView(&view);
    engine.askBeforeStart = false;
    setStopHandler([&engine] { engine.stop(); });
    const bool stored = engine.startRealTime(run);
    setStopHandler({});
    if (!stored) {
        if (stopSignalReceived())
            return ExitStopped;
        throw CliError{ExitInstrument, QString()};
    }

    ClassData &data = *channelData[run.channel];
    if (output.isEmpty()) {
        // Named as the journal was: by the channel and the run's first sample.
        output = QStringLiteral("CH%1 %2.csv")
                     .arg(run.channel + 1)
                     .arg(fromDayCount(data.StartDateTime)
                              .toString(QStringLiteral("yyyy-MM-dd hh-mm-ss")));
    }
    return saveRun(data, output);
}

// One reading a second until Ctrl+C; nothing is stored.
int runMonitor(const CliCommand &command, const QStringList &arguments)
{
    CliOptions options(command);
    CliInstrument instrument(options);
    options.parse(arguments);
    instrument.prepare(options);

    RunEngine engine(instrument.link(), instrument.instrument());
    PrintingView view;
    engine.setView(&view);
    engine.askBeforeStart = false;
    setStopHandler([&engine] { engine.stop(); });
    const bool ran = engine.MoniterStart();
    setStopHandler({});
    if (!ran && !stopSignalReceived())
        throw CliError{ExitInstrument, QString()};
    return stopSignalReceived() ? ExitStopped : ExitDone;
}
