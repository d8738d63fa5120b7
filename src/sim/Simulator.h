#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>

// The instrument simulator: a laboratory-type ("L-type") or field-type ("F-type") infrared
// thermometer as seen from its serial line. It answers every command of the instrument's
// command set, keeps settings (with BACKUP), a clock and a memory of up to 64 blocks, sleeps
// until woken, and misbehaves on demand. Time comes from Pump::instance(), so under a fake
// pump it runs in simulated time. Output leaves at the line's pace (2400 baud), so a reply
// naturally arrives over several reads.
class Simulator
{
public:
    enum Type { LType, FType };

    enum Fault {
        Silence,       // no reply at all
        WrongReply,    // a reply of the wrong form ("?")
        ErrReading,    // the reading is " Err"
        ErrorReading,  // the reading is "Error"
        LowBattery,    // the reading is "Lo.Batt!"
        SplitReply,    // the reply arrives in two parts with a pause between them
        TwoReplies,    // the reply is sent twice in one burst
        NoLineFeed,    // the reply ends in CR only
        OverRange,     // the reading is over range
        UnderRange,    // the reading is under range
        FirstLineOnly, // only the first line of the reply (a memory listing cut off at once)
    };

    struct InstrumentSettings {
        int precision = 0; // 0 = 0.1 degree, 1 = 1 degree
        int unit = 0;      // 0 = C, 1 = F
        float emissivity = 0.95f;
        int scaleZero = -20;
        int scaleFull = 500;
    };

    struct MemoryRecord {
        int block = 1; // 1..64
        QDateTime time;
        double value = 0.0; // in the record's unit
        bool over = false;
        int unit = 0;      // 0 = C, 1 = F
        int precision = 0; // 0 = 0.1 degree, 1 = 1 degree
    };

    explicit Simulator(Type type = LType);

    Type type() const { return m_type; }
    void setType(Type type) { m_type = type; }
    // The line's speed in baud (2400, as the instrument has it); a faster line lets long
    // listings be tried in seconds.
    void setBaud(int baud) { m_baud = std::max(baud, 300); }

    // Bytes written by the host.
    void receive(const QByteArray &bytes);
    // Bytes that have reached the host's side of the line by now.
    QByteArray takeOutput();
    // Milliseconds until more output is due, or -1 when none is queued.
    qint64 msUntilOutput() const;

    // The next `times` replies (-1: every reply until cleared) to `command` (empty: to any
    // command) show the fault. Commands are matched by their first word ("TYPE", ":",
    // "RESOL", ...).
    void setFault(Fault fault, int times = 1, const QString &command = QString());
    void clearFaults();

    InstrumentSettings settings() const { return m_settings; }
    void setSettings(const InstrumentSettings &settings) { m_settings = settings; }
    // What BACKUP last stored.
    InstrumentSettings backedUp() const { return m_backup; }

    bool awake() const { return m_awake; }
    void setAwake(bool awake) { m_awake = awake; }

    // The instrument's clock now.
    QDateTime clock() const;
    void setClock(const QDateTime &time);

    QList<MemoryRecord> memory() const { return m_memory; }
    void setMemory(const QList<MemoryRecord> &records) { m_memory = records; }
    // A few blocks of plausible records over the last days: a block across the last new year,
    // one in F at whole degrees with an over-range record, negative values.
    void fillDemoMemory();
    // `count` records of a slow drift, one a minute, 100 to a block from block 1 (more to a
    // block beyond 6400), the last a minute before the clock: listings of any length.
    void fillMemory(int count);

    // The measured temperature in degrees C at a monotonic time in ms; the default is a slow
    // plausible drift around 25 C.
    void setSignal(std::function<double(qint64 ms)> signal) { m_signal = std::move(signal); }

    // Every complete command line received (without CR LF), in order, including empty ones.
    QStringList received() const { return m_received; }
    void clearReceived() { m_received.clear(); }

    // Called with every command line as it arrives (fromHost true) and every reply line as it
    // is queued (fromHost false), without line ends.
    void setTrafficLog(std::function<void(bool fromHost, const QString &line)> log)
    {
        m_log = std::move(log);
    }

private:
    // Bytes of one burst on the line; character i is complete at startMs + charEndMs(i + 1).
    struct Segment {
        qint64 startMs = 0;
        QByteArray bytes;
        int sent = 0;
    };
    struct PendingFault {
        Fault fault;
        int times;
        QString command;
    };

    void handleLine(const QByteArray &line, qint64 atMs);
    QStringList answer(const QString &word, const QString &argument, qint64 atMs);
    QString readingText(qint64 atMs) const;
    QString zeroText() const;
    QStringList memoryListing() const;
    bool takeFault(Fault fault, const QString &word);
    void queue(const QStringList &lines, const QString &word, qint64 atMs);
    void log(bool fromHost, const QString &line) const;

    Type m_type;
    int m_baud = 2400;
    InstrumentSettings m_settings;
    InstrumentSettings m_backup;
    bool m_awake = false;
    QList<MemoryRecord> m_memory;
    std::function<double(qint64)> m_signal;
    QStringList m_received;
    std::function<void(bool, const QString &)> m_log;
    QByteArray m_input;
    QList<Segment> m_output;
    QList<PendingFault> m_faults;
    // The clock runs from m_clockBase, set at monotonic time m_clockSetMs; invalid: the pump's now.
    QDateTime m_clockBase;
    qint64 m_clockSetMs = 0;
    quint32 m_commands = 0;
};
