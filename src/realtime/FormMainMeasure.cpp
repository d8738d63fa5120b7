// The measurement engine: the monitor run and the logged run. Both are polling loops on the
// user-interface thread that read the instrument once per clock second and let the other
// windows act only through the running flags and the Stop flag.
#include "FormMain.h"

#include "AppState.h"
#include "ClassData.h"
#include "ClassInstrument.h"
#include "ClassLink.h"
#include "CommError.h"
#include "FormDialog.h"
#include "FormMeasStart.h"
#include "FormMon.h"
#include "FormTable.h"
#include "Format.h"
#include "MeasTime.h"
#include "Prompter.h"
#include "Pump.h"
#include "Settings.h"
#include "Strings.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

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

FormMon *FormMain::monitorWindow()
{
    if (!m_mon)
        m_mon = new FormMon(this);
    return m_mon;
}

FormMeasStart *FormMain::measStart()
{
    if (!m_measStart) {
        m_measStart = new FormMeasStart(this);
        connect(m_measStart, &FormMeasStart::applied, this, [this] {
            excelLogging = m_measStart->excelLogging();
            dispMeasSetting();
        });
    }
    return m_measStart;
}

void FormMain::setGraphView(GraphView *view)
{
    m_graph = view ? view : &m_noGraph;
}

void FormMain::setSheetLog(SheetLog *log)
{
    m_sheet = log ? log : &m_noSheet;
    excelAvailable = m_sheet->available();
}

void FormMain::setControlsEnabled(bool flag)
{
    for (int i = 0; i < 4; ++i) {
        // The menu itself, not its action: re-enabling the window after a message dialog
        // would re-enable the action.
        MenuTop[i]->setEnabled(flag);
        Command1[i]->setEnabled(flag);
    }
}

