#include "RunJournal.h"

#include "ClassData.h"
#include "DateTime.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtDebug>

#include <cmath>
#include <limits>

#include <sys/file.h>

const char *const RunJournal::fileSuffix = ".journal";

namespace
{
const QByteArray magic = QByteArrayLiteral("OrvanUtility run journal");
constexpr int formatVersion = 1;

// A journal line longer than this is no journal line; it keeps a damaged file from being
// read into memory whole.
constexpr qint64 maxLineLength = 4096;

bool lockExclusive(const QFile &file)
{
    return ::flock(file.handle(), LOCK_EX | LOCK_NB) == 0;
}

// "<prefix> yyyy-MM-dd hh-mm-ss<suffix>" in the folder, with " (2)", " (3)".. when taken.
QString freePath(const QString &folder, const QString &prefix, double dayCount,
                 const QString &suffix)
{
    const QString stem = folder + u'/' + prefix + u' ' +
                         fromDayCount(dayCount).toString(QStringLiteral("yyyy-MM-dd hh-mm-ss"));
    QString path = stem + suffix;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + QStringLiteral(" (%1)").arg(n) + suffix;
    return path;
}

QString channelPrefix(int ch)
{
    return QStringLiteral("CH") + QString::number(ch + 1);
}

struct Header {
    int channel = -1;
    qint16 unit = 0;
    qint16 resolution = 0;
    float emissivity = 0.0f;
    QString title;
};

bool parseHeader(const QByteArray &line, Header &header)
{
    const QList<QByteArray> fields = line.split(',');
    if (fields.size() < 7 || fields[0] != magic || fields[1].toInt() != formatVersion)
        return false;
    bool ok[4] = {};
    header.channel = fields[2].toInt(&ok[0]);
    header.unit = fields[3].toShort(&ok[1]);
    header.resolution = fields[4].toShort(&ok[2]);
    header.emissivity = fields[5].toFloat(&ok[3]);
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || header.channel < 0 || header.channel > 7 ||
        (header.unit != 0 && header.unit != 1) ||
        (header.resolution != 0 && header.resolution != 1) || !std::isfinite(header.emissivity))
        return false;
    // The title is the rest of the line, commas and all.
    qsizetype at = 0;
    for (int k = 0; k < 6; ++k)
        at = line.indexOf(',', at) + 1;
    header.title = QString::fromUtf8(line.mid(at));
    return true;
}

// The next line that ends in a line feed, without it; false at the end or at a line a crash
// cut short.
bool readWholeLine(QIODevice &file, QByteArray &line)
{
    line = file.readLine(maxLineLength);
    if (!line.endsWith('\n'))
        return false;
    line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return true;
}

// True when anything follows the first line.
bool holdsLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    file.readLine(maxLineLength);
    return !file.atEnd();
}

bool readHeader(QIODevice &file, Header &header)
{
    QByteArray line;
    return readWholeLine(file, line) && parseHeader(line, header);
}
} // namespace

RunJournal::RunJournal(const QString &folder) : m_folder(folder) {}

RunJournal::~RunJournal()
{
    m_file.close();
}

QString RunJournal::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/journal");
}

QString RunJournal::recoveryFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/recovered");
}

bool RunJournal::open(const ClassData &data)
{
    m_file.close();
    if (m_folder.isEmpty())
        return false;
    if (!QDir().mkpath(m_folder)) {
        qWarning("Cannot create the run journal folder %s", qPrintable(m_folder));
        return false;
    }
    m_file.setFileName(freePath(m_folder, channelPrefix(data.ChNo), data.StartDateTime,
                                QLatin1String(fileSuffix)));
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        qWarning("Cannot create the run journal %s: %s", qPrintable(m_file.fileName()),
                 qPrintable(m_file.errorString()));
        return false;
    }
    lockExclusive(m_file);
    QByteArray header = magic;
    header += ',' + QByteArray::number(formatVersion) + ',' + QByteArray::number(data.ChNo) + ',' +
              QByteArray::number(data.Unit) + ',' + QByteArray::number(data.Resolution) + ',' +
              QByteArray::number(double(data.Emissivity), 'g', 9) + ',' + data.Title.toUtf8() +
              '\n';
    if (m_file.write(header) != header.size()) {
        qWarning("Cannot write the run journal %s", qPrintable(m_file.fileName()));
        m_file.close();
        return false;
    }
    return true;
}

