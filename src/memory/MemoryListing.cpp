#include "MemoryListing.h"

#include "ClassData.h"
#include "DateTime.h"
#include "Format.h"
#include "MemBlocks.h"
#include "Strings.h"

#include <QDate>
#include <QTime>

namespace
{
// Records dated this many days or more after the instrument's clock belong to an earlier year.
constexpr double previousYearDays = 31.0;
// A 29 February waits up to eight years (1900 and 2100 are no leap years).
constexpr int yearsBack = 8;
// Undatable records named in the message; the rest are counted.
constexpr int namedUndatable = 10;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int numberAt(const QString &text, int at)
{
    return (text.at(at).unicode() - '0') * 10 + (text.at(at + 1).unicode() - '0');
}

// "m/dd" or "mm/dd", "h:mm" or "hh:mm" into its two numbers; false for any other text.
bool splitPair(const QString &text, QChar separator, int &first, int &second)
{
    const QString padded = text.size() == 4 ? u'0' + text : text;
    if (padded.size() != 5 || padded.at(2) != separator || !isDigit(padded.at(0)) ||
        !isDigit(padded.at(1)) || !isDigit(padded.at(3)) || !isDigit(padded.at(4)))
        return false;
    first = numberAt(padded, 0);
    second = numberAt(padded, 3);
    return true;
}
} // namespace

MemoryListing::MemoryListing(int unit, double hostNow) : m_unit(unit), m_headerTime(hostNow) {}

int MemoryListing::blockOf(const QString &field0)
{
    const int at = int(field0.size()) - 2;
    if (at < 0 || !isDigit(field0.at(at)) || !isDigit(field0.at(at + 1)))
        return -1;
    const int block = numberAt(field0, at) - 1;
    return block >= 0 && block < 64 ? block : -1;
}

double MemoryListing::dayCountOf(const QString &text)
{
    static const int digitsAt[] = {0, 3, 6, 9, 12, 15};
    if (text.size() != 17)
        return 1.0;
    for (const int at : digitsAt) {
        if (!isDigit(text.at(at)) || !isDigit(text.at(at + 1)))
            return 1.0;
    }
    const int yy = numberAt(text, 0);
    const QDate date(yy < 80 ? 2000 + yy : 1900 + yy, numberAt(text, 3), numberAt(text, 6));
    const QTime time(numberAt(text, 9), numberAt(text, 12), numberAt(text, 15));
    if (!date.isValid() || !time.isValid())
        return 1.0;
    return toDayCount(date, time);
}

double MemoryListing::recordTime(double clock, int month, int day, int hour, int minute)
{
    const QTime time(hour, minute);
    if (!time.isValid())
        return 0.0;
    QDate today;
    splitDayCount(clock, &today, nullptr);
    const int year = today.year();
    for (int y = year; y > year - yearsBack; --y) {
        const QDate date(y, month, day);
        if (!date.isValid())
            continue;
        const double at = toDayCount(date, time);
        if (at < clock + previousYearDays)
            return at;
    }
    return 0.0;
}

MemoryListing::Step MemoryListing::feed(const QString fields[11], int count, const QString &line)
{
    const QString &first = fields[0];
    if (first == QLatin1String("PRINT")) {
        const double clock = dayCountOf(line.right(17));
        // A header without a readable clock leaves the one we had.
        if (clock > 1.0)
            m_headerTime = clock;
    } else if (first == QLatin1String("TimeOut")) {
        return TimedOut;
    } else if (first == QLatin1String("Cansel")) {
        return Stopped;
    }

    const int block = blockOf(first);
    if (block < 0)
        return ++m_nonRecords >= endLines ? Finished : Continue;
    m_nonRecords = 0;

    if (fields[4].startsWith(u'C'))
        m_unit = 0;
    else if (fields[4].startsWith(u'F'))
        m_unit = 1;

    int month = 0, day = 0, hour = 0, minute = 0;
    const double time =
        splitPair(fields[1], u'/', month, day) && splitPair(fields[2], u':', hour, minute)
            ? recordTime(m_headerTime, month, day, hour, minute)
            : 0.0;
    if (time <= 0.0) {
        m_undatable.append(line.trimmed());
        return Continue;
    }

    Record r;
    r.block = block;
    r.time = time;
    const QString &valueText = fields[3];
    r.value = float(leadingNumber(valueText));
    if (count > 5 && fields[5] == QLatin1String("OVER"))
        r.value = overRangeCode;

    if (!m_created[block]) {
        m_created[block] = true;
        auto data = std::make_unique<ClassData>();
        data->ChNo = qint16(block);
        data->Resolution =
            valueText.size() >= 2 && valueText.at(valueText.size() - 2) == u'.' ? 0 : 1;
        data->Unit = qint16(m_unit);
        memBlocks[block] = std::move(data);
    }
    m_records.append(r);
    return Continue;
}

QStringList MemoryListing::store()
{
    int full[64] = {};
    int failed[64] = {};
    for (const Record &r : std::as_const(m_records)) {
        ClassData *data = memBlocks[r.block].get();
        if (!data)
            continue;
        const qint16 result = data->setRealTimeData(r.time, r.value);
        if (result == ClassData::dataFull)
            ++full[r.block];
        else if (result != 0)
            ++failed[r.block];
    }
    for (auto &data : memBlocks) {
        if (data && data->DataNo < 1)
            data.reset();
        else if (data)
            data->setTimeData();
    }

    QStringList messages;
    const auto perBlock = [&messages](int id, const int(&counts)[64]) {
        QString text = loadString(id);
        bool any = false;
        for (int block = 0; block < 64; ++block) {
            if (counts[block] == 0)
                continue;
            text += u'\r' + loadString(7201).arg(block + 1).arg(counts[block]);
            any = true;
        }
        if (any)
            messages << text;
    };
    perBlock(1757, full);
    perBlock(1758, failed);
    if (!m_undatable.isEmpty()) {
        QString text = loadString(7202);
        for (const QString &line : m_undatable.mid(0, namedUndatable))
            text += u'\r' + line;
        if (m_undatable.size() > namedUndatable)
            text += u'\r' + loadString(7203).arg(m_undatable.size() - namedUndatable);
        messages << text;
    }
    return messages;
}
