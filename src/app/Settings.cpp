#include "Settings.h"

#include "Format.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <cfloat>
#include <cmath>

MeasSettingRecord MeasSetting;
SettingsRecord Settings;

namespace
{

const QString settingsFileName = QStringLiteral("OrvanUtility.ini");
constexpr int emissivityListMax = 10;
// Positions are kept this far inside the screen's right and bottom edges, in twips.
constexpr int screenMargin = 750;

// Windows-1252 characters of the bytes 0x80..0x9F; the rest of the code page is Latin-1.
// The five unassigned bytes keep their C1 code points.
const char16_t cp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Files written by the Windows edition are in its code page ("°" is the single byte 0xB0);
// ours are UTF-8.
QString decodeSettingsText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QString result;
    result.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        result += (b >= 0x80 && b <= 0x9F) ? QChar(cp1252High[b - 0x80]) : QChar(b);
    }
    return result;
}

class LineSource
{
public:
    explicit LineSource(const QString &text)
    {
        QString normalized = text;
        normalized.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        normalized.replace(u'\r', u'\n');
        m_lines = normalized.split(u'\n');
        // A final line end does not start another line.
        if (normalized.endsWith(u'\n'))
            m_lines.removeLast();
    }

    bool atEnd() const { return m_next >= m_lines.size(); }
    QString readLine() { return m_lines.at(m_next++); }

    // The next line starting with "[", or "[EOF]" when the file ends first or that line is
    // the last one.
    QString readSectionName()
    {
        while (!atEnd()) {
            const QString line = readLine();
            if (line.startsWith(u'['))
                return atEnd() ? QStringLiteral("[EOF]") : line;
        }
        return QStringLiteral("[EOF]");
    }

private:
    QStringList m_lines;
    qsizetype m_next = 0;
};

qint16 toInt16(double value)
{
    return static_cast<qint16>(std::clamp(std::round(value), -32768.0, 32767.0));
}

qint32 toInt32(double value)
{
    return static_cast<qint32>(std::clamp(std::round(value), -2147483648.0, 2147483647.0));
}

float toFloat(double value)
{
    return static_cast<float>(std::clamp(value, -double(FLT_MAX), double(FLT_MAX)));
}

struct PositionKey {
    const char *key;
    qint32 SettingsRecord::*field;
};

const PositionKey positionKeys[] = {
    {"TopL", &SettingsRecord::TopL},     {"LeftL", &SettingsRecord::LeftL},
    {"TopF", &SettingsRecord::TopF},     {"LeftF", &SettingsRecord::LeftF},
    {"TopM", &SettingsRecord::TopM},     {"LeftM", &SettingsRecord::LeftM},
    {"TopG", &SettingsRecord::TopG},     {"LeftG", &SettingsRecord::LeftG},
    {"WidthG", &SettingsRecord::WidthG}, {"HeightG", &SettingsRecord::HeightG},
};

void setDefaults()
{
    Settings.WidthG = 9600;
    Settings.HeightG = 7200;
    Settings.comPortIndex = 0;
    Settings.IntervalTimeCount = 1.0f;
    Settings.IntervalTimeUnit = 0;
    Settings.LogTimeCount = 1.0f;
    Settings.LogTimeUnit = 0;
    for (QString &device : Settings.portDevices)
        device.clear();
    Settings.ExcelFolder.clear();
    Settings.LastFolder.clear();
    MeasSetting.Unit = 0;
    MeasSetting.Precision = 0;
    MeasSetting.EmissivityStr = QStringLiteral("1.00");
    MeasSetting.ScaleZero = -20.0f;
    MeasSetting.ScaleFull = 500.0f;
}

