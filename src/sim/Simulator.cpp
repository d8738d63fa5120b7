#include "Simulator.h"

#include "DateTime.h"
#include "Pump.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace
{

// With a start and a stop bit a character takes 10 bits: 25/6 ms at 2400 baud.
qint64 charEndMs(qint64 chars, int baud)
{
    return (chars * 10000 + baud / 2) / baud;
}

constexpr int maxLineLength = 256;

// The gap of a SplitReply between the two halves.
constexpr qint64 splitPauseMs = 500;

// Measuring range in degrees C; readings outside it show as over or under range.
constexpr double rangeLowC = -50.0;
constexpr double rangeHighC = 500.0;

double toUnit(double celsius, int unit)
{
    return unit == 1 ? celsius * 9.0 / 5.0 + 32.0 : celsius;
}

// Rounds halves away from zero, as the instrument's display does; never gives "-0.0".
QString numberText(double value, int precision)
{
    const double scale = precision == 0 ? 10.0 : 1.0;
    const double rounded = std::round(value * scale) / scale + 0.0;
    return QString::number(rounded, 'f', precision == 0 ? 1 : 0);
}

QChar unitLetter(int unit)
{
    return unit == 1 ? QLatin1Char('F') : QLatin1Char('C');
}

int scaleMin(int unit)
{
    return unit == 1 ? -60 : -50;
}

int scaleMax(int unit)
{
    return unit == 1 ? 940 : 500;
}

// A fixed pseudo-random number in [-1, 1] for each whole second.
double noise(qint64 second)
{
    quint32 x = static_cast<quint32>(second) * 2654435761u;
    x ^= x >> 15;
    x *= 2246822519u;
    x ^= x >> 13;
    return (x % 2001) / 1000.0 - 1.0;
}

double defaultSignal(qint64 ms)
{
    const double t = static_cast<double>(ms);
    const double pi = 3.14159265358979323846;
    return 25.0 + 1.2 * std::sin(2 * pi * t / 900000.0) + 0.4 * std::sin(2 * pi * t / 130000.0) +
           0.1 * noise(ms / 1000);
}

bool isReadingFault(Simulator::Fault fault)
{
    switch (fault) {
    case Simulator::ErrReading:
    case Simulator::ErrorReading:
    case Simulator::LowBattery:
    case Simulator::OverRange:
    case Simulator::UnderRange:
        return true;
    default:
        return false;
    }
}

} // namespace

Simulator::Simulator(Type type) : m_type(type) {}

void Simulator::receive(const QByteArray &bytes)
{
    const qint64 now = Pump::instance().monotonicMs();
    for (const char c : bytes) {
        if (c == '\n') {
            const QByteArray line = m_input;
            m_input.clear();
            handleLine(line, now);
        } else if (c != '\r' && m_input.size() < maxLineLength) {
            // A CR without its LF (the one after "off") ends nothing and is dropped; so is
            // what overflows the line buffer.
            m_input.append(c);
        }
    }
}

QByteArray Simulator::takeOutput()
{
    const qint64 now = Pump::instance().monotonicMs();
    QByteArray out;
    while (!m_output.isEmpty()) {
        Segment &s = m_output.first();
        while (s.sent < s.bytes.size() && s.startMs + charEndMs(s.sent + 1, m_baud) <= now)
            out.append(s.bytes.at(s.sent++));
        if (s.sent < s.bytes.size())
            break;
        m_output.removeFirst();
    }
    return out;
}

qint64 Simulator::msUntilOutput() const
{
    if (m_output.isEmpty())
        return -1;
    const Segment &s = m_output.first();
    const qint64 due = s.startMs + charEndMs(s.sent + 1, m_baud);
    return std::max<qint64>(0, due - Pump::instance().monotonicMs());
}

void Simulator::setFault(Fault fault, int times, const QString &command)
{
    if (times == 0)
        return;
    m_faults.append({fault, times, command.trimmed()});
}

void Simulator::clearFaults()
{
    m_faults.clear();
}

