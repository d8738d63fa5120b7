// The channel data file of ClassData: a labelled header, a column line and one line per
// sample, comma-separated, lines ended by CR LF, written as UTF-8.

#include "ClassData.h"

#include "AppState.h"
#include "DataFileReader.h"
#include "DateTime.h"
#include "FileProgress.h"
#include "Format.h"
#include "Prompter.h"
#include "Pump.h"
#include "Strings.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cmath>
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
};

// The loops report progress and look at the Stop flag every this many lines.
constexpr int progressLines = 100;
// Loading starts with a progress maximum of the file length over this many bytes per line.
constexpr double bytesPerLine = 30.0;
// A form of the file whose first field holds "ID" at its second character carries this many
// further header lines before its first sample.
constexpr int idHeaderLines = 7;

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

// Progress and the Stop button between two blocks of lines. True when the user stopped.
bool stoppedAt(int position, FileProgress *progress)
{
    if (progress)
        progress->ProgressJob(position);
    Pump::instance().processPendingEvents();
    if (!stopRequested)
        return false;
    stopRequested = false;
    return true;
}

bool fail(const QString &text)
{
    showMessage(text);
    return false;
}

// Why a data file could not be created at `path`, as the user is told: a path or file that
// cannot be written gets the overwrite message, anything else the system's own text. Linux
// has no mandatory locks, so a file held open by another program never stops a save.
QString openForWriteFailure(const QString &path, const QSaveFile &file)
{
    const QString disabled = loadString(overwriteDisabledMessage);
    const QFileInfo target(path);
    if (target.isDir())
        return disabled;
    const QFileInfo folder(target.absolutePath());
    QFileInfo existing = folder;
    while (!existing.exists() && !existing.isRoot())
        existing = QFileInfo(existing.absolutePath());
    // A plain file standing where a folder of the path should be.
    if (existing.exists() && !existing.isDir())
        return disabled;
    if (folder.exists() && (!folder.isWritable() || (target.exists() && !target.isWritable())))
        return disabled;
    // Refusals the checks above cannot foresee (root on a read-only or special file system).
    const QString reason = file.errorString();
    for (const int code : {EACCES, EPERM, EROFS, ENOTDIR, EISDIR}) {
        if (reason == qt_error_string(code))
            return disabled;
    }
    return reason;
}

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
    resetHeader();
    QString fields[11];
    if (!in.readLineFields(fields))
        return fail(endOfFileText());

    const QString title = loadString(titleLabel);
    if (fields[0].mid(1, 2) == QLatin1String("ID")) {
        for (int k = 0; k < idHeaderLines; ++k) {
            if (!in.readLineFields(fields))
                return fail(endOfFileText());
        }
    } else if (fields[0].left(5) == title) {
        const QString unitF = unitText(1);
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
                if (progress && count >= 0 && count <= std::numeric_limits<int>::max())
                    progress->initProgress(static_cast<int>(count));
            } else if (label.isEmpty() || label == loadString(startLabel) ||
                       label == loadString(stopLabel) || label == loadString(maxLabel) ||
                       label == loadString(minLabel) || label == loadString(aveLabel) ||
                       label == loadString(outLabel)) {
                // Recomputed from the samples.
            } else {
                // The column line, or the first line that is no header line at all.
                break;
            }
            in.readLineFields(fields);
        }
    }

    // Without a header the first line is lost: the line after it is sample 0.
    if (!in.readLineFields(fields))
        return fail(endOfFileText());
    double firstTime = 0.0;
    float value = 0.0f;
    if (!readSample(fields, firstTime, value))
        return fail(loadString(cannotReadMessage));
    storeSample(0, firstTime, value, 0);

    int n = 1;
    while (n < maxFileSamples && !in.atEnd()) {
        in.readLineFields(fields);
        if (fields[0].isEmpty())
            break;
        double time = 0.0;
        if (!readSample(fields, time, value))
            return fail(loadString(cannotReadMessage));
        const double elapsed = std::nearbyint((time - firstTime) * secondsPerDay);
        if (!(std::fabs(elapsed) <= std::numeric_limits<qint32>::max()))
            return fail(loadString(cannotReadMessage));
        storeSample(n, time, value, static_cast<qint32>(elapsed));
        if ((n + 1) % progressLines == 0 && stoppedAt(n, progress))
            return fail(loadString(stoppedMessage));
        ++n;
    }

    DataNo = static_cast<qint16>(n);
    setTimeData();
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
        return fail(openForWriteFailure(path, file));
    if (!saveFileDataPrim(file, progress)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

bool ClassData::saveFileDataPrim(QIODevice &out, FileProgress *progress) const
{
    const bool realTime = programMode == 0;
    const bool judged = programMode == 1 && getCompOn();
    const QString unit = unitText(Unit);
    const QChar comma = u',';

    QByteArray pending;
    const auto line = [&pending](const QString &text) {
        pending += text.toUtf8();
        pending += "\r\n";
    };
    const auto flush = [&pending, &out] {
        const bool written = out.write(pending) == pending.size();
        pending.clear();
        if (!written)
            showMessage(out.errorString());
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
        if ((i + 1) % progressLines == 0) {
            if (!flush())
                return false;
            if (stoppedAt(i, progress))
                return fail(loadString(stoppedMessage));
        }
    }
    return flush();
}
