#include "AppState.h"
#include "CliCommand.h"
#include "CliInstrument.h"
#include "ClockFields.h"
#include "DateTime.h"
#include "Format.h"
#include "MemoryListing.h"
#include "Pump.h"
#include "Strings.h"

#include <QDateTime>
#include <QRegularExpression>

namespace
{

// "yyyy-mm-dd hh:mm[:ss]" (or a "T" between), or the instrument's own "yy/mm/dd hh:mm:ss",
// as a day count checked by the clock dialog's rules.
double parseClockOption(const QString &text)
{
    static const QRegularExpression form(QStringLiteral(
        "^\\s*(\\d{4})-(\\d{1,2})-(\\d{1,2})[T ]\\s*(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?\\s*$"));
    static const QRegularExpression instrumentForm(QStringLiteral(
        "^\\s*(\\d{2})/(\\d{1,2})/(\\d{1,2})\\s+(\\d{1,2}):(\\d{1,2}):(\\d{1,2})\\s*$"));
    QRegularExpressionMatch match = form.match(text);
    if (match.hasMatch()) {
        const int year = match.captured(1).toInt();
        // The instrument keeps two year digits: 80-99 are 19xx, 00-79 20xx.
        if (year < 1980 || year > 2079)
            throw CliError{ExitUsage, loadString(7442)};
    } else {
        match = instrumentForm.match(text);
        if (!match.hasMatch())
            cliBadValue(7441, text);
    }
    QString fields[6];
    for (int i = 0; i < 6; ++i)
        fields[i] = match.captured(i + 1).isEmpty() ? QStringLiteral("0") : match.captured(i + 1);
    fields[0] = fields[0].right(2);
    double dateTime = 0.0;
    if (!checkClockFields(fields, &dateTime))
        throw CliError{ExitUsage, loadString(4230)};
    return dateTime;
}

// The instrument answers one command; false when its reply does not begin with `prefix`.
bool acknowledged(ClassLink &link, const QString &command, const char *prefix)
{
    link.SendCommand(command);
    return link.lastReply().startsWith(QLatin1String(prefix));
}

QString dateCommand(const QDateTime &t)
{
    return QStringLiteral("DATE ") + t.toString(QStringLiteral("yy/MM/dd"));
}

// The next whole second of the computer's clock, waited for.
QDateTime nextSecond()
{
    Pump &pump = Pump::instance();
    const double start = pump.now();
    while (pump.now() == start)
        pump.processEventsToNextSecond();
    return fromDayCount(pump.now());
}

// Sets the clock to `dateTime`, or with `now` to the computer's clock: its time is sent
// the moment a second begins, so the instrument starts its second with ours, and a date
// that turned meanwhile is sent again.
bool setClock(CliInstrument &cli, bool now, double dateTime)
{
    ClassLink &link = cli.link();
    cli.instrument().confirmModelType();
    QDateTime t = now ? fromDayCount(Pump::instance().now()) : fromDayCount(dateTime);
    bool ok = acknowledged(link, dateCommand(t), "Date");
    const QDate dateSent = t.date();
    if (now)
        t = nextSecond();
    ok = acknowledged(link, QStringLiteral("TIME ") + t.toString(QStringLiteral("hh:mm:ss")),
                      "Time") &&
         ok;
    if (t.date() != dateSent)
        ok = acknowledged(link, dateCommand(t), "Date") && ok;
    ok = acknowledged(link, QStringLiteral("BACKUP"), "Back") && ok;
    cliReport(loadString(ok ? 1736 : 1737));
    return ok;
}

// The clock of the listing's header line ("PRINT yy/mm/dd hh:nn:ss"); the rest of the
// listing is read to its end, so that none of it is left on the line for the next command.
double readClock(CliInstrument &cli)
{
    ClassLink &link = cli.link();
    // The memory download's own way into the listing.
    cli.instrument().confirmModelType();
    link.startMeasure();
    cli.instrument().readUnit();
    link.SendCommand(QStringLiteral(";"));
    link.SendCommand(QStringLiteral("MEM"));
    // The first line is the reply to MEM and does not count towards the listing's end.
    QString line = link.lastReply();
    double clock = 0.0;
    int nonRecords = -1;
    for (;;) {
        QString fields[11];
        QString split = line;
        splitBlank(split, fields);
        if (fields[0] == QLatin1String("PRINT") && line.size() >= 17) {
            clock = MemoryListing::dayCountOf(line.right(17));
            if (clock != 1.0)
                cliOut(fromDayCount(clock).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
        }
        nonRecords = MemoryListing::blockOf(fields[0]) < 0 ? nonRecords + 1 : 0;
        if (nonRecords >= MemoryListing::endLines)
            break;
        line = link.ReadRS();
        if (line == ClassLink::stoppedReply)
            throw CommError{CommError::Stopped, loadString(4231)};
        if (line == ClassLink::timeOutReply)
            break;
        line.chop(2);
    }
    if (clock == 0.0 || clock == 1.0)
        throw CommError{CommError::WrongReply, loadString(1730)};
    return clock;
}

} // namespace

// Prints the clock of a field-type instrument, or sets it.
int runClock(const CliCommand &command, const QStringList &arguments)
{
    CliOptions options(command);
    const QCommandLineOption setOption =
        options.add({QStringLiteral("set")}, 7440, QStringLiteral("now|DATE-TIME"));
    CliInstrument cli(options);
    options.parse(arguments);
    cli.prepare(options);

    const bool setting = options.isSet(setOption);
    const bool now = setting && options.value(setOption).trimmed().compare(
                                    QLatin1String("now"), Qt::CaseInsensitive) == 0;
    const double dateTime = setting && !now ? parseClockOption(options.value(setOption)) : 0.0;

    // The clock belongs to the field type: the memory mode's type check refuses the other.
    programMode = 1;
    bool ok = true;
    cli.bracket([&] {
        if (setting)
            ok = setClock(cli, now, dateTime);
        else
            readClock(cli);
    });
    return ok ? ExitDone : ExitInstrument;
}
