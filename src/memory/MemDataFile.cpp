#include "MemDataFile.h"

#include "DataFileReader.h"
#include "DateTime.h"
#include "Format.h"
#include "Strings.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cmath>

namespace
{
constexpr int sectionLabel = 5014;
constexpr int resolutionLabel = 5005;

// One section as the block loader reads it: a header of labelled lines (empty ones
// skipped) up to the first line that is no header label, then samples up to an empty line
// (consumed) or the end of the file. Without a title line the header is the first line.
struct Section {
    QByteArray body;
    QStringList valueTexts;
    bool resolutionStated = false;
};

Section readSection(DataFileReader &in)
{
    static const int headerLabels[] = {5000, 5001, 5002, 5003, 5004, 5005, 5006,
                                       5007, 5008, 5009, 5010, 5011, 5012, 5013};
    Section section;
    QString line;
    bool first = true;
    bool inHeader = false;
    // An identification header: the loader skips its seven lines after the first.
    int skip = 0;
    while (in.readLine(line)) {
        section.body += line.toUtf8() + "\r\n";
        QString rest = line;
        QString fields[11];
        splitComma(rest, fields);
        if (first) {
            first = false;
            inHeader = fields[0].left(5) == loadString(5000);
            if (inHeader)
                continue;
            // Otherwise the loader drops the line and reads samples from the next one.
            if (fields[0].mid(1, 2) == QLatin1String("ID"))
                skip = 7;
            continue;
        }
        if (skip > 0) {
            --skip;
            continue;
        }
        if (inHeader) {
            if (fields[0] == loadString(resolutionLabel))
                section.resolutionStated = true;
            bool label = fields[0].isEmpty();
            for (const int id : headerLabels)
                label = label || fields[0] == loadString(id);
            if (!label)
                inHeader = false;
            continue;
        }
        if (line.isEmpty())
            break;
        section.valueTexts << fields[2].trimmed();
    }
    return section;
}

// True when the section states no resolution and its sample values are numbers written
// without a decimal point: a block saved at whole degrees.
bool wholeDegrees(const Section &section)
{
    if (section.resolutionStated)
        return false;
    bool numbers = false;
    for (const QString &value : section.valueTexts) {
        // The code texts (+OVER, -OVER, ERROR) say nothing about the resolution.
        if (value.isEmpty() || !value.back().isDigit())
            continue;
        if (value.contains(u'.'))
            return false;
        numbers = true;
    }
    return numbers;
}
} // namespace

MemDataFileResult readMemDataFile(DataFileReader &in, std::unique_ptr<ClassData> (&blocks)[64],
                                  FileProgress *progress)
{
    MemDataFileResult result;
    const QString label = loadString(sectionLabel);
    QString line;
    while (in.readLine(line)) {
        if (line.left(3) != label)
            continue;
        const double number = std::nearbyint(leadingNumber(line.mid(3)));
        if (!(number >= 1 && number <= 64) || blocks[int(number) - 1]) {
            if (std::fabs(number) < 1e6)
                result.skipped << int(number);
            continue;
        }
        const int block = static_cast<int>(number) - 1;
        const qint64 linesBefore = in.lineNumber();
        Section body = readSection(in);
        QBuffer buffer(&body.body);
        buffer.open(QIODevice::ReadOnly);
        DataFileReader section(&buffer);
        section.setLinesBefore(linesBefore);
        auto data = std::make_unique<ClassData>();
        if (!data->loadFileDataPrim(section, progress)) {
            result.failed = true;
            break;
        }
        if (wholeDegrees(body)) {
            data->Resolution = 1;
            data->setTimeData();
        }
        blocks[block] = std::move(data);
        ++result.sections;
    }
    return result;
}

QString skippedSectionsText(const QList<int> &skipped)
{
    QStringList names;
    for (const int number : skipped)
        names << loadString(sectionLabel) + signedNumberText(number);
    return loadString(7210) + u'\r' + names.join(QLatin1String(", "));
}

MemWrite writeMemDataFile(const QString &path, const std::unique_ptr<ClassData> (&blocks)[64],
                          FileProgress *progress)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return MemWrite::Failed;
    for (int number = 1; number <= 64; ++number) {
        const ClassData *block = blocks[number - 1].get();
        // A block without samples would read back as a broken section and end the load there.
        if (!block || block->LastNo < 0)
            continue;
        // A section goes through memory first, so that every write failure is the file's own;
        // the buffer itself only fails when the user stops.
        QBuffer section;
        section.open(QIODevice::WriteOnly);
        section.write((loadString(sectionLabel) + signedNumberText(number)).toUtf8() + "\r\n");
        if (!block->saveFileDataPrim(section, progress)) {
            file.cancelWriting();
            return MemWrite::Stopped;
        }
        section.write("\r\n");
        if (file.write(section.data()) != section.data().size()) {
            file.cancelWriting();
            return MemWrite::Failed;
        }
    }
    return file.commit() ? MemWrite::Written : MemWrite::Failed;
}

QString downloadsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QLatin1String("/downloads");
}

QString keepDownload(const std::unique_ptr<ClassData> (&blocks)[64], double clock)
{
    const QString folder = downloadsFolder();
    if (!QDir().mkpath(folder))
        return QString();
    const QString stem = folder + QLatin1String("/listing ") +
                         fromDayCount(clock).toString(QStringLiteral("yyyy-MM-dd hh-mm-ss"));
    QString path = stem + QLatin1String(".csv");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + QStringLiteral(" (%1).csv").arg(n);
    return writeMemDataFile(path, blocks, nullptr) == MemWrite::Written ? path : QString();
}
