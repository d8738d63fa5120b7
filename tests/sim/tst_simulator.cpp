#include "FakePump.h"
#include "Format.h"
#include "PtyServer.h"
#include "SimPort.h"
#include "Simulator.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

// Collects what reaches the host over `ms` of simulated time, read every 10 ms.
QByteArray drain(FakePump &pump, Simulator &sim, qint64 ms = 1000)
{
    QByteArray out;
    for (qint64 t = 0; t < ms; t += 10) {
        pump.advance(10);
        out += sim.takeOutput();
    }
    return out;
}

QByteArray ask(FakePump &pump, Simulator &sim, const QByteArray &command, qint64 ms = 1000)
{
    sim.receive(command + "\r\n");
    return drain(pump, sim, ms);
}

QStringList fieldsOf(QString line)
{
    QString fields[11];
    const int last = splitBlank(line, fields);
    QStringList out;
    for (int i = 0; i <= last; ++i)
        out << fields[i];
    return out;
}

// Block number of a listing line as the host reads it; -1 for a line without one.
int blockOf(const QStringList &fields)
{
    const int n = static_cast<int>(leadingNumber(fields.value(0).right(2)));
    return n >= 1 && n <= 64 ? n : -1;
}

struct HostRecord {
    int block;
    QDateTime time;
    QString value;
    QString unit;
    bool over;
};

struct HostListing {
    QDateTime header;
    QList<HostRecord> records;
    bool endedWithoutTimeOut = false;
};

// Reads the lines after the reply to "MEM" the way the memory download does: a line ending
// the listing after three non-record lines in a row, m/dd and h:mm padded, and a record not
// earlier than the header plus 31 days dated a year back.
HostListing readListing(const QList<QByteArray> &lines)
{
    HostListing listing;
    int year = 0;
    int nonRecords = 0;
    for (const QByteArray &raw : lines) {
        if (nonRecords >= 3) {
            listing.endedWithoutTimeOut = true;
            break;
        }
        const QString line = QString::fromLatin1(raw);
        const QStringList f = fieldsOf(line);
        if (f.value(0) == QLatin1String("PRINT")) {
            listing.header = QDateTime::fromString(QStringLiteral("20") + line.right(17),
                                                   QStringLiteral("yyyy/MM/dd hh:mm:ss"));
            year = 2000 + f.value(1).left(2).toInt();
        }
        const int block = blockOf(f);
        if (block < 0) {
            ++nonRecords;
            continue;
        }
        nonRecords = 0;
        const QString date = f.value(1).size() == 4 ? QLatin1Char('0') + f.value(1) : f.value(1);
        const QString time = f.value(2).size() == 4 ? QLatin1Char('0') + f.value(2) : f.value(2);
        auto at = [&](int y) {
            return QDateTime::fromString(QString::number(y) + QLatin1Char('/') + date +
                                             QLatin1Char(' ') + time,
                                         QStringLiteral("yyyy/MM/dd hh:mm"));
        };
        QDateTime t = at(year);
        if (t >= listing.header.addDays(31))
            t = at(year - 1);
        listing.records.append({block, t, f.value(3), f.value(4), f.value(5) == "OVER"});
    }
    if (nonRecords >= 3)
        listing.endedWithoutTimeOut = true;
    return listing;
}

QList<QByteArray> linesOf(const QByteArray &out)
{
    QList<QByteArray> lines = out.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &l : lines)
        l.chop(l.endsWith('\r') ? 1 : 0);
    return lines;
}

QList<QByteArray> memLines(FakePump &pump, Simulator &sim)
{
    return linesOf(ask(pump, sim, "MEM", 20000));
}

Simulator::MemoryRecord record(int block, const QDateTime &time, double value, int unit = 0,
                               int precision = 0, bool over = false)
{
    Simulator::MemoryRecord r;
    r.block = block;
    r.time = time;
    r.value = value;
    r.unit = unit;
    r.precision = precision;
    r.over = over;
    return r;
}

} // namespace