QDateTime Simulator::clock() const
{
    if (!m_clockBase.isValid())
        return fromDayCount(Pump::instance().now());
    return m_clockBase.addMSecs(Pump::instance().monotonicMs() - m_clockSetMs);
}

void Simulator::setClock(const QDateTime &time)
{
    m_clockBase = time;
    m_clockSetMs = Pump::instance().monotonicMs();
}

void Simulator::fillDemoMemory()
{
    const QDateTime now = clock();
    const QDate today = now.date();
    QList<MemoryRecord> records;
    auto add = [&records](int block, const QDateTime &time, double value, int unit, int precision,
                          bool over = false) {
        MemoryRecord r;
        r.block = block;
        r.time = time;
        r.value = value;
        r.unit = unit;
        r.precision = precision;
        r.over = over;
        records.append(r);
    };

    // Block 1: a warming room, every ten minutes.
    const double room[] = {24.1, 24.3, 24.8, 25.2, 25.6, 25.9, 26.1, 26.0, 25.7, 25.3};
    const QDateTime start1(today.addDays(-3), QTime(9, 0));
    for (int i = 0; i < 10; ++i)
        add(1, start1.addSecs(600 * i), room[i], 0, 0);

    // Block 2: across the last new year. The listing carries no year, so the host can place it
    // only while it lies within about eleven months before the clock; in December the turn of
    // the month stands in for it.
    const QDate turn(today.year(), today.month() == 12 ? 12 : 1, 1);
    const double night[] = {18.4, 18.2, 18.1, 17.9};
    for (int i = 0; i < 4; ++i) {
        const QDateTime time = QDateTime(turn, QTime(0, 0)).addSecs(-600 + 600 * i);
        if (time < now)
            add(2, time, night[i], 0, 0);
    }

    // Block 3: a furnace in F at whole degrees, once past the range.
    const double furnace[] = {212, 356, 598, 875, 932, 901};
    const QDateTime start3(today.addDays(-2), QTime(14, 30));
    for (int i = 0; i < 6; ++i)
        add(3, start3.addSecs(300 * i), furnace[i], 1, 1, i == 4);

    // Block 5 (block 4 was deleted on the instrument): a freezer.
    const double freezer[] = {-12.5, -15.3, -18.7, -20.1, -0.4};
    const QDateTime start5(today.addDays(-1), QTime(8, 5));
    for (int i = 0; i < 5; ++i)
        add(5, start5.addSecs(60 * i), freezer[i], 0, 0);

    m_memory = records;
}

void Simulator::fillMemory(int count)
{
    const QDateTime now = clock();
    const int perBlock = std::max(100, (count + 63) / 64);
    QList<MemoryRecord> records;
    records.reserve(count);
    for (int i = 0; i < count; ++i) {
        MemoryRecord r;
        r.block = 1 + i / perBlock;
        r.time = now.addSecs(-60 * (count - i));
        r.value = 20.0 + 5.0 * std::sin(i / 40.0);
        records.append(r);
    }
    m_memory = records;
}

void Simulator::handleLine(const QByteArray &line, qint64 atMs)
{
    const QString text = QString::fromLatin1(line);
    m_received.append(text);
    log(true, text);

    const QString trimmed = text.trimmed();
    if (!m_awake) {
        if (trimmed.isEmpty())
            m_awake = true;
        return;
    }
    if (trimmed.isEmpty())
        return;

    const int blank = trimmed.indexOf(QLatin1Char(' '));
    const QString word = (blank < 0 ? trimmed : trimmed.left(blank)).toUpper();
    const QString argument = blank < 0 ? QString() : trimmed.mid(blank + 1).trimmed();
    if (word == QLatin1String("OFF")) {
        m_awake = false;
        return;
    }
    queue(answer(word, argument, atMs), word, atMs);
}

