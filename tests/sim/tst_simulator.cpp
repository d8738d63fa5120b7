#include "FakePump.h"
#include "Format.h"
#include "PtyServer.h"
#include "Simulator.h"

#include <QtTest>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace
{

// An instrument on a simulated clock, read by the host every 10 ms.
struct Bench {
    explicit Bench(Simulator::Type type = Simulator::LType, bool awake = true) : sim(type)
    {
        sim.setAwake(awake);
    }

    // What reaches the host over `ms`.
    QByteArray drain(qint64 ms = 1000)
    {
        QByteArray out;
        for (qint64 t = 0; t < ms; t += 10) {
            pump.advance(10);
            out += sim.takeOutput();
        }
        return out;
    }

    QByteArray ask(const QByteArray &command, qint64 ms = 1000)
    {
        sim.receive(command + "\r\n");
        return drain(ms);
    }

    // The lines after "MEM", without line ends.
    QList<QByteArray> memLines()
    {
        QList<QByteArray> lines = ask("MEM", 20000).split('\n');
        lines.removeLast();
        for (QByteArray &l : lines)
            l.chop(1);
        return lines;
    }

    FakePump pump{QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0))};
    Simulator sim;
};

// A line as the host splits it at blanks.
QStringList fieldsOf(QString line)
{
    QString fields[11];
    const int last = splitBlank(line, fields);
    return QStringList(fields, fields + last + 1);
}

} // namespace

Q_DECLARE_METATYPE(Simulator::MemoryRecord)

