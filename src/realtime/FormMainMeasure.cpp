// The window side of the measurement engine: the channel choice and the measurement time
// dialog before a run, and what a run shows in the monitor window, the channel list, the
// channel's table and the timer-start dialog.
#include "FormMain.h"

#include "AppState.h"
#include "ClassData.h"
#include "ClassLink.h"
#include "FormDialog.h"
#include "FormMeasStart.h"
#include "FormMon.h"
#include "FormTable.h"
#include "MeasTime.h"
#include "Prompter.h"
#include "Settings.h"
#include "Strings.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

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
    m_engine->setGraphView(view);
}

void FormMain::setSheetLog(SheetLog *log)
{
    m_engine->setSheetLog(log);
    excelAvailable = m_engine->sheetLog().available();
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

void FormMain::MoniterStart()
{
    m_engine->MoniterStart();
}

void FormMain::stopMoniter()
{
    m_engine->monitoring = false;
}

RunSettings FormMain::runSettings(int ch) const
{
    // What the measurement time and timer dialogs left.
    RunSettings run;
    run.channel = ch;
    run.intervalCount = Settings.IntervalTimeCount;
    run.intervalUnit = Settings.IntervalTimeUnit;
    run.logCount = Settings.LogTimeCount;
    run.logUnit = Settings.LogTimeUnit;
    run.timerStart = MeasTime.timerStart;
    run.startTime = MeasTime.startTime;
    run.stopTime = MeasTime.stopTime;
    run.endTimeMode = MeasTime.endTimeMode;
    run.workbook = excelLogging;
    return run;
}

void FormMain::startRealTime()
{
    if (m_engine->measuring)
        return;
    const int ch =
        FormDialog::instance().selectChannel(this, loadString(1780), loadString(1781), curCH);
    if (ch < 0)
        return;
    selectRow(ch + 1);
    curCH = static_cast<qint16>(ch);
    selectingCH = true;

    bool go = true;
    if (checkMeasDataExist(ch)) {
        const QString question =
            channelHeading(*channelData[ch]) + u'\r' + loadString(1745) + u'\r' + loadString(1746);
        go = showMessage(question, Prompter::OkCancel, Prompter::Question) == Prompter::AnswerOk;
    }
    if (go)
        go = measStart()->show1() == 0;
    if (go && m_engine->startRealTime(runSettings(ch)))
        setSaveState(ch, 1);
    link().PowerOff();
    selectingCH = false;
}

void FormMain::closeMonitorWindow()
{
    // Deleted at once rather than later: the next run must not pick up a window on its way out.
    delete m_mon;
}

void FormMain::openMonitor(int mode)
{
    FormMon *mon = monitorWindow();
    mon->clrDisplay();
    mon->setFormMode(mode);
    mon->show();
}

void FormMain::dispTemp(float value, double time)
{
    monitorWindow()->dispTemp(value, time);
}

void FormMain::setMonitorLabel(int index, const QString &text)
{
    if (index >= 0 && index < 5)
        monitorWindow()->Label1[index]->setText(text);
}

void FormMain::closeMonitor()
{
    closeMonitorWindow();
}

void FormMain::channelPrepared(int ch)
{
    showTable(ch);
}

void FormMain::sampleStored(int ch, double time, float value)
{
    Q_UNUSED(time)
    Q_UNUSED(value)
    if (tables[ch] && tables[ch]->isVisible())
        tables[ch]->refreshTableData();
    dispCHRow(ch);
}

void FormMain::runEnded(int ch)
{
    selectRow(ch + 1);
    refreshChannel(ch);
}

void FormMain::settingsReceived()
{
    dispMeasSetting();
}

bool FormMain::acceptUnit(int unit)
{
    return checkUnit(unit);
}

void FormMain::showWait(const QString &title, const QString &message, const QString &button)
{
    FormDialog &dialog = FormDialog::instance();
    dialog.initMsg(title, message, button);
    dialog.show1(this);
}

void FormMain::setWaitClock(const QString &text)
{
    FormDialog::instance().Label2->setText(text);
}

void FormMain::notice(const QString &text)
{
    statusBar()->showMessage(text);
    monitorWindow()->setNotice(text);
}