void RunJournal::append(double time, float value)
{
    if (!m_file.isOpen())
        return;
    // One write per line on an unbuffered file: the line is with the system at once, and a
    // crash can cut off at most the line being written.
    // QByteArray::number ignores the locale: a decimal comma would break the line apart.
    const QByteArray line =
        QByteArray::number(time, 'g', 17) + ',' + QByteArray::number(double(value), 'g', 9) + '\n';
    if (m_file.write(line) != line.size()) {
        qWarning("Cannot write the run journal %s: %s", qPrintable(m_file.fileName()),
                 qPrintable(m_file.errorString()));
        m_file.close();
    }
}

void RunJournal::finish()
{
    if (!m_file.isOpen())
        return;
    m_file.close();
    if (!m_file.remove())
        qWarning("Cannot remove the run journal %s", qPrintable(m_file.fileName()));
}

QStringList RunJournal::pending(const QString &folder)
{
    const QDir dir(folder);
    QStringList found;
    const QFileInfoList entries =
        dir.entryInfoList({QStringLiteral("*") + QLatin1String(fileSuffix)}, QDir::Files,
                          QDir::Time | QDir::Reversed);
    for (const QFileInfo &entry : entries) {
        QFile file(entry.filePath());
        // A journal locked by a running process belongs to a run that is still going.
        if (file.open(QIODevice::ReadOnly) && lockExclusive(file))
            found << entry.filePath();
    }
    return found;
}

std::unique_ptr<ClassData> RunJournal::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    return read(file);
}

std::unique_ptr<ClassData> RunJournal::read(QIODevice &file)
{
    Header header;
    if (!readHeader(file, header))
        return nullptr;
    auto data = std::make_unique<ClassData>();
    data->ChNo = qint16(header.channel);
    data->Unit = header.unit;
    data->Resolution = header.resolution;
    data->Emissivity = header.emissivity;
    data->Title = header.title;

    int n = 0;
    double firstTime = 0.0;
    QByteArray line;
    while (n < ClassData::maxFileSamples && readWholeLine(file, line)) {
        const qsizetype comma = line.indexOf(',');
        bool timeOk = false;
        bool valueOk = false;
        const double time = line.left(comma).toDouble(&timeOk);
        const float value = line.mid(comma + 1).toFloat(&valueOk);
        // A damaged line is skipped; no infinity or NaN gets in, no data file could hold it.
        if (comma < 0 || !timeOk || !valueOk || !std::isfinite(time) || !std::isfinite(value))
            continue;
        if (n == 0)
            firstTime = time;
        const double elapsed = std::nearbyint((time - firstTime) * secondsPerDay);
        if (!(std::fabs(elapsed) <= std::numeric_limits<qint32>::max()))
            continue;
        data->storeSample(n, time, value, static_cast<qint32>(elapsed));
        ++n;
    }
    if (n == 0)
        return nullptr;
    data->DataNo = qint16(n);
    data->setTimeData();
    return data;
}

QString RunJournal::keep(const QString &path, const QString &recoveryFolder)
{
    if (!QDir().mkpath(recoveryFolder))
        return {};
    QString kept;
    if (const std::unique_ptr<ClassData> data = read(path)) {
        kept = freePath(recoveryFolder, channelPrefix(data->ChNo), data->StartDateTime,
                        QStringLiteral(".csv"));
        if (!data->saveFileData(kept))
            kept.clear();
    }
    if (kept.isEmpty() && !holdsLines(path)) {
        // A run that died before its first sample (a timer start, say): nothing to keep.
        QFile::remove(path);
        return {};
    }
    if (kept.isEmpty()) {
        // Unreadable as a run: kept as it is, for whoever can make sense of it.
        kept = recoveryFolder + u'/' + QFileInfo(path).fileName();
        for (int n = 2; QFileInfo::exists(kept); ++n)
            kept = recoveryFolder + u'/' + QFileInfo(path).completeBaseName() +
                   QStringLiteral(" (%1)").arg(n) + QLatin1String(fileSuffix);
        if (!QFile::copy(path, kept))
            return {};
    }
    QFile::remove(path);
    return kept;
}