class TestSimulator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandRepliesHaveTheirForms_data();
    void commandRepliesHaveTheirForms();
    void resolutionIsSetAndReported();
    void emissivityEchoEndsInTheValue_data();
    void emissivityEchoEndsInTheValue();
    void zeroAndFullScaleSitAtFixedPositions_data();
    void zeroAndFullScaleSitAtFixedPositions();
    void readingFollowsSignalInUnitAndResolution_data();
    void readingFollowsSignalInUnitAndResolution();
    void defaultSignalIsPlausibleAndRepeatable();
    void sleepingInstrumentIgnoresCommandsUntilWoken();
    void replyIsPacedOverSeveralReads();
    void faultsShapeTheNextReplies_data();
    void faultsShapeTheNextReplies();
    void splitReplyPausesBetweenHalves();
    void faultsCountAndMatchTheirCommand();
    void backupStoresTheCurrentSettings();
    void clockRunsFromTheSetDateAndTime();
    void memoryRecordLinesSplitIntoHostFields_data();
    void memoryRecordLinesSplitIntoHostFields();
    void demoMemoryDownloadsAsStored();
    void clearLeavesHeaderAndEndLinesOnly();
    void simPortPassesBytesOnlyWhileOpen();
    void ptyServerLinkReplacesOnlyStaleLinks();
    void ptyServerAnswersThroughARealSerialPort();
};

void TestSimulator::commandRepliesHaveTheirForms_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");

    const int L = Simulator::LType;
    const int F = Simulator::FType;
    QTest::newRow("TYPE L") << L << QByteArray("TYPE") << QByteArray("L-type");
    QTest::newRow("TYPE F") << F << QByteArray("TYPE") << QByteArray("F-type");
    QTest::newRow("acknowledge") << L << QByteArray(";") << QByteArray("OK");
    QTest::newRow("RESOL") << L << QByteArray("RESOL") << QByteArray("Resolution:0.1");
    QTest::newRow("EMI") << L << QByteArray("EMI") << QByteArray("Emi  0.95");
    QTest::newRow("ZERO") << L << QByteArray("ZERO") << QByteArray("Zero -20 Full  500");
    QTest::newRow("FS answered by Zero")
        << L << QByteArray("FS 400") << QByteArray("Zero -20 Full  400");
    QTest::newRow("ZERO on F") << F << QByteArray("ZERO") << QByteArray("?");
    QTest::newRow("FS on F") << F << QByteArray("FS 400") << QByteArray("?");
    QTest::newRow("BACKUP") << L << QByteArray("BACKUP") << QByteArray("Backup");
    QTest::newRow("DATE") << F << QByteArray("DATE 26/04/15") << QByteArray("Date 26/04/15");
    QTest::newRow("TIME") << F << QByteArray("TIME 07:08:09") << QByteArray("Time 07:08:09");
    QTest::newRow("DATE not a day") << F << QByteArray("DATE 99/02/29") << QByteArray("Error");
    QTest::newRow("DATE short") << F << QByteArray("DATE 26/4/15") << QByteArray("Error");
    QTest::newRow("TIME not a time") << F << QByteArray("TIME 24:00:00") << QByteArray("Error");
    QTest::newRow("CLR") << F << QByteArray("CLR") << QByteArray("Memory Data cleared");
    QTest::newRow("MEM on L") << L << QByteArray("MEM") << QByteArray("?");
    QTest::newRow("unknown") << L << QByteArray("HELLO") << QByteArray("?");
    QTest::newRow("EMI not a number") << L << QByteArray("EMI x") << QByteArray("Error");
}

void TestSimulator::commandRepliesHaveTheirForms()
{
    QFETCH(int, type);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);

    FakePump pump;
    Simulator sim(static_cast<Simulator::Type>(type));
    sim.setAwake(true);
    QCOMPARE(ask(pump, sim, command), reply + "\r\n");
    QCOMPARE(sim.received(), QStringList{QString::fromLatin1(command)});
}

void TestSimulator::resolutionIsSetAndReported()
{
    FakePump pump;
    Simulator sim;
    sim.setAwake(true);
    sim.setSignal([](qint64) { return 25.26; });

    QVERIFY(ask(pump, sim, "RESOL   1").startsWith("Res"));
    QCOMPARE(sim.settings().precision, 1);
    QCOMPARE(ask(pump, sim, "RESOL"), QByteArray("Resolution:1\r\n"));
    QCOMPARE(ask(pump, sim, ":"), QByteArray("  25 C\r\n"));

    QVERIFY(ask(pump, sim, "RESOL 0.1").startsWith("Res"));
    QCOMPARE(sim.settings().precision, 0);
    QCOMPARE(ask(pump, sim, "RESOL"), QByteArray("Resolution:0.1\r\n"));
    QCOMPARE(ask(pump, sim, ":"), QByteArray("  25.3 C\r\n"));

    QVERIFY(!ask(pump, sim, "RESOL 0.5").startsWith("Res"));
    QCOMPARE(sim.settings().precision, 0);
}

