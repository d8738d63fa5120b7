#include "RunEngine.h"

#include "AppState.h"
#include "ClassData.h"
#include "ClassInstrument.h"
#include "ClassLink.h"
#include "CommError.h"
#include "Format.h"
#include "Prompter.h"
#include "Pump.h"
#include "Settings.h"
#include "Strings.h"

#include <cmath>

namespace
{
// Whole seconds of a day count. The timer waits compare these, so that a start time and a
// clock reading of the same second never differ by a rounding step.
qint64 secondsOf(double dayCount)
{
    return std::llround(dayCount * 86400.0);
}

double currentTime()
{
    return Pump::instance().now();
}

QString withColon(int id, const QString &text)
{
    return loadString(id) + QStringLiteral(" : ") + text;
}
} // namespace

MeasTimeRecord RunSettings::times() const
{
    MeasTimeRecord record;
    record.interval = calcIntervalTime(intervalCount, validIntervalUnit(intervalUnit));
    record.logTime = calcLogTime(logCount, validLogUnit(logUnit), record.interval);
    record.timerStart = timerStart;
    record.startTime = startTime;
    record.stopTime = stopTime;
    record.endTimeMode = endTimeMode;
    return record;
}

RunEngine::RunEngine(ClassLink &link, ClassInstrument &instrument)
    : m_link(link), m_instrument(instrument)
{
}

RunEngine::~RunEngine() = default;

void RunEngine::setView(RunView *view)
{
    m_view = view ? view : &m_noView;
}

void RunEngine::setGraphView(GraphView *view)
{
    m_graph = view ? view : &m_noGraph;
}

void RunEngine::setSheetLog(SheetLog *log)
{
    m_sheet = log ? log : &m_noSheet;
}

void RunEngine::stop()
{
    monitoring = false;
    measuring = false;
}

bool RunEngine::confirmStart(const QString &message)
{
    bool sendFirst = false;
    if (askBeforeStart && m_instrument.settingsState() == ClassInstrument::SettingsChanged) {
        switch (showMessage(loadString(1700), Prompter::YesNoCancel, Prompter::Question)) {
        case Prompter::AnswerYes:
            sendFirst = true;
            break;
        case Prompter::AnswerNo:
            break;
        default:
            return false;
        }
    }
    if (askBeforeStart && showMessage(message + u'\r' + loadString(1701), Prompter::OkCancel,
                                      Prompter::Question) != Prompter::AnswerOk)
        return false;

    try {
        m_link.showCommDialog();
        m_link.PowerOn();
        const bool sent = !sendFirst || m_instrument.sendMeasSetting();
        if (sent && m_instrument.recvMeasSetting()) {
            m_view->settingsReceived();
            if (m_view->acceptUnit(MeasSetting.Unit)) {
                if (!fieldTypeConnected)
                    return true;
                showMessage(loadString(1778), Prompter::Ok, Prompter::Warning);
            }
        }
    } catch (const CommError &) {
        // The link has reported its own failure.
    }
    m_link.PowerOff();
    m_link.hideCommDialog();
    return false;
}

bool RunEngine::MoniterStart()
{
    if (monitoring)
        return false;
    if (!confirmStart(loadString(1703)))
        return false;
    monitoring = true;
    m_view->openMonitor(0);
    m_view->setControlsEnabled(false);
    runMonitor();
    m_view->setControlsEnabled(true);
    return true;
}

void RunEngine::waitNextSecond()
{
    Pump &pump = Pump::instance();
    const double noted = pump.now();
    while (pump.now() == noted)
        pump.processEventsToNextSecond();
}

void RunEngine::runMonitor()
{
    if (measuring)
        return;
    try {
        m_link.startMeasure();
        m_instrument.readUnit();
        m_link.hideCommDialog();
        m_nowTime = currentTime();
        m_lastTime = 0.0;
        m_nextTime = m_nowTime + m_times.interval;
        while (monitoring && !measuring) {
            waitNextSecond();
            m_tickArmed = true;
            measureTick();
        }
    } catch (const CommError &) {
        // The link has reported its own failure.
    }
    m_link.hideCommDialog();
    m_link.PowerOff();
    m_view->closeMonitor();
    monitoring = false;
    m_link.PowerOff();
}

