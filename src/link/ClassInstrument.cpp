#include "ClassInstrument.h"

#include "AppState.h"
#include "ClassLink.h"
#include "CommError.h"
#include "DateTime.h"
#include "Format.h"
#include "MeasSettingCheck.h"
#include "Prompter.h"
#include "Settings.h"
#include "Strings.h"

bool fieldTypeConnected = false;

namespace
{

const QString fieldType = QStringLiteral("F-type");
const QString laboratoryType = QStringLiteral("L-type");

[[noreturn]] void wrongReply()
{
    throw CommError{CommError::WrongReply, loadString(1730)};
}

void tell(int id, Prompter::Icon icon = Prompter::Information)
{
    Prompter::instance().message(loadString(id), Prompter::Ok, icon);
}

void tell(int id1, int id2, Prompter::Icon icon)
{
    Prompter::instance().message(loadString(id1) + QLatin1Char('\r') + loadString(id2),
                                 Prompter::Ok, icon);
}

} // namespace

double InstrumentReply::number(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    bool point = false;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            ++i;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
            ++i;
        } else {
            break;
        }
    }
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    return ok ? value : 0.0;
}

qint16 InstrumentReply::unit(const QString &reply, qint16 unit)
{
    if (reply.contains(QLatin1Char('F')))
        return 1;
    if (reply.contains(QLatin1Char('C')))
        return 0;
    return unit;
}

float InstrumentReply::reading(const QString &reply)
{
    // 501 stands for "not decided yet".
    float value = 501.0f;
    if (reply.startsWith(QLatin1String(" Err")) || reply.startsWith(QLatin1String("Error")))
        value = errorCode;
    if (reply == QLatin1String("Lo.Batt!"))
        value = lowBatteryCode;
    if (value == 501.0f)
        value = static_cast<float>(leadingNumber(reply));
    return value;
}

int InstrumentReply::resolution(const QString &reply)
{
    if (reply == QLatin1String("Resolution:0.1"))
        return 0;
    if (reply == QLatin1String("Resolution:1"))
        return 1;
    return -1;
}

bool InstrumentReply::emissivity(const QString &reply, float &value)
{
    if (!reply.startsWith(QLatin1String("Emi")))
        return false;
    value = float(number(reply.right(4)));
    return true;
}

bool InstrumentReply::scale(const QString &reply, float &zero, float &full)
{
    if (!reply.startsWith(QLatin1String("Zero")))
        return false;
    zero = float(number(reply.mid(5, 3)));
    full = float(number(reply.mid(15, 3)));
    return true;
}

ClassInstrument::ClassInstrument(ClassLink &link) : m_link(link) {}

template <typename Work> void ClassInstrument::bracket(Work work)
{
    m_link.showCommDialog();
    try {
        m_link.PowerOn();
        work();
    } catch (const CommError &) {
        // Reported where it was raised.
    }
    m_link.PowerOff();
    m_link.hideCommDialog();
}

int ClassInstrument::checkModelType()
{
    fieldTypeConnected = m_link.lastReply() == fieldType;
    if (programMode == 0)
        return fieldTypeConnected ? 1 : 0;
    return fieldTypeConnected ? 0 : 2;
}

void ClassInstrument::confirmModelType()
{
    m_link.SendCommand(QStringLiteral("TYPE"));
    const int fit = checkModelType();
    if (fit == 0)
        return;
    const int id = fit == 1 ? 1778 : 1779;
    tell(id, Prompter::Warning);
    throw CommError{CommError::WrongType, loadString(id)};
}

void ClassInstrument::readUnit()
{
    m_link.SendCommand(QStringLiteral(":"));
    MeasSetting.Unit = InstrumentReply::unit(m_link.lastReply(), MeasSetting.Unit);
}

void ClassInstrument::refuseFahrenheitInJapanese()
{
    if (languageFlag != 0 || MeasSetting.Unit != 1)
        return;
    MeasSetting.Unit = 0;
    tell(1798, Prompter::Warning);
    throw CommError{CommError::Stopped, loadString(1798)};
}

