#include "FakePump.h"
#include "Simulator.h"

#include <QtTest>

namespace
{

// An instrument on a simulated clock, read by the host every 10 ms.
struct Bench {
    explicit Bench(Simulator::Type type = Simulator::LType) : sim(type) { sim.setAwake(true); }

    // What reaches the host in the second after `command`.
    QByteArray ask(const QByteArray &command)
    {
        sim.receive(command + "\r\n");
        QByteArray out;
        for (int ms = 0; ms < 1000; ms += 10) {
            pump.advance(10);
            out += sim.takeOutput();
        }
        return out;
    }

    FakePump pump;
    Simulator sim;
};

} // namespace

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
            QTest::newRow(name) << type << QByteArray(commands) << QByteArray(reply).append("\r\n");
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
        Bench b(static_cast<Simulator::Type>(type));
        QByteArray last;
        for (const QByteArray &command : commands.split('|'))
            last = b.ask(command);
        QTEST(last, "reply");
    }

    void readingFollowsSignalInUnitAndResolution_data()
    {
        QTest::addColumn<double>("celsius");
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("precision");
        QTest::addColumn<QByteArray>("reading");
        QTest::newRow("half away from zero") << 25.25 << 0 << 0 << QByteArray("  25.3 C\r\n");
        QTest::newRow("whole degrees") << 25.5 << 0 << 1 << QByteArray("  26 C\r\n");
        QTest::newRow("negative near zero") << -0.04 << 0 << 0 << QByteArray("   0.0 C\r\n");
        QTest::newRow("top of range") << 500.0 << 0 << 0 << QByteArray(" 500.0 C\r\n");
        QTest::newRow("bottom of range F") << -50.0 << 1 << 1 << QByteArray(" -58 F\r\n");
        QTest::newRow("over range F") << 600.0 << 1 << 1 << QByteArray("+OVER\r\n");
        QTest::newRow("under range") << -50.1 << 0 << 0 << QByteArray("-OVER\r\n");
    }
    void readingFollowsSignalInUnitAndResolution()
    {
        QFETCH(double, celsius);
        QFETCH(int, unit);
        QFETCH(int, precision);
        Bench b;
        b.sim.setSettings({precision, unit, 0.95f, -20, 500});
        b.sim.setSignal([celsius](qint64) { return celsius; });
        QTEST(b.ask(":"), "reading");
    }

    // 10 bits a character at 2400 baud: the 16 characters of this reply end 25/6 ms apart,
    // rounded, whatever the pace the host reads at.
    void replyLeavesAtLinePace()
    {
        Bench b;
        b.sim.receive("RESOL\r\n");
        QByteArray joined;
        QList<int> arrivals;
        for (int ms = 1; ms <= 200; ++ms) {
            b.pump.advance(1);
            const QByteArray part = b.sim.takeOutput();
            joined += part;
            arrivals += QList<int>(part.size(), ms);
        }
        QCOMPARE(joined, QByteArray("Resolution:0.1\r\n"));
        QCOMPARE(arrivals.last() - arrivals.first(), 63);
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