QStringList Simulator::answer(const QString &word, const QString &argument, qint64 atMs)
{
    const QString error = QStringLiteral("Error");
    if (word == QLatin1String("TYPE"))
        return {m_type == FType ? QStringLiteral("F-type") : QStringLiteral("L-type")};
    if (word == QLatin1String(":"))
        return {readingText(atMs)};
    if (word == QLatin1String(";"))
        return {QStringLiteral("OK")};

    if (word == QLatin1String("RESOL")) {
        if (argument.isEmpty())
            return {m_settings.precision == 0 ? QStringLiteral("Resolution:0.1")
                                              : QStringLiteral("Resolution:1")};
        if (argument == QLatin1String("0.1"))
            m_settings.precision = 0;
        else if (argument == QLatin1String("1"))
            m_settings.precision = 1;
        else
            return {error};
        return {m_settings.precision == 0 ? QStringLiteral("Resol 0.1")
                                          : QStringLiteral("Resol   1")};
    }

    if (word == QLatin1String("EMI")) {
        if (!argument.isEmpty()) {
            bool ok = false;
            const double v = argument.toDouble(&ok);
            if (!ok || !std::isfinite(v))
                return {error};
            const long hundredths = std::lround(std::clamp(v, 0.10, 1.00) * 100.0);
            m_settings.emissivity = static_cast<float>(hundredths / 100.0);
        }
        const long n = std::lround(m_settings.emissivity * 100.0);
        return {QStringLiteral("Emi  %1.%2").arg(n / 100).arg(n % 100, 2, 10, QLatin1Char('0'))};
    }

    if (word == QLatin1String("ZERO") || word == QLatin1String("FS")) {
        if (m_type == FType)
            return {QStringLiteral("?")};
        if (!argument.isEmpty()) {
            bool ok = false;
            const double v = argument.toDouble(&ok);
            if (!ok || !std::isfinite(v))
                return {error};
            const int unit = m_settings.unit;
            const int n =
                static_cast<int>(std::clamp<double>(std::round(v), scaleMin(unit), scaleMax(unit)));
            (word == QLatin1String("FS") ? m_settings.scaleFull : m_settings.scaleZero) = n;
        }
        // The instrument answers FS with Zero.
        return {zeroText()};
    }

    if (word == QLatin1String("BACKUP")) {
        m_backup = m_settings;
        return {QStringLiteral("Backup")};
    }

    if (word == QLatin1String("DATE")) {
        static const QRegularExpression form(QStringLiteral("^(\\d\\d)/(\\d\\d)/(\\d\\d)$"));
        const QRegularExpressionMatch m = form.match(argument);
        if (!m.hasMatch())
            return {error};
        const int yy = m.captured(1).toInt();
        const QDate date(yy < 80 ? 2000 + yy : 1900 + yy, m.captured(2).toInt(),
                         m.captured(3).toInt());
        if (!date.isValid())
            return {error};
        setClock(QDateTime(date, clock().time()));
        return {QStringLiteral("Date ") + argument};
    }

    if (word == QLatin1String("TIME")) {
        static const QRegularExpression form(QStringLiteral("^(\\d\\d):(\\d\\d):(\\d\\d)$"));
        const QRegularExpressionMatch m = form.match(argument);
        if (!m.hasMatch())
            return {error};
        const QTime time(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (!time.isValid())
            return {error};
        setClock(QDateTime(clock().date(), time));
        return {QStringLiteral("Time ") + argument};
    }

    if (word == QLatin1String("CLR")) {
        m_memory.clear();
        return {QStringLiteral("Memory Data cleared")};
    }

    if (word == QLatin1String("MEM") && m_type == FType)
        return memoryListing();

    return {QStringLiteral("?")};
}

QString Simulator::readingText(qint64 atMs) const
{
    const double celsius = m_signal ? m_signal(atMs) : defaultSignal(atMs);
    if (std::isnan(celsius))
        return QStringLiteral(" Err");
    if (celsius > rangeHighC)
        return QStringLiteral("+OVER");
    if (celsius < rangeLowC)
        return QStringLiteral("-OVER");
    const int precision = m_settings.precision;
    const QString number = numberText(toUnit(celsius, m_settings.unit), precision);
    return number.rightJustified(precision == 0 ? 6 : 4) + QLatin1Char(' ') +
           unitLetter(m_settings.unit);
}

// Characters 6-8 hold the zero and 16-18 the full scale: "Zero -20 Full  500".
QString Simulator::zeroText() const
{
    return QStringLiteral("Zero %1 Full  %2")
        .arg(m_settings.scaleZero, 3)
        .arg(m_settings.scaleFull, 3);
}

QStringList Simulator::memoryListing() const
{
    QStringList lines{QStringLiteral("MEMORY DATA"),
                      QStringLiteral("PRINT ") +
                          clock().toString(QStringLiteral("yy/MM/dd hh:mm:ss"))};

    QList<MemoryRecord> records = m_memory;
    std::stable_sort(
        records.begin(), records.end(),
        [](const MemoryRecord &a, const MemoryRecord &b) { return a.block < b.block; });
    for (const MemoryRecord &r : records) {
        const double value = r.over ? (r.unit == 1 ? toUnit(rangeHighC, 1) : rangeHighC) : r.value;
        QString line = QStringLiteral("No.%1 %2 %3 %4 %5")
                           .arg(r.block, 2, 10, QLatin1Char('0'))
                           .arg(r.time.toString(QStringLiteral("M/dd")), 5)
                           .arg(r.time.toString(QStringLiteral("H:mm")), 5)
                           .arg(numberText(value, r.precision), 6)
                           .arg(unitLetter(r.unit));
        if (r.over)
            line += QStringLiteral(" OVER");
        lines.append(line);
    }
    // Three lines without a block number end the host's listing loop at once.
    lines << QStringLiteral("END") << QString() << QString();
    return lines;
}

bool Simulator::takeFault(Fault fault, const QString &word)
{
    for (int i = 0; i < m_faults.size(); ++i) {
        PendingFault &f = m_faults[i];
        if (f.fault != fault)
            continue;
        if (!f.command.isEmpty() && f.command.compare(word, Qt::CaseInsensitive) != 0)
            continue;
        if (isReadingFault(fault) && word != QLatin1String(":"))
            continue;
        if (f.times > 0 && --f.times == 0)
            m_faults.removeAt(i);
        return true;
    }
    return false;
}

void Simulator::queue(const QStringList &reply, const QString &word, qint64 atMs)
{
    if (takeFault(Silence, word))
        return;

    QStringList lines = reply;
    if (takeFault(WrongReply, word)) {
        lines = QStringList{QStringLiteral("?")};
    } else if (word == QLatin1String(":")) {
        const std::pair<Fault, const char *> readings[] = {
            {ErrReading, " Err"}, {ErrorReading, "Error"}, {LowBattery, "Lo.Batt!"},
            {OverRange, "+OVER"}, {UnderRange, "-OVER"},
        };
        for (const auto &[fault, text] : readings) {
            if (takeFault(fault, word)) {
                lines = QStringList{QString::fromLatin1(text)};
                break;
            }
        }
    }

    if (takeFault(FirstLineOnly, word))
        lines = lines.mid(0, 1);
    const bool noLineFeed = takeFault(NoLineFeed, word);
    QByteArray bytes;
    for (int i = 0; i < lines.size(); ++i) {
        log(false, lines.at(i));
        bytes += lines.at(i).toLatin1() + (noLineFeed && i == 0 ? "\r" : "\r\n");
    }
    if (takeFault(TwoReplies, word))
        bytes += bytes;

    // The instrument takes 30-60 ms to start answering, and never talks over itself.
    const qint64 latency = 30 + (m_commands++ * 7919u) % 31;
    qint64 start = atMs + latency;
    if (!m_output.isEmpty()) {
        const Segment &last = m_output.last();
        start = std::max(start, last.startMs + charEndMs(last.bytes.size(), m_baud));
    }

    if (takeFault(SplitReply, word) && bytes.size() > 1) {
        const int half = bytes.size() / 2;
        m_output.append({start, bytes.left(half), 0});
        start += charEndMs(half, m_baud) + splitPauseMs;
        bytes = bytes.mid(half);
    }
    m_output.append({start, bytes, 0});
}

void Simulator::log(bool fromHost, const QString &line) const
{
    if (m_log)
        m_log(fromHost, line);
}
