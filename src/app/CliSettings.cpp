#include "AppState.h"
#include "CliCommand.h"
#include "CliInstrument.h"
#include "Format.h"
#include "MeasSettingCheck.h"
#include "Settings.h"
#include "Strings.h"

#include <QRegularExpression>

namespace
{

// What --resolution, --emissivity and --scale ask for, checked by the settings dialog's
// rules.
struct Requested {
    bool resolution = false;
    qint16 precision = 0;
    bool emissivity = false;
    double emissivityValue = 1.0;
    bool scale = false;
    float zero = 0.0f;
    float full = 0.0f;

    bool any() const { return resolution || emissivity || scale; }
};

qint16 parseResolution(const QString &text)
{
    if (text == QLatin1String("0.1"))
        return 0;
    if (text == QLatin1String("1"))
        return 1;
    cliBadValue(7433, text);
}

double parseEmissivityOption(const QString &text)
{
    bool ok = false;
    double value = text.trimmed().toDouble(&ok);
    if (!ok)
        cliBadValue(7434, text);
    if (!checkEmissivityNum(value))
        throw CliError{ExitUsage, emissivityRangeMessage()};
    return value;
}

// ZERO:FULL in the stored unit's whole degrees; zero above full is swapped, as the
// settings dialog does.
void parseScale(const QString &text, int unit, float *zero, float *full)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*([-+]?\\d+(?:\\.\\d*)?)\\s*:\\s*([-+]?\\d+(?:\\.\\d*)?)\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        cliBadValue(7435, text);
    *zero = scaleTextValue(match.captured(1));
    *full = scaleTextValue(match.captured(2));
    float scaleMin = 0.0f, scaleMax = 0.0f;
    if (!checkScalePrim(*zero, *full, unit, &scaleMin, &scaleMax))
        throw CliError{ExitUsage, scaleRangeMessage(unit)};
    if (!checkScaleSpan(*zero, *full, unit))
        throw CliError{ExitUsage, scaleSpanMessage(unit)};
    orderScale(*zero, *full);
}

void printSettings(const QString &type, bool fieldType)
{
    const auto line = [](int labelId, const QString &value) {
        cliOut(loadString(labelId) + QStringLiteral(": ") + value);
    };
    line(7436, type);
    line(1302, MeasSetting.Precision == 1 ? QStringLiteral("1") : QStringLiteral("0.1"));
    line(1303, unitText(MeasSetting.Unit));
    line(1304, MeasSetting.EmissivityStr);
    if (!fieldType)
        line(1305, integerText(MeasSetting.ScaleZero) + rangeSeparator +
                       integerText(MeasSetting.ScaleFull) + u' ' + unitText(MeasSetting.Unit));
}

} // namespace

// Prints the instrument's settings; with options, sends the ones asked for and keeps the
// others as the instrument holds them.
int runSettings(const CliCommand &command, const QStringList &arguments)
{
    CliOptions options(command);
    const QCommandLineOption resolutionOption =
        options.add({QStringLiteral("resolution")}, 7430, QStringLiteral("0.1|1"));
    const QCommandLineOption emissivityOption =
        options.add({QStringLiteral("emissivity")}, 7431, QStringLiteral("E"));
    const QCommandLineOption scaleOption =
        options.add({QStringLiteral("scale")}, 7432, QStringLiteral("ZERO:FULL"));
    CliInstrument cli(options);
    options.parse(arguments);
    cli.prepare(options);

    Requested wanted;
    if ((wanted.resolution = options.isSet(resolutionOption)))
        wanted.precision = parseResolution(options.value(resolutionOption));
    if ((wanted.emissivity = options.isSet(emissivityOption)))
        wanted.emissivityValue = parseEmissivityOption(options.value(emissivityOption));
    // The scale is meant in the unit of the settings file, as in the settings dialog.
    const qint16 unit = MeasSetting.Unit;
    if ((wanted.scale = options.isSet(scaleOption)))
        parseScale(options.value(scaleOption), unit, &wanted.zero, &wanted.full);

    QString type;
    bool fieldType = false;
    cli.bracket([&] {
        cli.adoptModeOfInstrument();
        type = cli.link().lastReply();
        fieldType = programMode == 1;
        if (fieldType && (wanted.scale || (wanted.resolution && wanted.precision != 0)))
            throw CliError{ExitUsage, loadString(7437)};
        cli.instrument().recvMeasSettingPrim();
        if (!wanted.any())
            return;
        // A scale in degrees C must not reach an instrument that works in degrees F.
        if (wanted.scale && MeasSetting.Unit != unit)
            throw CommError{CommError::UnitDiffers, loadString(1797)};
        if (wanted.resolution)
            MeasSetting.Precision = wanted.precision;
        if (wanted.emissivity) {
            MeasSetting.EmissivityValue = float(wanted.emissivityValue);
            MeasSetting.EmissivityStr = emissivityText(wanted.emissivityValue);
        }
        if (wanted.scale) {
            MeasSetting.ScaleZero = wanted.zero;
            MeasSetting.ScaleFull = wanted.full;
        }
        cli.instrument().sendMeasSettingPrim();
    });
    printSettings(type, fieldType);
    return ExitDone;
}