void TestSimulator::emissivityEchoEndsInTheValue_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("echo");

    QTest::newRow("0.95") << QByteArray("0.95") << "0.95";
    QTest::newRow("1.00") << QByteArray("1.00") << "1.00";
    QTest::newRow("whole one") << QByteArray("1") << "1.00";
    QTest::newRow("lowest") << QByteArray("0.10") << "0.10";
    QTest::newRow("below range") << QByteArray("0.05") << "0.10";
    QTest::newRow("above range") << QByteArray("1.5") << "1.00";
    QTest::newRow("three decimals") << QByteArray("0.876") << "0.88";
}

void TestSimulator::emissivityEchoEndsInTheValue()
{
    QFETCH(QByteArray, sent);
    QFETCH(QString, echo);

    FakePump pump;
    Simulator sim;
    sim.setAwake(true);
    const QByteArray reply = ask(pump, sim, "EMI " + sent);
    QVERIFY(reply.endsWith("\r\n"));
    const QString line = QString::fromLatin1(reply.chopped(2));
    QCOMPARE(line.left(3), QStringLiteral("Emi"));
    QCOMPARE(line.right(4), echo);
    QCOMPARE(sim.settings().emissivity, echo.toFloat());
    QCOMPARE(ask(pump, sim, "EMI"), reply);
}

void TestSimulator::zeroAndFullScaleSitAtFixedPositions_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<QByteArray>("zero");
    QTest::addColumn<QByteArray>("full");
    QTest::addColumn<int>("expectedZero");
    QTest::addColumn<int>("expectedFull");

    QTest::newRow("defaults") << 0 << QByteArray("-20") << QByteArray("500") << -20 << 500;
    QTest::newRow("one digit") << 0 << QByteArray("0") << QByteArray("10") << 0 << 10;
    QTest::newRow("negative two digits") << 0 << QByteArray("-5") << QByteArray("-1") << -5 << -1;
    QTest::newRow("clamped C") << 0 << QByteArray("-70") << QByteArray("600") << -50 << 500;
    QTest::newRow("F range") << 1 << QByteArray("-60") << QByteArray("940") << -60 << 940;
    QTest::newRow("rounded") << 0 << QByteArray("12.6") << QByteArray("99.4") << 13 << 99;
}

void TestSimulator::zeroAndFullScaleSitAtFixedPositions()
{
    QFETCH(int, unit);
    QFETCH(QByteArray, zero);
    QFETCH(QByteArray, full);
    QFETCH(int, expectedZero);
    QFETCH(int, expectedFull);

    FakePump pump;
    Simulator sim;
    sim.setAwake(true);
    Simulator::InstrumentSettings s;
    s.unit = unit;
    sim.setSettings(s);

    const QByteArray afterZero = ask(pump, sim, "ZERO " + zero);
    const QByteArray afterFull = ask(pump, sim, "FS " + full);
    const QByteArray query = ask(pump, sim, "ZERO");
    QVERIFY(afterZero.startsWith("Zero"));
    QCOMPARE(afterFull, query);

    QVERIFY(query.endsWith("\r\n"));
    const QString line = QString::fromLatin1(query.chopped(2));
    QCOMPARE(line.left(4), QStringLiteral("Zero"));
    // The host reads characters 6 to 8 and 16 to 18 (1-based).
    QCOMPARE(leadingNumber(line.mid(5, 3)), double(expectedZero));
    QCOMPARE(leadingNumber(line.mid(15, 3)), double(expectedFull));
    QCOMPARE(sim.settings().scaleZero, expectedZero);
    QCOMPARE(sim.settings().scaleFull, expectedFull);
}

