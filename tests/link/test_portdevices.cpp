#include "PortDevices.h"

#include "Settings.h"
#include "Strings.h"

#include <QtTest>

using Links = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Links)

class TestPortDevices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        setLanguage();
        initLanguage();
    }
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
};

QTEST_GUILESS_MAIN(TestPortDevices)
#include "test_portdevices.moc"