bool RunEngine::startRealTime(const RunSettings &settings)
{
    if (measuring)
        return false;
    const int ch = qBound(0, settings.channel, 7);
    const ClassData *before = channelData[ch].get();
    bool stored = false;
    if (confirmStart(loadString(1702))) {
        m_settings = settings;
        m_settings.channel = ch;
        m_times = settings.times();
        measuring = true;
        m_view->setControlsEnabled(false);
        runMeasurement();
        m_view->setControlsEnabled(true);
        // A run stopped before its data set was created leaves the old data as they were.
        stored = checkMeasDataExist(ch) && channelData[ch].get() != before;
        if (stored)
            channelData[ch]->Changed = 1;
    }
    m_link.PowerOff();
    return stored;
}

RunEngine::StartWait RunEngine::waitForStart(double until, bool instrumentOff)
{
    Pump &pump = Pump::instance();
    if (instrumentOff) {
        m_view->showWait(loadString(1706),
                         loadString(1707) + u'\r' + loadString(1708) +
                             dateTimeText(m_times.startTime) + loadString(1709) + u'\r' +
                             loadString(1710),
                         loadString(1711));
    } else {
        m_view->showWait(loadString(1706), loadString(1707) + u'\r' + loadString(1713),
                         loadString(1711));
    }
    pump.processEvents();
    if (instrumentOff) {
        if (secondsOf(pump.now()) > secondsOf(until))
            return StartSkipped;
        m_link.PowerOff();
    }
    while (secondsOf(pump.now()) < secondsOf(until)) {
        if (instrumentOff) {
            waitNextSecond();
            m_view->setWaitClock(withColon(1712, dateTimeText(pump.now())));
        } else {
            pump.processEventsToNextSecond();
        }
        if (stopRequested || !measuring) {
            stopRequested = false;
            return StartStopped;
        }
    }
    return StartReached;
}

void RunEngine::runMeasurement()
{
    Pump &pump = Pump::instance();
    try {
        const bool timer = m_times.timerStart;
        const double wake = m_times.startTime - powerOnLead;
        if (timer && secondsOf(pump.now()) <= secondsOf(wake)) {
            const StartWait wait = waitForStart(wake, true);
            if (wait == StartStopped)
                throw CommError{CommError::Stopped, QString()};
            if (wait == StartReached) {
                m_link.waitSeconds(1);
                m_link.PowerOn();
                m_link.startMeasure();
            }
        }
        m_link.hideCommDialog();
        prepareMeasurement(m_settings);
        m_view->openMonitor(1);

        const double soon = m_times.startTime - oneSecond;
        if (timer && secondsOf(pump.now()) <= secondsOf(soon)) {
            if (waitForStart(soon, false) == StartStopped)
                throw CommError{CommError::Stopped, QString()};
            m_link.hideCommDialog();
        }

        waitNextSecond();
        startTick();
        double noted = pump.now();
        bool firstPass = true;
        for (;;) {
            if (!firstPass) {
                while (pump.now() == noted)
                    pump.processEventsToNextSecond();
            }
            firstPass = false;
            if (!checkContinue())
                break;
            noted = pump.now();
            m_tickArmed = true;
            measureTick();
        }
    } catch (const CommError &error) {
        if (error.code == CommError::Stopped || error.code == CommError::NoReply) {
            stopRequested = false;
        } else {
            showMessage(error.description, Prompter::Ok, Prompter::Warning);
            showMessage(loadString(1715), Prompter::Ok, Prompter::Warning);
        }
    }
    endMeasurement();
}

void RunEngine::endMeasurement()
{
    const int ch = m_settings.channel;
    m_link.hideCommDialog();
    m_link.PowerOff();
    m_view->closeMonitor();
    m_sheet->release();
    measuring = false;
    m_graph->setMeasuringCh(-1);
    if (checkMeasDataExist(ch) && channelData[ch]->DataNo < 1)
        channelData[ch].reset();
    if (checkMeasDataExist(ch))
        channelData[ch]->setTimeData();
    m_journal.finish();
    m_view->runEnded(ch);
}

void RunEngine::prepareMeasurement(const RunSettings &settings)
{
    m_settings = settings;
    const int ch = m_settings.channel;
    const double now = currentTime();
    auto data = std::make_unique<ClassData>();
    data->ChNo = static_cast<qint16>(ch);
    data->Title = settings.title;
    data->MeasPerson = settings.person;
    data->Unit = MeasSetting.Unit;
    data->Resolution = MeasSetting.Precision;
    data->Emissivity = MeasSetting.EmissivityValue;
    data->StartDateTime = now;
    data->StopDateTime = now;
    channelData[ch] = std::move(data);
    m_view->channelPrepared(ch);
    m_graph->setMeasuringCh(ch);
    m_graph->initGraphCh(ch);
}

