#include "InstrumentRig.h"
#include "PortDevices.h"
#include "PtyServer.h"
#include "QtSerialPort.h"
#include "Settings.h"
#include "Strings.h"

#include <QtTest>

#include <unistd.h>

using Links = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Links)

// The devices COM1..COM4 reach, and the real port on a pseudo-terminal served by the
// simulator, in real time on the real pump.
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
    void cleanup()
    {
        for (QString &device : Settings.portDevices)
            device.clear();
    }

    void portsAreOrderedStably_data()
    {
        QTest::addColumn<Links>("byId");
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<QStringList>("order");
        // Names without a directory are in /dev.
        auto dev = [](QStringList names) {
            for (QString &name : names)
                name = name.startsWith('/') ? name : QStringLiteral("/dev/") + name;
            return names;
        };
        const QString ftdi = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A900-if00-port0");
        const QString prolific = QStringLiteral("/dev/serial/by-id/usb-Prolific_2303-if00-port0");
        QTest::newRow("on-board ports come last, numbers in order")
            << Links{} << dev({"ttyS10", "ttyS2", "ttyACM0", "ttyUSB1", "ttyUSB0"})
            << dev({"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS2", "ttyS10"});
        QTest::newRow("adapters by their by-id names first, once")
            << Links{{prolific, "/dev/ttyUSB0"}, {ftdi, "/dev/ttyUSB1"}}
            << dev({"ttyS0", "ttyUSB0", "ttyUSB1", "ttyACM0"})
            << dev({ftdi, prolific, "ttyACM0", "ttyS0"});
        QTest::newRow("other ports between ACM and on-board")
            << Links{} << dev({"ttyS0", "ttyAMA0", "ttyACM0"})
            << dev({"ttyACM0", "ttyAMA0", "ttyS0"});
    }
    void portsAreOrderedStably()
    {
        QFETCH(Links, byId);
        QFETCH(QStringList, ports);
        QFETCH(QStringList, order);
        QCOMPARE(orderPortDevices(byId, ports), order);
    }

    // A run's choice wins over the settings file's, which wins over the ports present.
    void chosenDeviceOverridesAutomaticDevice()
    {
        const QStringList present = automaticPortDevices();
        QCOMPARE(portDevice(0), present.value(0));
        QCOMPARE(portDevice(9), portDevice(0));
        Settings.portDevices[2] = QStringLiteral("/dev/ttyUSB7");
        QCOMPARE(portMenuLabel(2), QStringLiteral("COM3 (/dev/ttyUSB7)"));
        setPortDeviceForRun(2, QStringLiteral("/dev/pts/9"));
        QCOMPARE(portDevice(2), QStringLiteral("/dev/pts/9"));
        setPortDeviceForRun(2, QString());
        QCOMPARE(portDevice(2), QStringLiteral("/dev/ttyUSB7"));
        if (present.size() < 4)
            QCOMPARE(portMenuLabel(3), QStringLiteral("COM4 (none)"));
    }

    // The port must open again after the application closed it.
    void bracketRunsOverPseudoTerminal()
    {
        ScriptedPrompter prompter;
        Simulator sim;
        PtyServer server(sim);
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        QtSerialPort port;
        InstrumentRig::NoWindows host;
        ClassLink link(port, host);
        Settings.portDevices[0] = server.slavePath();
        link.selectPort(0);
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
        QCOMPARE(sim.received(), (QStringList{"", "", "", "", "TYPE", "RESOL", "off"}));
        QVERIFY(prompter.shown().isEmpty());
        QVERIFY(port.open());
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
