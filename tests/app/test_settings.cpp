#include "Settings.h"
#include "TestFiles.h"

#include <QtTest>

namespace
{

// A screen of 1280 x 960 pixels at 15 twips per pixel.
const QSize screen(19200, 14400);

QString stateOf(const QString &key)
{
    const QHash<QString, QString> state = {
        {"TopL", QString::number(Settings.TopL)},
        {"LeftL", QString::number(Settings.LeftL)},
        {"TopF", QString::number(Settings.TopF)},
        {"LeftF", QString::number(Settings.LeftF)},
        {"TopM", QString::number(Settings.TopM)},
        {"LeftM", QString::number(Settings.LeftM)},
        {"TopG", QString::number(Settings.TopG)},
        {"LeftG", QString::number(Settings.LeftG)},
        {"WidthG", QString::number(Settings.WidthG)},
        {"HeightG", QString::number(Settings.HeightG)},
        {"comPortIndex", QString::number(Settings.comPortIndex)},
        {"IntervalTimeCount", QString::number(Settings.IntervalTimeCount)},
        {"IntervalTimeUnit", QString::number(Settings.IntervalTimeUnit)},
        {"LogTimeCount", QString::number(Settings.LogTimeCount)},
        {"LogTimeUnit", QString::number(Settings.LogTimeUnit)},
        {"UseExcel", QString::number(Settings.UseExcel)},
        {"Unit", QString::number(MeasSetting.Unit)},
        {"Precision", QString::number(MeasSetting.Precision)},
        {"EmissivityStr", MeasSetting.EmissivityStr},
        {"ScaleZero", QString::number(MeasSetting.ScaleZero)},
        {"ScaleFull", QString::number(MeasSetting.ScaleFull)},
        {"List", MeasSetting.EmissivityList.join(u'|')},
        {"COM1", Settings.portDevices[0]},
        {"COM2", Settings.portDevices[1]},
        {"COM3", Settings.portDevices[2]},
    };
    return state.value(key, QStringLiteral("<no such key>"));
}

// Each "key=value" of the list against the loaded state.
void compareState(const QStringList &expected)
{
    for (const QString &pair : expected)
        QCOMPARE(pair.section(u'=', 0, 0) + u'=' + stateOf(pair.section(u'=', 0, 0)), pair);
}

// Every key with a value of its own, in the layout a save writes.
const QByteArray classicFile = "[Setting]\r\nTopL, 1200\r\nLeftL, 1500\r\nTopF, 300\r\n"
                               "LeftF, 450\r\nTopM, 600\r\nLeftM, 750\r\nTopG, 900\r\n"
                               "LeftG, 1050\r\nWidthG, 12000\r\nHeightG, 9000\r\nCOMPort, 3\r\n"
                               "\r\n"
                               "[MeasSetting]\r\nIntervalTimeCount, .5\r\nIntervalTimeUnit, 1\r\n"
                               "LogTimeCount, 10\r\nLogTimeUnit, 3\r\nUseExcel, 1\r\nUnit, 1\r\n"
                               "Precision, 1\r\nEmissivityStr,0.95\r\nScaleZero,-40\r\n"
                               "ScaleFull, 1000\r\n"
                               "\r\n"
                               "[Emissivity]\r\nWater:0.98\r\nGlas 20\302\260C:0.94\r\n";

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        Settings = SettingsRecord();
        MeasSetting = MeasSettingRecord();
        MeasSetting.EmissivityList = QStringList{QStringLiteral("keep:0.90")};
    }

    void missingFileGivesDefaultsButKeepsPositions()
    {
        Settings.TopL = 123;
        Settings.LeftG = 456;
        Settings.WidthG = 1;
        Settings.comPortIndex = 3;
        Settings.IntervalTimeCount = 5;
        Settings.LogTimeUnit = 4;
        Settings.UseExcel = 1;
        Settings.portDevices[1] = QStringLiteral("/dev/ttyS9");
        MeasSetting.Unit = 1;
        MeasSetting.EmissivityStr = QStringLiteral("0.50");
        MeasSetting.ScaleFull = 100;

        loadSettings(m_dir.filePath(QStringLiteral("absent.ini")), screen);

        compareState({"TopL=123", "LeftG=456", "WidthG=9600", "comPortIndex=0",
                      "COM2=", "IntervalTimeCount=1", "LogTimeUnit=0", "UseExcel=1", "Unit=0",
                      "ScaleFull=500", "EmissivityStr=1.00", "List=keep:0.90"});
    }

    void classicFileReadsAndSavesBackByteForByte_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("classic file") << classicFile;
        QByteArray lf = classicFile;
        QTest::newRow("LF line ends") << lf.replace("\r\n", "\n");
        QTest::newRow("UTF-8 byte order mark") << "\xef\xbb\xbf" + classicFile;
    }

    void classicFileReadsAndSavesBackByteForByte()
    {
        QFETCH(QByteArray, file);
        const QString path = m_dir.filePath(QStringLiteral("classic.ini"));
        QVERIFY(!writeFile(path, file).isEmpty());
        loadSettings(path, screen);
        compareState({"TopL=1200",
                      "LeftL=1500",
                      "TopF=300",
                      "LeftF=450",
                      "TopM=600",
                      "LeftM=750",
                      "TopG=900",
                      "LeftG=1050",
                      "WidthG=12000",
                      "HeightG=9000",
                      "comPortIndex=2",
                      "IntervalTimeCount=0.5",
                      "IntervalTimeUnit=1",
                      "LogTimeCount=10",
                      "LogTimeUnit=3",
                      "UseExcel=1",
                      "Unit=1",
                      "Precision=1",
                      "EmissivityStr=0.95",
                      "ScaleZero=-40",
                      "ScaleFull=1000",
                      "List=Water:0.98|Glas 20°C:0.94"});

        // A window moved past the left edge; a longer previous file must not leave a tail behind.
        Settings.LeftL = -15;
        QVERIFY(!writeFile(path, QByteArray(4000, 'x')).isEmpty());
        QVERIFY(saveSettings(path));
        QCOMPARE(readFile(path), QByteArray(classicFile).replace("LeftL, 1500", "LeftL,-15"));
    }

    void sectionsAndKeysAreReadExactly_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("reordered sections") << QByteArray("[Emissivity]\r\nGlass:0.94\r\n"
                                                          "[MeasSetting]\r\nUnit, 1\r\n"
                                                          "[Setting]\r\nTopL, 100\r\n")
                                            << QStringList{"List=Glass:0.94", "Unit=1", "TopL=100"};
        QTest::newRow("absent sections")
            << QByteArray("[MeasSetting]\r\nUnit, 1\r\n")
            << QStringList{"Unit=1", "TopL=0", "WidthG=9600", "comPortIndex=0", "List=keep:0.90"};
        QTest::newRow("unknown section skipped")
            << QByteArray("[Other]\r\nLeftL, 5\r\nmore\r\n[Setting]\r\nTopL, 100\r\n")
            << QStringList{"LeftL=0", "TopL=100"};
        QTest::newRow("unknown section right before a known one")
            << QByteArray("[Other]\r\n[Setting]\r\nTopL, 100\r\nLeftL, 7\r\n")
            << QStringList{"TopL=100", "LeftL=7"};
        QTest::newRow("lower-case section and key ignored")
            << QByteArray("[setting]\r\nTopL, 100\r\n[MeasSetting]\r\nunit, 1\r\nPrecision, 1\r\n")
            << QStringList{"TopL=0", "Unit=0", "Precision=1"};
        QTest::newRow("malformed lines")
            << QByteArray(
                   "[Setting]\r\nTopL, 100\r\nTopL\r\nLeftL,abc\r\nCOMPort, 2.6\r\n"
                   "[MeasSetting]\r\nEmissivityStr,0.90\r\nEmissivityStr\r\nPrecision, .6\r\n"
                   "ScaleFull,1e99\r\n")
            << QStringList{"TopL=100",           "LeftL=0",     "comPortIndex=2",
                           "EmissivityStr=0.90", "Precision=1", "ScaleFull=3.40282e+38"};
        QTest::newRow("empty emissivity section empties the list")
            << QByteArray("[Emissivity]\r\n\r\n[Setting]\r\nTopL, 1\r\n")
            << QStringList{"List=", "TopL=1"};
        QTest::newRow("twelve emissivity lines keep ten")
            << QByteArray(
                   "[Emissivity]\r\nm1\r\nm2\r\n\r\nm3\r\nm4\r\nm5\r\nm6\r\nm7\r\nm8\r\nm9\r\n"
                   "m10\r\nm11\r\nm12\r\n[Setting]\r\nTopL, 100\r\n")
            << QStringList{"List=m1|m2|m3|m4|m5|m6|m7|m8|m9|m10", "TopL=100"};
        QTest::newRow("ends on a section name")
            << QByteArray("[Setting]\r\nTopL, 100\r\n[Emissivity]\r\n")
            << QStringList{"TopL=100", "List=keep:0.90"};
        QTest::newRow("ends on a section name after skipped lines")
            << QByteArray("junk\r\n[Emissivity]") << QStringList{"List=keep:0.90"};
        // Positions keep 750 twips inside the right and bottom edges; sizes have minimums.
        QTest::newRow("positions limited to the screen")
            << QByteArray(
                   "[Setting]\r\nLeftG,-100\r\nTopL, 99999\r\nLeftF, 99999\r\nTopM, 13650\r\n"
                   "WidthG, 0\r\nHeightG, 3000\r\n")
            << QStringList{"LeftG=0",    "TopL=13650",   "LeftF=18450",
                           "TopM=13650", "WidthG=10200", "HeightG=4500"};
        QTest::newRow("sizes limited to the screen")
            << QByteArray("[Setting]\r\nWidthG, 5000\r\nHeightG, 0\r\n")
            << QStringList{"WidthG=7500", "HeightG=7500"};
        QTest::newRow("size larger than the screen")
            << QByteArray("[Setting]\r\nWidthG, 99999\r\nHeightG, 99999\r\n")
            << QStringList{"WidthG=19200", "HeightG=14400"};
        QTest::newRow("ports section")
            << QByteArray("[Emissivity]\r\nWater:0.98\r\n\r\n[Ports]\r\nCOM1,\r\n"
                          "COM2,/dev/ttyUSB0\r\nCOM5,/dev/null\r\n")
            << QStringList{"List=Water:0.98", "COM1=", "COM2=/dev/ttyUSB0", "COM3="};
        QTest::newRow("Windows-1252 text")
            << QByteArray("[Emissivity]\r\nGlas 20\260C:0.94\r\nK\344se:0.95\r\n")
            << QStringList{"List=Glas 20°C:0.94|Käse:0.95"};
    }

    void sectionsAndKeysAreReadExactly()
    {
        QFETCH(QByteArray, file);
        const QString path = m_dir.filePath(QStringLiteral("read.ini"));
        QVERIFY(!writeFile(path, file).isEmpty());
        loadSettings(path, screen);
        QFETCH(QStringList, expected);
        compareState(expected);
    }

    void defaultWidthIsLimitedToASmallScreen()
    {
        const QString path = m_dir.filePath(QStringLiteral("small.ini"));
        QVERIFY(!writeFile(path, "[Setting]\r\nTopL, 0\r\n").isEmpty());
        loadSettings(path, QSize(9000, 7000));
        QCOMPARE(Settings.WidthG, 9000);
    }

    void portsAndTextsRoundTrip()
    {
        const QString path = m_dir.filePath(QStringLiteral("roundtrip.ini"));
        Settings.IntervalTimeCount = 0.1f;
        MeasSetting.ScaleZero = -12.5f;
        MeasSetting.EmissivityList.clear();
        for (int i = 1; i <= 10; ++i)
            MeasSetting.EmissivityList.append(
                QStringLiteral("Material %1°:0.%2").arg(i).arg(i + 80));
        Settings.portDevices[0] = QStringLiteral("/dev/ttyUSB0");
        Settings.portDevices[2] = QStringLiteral("/dev/serial/by-id/usb-FTDI,port0");
        const SettingsRecord savedSettings = Settings;
        const QStringList savedList = MeasSetting.EmissivityList;
        QVERIFY(saveSettings(path));

        Settings = SettingsRecord();
        MeasSetting = MeasSettingRecord();
        loadSettings(path, screen);

        QCOMPARE(Settings.IntervalTimeCount, 0.1f);
        QCOMPARE(MeasSetting.ScaleZero, -12.5f);
        QCOMPARE(MeasSetting.EmissivityList, savedList);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(Settings.portDevices[i], savedSettings.portDevices[i]);
    }

    void failedSaveReturnsFalseAndKeepsPreviousFile()
    {
        // A regular file where the directory should be stops every user, root included.
        const QString blocker = m_dir.filePath(QStringLiteral("not-a-directory"));
        QVERIFY(!writeFile(blocker, "previous").isEmpty());
        QVERIFY(!saveSettings(blocker + QStringLiteral("/OrvanUtility.ini")));
        QCOMPARE(readFile(blocker), QByteArray("previous"));

        // The file name leaves no room for the temporary file beside it, so the save fails
        // before the old file is touched.
        const QString longName = m_dir.filePath(QString(250, u's'));
        if (writeFile(longName, "previous").isEmpty())
            QSKIP("file system refuses 250-character names");
        QVERIFY(!saveSettings(longName));
        QCOMPARE(readFile(longName), QByteArray("previous"));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
