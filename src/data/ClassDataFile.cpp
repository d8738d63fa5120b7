// The channel data file of ClassData: a labelled header, a column line and one line per
// sample, comma-separated, lines ended by CR LF, written as UTF-8.

#include "ClassData.h"

#include "AppState.h"
#include "DataFileReader.h"
#include "DateTime.h"
#include "FilePace.h"
#include "FileProgress.h"
#include "Format.h"
#include "Prompter.h"
#include "Pump.h"
#include "Strings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <initializer_list>
#include <limits>

namespace
{

// Labels of the header lines and the column line.
enum Label {
    titleLabel = 5000,
    startLabel = 5001,
    stopLabel = 5002,
    dataNumberLabel = 5003,
    unitLabel = 5004,
    resolutionLabel = 5005,
    emissivityLabel = 5006,
    maxLabel = 5007,
    minLabel = 5008,
    aveLabel = 5009,
    upperLabel = 5010,
    lowerLabel = 5011,
    outLabel = 5012,
    personLabel = 5013,
    dateColumn = 1511,
    timeColumn = 1512,
    dataColumn = 1513,
    judgementColumn = 1514,
};

enum Message {
    stoppedMessage = 1733,
    cannotReadMessage = 1759,
    overwriteDisabledMessage = 1764,
    truncatedMessage = 7000,
    lineMessage = 7001,
    diskFullMessage = 7002,
    permissionMessage = 7003,
    noFolderMessage = 7004,
    keptMessage = 7005,
};

// Loading starts with a progress maximum of the file length over this many bytes per line.
constexpr double bytesPerLine = 30.0;
// A form of the file whose first field holds "ID" at its second character carries this many
// further header lines before its first sample.
constexpr int idHeaderLines = 7;
// Saving writes its lines out in blocks of this many.
constexpr int linesPerWrite = 100;
// A line quoted in a message is cut to this many characters.
constexpr int quotedLineLength = 60;

QString endOfFileText()
{
    return loadString(1760);
}

QString blankNumber(int n)
{
    return n < 0 ? QString::number(n) : u' ' + QString::number(n);
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A sample time must hold two digits at each of the positions parseDateTime reads; anything
// else in the date and time fields is not a sample.
bool isDateTimeText(const QString &dateAndTime)
{
    const QString t = dateAndTime.size() == 19 ? dateAndTime.mid(2) : dateAndTime;
    if (t.size() < 14)
        return false;
    const auto twoDigits = [&t](qsizetype at) {
        return isAsciiDigit(t[at]) && isAsciiDigit(t[at + 1]);
    };
    if (!twoDigits(0) || !twoDigits(3) || !twoDigits(6) || !twoDigits(9) || !twoDigits(12))
        return false;
    return t.size() < 17 || twoDigits(t.size() - 2);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

// A value is a code word or a text that starts with a number, as parseValue reads it.
bool isValueText(const QString &text)
{
    if (text == QLatin1String("+OVER") || text == QLatin1String("-OVER") ||
        text == QLatin1String("ERROR"))
        return true;
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && isBlank(text[i]))
            ++i;
    };
    skipBlanks();
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    skipBlanks();
    if (i < text.size() && text[i] == u'.') {
        ++i;
        skipBlanks();
    }
    return i < text.size() && isAsciiDigit(text[i]);
}

bool readSample(const QString fields[11], double &time, float &value)
{
    const QString dateAndTime = fields[0] + u' ' + fields[1];
    if (!isDateTimeText(dateAndTime) || !isValueText(fields[2]))
        return false;
    time = parseDateTime(dateAndTime);
    value = static_cast<float>(parseValue(fields[2]));
    return true;
}

bool fail(const QString &text)
{
    showMessage(text);
    return false;
}

// "Cannot read file." with the number and the text of the line read last.
QString cannotReadLine(const DataFileReader &in)
{
    QString line = in.lastLine();
    if (line.size() > quotedLineLength)
        line = line.left(quotedLineLength) + QStringLiteral("...");
    return loadString(cannotReadMessage) + u'\r' + loadString(lineMessage).arg(in.lineNumber()) +
           u'\r' + line;
}

bool isSystemText(const QString &reason, std::initializer_list<int> codes)
{
    return std::any_of(codes.begin(), codes.end(),
                       [&reason](int code) { return reason == qt_error_string(code); });
}

// What the user is told when a save into `path` failed for `reason` (the system's text):
// why, and where. `written` when the failure came after the file had been opened.
// Linux has no mandatory locks, so a file held open by another program never stops a save.
QString saveFailure(const QString &path, const QString &reason, bool written)
{
    const QString disabled = loadString(overwriteDisabledMessage);
    const QFileInfo target(path);
    const QString where = QDir::toNativeSeparators(target.absoluteFilePath());
    const QFileInfo folder(target.absolutePath());
    const QString folderPath = QDir::toNativeSeparators(folder.absoluteFilePath());
    // The previous file of the name is only replaced once the new one is complete.
    const QString kept = written && target.exists() ? u'\r' + loadString(keptMessage) : QString();

    if (isSystemText(reason, {ENOSPC, EFBIG, EDQUOT}))
        return loadString(diskFullMessage) + u'\r' + where + kept;
    if (written)
        return reason + u'\r' + where + kept;
    if (target.isDir())
        return disabled + u'\r' + where;
    QFileInfo existing = folder;
    while (!existing.exists() && !existing.isRoot())
        existing = QFileInfo(existing.absolutePath());
    // A plain file standing where a folder of the path should be.
    if ((existing.exists() && !existing.isDir()) || isSystemText(reason, {ENOTDIR, EISDIR}))
        return disabled + u'\r' + where;
    if (!folder.exists())
        return loadString(noFolderMessage) + u'\r' + folderPath;
    const bool fileRefused = target.exists() && !target.isWritable();
    // The checks cannot foresee every refusal (root on a read-only or special file system).
    if (fileRefused || !folder.isWritable() || isSystemText(reason, {EACCES, EPERM, EROFS}))
        return disabled + u'\r' + loadString(permissionMessage) + u'\r' +
               (fileRefused ? where : folderPath);
    return reason + u'\r' + where;
}

// The system's text for a write that failed. A write the system took only in part fails
// without a reason; the next attempt to write the rest out gets it.
QString writeFailure(QSaveFile &file)
{
    const QString unknown = QFile().errorString();
    for (int attempt = 0; attempt < 3 && file.errorString() == unknown; ++attempt)
        file.flush();
    return file.errorString();
}

// Installs a pace on a reader for the life of one load, unless its owner paced it already
// (the memory data file reads many sets through one reader).
class PacedReader
{
public:
    PacedReader(DataFileReader &in, FileProgress *progress) : m_in(in), m_own(progress)
    {
        if (!m_in.pace())
            m_in.setPace(&m_own);
        m_pace = m_in.pace();
    }
    ~PacedReader()
    {
        if (m_in.pace() == &m_own)
            m_in.setPace(nullptr);
    }
    FilePace &pace() { return *m_pace; }

private:
    DataFileReader &m_in;
    FilePace m_own;
    FilePace *m_pace;
};

} // namespace

