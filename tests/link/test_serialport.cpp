#include "LinkRig.h"

#include "PtyServer.h"
#include "QtSerialPort.h"
#include "ScriptedPrompter.h"
#include "Strings.h"

#include <QtTest>

#include <unistd.h>

// The real port on a pseudo-terminal served by the simulator, in real time on the real pump.
class TestSerialPort : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        setLanguage();
        initLanguage();
    }
    void init() { stopRequested = false; }
    void cleanup() { Settings.portDevices[0].clear(); }

    // Twice: the port must open again after the application closed it.
    void bracketRunsOverPseudoTerminal()
    {
        ScriptedPrompter prompter;
        Simulator sim;
        PtyServer server(sim);
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        QtSerialPort port;
        FakeLinkHost host;
        ClassLink link(port, host);
        Settings.portDevices[0] = server.slavePath();
        link.selectPort(0);
        // Ends any read that is still waiting by then, so the test cannot hang.
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, [] { stopRequested = true; });
        deadline.start(30000);

        for (int round = 0; round < 2; ++round) {
            link.PowerOn();
            QVERIFY(port.isOpen() && sim.awake());
            link.SendCommand(QStringLiteral("TYPE"));
            QCOMPARE(link.lastReply(), QStringLiteral("L-type"));
            link.SendCommand(QStringLiteral("RESOL"));
            QCOMPARE(link.lastReply(), QStringLiteral("Resolution:0.1"));
            link.PowerOff();
            QVERIFY(!port.isOpen());
            // "off" left before the port closed.
            QVERIFY(!sim.awake());
        }
        const QStringList bracket{"", "", "", "", "TYPE", "RESOL", "off"};
        QCOMPARE(sim.received(), bracket + bracket);
        QVERIFY(prompter.shown().isEmpty());
    }

    // The simulator quits, or the cable is pulled and the next write is the first to know.
    void hangUpClosesThePort_data()
    {
        QTest::addColumn<bool>("unplug");
        QTest::newRow("simulator gone") << false;
        QTest::newRow("unplugged, then written to") << true;
    }
    void hangUpClosesThePort()
    {
        QFETCH(bool, unplug);
        Simulator sim;
        auto server = std::make_unique<PtyServer>(sim);
        QVERIFY2(server->start(), qPrintable(server->errorString()));
        QtSerialPort port;
        port.setDevice(server->slavePath());
        QVERIFY(port.open());
        if (unplug) {
            server->unplug();
            QCOMPARE(port.write("TYPE\r\n"), qint64(-1));
        } else {
            server.reset();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!port.isOpen(), 10000);
    }

    void openErrorsAreTold_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("error");
        QTest::newRow("no device") << "missing" << int(SerialPort::NotFound);
        QTest::newRow("no device chosen") << QString() << int(SerialPort::NotFound);
        QTest::newRow("open elsewhere") << "busy" << int(SerialPort::InUse);
        QTest::newRow("no access") << "denied" << int(SerialPort::PermissionDenied);
    }
    void openErrorsAreTold()
    {
        QFETCH(QString, kind);
        QFETCH(int, error);
        Simulator sim;
        PtyServer server(sim);
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        QTemporaryDir dir;
        QtSerialPort first;
        QtSerialPort port;
        if (kind == QLatin1String("missing")) {
            port.setDevice(dir.filePath(QStringLiteral("ttyUSB9")));
        } else if (kind == QLatin1String("busy")) {
            first.setDevice(server.slavePath());
            QVERIFY(first.open());
            port.setDevice(server.slavePath());
        } else if (kind == QLatin1String("denied")) {
            if (::geteuid() == 0)
                QSKIP("root may open any device");
            const QString path = dir.filePath(QStringLiteral("ttyS9"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.close();
            QVERIFY(file.setPermissions(QFileDevice::Permissions()));
            port.setDevice(path);
        }
        QVERIFY(!port.open());
        QVERIFY(!port.isOpen());
        QCOMPARE(int(port.openError()), error);
        QVERIFY(!port.errorText().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "test_serialport.moc"
