#pragma once

#include "MeasTime.h"
#include "RunJournal.h"
#include "RunViews.h"

#include <QString>

class ClassInstrument;
class ClassLink;

// What a logged run is told before it starts. Times are day counts (DateTime.h).
struct RunSettings {
    // 0..7 for CH1..CH8.
    int channel = 0;
    // One sample every intervalCount seconds (intervalSeconds) or minutes (intervalMinutes).
    double intervalCount = 1.0;
    int intervalUnit = intervalSeconds;
    // How long to log: logContinuous (until stopped), logTimes (logCount samples) or
    // logCount seconds, minutes, hours or days (logSeconds .. logDays).
    double logCount = 0.0;
    int logUnit = logContinuous;
    // Timer start: the run waits, the instrument asleep, until startTime; it then stops at
    // stopTime (endTimeMode) or after the logging time above.
    bool timerStart = false;
    double startTime = 0.0;
    double stopTime = 0.0;
    bool endTimeMode = true;
    // Every sample also goes into a workbook: at workbookPath, or, when that is empty, named
    // after the channel and the run's start in the sheet log's folder.
    bool workbook = false;
    QString workbookPath;
    QString title;
    QString person;

    // The interval, logging time and timer as the loops compare them.
    MeasTimeRecord times() const;
};

// The measurement engine of the real-time mode: the monitor run and the logged run. Both are
// polling loops on the calling thread that read the instrument once per clock second through
// the link and wait through Pump::instance(); every question goes through the Prompter and
// everything shown goes to the views. A run returns when it is over.
//
// A command line drives it with no window at all:
//
//     ClassLink link(port, host);           // e.g. a QtSerialPort on the device
//     ClassInstrument instrument(link);
//     RunEngine engine(link, instrument);
//     engine.setView(&printer);             // a RunView printing sampleStored / dispTemp
//     RunSettings run;                      // channel, interval, logging time, timer...
//     engine.startRealTime(run);            // returns when the run ends
//     channelData[run.channel]->saveFileData(path);
//
// with the real pump and a non-interactive Prompter installed, and askBeforeStart cleared:
// the command itself is the user's go-ahead. stop(), called from the event loop once Ctrl+C
// arrived (never from the signal handler itself), ends a run exactly as the Stop button
// does: every sample stored so far stays in channelData. MoniterStart() runs a monitor: one
// reading a second to RunView::dispTemp until stop().
class RunEngine
{
public:
    RunEngine(ClassLink &link, ClassInstrument &instrument);
    ~RunEngine();
    RunEngine(const RunEngine &) = delete;
    RunEngine &operator=(const RunEngine &) = delete;

    // Views are not owned; nullptr restores one that shows nothing.
    void setView(RunView *view);
    void setGraphView(GraphView *view);
    void setSheetLog(SheetLog *log);
    GraphView &graphView() { return *m_graph; }
    SheetLog &sheetLog() { return *m_sheet; }
    // Where every stored sample is journalled until its run ends.
    RunJournal &journal() { return m_journal; }

    // A monitor run after the handshake; false when the handshake refused it.
    bool MoniterStart();
    // A logged run into settings.channel after the handshake. True when it stored samples:
    // the channel then holds a new data set, marked changed.
    bool startRealTime(const RunSettings &settings);
    // The Stop button: the running loop ends at its next second, or its timer wait at once.
    void stop();

    // The handshake before a run; true leaves the instrument on and the communication dialog
    // shown.
    bool confirmStart(const QString &message);

    // Steps of a logged run, public for the benchmarks that time them.
    void prepareMeasurement(const RunSettings &settings);
    void storeReading(double time, float value);
    // Ends the run into the prepared channel.
    void endMeasurement();

    // The window's handshake asks before it starts ("Settings were changed. Send settings?",
    // "Connection OK?"); cleared, it asks nothing and sends no changed settings first.
    bool askBeforeStart = true;
    // Set while a run goes on; clearing either from outside ends that run (stop()).
    bool measuring = false;
    bool monitoring = false;

private:
    enum StartWait { StartReached, StartSkipped, StartStopped };
    StartWait waitForStart(double until, bool instrumentOff);
    void waitNextSecond();
    void runMonitor();
    void runMeasurement();
    void openRunFiles(double start);
    void startTick();
    void measureTick();
    bool checkContinue() const;
    float readTemperature();
    void describeRun();

    ClassLink &m_link;
    ClassInstrument &m_instrument;
    RunView m_noView;
    GraphView m_noGraph;
    SheetLog m_noSheet;
    RunView *m_view = &m_noView;
    GraphView *m_graph = &m_noGraph;
    SheetLog *m_sheet = &m_noSheet;
    RunJournal m_journal;

    RunSettings m_settings;
    MeasTimeRecord m_times;
    // Times of the running measurement, as day counts.
    double m_nowTime = 0.0;
    double m_lastTime = 0.0;
    double m_nextTime = 0.0;
    double m_startTime = 0.0;
    bool m_tickArmed = false;
    qint16 m_sampleCount = 0;
};