void RunEngine::openRunFiles(double start)
{
    // The journal and the workbook carry the run's start, the time of its first sample.
    ClassData &data = *channelData[m_settings.channel];
    data.StartDateTime = data.StopDateTime = start;
    // Told once, without stopping the run: the samples still reach the channel.
    if (!m_journal.open(data) && !m_journal.folder().isEmpty())
        m_view->notice(loadString(7100) + u' ' + m_journal.folder());
    if (m_settings.workbook)
        m_sheet->openExcelLog(data, m_settings.workbookPath);
}

float RunEngine::readTemperature()
{
    m_link.SendCommand(QStringLiteral(":"));
    return InstrumentReply::reading(m_link.lastReply());
}

void RunEngine::describeRun()
{
    const QString logNumber = precisionText(m_settings.logCount, -1);
    const int logUnit = validLogUnit(m_settings.logUnit);
    const QString logUnitText = loadString(1425 + logUnit);
    m_view->setMonitorLabel(1, withColon(1215, dateTimeText(m_nowTime)));
    if (m_times.timerStart && m_times.endTimeMode)
        m_view->setMonitorLabel(2, withColon(1216, dateTimeText(m_times.stopTime)));
    else if (m_times.logTime == -1.0)
        m_view->setMonitorLabel(2, withColon(1216, logUnitText));
    else if (logUnit == logTimes)
        m_view->setMonitorLabel(2, withColon(1225, logNumber + logUnitText));
    else
        m_view->setMonitorLabel(2, withColon(1216, logNumber + logUnitText));
    m_view->setMonitorLabel(
        3, withColon(1402, precisionText(m_settings.intervalCount, -1) +
                               loadString(1420 + validIntervalUnit(m_settings.intervalUnit))));
}

void RunEngine::startTick()
{
    try {
        const float value = readTemperature();
        m_nowTime = currentTime();
        m_startTime = m_lastTime = m_nowTime;
        m_nextTime = m_nowTime + m_times.interval;
        m_sampleCount = 1;
        openRunFiles(m_nowTime);
        storeReading(m_nowTime, value);
        m_view->dispTemp(value, m_nowTime);
        describeRun();
        if (m_settings.workbook)
            m_sheet->writeExcelRow(m_nowTime, value);
    } catch (const CommError &) {
        measuring = false;
    }
}

void RunEngine::measureTick()
{
    if (!m_tickArmed)
        return;
    try {
        const float value = readTemperature();
        m_nowTime = currentTime();
        m_view->dispTemp(value, m_nowTime);
        if (std::abs(m_nowTime - m_nextTime) >= sampleTolerance && m_nowTime < m_nextTime) {
            m_tickArmed = false;
            return;
        }
        if (measuring) {
            m_lastTime = m_nowTime;
            // Slots missed while a reading took long are skipped, never caught up.
            while (m_nextTime <= m_nowTime + sampleTolerance) {
                m_nextTime += m_times.interval;
                Pump::instance().processPendingEvents();
            }
            ++m_sampleCount;
            storeReading(m_nowTime, value);
            m_view->setMonitorLabel(
                4, withColon(1217, signedNumberText(channelData[m_settings.channel]->DataNo)));
            if (m_settings.workbook)
                m_sheet->writeExcelRow(m_nowTime, value);
        }
        m_tickArmed = false;
    } catch (const CommError &error) {
        m_tickArmed = false;
        measuring = false;
        monitoring = false;
        if (error.code != CommError::DataFullReported)
            showMessage(loadString(1782), Prompter::Ok, Prompter::Warning);
    }
}

bool RunEngine::checkContinue() const
{
    if (!measuring)
        return false;
    if (m_times.timerStart && m_times.endTimeMode)
        return m_times.stopTime - sampleTolerance >= m_nowTime;
    if (m_times.logTime != -1.0)
        return m_startTime + m_times.logTime - sampleTolerance > m_nowTime;
    return measuring;
}

void RunEngine::storeReading(double time, float value)
{
    const int ch = m_settings.channel;
    ClassData &data = *channelData[ch];
    const qint16 status = data.setRealTimeData(time, value);
    if (status == 0) {
        m_journal.append(time, value);
        m_view->sampleStored(ch, time, value);
        m_graph->Refresh2(data.getDataX(data.StopNo));
        return;
    }
    m_link.PowerOff();
    if (status == ClassData::dataFull) {
        showMessage(loadString(1757), Prompter::Ok, Prompter::Warning);
        measuring = false;
        monitoring = false;
        throw CommError{CommError::DataFullReported, loadString(1757)};
    }
    showMessage(loadString(1758), Prompter::Ok, Prompter::Warning);
    throw CommError{CommError::DataFull, loadString(1758)};
}
