#include "DataFileReader.h"

#include "FilePace.h"
#include "Format.h"

#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>
#include <utility>

namespace
{

constexpr qint64 chunkBytes = 64 * 1024;
// A longer line keeps only its start, so a file without line ends cannot exhaust memory.
constexpr qsizetype maxLineBytes = 1024 * 1024;

// Windows-1252 characters of the bytes 80..9F; the five bytes it leaves undefined map to
// the control characters of the same number, as Windows does.
constexpr char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b < 0xA0) ? QChar(cp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

} // namespace

DataFileReader::DataFileReader(QIODevice *device) : m_device(device) {}

QString DataFileReader::decode(const QByteArray &bytes)
{
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return fromWindows1252(bytes);
}

bool DataFileReader::fill()
{
    m_pos = 0;
    if (m_pace && m_pace->stopped()) {
        m_buffer.clear();
        return false;
    }
    // A file of known size is read no further than its end, and its end is seen without a
    // read: a whole chunk allocated for a small file, or for nothing, costs more than the
    // reading. Pseudo-files report size 0 and are read chunk by chunk like a pipe.
    if (!m_device->isSequential() && m_device->size() > 0) {
        const qint64 left = m_device->bytesAvailable();
        if (left <= 0) {
            m_buffer.clear();
            return false;
        }
        m_buffer = m_device->read(std::min(left, chunkBytes));
    } else {
        m_buffer = m_device->read(chunkBytes);
    }
    m_chunkEnd += m_buffer.size();
    return !m_buffer.isEmpty();
}

bool DataFileReader::atEnd()
{
    return m_pos >= m_buffer.size() && !fill();
}

QByteArray DataFileReader::readRawLine()
{
    QByteArray line;
    for (;;) {
        if (m_pos >= m_buffer.size() && !fill())
            return line;
        const char *begin = m_buffer.constData() + m_pos;
        const char *end = m_buffer.constData() + m_buffer.size();
        const char *stop = std::find_if(begin, end, [](char c) { return c == '\r' || c == '\n'; });
        const qsizetype length = stop - begin;
        if (line.size() < maxLineBytes)
            line.append(begin, std::min(length, maxLineBytes - line.size()));
        m_pos += length;
        if (stop == end)
            continue;
        const char ending = *stop;
        ++m_pos;
        if (ending == '\r' && (m_pos < m_buffer.size() || fill()) && m_buffer.at(m_pos) == '\n')
            ++m_pos;
        return line;
    }
}

bool DataFileReader::readLine(QString &line)
{
    m_lastRaw.clear();
    if (atEnd()) {
        line.clear();
        return false;
    }
    QByteArray raw = readRawLine();
    if (m_firstLine && raw.startsWith("\xEF\xBB\xBF"))
        raw.remove(0, 3);
    m_firstLine = false;
    ++m_lineNumber;
    line = decode(raw);
    m_lastRaw = std::move(raw);
    return true;
}

bool DataFileReader::readLineFields(QString fields[11])
{
    QString line;
    const bool read = readLine(line);
    const qsizetype comma = line.indexOf(u',');
    m_rest = comma < 0 ? QString() : line.mid(comma + 1);
    splitComma(line, fields);
    return read;
}