bool ClassData::loadFileData(const QString &path, FileProgress *progress)
{
    stopRequested = false;
    QFile file(path);
    if (progress) {
        const double lines = std::round(static_cast<double>(file.size()) / bytesPerLine);
        progress->initProgress(
            static_cast<int>(std::min<double>(lines, std::numeric_limits<int>::max())));
    }
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    DataFileReader in(&file);
    return loadFileDataPrim(in, progress);
}

bool ClassData::loadFileDataPrim(DataFileReader &in, FileProgress *progress)
{
    PacedReader paced(in, progress);
    FilePace &pace = paced.pace();
    // When the user stops, the reader ends early, maybe inside a line: that is no fault of
    // the file.
    const auto failed = [&pace](const QString &text) {
        return fail(pace.isStopped() ? loadString(stoppedMessage) : text);
    };
    const auto endOfFile = [&failed] { return failed(endOfFileText()); };
    const auto failAtLine = [&failed, &in] { return failed(cannotReadLine(in)); };

    resetHeader();
    QString fields[11];
    if (!in.readLineFields(fields))
        return endOfFile();

    const QString title = loadString(titleLabel);
    if (fields[0].mid(1, 2) == QLatin1String("ID")) {
        for (int k = 0; k < idHeaderLines; ++k) {
            if (!in.readLineFields(fields))
                return endOfFile();
        }
    } else if (fields[0].left(5) == title) {
        const QString unitF = unitText(1);
        // Until the file states its Data Number, the bar follows the bytes read.
        bool counted = false;
        while (!in.atEnd()) {
            const QString &label = fields[0];
            if (label == title) {
                // Free text: a comma in it belongs to it.
                Title = in.restAfterLabel();
            } else if (label == loadString(unitLabel)) {
                Unit = fields[1] == unitF ? 1 : 0;
            } else if (label == loadString(resolutionLabel)) {
                Resolution = fields[1] == QLatin1String("1") ? 1 : 0;
            } else if (label == loadString(emissivityLabel)) {
                Emissivity = static_cast<float>(parseEmissivity(fields[1]));
            } else if (label == loadString(upperLabel)) {
                CompHigh = static_cast<float>(parseLimit(fields[1], Unit));
            } else if (label == loadString(lowerLabel)) {
                CompLow = static_cast<float>(parseLimit(fields[1], Unit));
            } else if (label == loadString(personLabel)) {
                MeasPerson = in.restAfterLabel();
            } else if (label == loadString(dataNumberLabel)) {
                const double count = std::round(parseValue(fields[1]));
                if (progress && count >= 0 && count <= std::numeric_limits<int>::max()) {
                    progress->initProgress(static_cast<int>(count));
                    pace.setPosition(0);
                    counted = true;
                }
            } else if (label.isEmpty() || label == loadString(startLabel) ||
                       label == loadString(stopLabel) || label == loadString(maxLabel) ||
                       label == loadString(minLabel) || label == loadString(aveLabel) ||
                       label == loadString(outLabel)) {
                // Recomputed from the samples.
            } else {
                // The column line, or the first line that is no header line at all.
                break;
            }
            if (!counted)
                pace.setPosition(static_cast<int>(std::min<double>(
                    in.bytesRead() / bytesPerLine, std::numeric_limits<int>::max())));
            in.readLineFields(fields);
        }
    }

    // Without a header the first line is lost: the line after it is sample 0.
    if (!in.readLineFields(fields))
        return endOfFile();
    double firstTime = 0.0;
    float value = 0.0f;
    if (!readSample(fields, firstTime, value))
        return failAtLine();
    storeSample(0, firstTime, value, 0);

    int n = 1;
    bool truncated = false;
    while (!in.atEnd()) {
        in.readLineFields(fields);
        if (fields[0].isEmpty())
            break;
        if (n == maxFileSamples) {
            truncated = true;
            break;
        }
        double time = 0.0;
        if (!readSample(fields, time, value))
            return failAtLine();
        const double elapsed = std::nearbyint((time - firstTime) * secondsPerDay);
        if (!(std::fabs(elapsed) <= std::numeric_limits<qint32>::max()))
            return failAtLine();
        storeSample(n, time, value, static_cast<qint32>(elapsed));
        ++n;
        pace.setPosition(n);
    }
    if (pace.isStopped())
        return fail(loadString(stoppedMessage));

    DataNo = static_cast<qint16>(n);
    setTimeData();
    if (truncated)
        showMessage(loadString(truncatedMessage).arg(maxFileSamples), Prompter::Ok,
                    Prompter::Warning);
    return true;
}