void readSettingLine(QString line)
{
    // A folder may itself hold commas, so it is the whole rest of the line.
    if (line.startsWith(QLatin1String("ExcelFolder,"))) {
        Settings.ExcelFolder = line.mid(12).trimmed();
        return;
    }
    if (line.startsWith(QLatin1String("LastFolder,"))) {
        Settings.LastFolder = line.mid(11).trimmed();
        return;
    }
    QString fields[11];
    if (splitComma(line, fields) < 1)
        return; // no comma: malformed, not a key with an empty value
    const QString &key = fields[0];
    const double value = leadingNumber(fields[1]);
    for (const PositionKey &position : positionKeys) {
        if (key == QLatin1String(position.key)) {
            Settings.*position.field = toInt32(value);
            return;
        }
    }
    if (key == QLatin1String("COMPort"))
        Settings.comPortIndex = toInt16(value) - 1;
}

void readMeasSettingLine(QString line)
{
    QString fields[11];
    if (splitComma(line, fields) < 1)
        return; // no comma: malformed, not a key with an empty value
    const QString &key = fields[0];
    const double value = leadingNumber(fields[1]);
    if (key == QLatin1String("IntervalTimeCount"))
        Settings.IntervalTimeCount = toFloat(value);
    else if (key == QLatin1String("IntervalTimeUnit"))
        Settings.IntervalTimeUnit = toInt16(value);
    else if (key == QLatin1String("LogTimeCount"))
        Settings.LogTimeCount = toFloat(value);
    else if (key == QLatin1String("LogTimeUnit"))
        Settings.LogTimeUnit = toInt16(value);
    else if (key == QLatin1String("UseExcel"))
        Settings.UseExcel = toInt16(value);
    else if (key == QLatin1String("Unit"))
        MeasSetting.Unit = toInt16(value);
    else if (key == QLatin1String("Precision"))
        MeasSetting.Precision = toInt16(value);
    else if (key == QLatin1String("EmissivityStr"))
        MeasSetting.EmissivityStr = fields[1];
    else if (key == QLatin1String("ScaleZero"))
        MeasSetting.ScaleZero = toFloat(value);
    else if (key == QLatin1String("ScaleFull"))
        MeasSetting.ScaleFull = toFloat(value);
}

// "COM1,<device>": the device may itself hold commas, so it is the whole rest of the line.
void readPortsLine(const QString &line)
{
    const qsizetype comma = line.indexOf(u',');
    if (comma < 0)
        return;
    const QString key = line.left(comma);
    for (int i = 0; i < 4; ++i) {
        if (key == QStringLiteral("COM%1").arg(i + 1))
            Settings.portDevices[i] = line.mid(comma + 1);
    }
}

void limitToScreen(const QSize &screenTwips)
{
    const int width = screenTwips.width();
    const int height = screenTwips.height();
    auto limit = [](qint32 &value, int maximum) {
        if (value < 0)
            value = 0;
        if (value > maximum)
            value = maximum;
    };
    for (qint32 *top : {&Settings.TopL, &Settings.TopF, &Settings.TopM, &Settings.TopG})
        limit(*top, height - screenMargin);
    for (qint32 *left : {&Settings.LeftL, &Settings.LeftF, &Settings.LeftM, &Settings.LeftG})
        limit(*left, width - screenMargin);

    if (Settings.WidthG <= 0)
        Settings.WidthG = 10200;
    Settings.WidthG = std::min(std::max(Settings.WidthG, 7500), width);
    if (Settings.HeightG <= 0)
        Settings.HeightG = 7500;
    Settings.HeightG = std::min(std::max(Settings.HeightG, 4500), height);
}

void readSections(LineSource &source)
{
    QString current;
    while (!source.atEnd()) {
        if (!current.startsWith(u'['))
            current = source.readSectionName();
        const QString section = current;
        current.clear();
        if (section == QLatin1String("[Setting]") || section == QLatin1String("[MeasSetting]") ||
            section == QLatin1String("[Ports]")) {
            while (!source.atEnd()) {
                const QString line = source.readLine();
                if (line.startsWith(u'[')) {
                    current = line;
                    break;
                }
                if (section == QLatin1String("[Setting]"))
                    readSettingLine(line);
                else if (section == QLatin1String("[MeasSetting]"))
                    readMeasSettingLine(line);
                else
                    readPortsLine(line);
            }
        } else if (section == QLatin1String("[Emissivity]")) {
            MeasSetting.EmissivityList.clear();
            while (!source.atEnd()) {
                const QString line = source.readLine();
                if (line.startsWith(u'[')) {
                    current = line;
                    break;
                }
                if (line.isEmpty())
                    continue;
                MeasSetting.EmissivityList.append(line);
                if (MeasSetting.EmissivityList.size() == emissivityListMax)
                    break;
            }
        } else if (section == QLatin1String("[EOF]")) {
            break;
        } else if (!source.atEnd()) {
            // An unknown section: its first line may already be the next section name.
            current = source.readLine();
        }
    }
}

