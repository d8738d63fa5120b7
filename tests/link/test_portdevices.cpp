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
        const QString ftdi = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A900-if00-port0");
        const QString prolific = QStringLiteral("/dev/serial/by-id/usb-Prolific_2303-if00-port0");

        QTest::newRow("on-board ports come last, numbers in order")
            << Links{}
            << QStringList{QStringLiteral("/dev/ttyS10"), QStringLiteral("/dev/ttyS2"),
                           QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyUSB1"),
                           QStringLiteral("/dev/ttyUSB0")}
            << QStringList{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB1"),
                           QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyS2"),
                           QStringLiteral("/dev/ttyS10")};
        QTest::newRow("adapters by their by-id names first, once")
            << Links{{prolific, QStringLiteral("/dev/ttyUSB0")},
                     {ftdi, QStringLiteral("/dev/ttyUSB1")}}
            << QStringList{QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyUSB0"),
                           QStringLiteral("/dev/ttyUSB1"), QStringLiteral("/dev/ttyACM0")}
            << QStringList{ftdi, prolific, QStringLiteral("/dev/ttyACM0"),
                           QStringLiteral("/dev/ttyS0")};
        QTest::newRow("other ports between ACM and on-board")
            << Links{}
            << QStringList{QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyAMA0"),
                           QStringLiteral("/dev/ttyACM0")}
            << QStringList{QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyAMA0"),
                           QStringLiteral("/dev/ttyS0")};
        QTest::newRow("nothing present") << Links{} << QStringList{} << QStringList{};
    }
    void portsAreOrderedStably()
    {
        QFETCH(Links, byId);
        QFETCH(QStringList, ports);
        QFETCH(QStringList, order);
        QCOMPARE(orderPortDevices(byId, ports), order);
    }

    void settingsChoiceOverridesAutomaticDevice()
    {
        Settings.portDevices[2] = QStringLiteral("/dev/ttyUSB7");
        QCOMPARE(portDevice(2), QStringLiteral("/dev/ttyUSB7"));
        QCOMPARE(portMenuLabel(2), QStringLiteral("COM3 (/dev/ttyUSB7)"));
        const QStringList present = automaticPortDevices();
        QCOMPARE(portDevice(0), present.value(0));
        QCOMPARE(portDevice(9), portDevice(0));
    }

    void missingDeviceIsShownAsNone()
    {
        if (automaticPortDevices().size() >= 4)
            QSKIP("this machine has four serial ports");
        QCOMPARE(portDevice(3), QString());
        QCOMPARE(portMenuLabel(3), QStringLiteral("COM4 (none)"));
    }
};

QTEST_GUILESS_MAIN(TestPortDevices)
#include "test_portdevices.moc"