void ClassInstrument::expectReply(const QString &prefix)
{
    if (!m_link.lastReply().startsWith(prefix))
        wrongReply();
}

void ClassInstrument::recvMeasSettingPrim()
{
    confirmModelType();
    m_link.startMeasure();
    readUnit();
    refuseFahrenheitInJapanese();

    m_link.SendCommand(QStringLiteral("RESOL"));
    const int resolution = InstrumentReply::resolution(m_link.lastReply());
    if (resolution < 0)
        wrongReply();
    MeasSetting.Precision = qint16(resolution);

    m_link.SendCommand(QStringLiteral("EMI"));
    if (!InstrumentReply::emissivity(m_link.lastReply(), MeasSetting.EmissivityValue))
        wrongReply();
    // The instrument knows no material names: the text is the bare number.
    MeasSetting.EmissivityStr = emissivityText(MeasSetting.EmissivityValue);

    if (programMode == 0 && !fieldTypeConnected) {
        m_link.SendCommand(QStringLiteral("ZERO"));
        if (!InstrumentReply::scale(m_link.lastReply(), MeasSetting.ScaleZero,
                                    MeasSetting.ScaleFull))
            wrongReply();
    }
}

bool ClassInstrument::recvMeasSetting()
{
    try {
        recvMeasSettingPrim();
    } catch (const CommError &error) {
        reportSettingsFailure(error);
        return false;
    }
    m_settingsState = SettingsInStep;
    normalizeMeasSetting();
    return true;
}

void ClassInstrument::sendMeasSettingPrim()
{
    const bool memoryWindow = programMode == 1;
    confirmModelType();
    m_link.startMeasure();
    const qint16 unit = MeasSetting.Unit;
    // Leaves the instrument's unit in the record: the unit is never sent.
    readUnit();
    refuseFahrenheitInJapanese();
    m_link.SendCommand(QStringLiteral(";"));
    if (!memoryWindow && MeasSetting.Unit != unit)
        throw CommError{CommError::UnitDiffers, loadString(1797)};

    // The memory window offers no resolution; its instrument always gets 0.1.
    const bool wholeDegrees = !memoryWindow && MeasSetting.Precision == 1;
    m_link.SendCommand(wholeDegrees ? QStringLiteral("RESOL   1") : QStringLiteral("RESOL 0.1"));
    expectReply(QStringLiteral("Res"));

    m_link.SendCommand(QLatin1String("EMI ") + emissivityText(MeasSetting.EmissivityValue));
    float echoed = 0.0f;
    if (!InstrumentReply::emissivity(m_link.lastReply(), echoed) ||
        echoed != MeasSetting.EmissivityValue)
        wrongReply();

    if (!memoryWindow && !fieldTypeConnected) {
        m_link.SendCommand(QLatin1String("ZERO ") + integerText(MeasSetting.ScaleZero));
        expectReply(QStringLiteral("Zero"));
        m_link.SendCommand(QLatin1String("FS ") + integerText(MeasSetting.ScaleFull));
        // The instrument answers FS with its whole scale, which begins "Zero".
        expectReply(QStringLiteral("Zero"));
    }

    m_link.SendCommand(QStringLiteral("BACKUP"));
}

bool ClassInstrument::sendMeasSetting()
{
    try {
        sendMeasSettingPrim();
    } catch (const CommError &error) {
        reportSettingsFailure(error);
        return false;
    }
    m_settingsState = SettingsInStep;
    return true;
}

void ClassInstrument::reportSettingsFailure(const CommError &error)
{
    switch (error.code) {
    case CommError::Stopped:
    case CommError::PortFailed:
    case CommError::NoReply:
    case CommError::WrongType:
        return;
    case CommError::WrongReply:
        tell(1730, Prompter::Warning);
        return;
    case CommError::UnitDiffers:
        tell(1797, Prompter::Warning);
        return;
    default:
        Prompter::instance().message(error.description + QLatin1Char('\r') + loadString(1731),
                                     Prompter::Ok, Prompter::Warning);
        return;
    }
}