QString intText(qint32 value)
{
    return value < 0 ? QString::number(value) : u' ' + QString::number(value);
}

} // namespace

QString settingsFilePath()
{
    // The file is replaced through a temporary file beside it, so the directory itself must
    // be writable; a writable file in a read-only directory would not do.
    const QString appDir = QCoreApplication::applicationDirPath();
    if (!appDir.isEmpty() && QFileInfo(appDir).isWritable())
        return appDir + u'/' + settingsFileName;
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + u'/' +
           settingsFileName;
}

void loadSettings(const QString &path, const QSize &screenTwips)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setDefaults();
        return;
    }
    loadSettingsText(file.readAll(), screenTwips);
}

void loadSettingsText(const QByteArray &bytes, const QSize &screenTwips)
{
    setDefaults();
    LineSource source(decodeSettingsText(bytes));
    readSections(source);
    limitToScreen(screenTwips);
}

bool saveSettings(const QString &path)
{
    QString text;
    auto line = [&text](const QString &content) { text += content + QLatin1String("\r\n"); };

    line(QStringLiteral("[Setting]"));
    for (const PositionKey &position : positionKeys)
        line(QLatin1String(position.key) + u',' + intText(Settings.*position.field));
    line(QStringLiteral("COMPort,") + intText(Settings.comPortIndex + 1));
    // Only when set, so that other files keep the classic layout.
    if (!Settings.ExcelFolder.isEmpty())
        line(QStringLiteral("ExcelFolder,") + Settings.ExcelFolder);
    if (!Settings.LastFolder.isEmpty())
        line(QStringLiteral("LastFolder,") + Settings.LastFolder);
    line(QString());
    line(QStringLiteral("[MeasSetting]"));
    line(QStringLiteral("IntervalTimeCount,") + precisionText(Settings.IntervalTimeCount, -1));
    line(QStringLiteral("IntervalTimeUnit,") + intText(Settings.IntervalTimeUnit));
    line(QStringLiteral("LogTimeCount,") + precisionText(Settings.LogTimeCount, -1));
    line(QStringLiteral("LogTimeUnit,") + intText(Settings.LogTimeUnit));
    line(QStringLiteral("UseExcel,") + intText(Settings.UseExcel));
    line(QStringLiteral("Unit,") + intText(MeasSetting.Unit));
    line(QStringLiteral("Precision,") + intText(MeasSetting.Precision));
    line(QStringLiteral("EmissivityStr,") + MeasSetting.EmissivityStr);
    line(QStringLiteral("ScaleZero,") + precisionText(MeasSetting.ScaleZero, -1));
    line(QStringLiteral("ScaleFull,") + precisionText(MeasSetting.ScaleFull, -1));
    line(QString());
    line(QStringLiteral("[Emissivity]"));
    for (const QString &entry : MeasSetting.EmissivityList)
        line(entry);

    // Only when a device was chosen, so that other files keep the classic layout.
    const bool anyDevice =
        std::any_of(std::begin(Settings.portDevices), std::end(Settings.portDevices),
                    [](const QString &device) { return !device.isEmpty(); });
    if (anyDevice) {
        line(QString());
        line(QStringLiteral("[Ports]"));
        for (int i = 0; i < 4; ++i)
            line(QStringLiteral("COM%1,").arg(i + 1) + Settings.portDevices[i]);
    }

    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