bool FormMain::confirmStart(const QString &message)
{
    bool sendFirst = false;
    if (instrument().settingsState() == ClassInstrument::SettingsChanged) {
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
    if (showMessage(message + u'\r' + loadString(1701), Prompter::OkCancel, Prompter::Question) !=
        Prompter::AnswerOk)
        return false;

    try {
        link().showCommDialog();
        link().PowerOn();
        const bool sent = !sendFirst || instrument().sendMeasSetting();
        if (sent && instrument().recvMeasSetting()) {
            dispMeasSetting();
            if (checkUnit(MeasSetting.Unit)) {
                if (!fieldTypeConnected)
                    return true;
                showMessage(loadString(1778), Prompter::Ok, Prompter::Warning);
            }
        }
    } catch (const CommError &) {
        // The link has reported its own failure.
    }
    link().PowerOff();
    FormDialog::instance().Hide1();
    return false;
}

void FormMain::MoniterStart()
{
    if (monitoring)
        return;
    if (!confirmStart(loadString(1703)))
        return;
    monitoring = true;
    FormMon *mon = monitorWindow();
    mon->clrDisplay();
    mon->setFormMode(0);
    mon->show();
    setControlsEnabled(false);
    runMonitor();
    setControlsEnabled(true);
}

void FormMain::stopMoniter()
{
    monitoring = false;
}

void FormMain::waitNextSecond()
{
    Pump &pump = Pump::instance();
    const double noted = pump.now();
    while (pump.now() == noted)
        pump.processEventsToNextSecond();
}

void FormMain::runMonitor()
{
    if (measuring)
        return;
    try {
        link().startMeasure();
        instrument().readUnit();
        FormDialog::instance().Hide1();
        nowTime = currentTime();
        lastTime = 0.0;
        nextTime = nowTime + MeasTime.interval;
        while (monitoring && !measuring) {
            waitNextSecond();
            armTick();
            measureTick();
        }
    } catch (const CommError &) {
        // The link has reported its own failure.
    }
    FormDialog::instance().Hide1();
    link().PowerOff();
    closeMonitorWindow();
    monitoring = false;
    link().PowerOff();
}

void FormMain::startRealTime()
{
    if (measuring)
        return;
    const int ch =
        FormDialog::instance().selectChannel(this, loadString(1780), loadString(1781), curCH);
    if (ch < 0)
        return;
    selectRow(ch + 1);
    curCH = static_cast<qint16>(ch);
    selectingCH = true;

    const ClassData *before = channelData[ch].get();
    bool go = true;
    if (checkMeasDataExist(ch)) {
        const QString question =
            channelHeading(*channelData[ch]) + u'\r' + loadString(1745) + u'\r' + loadString(1746);
        go = showMessage(question, Prompter::OkCancel, Prompter::Question) == Prompter::AnswerOk;
    }
    if (go)
        go = measStart()->show1() == 0;
    if (go && confirmStart(loadString(1702))) {
        measuring = true;
        setControlsEnabled(false);
        runMeasurement();
        setControlsEnabled(true);
        // A run stopped before its data set was created leaves the old data as they were.
        if (checkMeasDataExist(ch) && channelData[ch].get() != before)
            setSaveState(ch, 1);
    }
    link().PowerOff();
    selectingCH = false;
}

FormMain::StartWait FormMain::waitForStart(double until, bool instrumentOff)
{
    Pump &pump = Pump::instance();
    FormDialog &dialog = FormDialog::instance();
    if (instrumentOff) {
        dialog.initMsg(loadString(1706),
                       loadString(1707) + u'\r' + loadString(1708) +
                           dateTimeText(MeasTime.startTime) + loadString(1709) + u'\r' +
                           loadString(1710),
                       loadString(1711));
    } else {
        dialog.initMsg(loadString(1706), loadString(1707) + u'\r' + loadString(1713),
                       loadString(1711));
    }
    dialog.show1(this);
    pump.processEvents();
    if (instrumentOff) {
        if (secondsOf(pump.now()) > secondsOf(until))
            return StartSkipped;
        link().PowerOff();
    }
    while (secondsOf(pump.now()) < secondsOf(until)) {
        if (instrumentOff) {
            waitNextSecond();
            dialog.Label2->setText(withColon(1712, dateTimeText(pump.now())));
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

void FormMain::runMeasurement()
{
    Pump &pump = Pump::instance();
    try {
        const bool timer = MeasTime.timerStart;
        const double wake = MeasTime.startTime - powerOnLead;
        if (timer && secondsOf(pump.now()) <= secondsOf(wake)) {
            const StartWait wait = waitForStart(wake, true);
            if (wait == StartStopped)
                throw CommError{CommError::Stopped, QString()};
            if (wait == StartReached) {
                link().waitSeconds(1);
                link().PowerOn();
                link().startMeasure();
            }
        }
        FormDialog::instance().Hide1();
        prepareMeasurement();
        FormMon *mon = monitorWindow();
        mon->clrDisplay();
        mon->setFormMode(1);
        mon->show();

        const double soon = MeasTime.startTime - oneSecond;
        if (timer && secondsOf(pump.now()) <= secondsOf(soon)) {
            if (waitForStart(soon, false) == StartStopped)
                throw CommError{CommError::Stopped, QString()};
            FormDialog::instance().Hide1();
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
            armTick();
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

void FormMain::closeMonitorWindow()
{
    // Deleted at once rather than later: the next run must not pick up a window on its way out.
    delete m_mon;
}

void FormMain::endMeasurement()
{
    FormDialog::instance().Hide1();
    link().PowerOff();
    closeMonitorWindow();
    m_sheet->release();
    measuring = false;
    m_graph->setMeasuringCh(-1);
    if (checkMeasDataExist(curCH) && channelData[curCH]->DataNo < 1)
        channelData[curCH].reset();
    if (checkMeasDataExist(curCH))
        channelData[curCH]->setTimeData();
    m_journal.finish();
    selectRow(curCH + 1);
    refreshChannel(curCH);
}

void FormMain::prepareMeasurement()
{
    const double now = currentTime();
    auto data = std::make_unique<ClassData>();
    data->ChNo = curCH;
    data->Unit = MeasSetting.Unit;
    data->Resolution = MeasSetting.Precision;
    data->Emissivity = MeasSetting.EmissivityValue;
    data->StartDateTime = now;
    data->StopDateTime = now;
    channelData[curCH] = std::move(data);
    showTable(curCH);
    m_graph->setMeasuringCh(curCH);
    m_graph->initGraphCh(curCH);
}

void FormMain::openRunFiles(double start)
{
    // The journal and the workbook carry the run's start, the time of its first sample.
    ClassData &data = *channelData[curCH];
    data.StartDateTime = data.StopDateTime = start;
    if (!m_journal.open(data) && !m_journal.folder().isEmpty()) {
        // Told once, without stopping the run: the samples still reach the channel.
        const QString notice = loadString(7100) + u' ' + m_journal.folder();
        statusBar()->showMessage(notice);
        monitorWindow()->setNotice(notice);
    }
    if (excelLogging)
        m_sheet->openExcelLog(data);
}

float FormMain::readTemperature()
{
    link().SendCommand(QStringLiteral(":"));
    return InstrumentReply::reading(link().lastReply());
}

void FormMain::startTick()
{
    try {
        const float value = readTemperature();
        nowTime = currentTime();
        startTime = lastTime = nowTime;
        nextTime = nowTime + MeasTime.interval;
        sampleCount = 1;
        openRunFiles(nowTime);
        storeReading(nowTime, value);
        FormMon *mon = monitorWindow();
        mon->dispTemp(value, nowTime);

        FormMeasStart *times = measStart();
        const QString logNumber = times->TextLogTime->text();
        const QString logUnit = times->ComboLogTimeUnit->currentText();
        mon->Label1[1]->setText(withColon(1215, dateTimeText(nowTime)));
        if (MeasTime.timerStart && MeasTime.endTimeMode)
            mon->Label1[2]->setText(withColon(1216, dateTimeText(MeasTime.stopTime)));
        else if (MeasTime.logTime == -1.0)
            mon->Label1[2]->setText(withColon(1216, logUnit));
        else if (times->ComboLogTimeUnit->currentIndex() == 1)
            mon->Label1[2]->setText(withColon(1225, logNumber + logUnit));
        else
            mon->Label1[2]->setText(withColon(1216, logNumber + logUnit));
        mon->Label1[3]->setText(
            withColon(1402, times->TextInterval->text() + times->ComboIntervalUnit->currentText()));
        if (excelLogging)
            m_sheet->writeExcelRow(nowTime, value);
    } catch (const CommError &) {
        measuring = false;
    }
}

void FormMain::measureTick()
{
    if (!tickArmed)
        return;
    try {
        const float value = readTemperature();
        nowTime = currentTime();
        monitorWindow()->dispTemp(value, nowTime);
        if (std::abs(nowTime - nextTime) >= sampleTolerance && nowTime < nextTime) {
            tickArmed = false;
            return;
        }
        if (measuring) {
            lastTime = nowTime;
            // Slots missed while a reading took long are skipped, never caught up.
            while (nextTime <= nowTime + sampleTolerance) {
                nextTime += MeasTime.interval;
                Pump::instance().processPendingEvents();
            }
            ++sampleCount;
            storeReading(nowTime, value);
            monitorWindow()->Label1[4]->setText(
                withColon(1217, signedNumberText(channelData[curCH]->DataNo)));
            if (excelLogging)
                m_sheet->writeExcelRow(nowTime, value);
        }
        tickArmed = false;
    } catch (const CommError &error) {
        tickArmed = false;
        measuring = false;
        monitoring = false;
        if (error.code != CommError::DataFullReported)
            showMessage(loadString(1782), Prompter::Ok, Prompter::Warning);
    }
}

bool FormMain::checkContinue() const
{
    if (!measuring)
        return false;
    if (MeasTime.timerStart && MeasTime.endTimeMode)
        return MeasTime.stopTime - sampleTolerance >= nowTime;
    if (MeasTime.logTime != -1.0)
        return startTime + MeasTime.logTime - sampleTolerance > nowTime;
    return measuring;
}

void FormMain::storeReading(double time, float value)
{
    ClassData &data = *channelData[curCH];
    const qint16 status = data.setRealTimeData(time, value);
    if (status == 0) {
        m_journal.append(time, value);
        if (tables[curCH] && tables[curCH]->isVisible())
            tables[curCH]->refreshTableData();
        dispCHRow(curCH);
        m_graph->Refresh2(data.getDataX(data.StopNo));
        return;
    }
    link().PowerOff();
    if (status == ClassData::dataFull) {
        showMessage(loadString(1757), Prompter::Ok, Prompter::Warning);
        measuring = false;
        monitoring = false;
        throw CommError{CommError::DataFullReported, loadString(1757)};
    }
    showMessage(loadString(1758), Prompter::Ok, Prompter::Warning);
    throw CommError{CommError::DataFull, loadString(1758)};
}