void ClassInstrument::confirmConnection()
{
    try {
        m_link.showCommDialog();
        m_link.PowerOn();
        m_link.SendCommand(QStringLiteral("TYPE"));
        const bool known = m_link.lastReply() == fieldType || m_link.lastReply() == laboratoryType;
        const int fit = checkModelType();
        m_link.PowerOff();
        m_link.hideCommDialog();
        if (!known)
            tell(1725, Prompter::Warning);
        else if (fit == 1)
            tell(1771, 1772, Prompter::Warning);
        else if (fit == 2)
            tell(1723, 1724, Prompter::Warning);
        else
            tell(1722);
    } catch (const CommError &error) {
        m_link.PowerOff();
        m_link.hideCommDialog();
        switch (error.code) {
        case CommError::Stopped:
            tell(1733, Prompter::Warning);
            break;
        case CommError::PortFailed:
            break;
        case CommError::NoReply:
            tell(1728, Prompter::Warning);
            break;
        case CommError::WrongReply:
            tell(1730, Prompter::Warning);
            break;
        default:
            Prompter::instance().message(error.description + QLatin1Char('\r') + loadString(1731),
                                         Prompter::Ok, Prompter::Warning);
            break;
        }
    }
}

void ClassInstrument::setClockPrim(double dateTime, bool *success)
{
    confirmModelType();
    const QDateTime t = fromDayCount(dateTime);
    const QDate d = t.date();
    const QTime h = t.time();
    bool ok = true;
    // Each step is sent even after a miss; the result tells whether all were taken.
    m_link.SendCommand(
        QString::asprintf("DATE %02d/%02d/%02d", d.year() % 100, d.month(), d.day()));
    ok = m_link.lastReply().startsWith(QLatin1String("Date")) && ok;
    m_link.SendCommand(QString::asprintf("TIME %02d:%02d:%02d", h.hour(), h.minute(), h.second()));
    ok = m_link.lastReply().startsWith(QLatin1String("Time")) && ok;
    m_link.SendCommand(QStringLiteral("BACKUP"));
    ok = m_link.lastReply().startsWith(QLatin1String("Back")) && ok;
    m_link.hideCommDialog();
    tell(ok ? 1736 : 1737, ok ? Prompter::Information : Prompter::Warning);
    *success = ok;
}

bool ClassInstrument::setClock(double dateTime)
{
    bool success = false;
    bracket([&] { setClockPrim(dateTime, &success); });
    return success;
}

void ClassInstrument::clrMemDataPrim(bool *cleared)
{
    confirmModelType();
    m_link.SendCommand(QStringLiteral("CLR"));
    const bool ok = m_link.lastReply() == QLatin1String("Memory Data cleared");
    m_link.hideCommDialog();
    tell(ok ? 1738 : 1739, ok ? Prompter::Information : Prompter::Warning);
    *cleared = ok;
}

bool ClassInstrument::clrMemData()
{
    const Prompter::Answer answer =
        Prompter::instance().message(loadString(4206) + QLatin1Char('\r') + loadString(4207),
                                     Prompter::OkCancel, Prompter::Question);
    if (answer != Prompter::AnswerOk)
        return false;
    bool cleared = false;
    bracket([&] { clrMemDataPrim(&cleared); });
    return cleared;
}

bool ClassInstrument::receiveSettings()
{
    bool ok = false;
    bracket([&] { ok = recvMeasSetting(); });
    return ok;
}

bool ClassInstrument::sendSettings()
{
    bool ok = false;
    bracket([&] { ok = sendMeasSetting(); });
    return ok;
}

bool ClassInstrument::sendSettingsFromMemoryWindow()
{
    bool ok = false;
    bracket([&] { ok = sendMeasSetting(); });
    tell(ok ? 1743 : 1744, ok ? Prompter::Information : Prompter::Warning);
    return ok;
}