void TestSimulator::readingFollowsSignalInUnitAndResolution_data()
{
    QTest::addColumn<double>("celsius");
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("precision");
    QTest::addColumn<QByteArray>("reading");

    QTest::newRow("tenths") << 25.26 << 0 << 0 << QByteArray("  25.3 C");
    QTest::newRow("half away from zero") << 25.25 << 0 << 0 << QByteArray("  25.3 C");
    QTest::newRow("whole degrees") << 25.5 << 0 << 1 << QByteArray("  26 C");
    QTest::newRow("negative") << -12.5 << 0 << 0 << QByteArray(" -12.5 C");
    QTest::newRow("negative near zero") << -0.04 << 0 << 0 << QByteArray("   0.0 C");
    QTest::newRow("fahrenheit") << 25.0 << 1 << 1 << QByteArray("  77 F");
    QTest::newRow("fahrenheit tenths") << -20.0 << 1 << 0 << QByteArray("  -4.0 F");
    QTest::newRow("top of range") << 500.0 << 0 << 0 << QByteArray(" 500.0 C");
    QTest::newRow("bottom of range F") << -50.0 << 1 << 1 << QByteArray(" -58 F");
    QTest::newRow("over range") << 500.1 << 0 << 0 << QByteArray("+OVER");
    QTest::newRow("over range F") << 600.0 << 1 << 1 << QByteArray("+OVER");
    QTest::newRow("under range") << -50.1 << 0 << 0 << QByteArray("-OVER");
}

void TestSimulator::readingFollowsSignalInUnitAndResolution()
{
    QFETCH(double, celsius);
    QFETCH(int, unit);
    QFETCH(int, precision);
    QFETCH(QByteArray, reading);

    FakePump pump;
    Simulator sim;
    sim.setAwake(true);
    Simulator::InstrumentSettings s;
    s.unit = unit;
    s.precision = precision;
    sim.setSettings(s);
    sim.setSignal([celsius](qint64) { return celsius; });

    const QByteArray reply = ask(pump, sim, ":");
    QCOMPARE(reply, reading + "\r\n");
    if (!reading.contains("OVER")) {
        const double shown = unit == 1 ? celsius * 9 / 5 + 32 : celsius;
        QVERIFY(qAbs(leadingNumber(QString::fromLatin1(reading)) - shown) <=
                (precision == 0 ? 0.05 : 0.5) + 1e-9);
    }
}

void TestSimulator::defaultSignalIsPlausibleAndRepeatable()
{
    QStringList first;
    {
        FakePump pump;
        Simulator sim;
        sim.setAwake(true);
        for (int i = 0; i < 30; ++i)
            first << QString::fromLatin1(ask(pump, sim, ":", 60000));
    }
    FakePump pump;
    Simulator sim;
    sim.setAwake(true);
    QStringList second;
    for (int i = 0; i < 30; ++i)
        second << QString::fromLatin1(ask(pump, sim, ":", 60000));

    QCOMPARE(second, first);
    QVERIFY(QSet<QString>(first.begin(), first.end()).size() > 5);
    for (const QString &r : first) {
        QVERIFY2(r.endsWith(QLatin1String(" C\r\n")), qPrintable(r));
        const double v = leadingNumber(r);
        QVERIFY2(v > 20.0 && v < 30.0, qPrintable(r));
    }
}

void TestSimulator::sleepingInstrumentIgnoresCommandsUntilWoken()
{
    FakePump pump;
    Simulator sim;
    QVERIFY(!sim.awake());
    QVERIFY(ask(pump, sim, "TYPE").isEmpty());
    QVERIFY(ask(pump, sim, "off").isEmpty());

    QVERIFY(ask(pump, sim, "").isEmpty());
    QVERIFY(sim.awake());
    QVERIFY(ask(pump, sim, "").isEmpty());
    QCOMPARE(ask(pump, sim, "TYPE"), QByteArray("L-type\r\n"));

    // Power off: "off", CR LF, then a lone CR.
    sim.receive("off\r\n");
    sim.receive("\r");
    QVERIFY(drain(pump, sim).isEmpty());
    QVERIFY(!sim.awake());
    QVERIFY(ask(pump, sim, "TYPE").isEmpty());

    // Power on: four empty lines, the first following the lone CR.
    sim.receive("\r\n\r\n\r\n\r\n");
    QVERIFY(drain(pump, sim).isEmpty());
    QVERIFY(sim.awake());
    QCOMPARE(ask(pump, sim, "TYPE"), QByteArray("L-type\r\n"));

    const QStringList expected{"TYPE", "off", "", "", "TYPE", "off",
                               "TYPE", "",    "", "", "",     "TYPE"};
    QCOMPARE(sim.received(), expected);
}

