#include "MemoryListing.h"

#include "ClassData.h"
#include "DateTime.h"
#include "Format.h"
#include "MemBlocks.h"

#include <QDate>
#include <QTime>

namespace
{
// Records dated this many days or more after the header's clock belong to the year before.
constexpr double previousYearDays = 31.0;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// "1/05" -> "01/05", "9:05" -> "09:05".
QString padded(const QString &text)
{
    return text.size() == 4 ? u'0' + text : text;
}

// Years since 1900 as the listing's two digits.
QString twoDigitYear(int year)
{
    return QStringLiteral("%1").arg(year >= 100 ? year - 100 : year, 2, 10, QLatin1Char('0'));
}

int numberAt(const QString &text, int at)
{
    return (text.at(at).unicode() - '0') * 10 + (text.at(at + 1).unicode() - '0');
}
} // namespace

MemoryListing::MemoryListing(int unit) : m_unit(unit)
{
    m_records.reserve(maxRecords);
}

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

MemoryListing::Step MemoryListing::feed(const QString fields[11], int count, const QString &line)
{
    const QString &first = fields[0];
    if (first == QLatin1String("PRINT")) {
        m_headerTime = dayCountOf(line.right(17));
        m_year = int(leadingNumber(fields[1].left(2)));
        if (m_year < 80)
            m_year += 100;
    } else if (first == QLatin1String("TimeOut")) {
        return TimedOut;
    } else if (first == QLatin1String("Cansel")) {
        return Stopped;
    }

    const int block = blockOf(first);
    if (block < 0)
        return ++m_nonRecords >= endLines ? Finished : Continue;
    m_nonRecords = 0;

    Record r;
    r.block = block;
    const QString &valueText = fields[3];
    r.value = float(leadingNumber(valueText));
    const int resolution =
        valueText.size() >= 2 && valueText.at(valueText.size() - 2) == u'.' ? 0 : 1;
    if (fields[4].startsWith(u'C'))
        m_unit = 0;
    else if (fields[4].startsWith(u'F'))
        m_unit = 1;
    if (count > 5 && fields[5] == QLatin1String("OVER"))
        r.value = overRangeCode;

    if (m_perBlock[block] == 0) {
        auto data = std::make_unique<ClassData>();
        data->ChNo = qint16(block);
        data->Resolution = qint16(resolution);
        data->Unit = qint16(m_unit);
        memBlocks[block] = std::move(data);
    }
    ++m_perBlock[block];

    const QString monthDay = u'/' + padded(fields[1]);
    r.time = padded(fields[2]) + QLatin1String(":00");
    r.date = twoDigitYear(m_year) + monthDay;
    if (dayCountOf(r.date + u' ' + r.time) >= m_headerTime + previousYearDays)
        r.date = twoDigitYear(m_year - 1) + monthDay;

    if (m_records.size() >= maxRecords)
        return Overflow;
    m_records.append(r);
    return Continue;
}

int MemoryListing::recordsInBlock(int block) const
{
    return block >= 0 && block < 64 ? m_perBlock[block] : 0;
}

QList<int> MemoryListing::store()
{
    QList<int> failures;
    for (const Record &r : std::as_const(m_records)) {
        ClassData *data = r.block >= 0 && r.block < 64 ? memBlocks[r.block].get() : nullptr;
        if (!data)
            continue;
        const qint16 result = data->setRealTimeData(dayCountOf(r.date + u' ' + r.time), r.value);
        if (result == ClassData::dataFull)
            failures.append(1757);
        else if (result != 0)
            failures.append(1758);
    }
    for (auto &data : memBlocks) {
        if (data)
            data->setTimeData();
    }
    return failures;
}