bool ClassData::saveFileData(const QString &path, FileProgress *progress)
{
    stopRequested = false;
    if (progress)
        progress->initProgress(DataNo);
    // The previous file stays in place until the new one is complete.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return fail(saveFailure(path, file.errorString(), false));
    if (!saveFileDataPrim(file, progress)) {
        // Stopped (and said so), or a write failed.
        const QString reason =
            file.error() != QFileDevice::NoError ? writeFailure(file) : QString();
        file.cancelWriting();
        if (!reason.isEmpty())
            showMessage(saveFailure(path, reason, true));
        return false;
    }
    // Written out before the commit, so that a full disk is reported with its reason.
    if (!file.flush() || !file.commit()) {
        const QString reason = writeFailure(file);
        file.cancelWriting();
        return fail(saveFailure(path, reason, true));
    }
    return true;
}

bool ClassData::saveFileDataPrim(QIODevice &out, FileProgress *progress) const
{
    const bool realTime = programMode == 0;
    const bool judged = programMode == 1 && getCompOn();
    const QString unit = unitText(Unit);
    const QChar comma = u',';
    FilePace pace(progress);

    QByteArray pending;
    const auto line = [&pending](const QString &text) {
        pending += text.toUtf8();
        pending += "\r\n";
    };
    const auto flush = [&pending, &out] {
        const bool written = out.write(pending) == pending.size();
        pending.clear();
        return written;
    };
    const auto label = [](int id) -> QString { return loadString(id) + u','; };

    line(label(titleLabel) + Title);
    line(label(startLabel) + getStartDate() + comma + getStartTime());
    line(label(stopLabel) + getStopDate() + comma + getStopTime());
    line(label(dataNumberLabel) + blankNumber(DataNo));
    line(label(unitLabel) + unit);
    if (realTime) {
        line(label(resolutionLabel) +
             (Resolution == 1 ? QStringLiteral("1") : QStringLiteral("0.1")));
        line(label(emissivityLabel) + getMeasEmiStr());
    }
    line(label(maxLabel) + getMaxDate() + comma + getMaxTime() + comma +
         valueText(MaxValue, Resolution));
    line(label(minLabel) + getMinDate() + comma + getMinTime() + comma +
         valueText(MinValue, Resolution));
    line(label(aveLabel) + valueText(AveValue, Resolution));
    if (judged) {
        line(label(upperLabel) + getCompHighStr());
        line(label(lowerLabel) + getCompLowStr());
        line(label(outLabel) + blankNumber(CompOut));
    }
    line(label(personLabel) + MeasPerson);
    QString columns =
        label(dateColumn) + label(timeColumn) + loadString(dataColumn) + u'[' + unit + u']';
    if (judged)
        columns += comma + loadString(judgementColumn);
    line(columns);

    const int last = std::min<int>(LastNo, upperBound());
    for (int i = 0; i <= last; ++i) {
        QString sample =
            getDataDate(i) + comma + getDataTime(i) + comma + valueText(getDataY(i), Resolution);
        if (judged) {
            const QString judgement = getDataStatusStr(i);
            if (!judgement.isEmpty())
                sample += comma + judgement;
        }
        line(sample);
        if ((i + 1) % linesPerWrite == 0) {
            if (!flush())
                return false;
            if (pace.stopped(i))
                return fail(loadString(stoppedMessage));
        }
    }
    return flush();
}