void TestSimulator::replyIsPacedOverSeveralReads()
{
    FakePump pump;
    Simulator sim;
    sim.setAwake(true);
    sim.receive("TYPE\r\nRESOL\r\n");
    QVERIFY(sim.takeOutput().isEmpty());
    QVERIFY(sim.msUntilOutput() > 0);

    QByteArray joined;
    int reads = 0;
    while (sim.msUntilOutput() >= 0) {
        pump.advance(20);
        const QByteArray part = sim.takeOutput();
        if (!part.isEmpty()) {
            ++reads;
            joined += part;
        }
        QVERIFY(reads < 100);
    }
    QCOMPARE(joined, QByteArray("L-type\r\nResolution:0.1\r\n"));
    QVERIFY(reads >= 5);
    QCOMPARE(sim.msUntilOutput(), qint64(-1));
}

void TestSimulator::faultsShapeTheNextReplies_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("nextReading");

    const QByteArray reading("  21.0 C\r\n");
    QTest::newRow("silence") << int(Simulator::Silence) << QByteArray("TYPE") << QByteArray()
                             << reading;
    QTest::newRow("wrong reply") << int(Simulator::WrongReply) << QByteArray("RESOL")
                                 << QByteArray("?\r\n") << reading;
    QTest::newRow("Err") << int(Simulator::ErrReading) << QByteArray(":") << QByteArray(" Err\r\n")
                         << reading;
    QTest::newRow("Error") << int(Simulator::ErrorReading) << QByteArray(":")
                           << QByteArray("Error\r\n") << reading;
    QTest::newRow("low battery") << int(Simulator::LowBattery) << QByteArray(":")
                                 << QByteArray("Lo.Batt!\r\n") << reading;
    QTest::newRow("over range") << int(Simulator::OverRange) << QByteArray(":")
                                << QByteArray("+OVER\r\n") << reading;
    QTest::newRow("under range") << int(Simulator::UnderRange) << QByteArray(":")
                                 << QByteArray("-OVER\r\n") << reading;
    QTest::newRow("split") << int(Simulator::SplitReply) << QByteArray("TYPE")
                           << QByteArray("L-type\r\n") << reading;
    QTest::newRow("twice") << int(Simulator::TwoReplies) << QByteArray("TYPE")
                           << QByteArray("L-type\r\nL-type\r\n") << reading;
    QTest::newRow("no line feed") << int(Simulator::NoLineFeed) << QByteArray("TYPE")
                                  << QByteArray("L-type\r") << reading;
    QTest::newRow("reading fault waits for a reading")
        << int(Simulator::OverRange) << QByteArray("TYPE") << QByteArray("L-type\r\n")
        << QByteArray("+OVER\r\n");
}

void TestSimulator::faultsShapeTheNextReplies()
{
    QFETCH(int, fault);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, nextReading);

    FakePump pump;
    Simulator sim;
    sim.setAwake(true);
    sim.setSignal([](qint64) { return 21.0; });
    sim.setFault(static_cast<Simulator::Fault>(fault));
    QCOMPARE(ask(pump, sim, command, 2000), output);
    QCOMPARE(ask(pump, sim, ":", 2000), nextReading);

    const QByteArray normal = command == ":"      ? QByteArray("  21.0 C\r\n")
                              : command == "TYPE" ? QByteArray("L-type\r\n")
                                                  : QByteArray("Resolution:0.1\r\n");
    QCOMPARE(ask(pump, sim, command, 2000), normal);
}

void TestSimulator::splitReplyPausesBetweenHalves()
{
    FakePump pump;
    Simulator sim;
    sim.setAwake(true);
    sim.setFault(Simulator::SplitReply, 1, "RESOL");
    sim.receive("RESOL\r\n");

    const QByteArray first = drain(pump, sim, 300);
    QVERIFY(!first.isEmpty());
    QVERIFY(!first.contains('\n'));
    QVERIFY(drain(pump, sim, 200).isEmpty());
    QCOMPARE(first + drain(pump, sim, 1000), QByteArray("Resolution:0.1\r\n"));
}