class TestSimulator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Commands separated by "|"; the reply to the last one. The host reads the scale from
    // characters 6-8 and 16-18, so the blanks count. The instrument tests cover the replies
    // to well-formed commands.
    void conversationEndsInReply_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("commands");
        QTest::addColumn<QByteArray>("reply");
        const int L = Simulator::LType, F = Simulator::FType;
        auto row = [](const char *name, int type, const char *commands, const char *reply) {
            QTest::newRow(name) << type << QByteArray(commands) << QByteArray(reply);
        };
        row("unknown", L, "HELLO", "?");
        row("resolution refused", L, "RESOL   1|RESOL 0.5|RESOL", "Resolution:1");
        row("emissivity rounded", L, "EMI 0.876", "Emi  0.88");
        row("emissivity below range", L, "EMI 0.05", "Emi  0.10");
        row("scale short numbers", L, "ZERO -5|FS 0|ZERO", "Zero  -5 Full    0");
        row("scale rounded", L, "ZERO 12.6|FS 99.4|ZERO", "Zero  13 Full   99");
        row("scale clamped in C", L, "ZERO -70|FS 600|ZERO", "Zero -50 Full  500");
        row("no 29 February 1999", F, "DATE 99/02/29", "Error");
    }
    void conversationEndsInReply()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, commands);
        QFETCH(QByteArray, reply);
        Bench b(static_cast<Simulator::Type>(type));
        QByteArray last;
        for (const QByteArray &command : commands.split('|'))
            last = b.ask(command);
        QCOMPARE(last, reply + "\r\n");
    }

    void readingFollowsSignalInUnitAndResolution_data()
    {
        QTest::addColumn<double>("celsius");
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("precision");
        QTest::addColumn<QByteArray>("reading");
        QTest::newRow("half away from zero") << 25.25 << 0 << 0 << QByteArray("  25.3 C");
        QTest::newRow("whole degrees") << 25.5 << 0 << 1 << QByteArray("  26 C");
        QTest::newRow("negative near zero") << -0.04 << 0 << 0 << QByteArray("   0.0 C");
        QTest::newRow("top of range") << 500.0 << 0 << 0 << QByteArray(" 500.0 C");
        QTest::newRow("bottom of range F") << -50.0 << 1 << 1 << QByteArray(" -58 F");
        QTest::newRow("over range F") << 600.0 << 1 << 1 << QByteArray("+OVER");
        QTest::newRow("under range") << -50.1 << 0 << 0 << QByteArray("-OVER");
    }
    void readingFollowsSignalInUnitAndResolution()
    {
        QFETCH(double, celsius);
        QFETCH(int, unit);
        QFETCH(int, precision);
        QFETCH(QByteArray, reading);
        Bench b;
        b.sim.setSettings({precision, unit, 0.95f, -20, 500});
        b.sim.setSignal([celsius](qint64) { return celsius; });
        QCOMPARE(b.ask(":"), reading + "\r\n");
    }

    // The demonstrations and the tests that log over time rely on it.
    void defaultSignalIsPlausibleAndRepeatable()
    {
        auto readings = [] {
            Bench b;
            QList<QByteArray> out;
            for (int i = 0; i < 30; ++i)
                out << b.ask(":", 60000);
            return out;
        };
        const QList<QByteArray> first = readings();
        QCOMPARE(readings(), first);
        QVERIFY(QSet<QByteArray>(first.begin(), first.end()).size() > 5);
        for (const QByteArray &r : first) {
            const double v = leadingNumber(QString::fromLatin1(r));
            QVERIFY2(r.endsWith(" C\r\n") && v > 20.0 && v < 30.0, r.constData());
        }
    }

    void sleepingInstrumentIgnoresCommandsUntilWoken()
    {
        Bench b(Simulator::LType, false);
        QVERIFY(b.ask("TYPE").isEmpty());
        QVERIFY(b.ask("off").isEmpty());
        QVERIFY(b.ask("").isEmpty());
        QCOMPARE(b.ask("TYPE"), QByteArray("L-type\r\n"));

        // Power off: "off", CR LF, then a lone CR.
        b.sim.receive("off\r\n\r");
        QVERIFY(b.ask("TYPE").isEmpty());

        // Power on: four empty lines, the first following the lone CR.
        b.sim.receive("\r\n\r\n\r\n\r\n");
        QVERIFY(b.drain().isEmpty());
        QCOMPARE(b.ask("TYPE"), QByteArray("L-type\r\n"));
        QCOMPARE(b.sim.received(),
                 (QStringList{"TYPE", "off", "", "TYPE", "off", "TYPE", "", "", "", "", "TYPE"}));
    }

    void replyIsPacedOverSeveralReads()
    {
        Bench b;
        b.sim.receive("TYPE\r\nRESOL\r\n");
        QVERIFY(b.sim.takeOutput().isEmpty());
        QByteArray joined;
        int reads = 0;
        while (b.sim.msUntilOutput() >= 0 && reads < 100) {
            const QByteArray part = b.drain(20);
            reads += !part.isEmpty();
            joined += part;
        }
        QCOMPARE(joined, QByteArray("L-type\r\nResolution:0.1\r\n"));
        QVERIFY(reads >= 5);
    }

    // The link's test of a split reply relies on the pause.
    void splitReplyPausesBetweenHalves()
    {
        Bench b;
        b.sim.setFault(Simulator::SplitReply, 1, "RESOL");
        b.sim.receive("RESOL\r\n");
        const QByteArray first = b.drain(300);
        QVERIFY(!first.isEmpty() && !first.contains('\n'));
        QVERIFY(b.drain(200).isEmpty());
        QCOMPARE(first + b.drain(), QByteArray("Resolution:0.1\r\n"));
    }

    void faultsCountAndMatchTheirCommand()
    {
        Bench b;
        b.sim.setFault(Simulator::WrongReply, 2, "RESOL");
        QCOMPARE(b.ask("TYPE"), QByteArray("L-type\r\n"));
        QCOMPARE(b.ask("RESOL"), QByteArray("?\r\n"));
        QCOMPARE(b.ask("RESOL 0.1"), QByteArray("?\r\n"));
        QCOMPARE(b.ask("RESOL"), QByteArray("Resolution:0.1\r\n"));

        // A fault waits for a reply: a sleeping instrument's silence does not use it up.
        b.sim.setFault(Simulator::WrongReply);
        b.sim.setAwake(false);
        QVERIFY(b.ask("TYPE").isEmpty());
        QVERIFY(b.ask("").isEmpty());
        QCOMPARE(b.ask("TYPE"), QByteArray("?\r\n"));

        b.sim.setFault(Simulator::Silence, -1);
        for (int i = 0; i < 3; ++i)
            QVERIFY(b.ask("TYPE").isEmpty());
        b.sim.clearFaults();
        QCOMPARE(b.ask("TYPE"), QByteArray("L-type\r\n"));

        // A reading fault waits for a reading; two faults can shape one reply.
        b.sim.setFault(Simulator::OverRange);
        b.sim.setFault(Simulator::NoLineFeed, 1, ":");
        QCOMPARE(b.ask("TYPE"), QByteArray("L-type\r\n"));
        QCOMPARE(b.ask(":"), QByteArray("+OVER\r"));
        QVERIFY(b.ask(":").endsWith(" C\r\n"));
    }

    void clockRunsFromTheSetDateAndTime()
    {
        Bench b(Simulator::FType);
        QCOMPARE(b.sim.clock(), QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0)));
        b.ask("DATE 26/12/31", 500);
        b.ask("TIME 23:59:50", 500);
        b.pump.advance(20000);
        QCOMPARE(b.sim.clock().date(), QDate(2027, 1, 1));
        QCOMPARE(b.sim.clock().time().minute(), 0);
        QVERIFY(b.memLines().value(1).startsWith("PRINT 27/01/01 00:00:"));

        // The host's century rule: 79 is 2079, 80 is 1980.
        b.ask("DATE 79/06/01", 500);
        QCOMPARE(b.sim.clock().date(), QDate(2079, 6, 1));
        b.ask("DATE 80/06/01", 500);
        QCOMPARE(b.sim.clock().date(), QDate(1980, 6, 1));
    }

    // m/dd and h:mm unpadded; the host tells the resolution from the value's second-last
    // character.
    void memoryRecordLinesSplitIntoHostFields_data()
    {
        QTest::addColumn<Simulator::MemoryRecord>("record");
        QTest::addColumn<QStringList>("fields");
        auto row = [](const char *name, const QTime &time, double value, int unit, bool over,
                      const QStringList &fields) {
            const Simulator::MemoryRecord r{
                7, QDateTime(QDate(2026, 3, 1), time), value, over, unit, unit};
            QTest::newRow(name) << r << QStringList{"No.07", "3/01"} + fields;
        };
        row("tenths", QTime(9, 5), 25.25, 0, false, {"9:05", "25.3", "C"});
        row("negative below one", QTime(10, 0), -0.4, 0, false, {"10:00", "-0.4", "C"});
        row("whole degrees F", QTime(0, 0), 253.4, 1, false, {"0:00", "253", "F"});
        row("over range F", QTime(10, 0), 0.0, 1, true, {"10:00", "932", "F", "OVER"});
    }
    void memoryRecordLinesSplitIntoHostFields()
    {
        QFETCH(Simulator::MemoryRecord, record);
        Bench b(Simulator::FType);
        b.sim.setMemory({record});
        const QList<QByteArray> lines = b.memLines();
        QCOMPARE(lines.size(), 6);
        QTEST(fieldsOf(QString::fromLatin1(lines.at(2))), "fields");
    }

    // The listing carries no year: the host can place a record only while it lies within
    // about eleven months before the clock. Three lines without a block number end it.
    void demoMemoryIsListedInBlockOrderThenCleared()
    {
        Bench b(Simulator::FType);
        b.sim.fillDemoMemory();
        const QList<QByteArray> lines = b.memLines();
        const qsizetype n = b.sim.memory().size();
        QCOMPARE(lines.mid(0, 2), (QList<QByteArray>{"MEMORY DATA", "PRINT 26/03/01 10:00:00"}));
        QCOMPARE(lines.mid(n + 2), (QList<QByteArray>{"END", "", ""}));
        QList<int> blocks;
        for (const QByteArray &line : lines.mid(2, n))
            blocks << line.mid(3, 2).toInt();
        QVERIFY(std::is_sorted(blocks.begin(), blocks.end()));
        QCOMPARE(QSet<int>(blocks.begin(), blocks.end()), (QSet<int>{1, 2, 3, 5}));
        QSet<int> years;
        for (const Simulator::MemoryRecord &r : b.sim.memory()) {
            QVERIFY(r.time < b.sim.clock() && r.time > b.sim.clock().addMonths(-11));
            years.insert(r.time.date().year());
        }
        QCOMPARE(years, (QSet<int>{2025, 2026}));

        QCOMPARE(b.ask("CLR"), QByteArray("Memory Data cleared\r\n"));
        QCOMPARE(b.memLines().size(), 5);
    }

    void ptyServerLinkReplacesOnlyStaleLinks()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttyORVAN"));
        QVERIFY(QFile::link(QStringLiteral("/nonexistent/tty"), link));
        Simulator sim;
        {
            PtyServer server(sim);
            QVERIFY2(server.start(link), qPrintable(server.errorString()));
            QCOMPARE(QFileInfo(link).symLinkTarget(), server.slavePath());
        }
        QVERIFY(!QFileInfo(link).isSymLink() && !QFileInfo::exists(link));

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

    // The pulled cable hangs up the terminal the application holds and takes the link away;
    // plugged back, the link reaches a new terminal that the instrument answers on.
    void ptyServerReplugPointsLinkAtNewTerminal()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttyORVAN"));
        Simulator sim;
        sim.setAwake(true);
        PtyServer server(sim);
        QVERIFY2(server.start(link), qPrintable(server.errorString()));
        const int held = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY);
        QVERIFY(held >= 0);

        server.unplug();
        QVERIFY(!server.isPlugged());
        QVERIFY(!QFileInfo(link).isSymLink());
        QCOMPARE(::write(held, "TYPE\r\n", 6), ssize_t(-1));
        ::close(held);

        QVERIFY2(server.replug(), qPrintable(server.errorString()));
        QCOMPARE(QFileInfo(link).symLinkTarget(), server.slavePath());
        const int fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "TYPE\r\n", 6), ssize_t(6));
        QByteArray reply;
        char buffer[64];
        QTRY_VERIFY_WITH_TIMEOUT(
            (reply += QByteArray(buffer, std::max<int>(0, ::read(fd, buffer, sizeof buffer))))
                .endsWith('\n'),
            5000);
        ::close(fd);
        QCOMPARE(reply, QByteArray("L-type\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