void TestSimulator::faultsCountAndMatchTheirCommand()
{
    FakePump pump;
    Simulator sim;
    sim.setAwake(true);

    sim.setFault(Simulator::WrongReply, 2, "RESOL");
    QCOMPARE(ask(pump, sim, "TYPE"), QByteArray("L-type\r\n"));
    QCOMPARE(ask(pump, sim, "RESOL"), QByteArray("?\r\n"));
    QCOMPARE(ask(pump, sim, "RESOL 0.1"), QByteArray("?\r\n"));
    QCOMPARE(ask(pump, sim, "RESOL"), QByteArray("Resolution:0.1\r\n"));

    // Faults wait for a reply: commands without one do not use them up.
    sim.setFault(Simulator::Silence, -1);
    sim.setAwake(false);
    QVERIFY(ask(pump, sim, "TYPE").isEmpty());
    QVERIFY(ask(pump, sim, "").isEmpty());
    for (int i = 0; i < 5; ++i)
        QVERIFY(ask(pump, sim, "TYPE").isEmpty());
    sim.clearFaults();
    QCOMPARE(ask(pump, sim, "TYPE"), QByteArray("L-type\r\n"));

    sim.setFault(Simulator::LowBattery, 1, ":");
    sim.setFault(Simulator::NoLineFeed, 1, ":");
    QCOMPARE(ask(pump, sim, "TYPE"), QByteArray("L-type\r\n"));
    QCOMPARE(ask(pump, sim, ":"), QByteArray("Lo.Batt!\r"));
}

void TestSimulator::backupStoresTheCurrentSettings()
{
    FakePump pump;
    Simulator sim;
    sim.setAwake(true);
    ask(pump, sim, "EMI 0.80");
    ask(pump, sim, "RESOL   1");
    QCOMPARE(sim.backedUp().emissivity, 0.95f);
    QCOMPARE(sim.backedUp().precision, 0);

    QCOMPARE(ask(pump, sim, "BACKUP"), QByteArray("Backup\r\n"));
    QCOMPARE(sim.backedUp().emissivity, 0.80f);
    QCOMPARE(sim.backedUp().precision, 1);
}

void TestSimulator::clockRunsFromTheSetDateAndTime()
{
    FakePump pump(QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0)));
    Simulator sim(Simulator::FType);
    sim.setAwake(true);
    QCOMPARE(sim.clock(), QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0)));

    QCOMPARE(ask(pump, sim, "DATE 26/12/31", 500), QByteArray("Date 26/12/31\r\n"));
    QCOMPARE(ask(pump, sim, "TIME 23:59:50", 500), QByteArray("Time 23:59:50\r\n"));
    pump.advance(20000);
    QCOMPARE(sim.clock().date(), QDate(2027, 1, 1));
    QCOMPARE(sim.clock().time().minute(), 0);

    const QList<QByteArray> lines = memLines(pump, sim);
    QVERIFY(lines.size() >= 2);
    QVERIFY(lines.at(1).startsWith("PRINT 27/01/01 00:00:"));

    // The host's century rule: 79 is 2079, 80 is 1980.
    ask(pump, sim, "DATE 79/06/01", 500);
    QCOMPARE(sim.clock().date(), QDate(2079, 6, 1));
    ask(pump, sim, "DATE 80/06/01", 500);
    QCOMPARE(sim.clock().date(), QDate(1980, 6, 1));
    QCOMPARE(ask(pump, sim, "DATE 00/02/29", 500), QByteArray("Date 00/02/29\r\n"));
}

void TestSimulator::memoryRecordLinesSplitIntoHostFields_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("precision");
    QTest::addColumn<bool>("over");
    QTest::addColumn<QStringList>("fields");

    const QDate d(2026, 3, 1);
    QTest::newRow("short date and time") << QDateTime(d, QTime(9, 5)) << 25.3 << 0 << 0 << false
                                         << QStringList{"No.07", "3/01", "9:05", "25.3", "C"};
    QTest::newRow("long date and time")
        << QDateTime(QDate(2025, 12, 31), QTime(14, 30)) << 25.25 << 0 << 0 << false
        << QStringList{"No.07", "12/31", "14:30", "25.3", "C"};
    QTest::newRow("midnight") << QDateTime(d, QTime(0, 0)) << 20.0 << 0 << 0 << false
                              << QStringList{"No.07", "3/01", "0:00", "20.0", "C"};
    QTest::newRow("whole degrees F") << QDateTime(d, QTime(10, 0)) << 253.4 << 1 << 1 << false
                                     << QStringList{"No.07", "3/01", "10:00", "253", "F"};
    QTest::newRow("negative") << QDateTime(d, QTime(10, 0)) << -12.5 << 0 << 0 << false
                              << QStringList{"No.07", "3/01", "10:00", "-12.5", "C"};
    QTest::newRow("negative below one") << QDateTime(d, QTime(10, 0)) << -0.4 << 0 << 0 << false
                                        << QStringList{"No.07", "3/01", "10:00", "-0.4", "C"};
    QTest::newRow("over range C") << QDateTime(d, QTime(10, 0)) << 0.0 << 0 << 0 << true
                                  << QStringList{"No.07", "3/01", "10:00", "500.0", "C", "OVER"};
    QTest::newRow("over range F") << QDateTime(d, QTime(10, 0)) << 0.0 << 1 << 1 << true
                                  << QStringList{"No.07", "3/01", "10:00", "932", "F", "OVER"};
}

void TestSimulator::memoryRecordLinesSplitIntoHostFields()
{
    QFETCH(QDateTime, time);
    QFETCH(double, value);
    QFETCH(int, unit);
    QFETCH(int, precision);
    QFETCH(bool, over);
    QFETCH(QStringList, fields);

    FakePump pump;
    Simulator sim(Simulator::FType);
    sim.setAwake(true);
    sim.setMemory({record(7, time, value, unit, precision, over)});

    const QList<QByteArray> lines = memLines(pump, sim);
    QCOMPARE(lines.size(), 6);
    QCOMPARE(fieldsOf(QString::fromLatin1(lines.at(2))), fields);
    // The host tells the resolution from the value text's second-last character.
    QCOMPARE(fields.at(3).at(fields.at(3).size() - 2) == QLatin1Char('.'), precision == 0);
}

void TestSimulator::demoMemoryDownloadsAsStored()
{
    FakePump pump(QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0)));
    Simulator sim(Simulator::FType);
    sim.setAwake(true);
    sim.fillDemoMemory();

    QList<Simulator::MemoryRecord> stored = sim.memory();
    std::stable_sort(stored.begin(), stored.end(),
                     [](const auto &a, const auto &b) { return a.block < b.block; });

    const QList<QByteArray> lines = memLines(pump, sim);
    QVERIFY(!lines.isEmpty());
    const HostListing listing = readListing(lines.mid(1));
    QVERIFY(listing.endedWithoutTimeOut);
    QCOMPARE(listing.header, QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0)));
    QCOMPARE(listing.records.size(), stored.size());

    QSet<int> blocks;
    QSet<int> years;
    int negatives = 0;
    int overs = 0;
    int fahrenheit = 0;
    for (int i = 0; i < stored.size(); ++i) {
        const Simulator::MemoryRecord &s = stored.at(i);
        const HostRecord &h = listing.records.at(i);
        QCOMPARE(h.block, s.block);
        QCOMPARE(h.time, s.time);
        QCOMPARE(h.unit, s.unit == 1 ? QStringLiteral("F") : QStringLiteral("C"));
        QCOMPARE(h.over, s.over);
        if (!s.over)
            QCOMPARE(leadingNumber(h.value), s.value);
        QCOMPARE(h.value.at(h.value.size() - 2) == QLatin1Char('.'), s.precision == 0);
        QVERIFY(s.time < sim.clock());
        blocks.insert(s.block);
        if (s.block == 2)
            years.insert(s.time.date().year());
        negatives += s.value < 0;
        overs += s.over;
        fahrenheit += s.unit == 1;
    }
    QCOMPARE(blocks, (QSet<int>{1, 2, 3, 5}));
    QCOMPARE(years, (QSet<int>{2025, 2026}));
    QVERIFY(negatives > 0);
    QCOMPARE(overs, 1);
    QVERIFY(fahrenheit > 0);
}

void TestSimulator::clearLeavesHeaderAndEndLinesOnly()
{
    FakePump pump(QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0)));
    Simulator sim(Simulator::FType);
    sim.setAwake(true);
    sim.fillDemoMemory();

    QCOMPARE(ask(pump, sim, "CLR"), QByteArray("Memory Data cleared\r\n"));
    QVERIFY(sim.memory().isEmpty());
    const QList<QByteArray> lines = memLines(pump, sim);
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines.at(1), QByteArray("PRINT 26/03/01 10:00:01"));
    const HostListing listing = readListing(lines.mid(1));
    QVERIFY(listing.endedWithoutTimeOut);
    QVERIFY(listing.records.isEmpty());
}

void TestSimulator::simPortPassesBytesOnlyWhileOpen()
{
    FakePump pump;
    Simulator sim;
    SimPort port(sim);
    QCOMPARE(port.write("\r\n"), qint64(-1));
    QVERIFY(!port.setRequestToSend(true));
    QVERIFY(sim.received().isEmpty());

    port.failNextOpen(SerialPort::InUse);
    QVERIFY(!port.open());
    QCOMPARE(port.openError(), SerialPort::InUse);
    QVERIFY(!port.errorText().isEmpty());
    QCOMPARE(port.openCount(), 0);

    QVERIFY(port.open());
    QCOMPARE(port.openError(), SerialPort::NoError);
    QCOMPARE(port.openCount(), 1);
    QVERIFY(port.setDataTerminalReady(true));
    QVERIFY(port.setRequestToSend(true));
    QVERIFY(port.dataTerminalReady() && port.requestToSend());
    QCOMPARE(port.write("\r\nTYPE\r\n"), qint64(8));
    QByteArray got;
    for (int i = 0; i < 100 && !got.endsWith('\n'); ++i) {
        pump.advance(10);
        got += port.readAll();
    }
    QCOMPARE(got, QByteArray("L-type\r\n"));

    // A reply that arrives while the port is closed is lost, as on a real line.
    port.write("TYPE\r\n");
    port.close();
    QVERIFY(!port.requestToSend());
    pump.advance(1000);
    QVERIFY(port.open());
    QCOMPARE(port.openCount(), 2);
    QVERIFY(port.readAll().isEmpty());
    QCOMPARE(port.written(), QByteArray("\r\nTYPE\r\nTYPE\r\n"));
}

void TestSimulator::ptyServerLinkReplacesOnlyStaleLinks()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("ttyORVAN"));
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/tty"), link));

    Simulator sim;
    {
        PtyServer server(sim);
        QVERIFY2(server.start(link), qPrintable(server.errorString()));
        QCOMPARE(QFileInfo(link).symLinkTarget(), server.slavePath());
    }
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(link));

    QFile file(link);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep");
    file.close();
    PtyServer server(sim);
    QVERIFY(!server.start(link));
    QVERIFY(!server.errorString().isEmpty());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep"));
}

// The one test on the real event loop and real time: the slave side must behave as a serial
// port for QSerialPort, including after the application closes and reopens it.
void TestSimulator::ptyServerAnswersThroughARealSerialPort()
{
    Simulator sim;
    PtyServer server(sim);
    QVERIFY2(server.start(), qPrintable(server.errorString()));

    for (int round = 0; round < 2; ++round) {
        QSerialPort port(server.slavePath());
        port.setBaudRate(QSerialPort::Baud2400);
        port.setDataBits(QSerialPort::Data8);
        port.setParity(QSerialPort::NoParity);
        port.setStopBits(QSerialPort::OneStop);
        port.setFlowControl(QSerialPort::NoFlowControl);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));

        port.write("\r\n\r\n\r\n\r\nTYPE\r\n");
        QByteArray got;
        const QDeadlineTimer deadline(5000);
        while (!got.endsWith('\n') && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            20);
            got += port.readAll();
        }
        QCOMPARE(got, QByteArray("L-type\r\n"));

        port.write("off\r\n\r");
        QVERIFY(port.waitForBytesWritten(1000) || port.bytesToWrite() == 0);
        const QDeadlineTimer asleep(2000);
        while (sim.awake() && !asleep.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            20);
        QVERIFY(!sim.awake());
        port.close();
    }
    QCOMPARE(sim.received().count(QStringLiteral("TYPE")), 2);
}

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
