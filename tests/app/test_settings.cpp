#include "Settings.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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
        {"COM4", Settings.portDevices[3]},
    };
    return state.value(key, QStringLiteral("<no such key>"));
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray classicFile = "[Setting]\r\n"
                               "TopL, 1200\r\n"
                               "LeftL, 1500\r\n"
                               "TopF, 300\r\n"
                               "LeftF, 450\r\n"
                               "TopM, 600\r\n"
                               "LeftM, 750\r\n"
                               "TopG, 900\r\n"
                               "LeftG, 1050\r\n"
                               "WidthG, 12000\r\n"
                               "HeightG, 9000\r\n"
                               "COMPort, 3\r\n"
                               "\r\n"
                               "[MeasSetting]\r\n"
                               "IntervalTimeCount, .5\r\n"
                               "IntervalTimeUnit, 1\r\n"
                               "LogTimeCount, 10\r\n"
                               "LogTimeUnit, 3\r\n"
                               "UseExcel, 1\r\n"
                               "Unit, 1\r\n"
                               "Precision, 1\r\n"
                               "EmissivityStr,0.95\r\n"
                               "ScaleZero,-40\r\n"
                               "ScaleFull, 1000\r\n"
                               "\r\n"
                               "[Emissivity]\r\n"
                               "Water:0.98\r\n"
                               "Brick:0.93\r\n";

const QStringList classicState = {"TopL=1200",
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
                                  "ScaleZero=-40",
                                  "ScaleFull=1000",
                                  "EmissivityStr=0.95",
                                  "List=Water:0.98|Brick:0.93"};

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void missingFileGivesDefaultsButKeepsPositions();
    void sectionsAndKeysAreReadExactly_data();
    void sectionsAndKeysAreReadExactly();
    void positionsAreLimitedToTheScreen_data();
    void positionsAreLimitedToTheScreen();
    void saveWritesTheClassicLayoutByteForByte();
    void everythingRoundTripsIncludingPorts();
    void failedSaveReturnsFalseAndKeepsPreviousFile();
    void settingsFileLivesBesideTheExecutable();

private:
    QTemporaryDir m_dir;
};

void TestSettings::init()
{
    QVERIFY(m_dir.isValid());
    Settings = SettingsRecord();
    MeasSetting = MeasSettingRecord();
    MeasSetting.EmissivityList = QStringList{QStringLiteral("keep:0.90")};
}

void TestSettings::missingFileGivesDefaultsButKeepsPositions()
{
    Settings.TopL = 123;
    Settings.LeftG = 456;
    Settings.WidthG = 1;
    Settings.HeightG = 2;
    Settings.comPortIndex = 3;
    Settings.IntervalTimeCount = 5;
    Settings.LogTimeUnit = 4;
    Settings.UseExcel = 1;
    Settings.portDevices[1] = QStringLiteral("/dev/ttyS9");
    MeasSetting.Unit = 1;
    MeasSetting.Precision = 1;
    MeasSetting.EmissivityStr = QStringLiteral("0.50");
    MeasSetting.ScaleZero = 0;
    MeasSetting.ScaleFull = 100;

    loadSettings(m_dir.filePath(QStringLiteral("absent.ini")), screen);

    const QStringList expected = {
        "TopL=123",       "LeftG=456",     "WidthG=9600",         "HeightG=7200",
        "comPortIndex=0", "COM2=",         "IntervalTimeCount=1", "IntervalTimeUnit=0",
        "LogTimeCount=1", "LogTimeUnit=0", "UseExcel=1",          "Unit=0",
        "Precision=0",    "ScaleZero=-20", "ScaleFull=500",       "EmissivityStr=1.00",
        "List=keep:0.90"};
    for (const QString &pair : expected)
        QCOMPARE(pair.section(u'=', 0, 0) + u'=' + stateOf(pair.section(u'=', 0, 0)), pair);
}

void TestSettings::sectionsAndKeysAreReadExactly_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("classic file") << classicFile << classicState;
    QByteArray lf = classicFile;
    QTest::newRow("LF line ends") << lf.replace("\r\n", "\n") << classicState;
    QTest::newRow("UTF-8 byte order mark") << "\xef\xbb\xbf" + classicFile << classicState;

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
    QTest::newRow("lower-case section ignored")
        << QByteArray("[setting]\r\nTopL, 100\r\n[MeasSetting]\r\nUnit, 1\r\n")
        << QStringList{"TopL=0", "Unit=1"};
    QTest::newRow("lower-case key ignored")
        << QByteArray("[Setting]\r\ntopl, 100\r\nLeftL, 200\r\n[MeasSetting]\r\nunit, 1\r\n")
        << QStringList{"TopL=0", "LeftL=200", "Unit=0"};
    QTest::newRow("malformed lines")
        << QByteArray("[Setting]\r\nTopL, 100\r\nTopL\r\nLeftL,abc\r\nCOMPort, 2.6\r\n"
                      "[MeasSetting]\r\nEmissivityStr,0.90\r\nEmissivityStr\r\nPrecision, .6\r\n"
                      "ScaleFull,1e99\r\n")
        << QStringList{"TopL=100",           "LeftL=0",     "comPortIndex=2",
                       "EmissivityStr=0.90", "Precision=1", "ScaleFull=3.40282e+38"};
    QTest::newRow("empty emissivity section empties the list")
        << QByteArray("[Emissivity]\r\n\r\n[Setting]\r\nTopL, 1\r\n")
        << QStringList{"List=", "TopL=1"};
    QTest::newRow("twelve emissivity lines keep ten")
        << QByteArray("[Emissivity]\r\nm1\r\nm2\r\n\r\nm3\r\nm4\r\nm5\r\nm6\r\nm7\r\nm8\r\nm9\r\n"
                      "m10\r\nm11\r\nm12\r\n[Setting]\r\nTopL, 100\r\n")
        << QStringList{"List=m1|m2|m3|m4|m5|m6|m7|m8|m9|m10", "TopL=100"};
    QTest::newRow("ends on a section name")
        << QByteArray("[Setting]\r\nTopL, 100\r\n[Emissivity]\r\n")
        << QStringList{"TopL=100", "List=keep:0.90"};
    QTest::newRow("ends on a section name after skipped lines")
        << QByteArray("junk\r\n[Emissivity]") << QStringList{"List=keep:0.90"};
    QTest::newRow("ports section")
        << QByteArray("[Emissivity]\r\nWater:0.98\r\n\r\n[Ports]\r\nCOM1,\r\n"
                      "COM2,/dev/ttyUSB0\r\nCOM5,/dev/null\r\n")
        << QStringList{"List=Water:0.98", "COM1=", "COM2=/dev/ttyUSB0", "COM3="};
    QTest::newRow("Windows-1252 text")
        << QByteArray("[MeasSetting]\r\nEmissivityStr,0.95\r\n[Emissivity]\r\n"
                      "Glas 20\xb0"
                      "C:0.94\r\nK\xe4se:0.95\r\n")
        << QStringList{"List=Glas 20°C:0.94|Käse:0.95"};
    QTest::newRow("UTF-8 text") << QByteArray("[Emissivity]\r\nGlas 20\xc2\xb0"
                                              "C:0.94\r\nK\xc3\xa4se:0.95\r\n")
                                << QStringList{"List=Glas 20°C:0.94|Käse:0.95"};
}

void TestSettings::sectionsAndKeysAreReadExactly()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    const QString path = m_dir.filePath(QStringLiteral("read.ini"));
    QVERIFY(writeBytes(path, file));

    loadSettings(path, screen);

    for (const QString &pair : expected)
        QCOMPARE(pair.section(u'=', 0, 0) + u'=' + stateOf(pair.section(u'=', 0, 0)), pair);
}

void TestSettings::positionsAreLimitedToTheScreen_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QSize>("screenTwips");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("value");
    QTest::newRow("negative left") << QByteArray("LeftG,-100") << screen << "LeftG" << 0;
    QTest::newRow("top beyond screen") << QByteArray("TopL, 99999") << screen << "TopL" << 13650;
    QTest::newRow("left beyond screen") << QByteArray("LeftF, 99999") << screen << "LeftF" << 18450;
    QTest::newRow("top at the margin") << QByteArray("TopM, 13650") << screen << "TopM" << 13650;
    QTest::newRow("width 0") << QByteArray("WidthG, 0") << screen << "WidthG" << 10200;
    QTest::newRow("width 0 small screen")
        << QByteArray("WidthG, 0") << QSize(9000, 7000) << "WidthG" << 9000;
    QTest::newRow("narrow width") << QByteArray("WidthG, 5000") << screen << "WidthG" << 7500;
    QTest::newRow("wide width") << QByteArray("WidthG, 99999") << screen << "WidthG" << 19200;
    QTest::newRow("height 3000") << QByteArray("HeightG, 3000") << screen << "HeightG" << 4500;
    QTest::newRow("height 0") << QByteArray("HeightG, 0") << screen << "HeightG" << 7500;
    QTest::newRow("tall height") << QByteArray("HeightG, 99999") << screen << "HeightG" << 14400;
    QTest::newRow("default width small screen")
        << QByteArray("TopL, 0") << QSize(9000, 7000) << "WidthG" << 9000;
}

void TestSettings::positionsAreLimitedToTheScreen()
{
    QFETCH(QByteArray, line);
    QFETCH(QSize, screenTwips);
    QFETCH(QString, key);
    QFETCH(int, value);
    const QString path = m_dir.filePath(QStringLiteral("limits.ini"));
    QVERIFY(writeBytes(path, "[Setting]\r\n" + line + "\r\n"));

    loadSettings(path, screenTwips);

    QCOMPARE(stateOf(key), QString::number(value));
}

void TestSettings::saveWritesTheClassicLayoutByteForByte()
{
    Settings.TopL = 1200;
    Settings.LeftL = -15;
    Settings.LeftF = 30;
    Settings.TopM = 45;
    Settings.LeftM = 60;
    Settings.TopG = 75;
    Settings.LeftG = 90;
    Settings.comPortIndex = 2;
    Settings.IntervalTimeCount = 0.5f;
    Settings.IntervalTimeUnit = 1;
    Settings.LogTimeCount = 1.5f;
    Settings.LogTimeUnit = 3;
    Settings.UseExcel = 1;
    MeasSetting.Unit = 1;
    MeasSetting.EmissivityStr = QStringLiteral("0.95");
    MeasSetting.EmissivityList =
        QStringList{QStringLiteral("Water:0.98"), QStringLiteral("Glass 20°C:0.94")};
    const QString path = m_dir.filePath(QStringLiteral("OrvanUtility.ini"));
    // A longer previous file must not leave a tail behind.
    QVERIFY(writeBytes(path, QByteArray(4000, 'x')));

    QVERIFY(saveSettings(path));

    const QByteArray expected = "[Setting]\r\n"
                                "TopL, 1200\r\n"
                                "LeftL,-15\r\n"
                                "TopF, 0\r\n"
                                "LeftF, 30\r\n"
                                "TopM, 45\r\n"
                                "LeftM, 60\r\n"
                                "TopG, 75\r\n"
                                "LeftG, 90\r\n"
                                "WidthG, 9600\r\n"
                                "HeightG, 7200\r\n"
                                "COMPort, 3\r\n"
                                "\r\n"
                                "[MeasSetting]\r\n"
                                "IntervalTimeCount, .5\r\n"
                                "IntervalTimeUnit, 1\r\n"
                                "LogTimeCount, 1.5\r\n"
                                "LogTimeUnit, 3\r\n"
                                "UseExcel, 1\r\n"
                                "Unit, 1\r\n"
                                "Precision, 0\r\n"
                                "EmissivityStr,0.95\r\n"
                                "ScaleZero,-20\r\n"
                                "ScaleFull, 500\r\n"
                                "\r\n"
                                "[Emissivity]\r\n"
                                "Water:0.98\r\n"
                                "Glass 20\xc2\xb0"
                                "C:0.94\r\n";
    QCOMPARE(readBytes(path), expected);
}

void TestSettings::everythingRoundTripsIncludingPorts()
{
    const QString path = m_dir.filePath(QStringLiteral("roundtrip.ini"));
    QVERIFY(writeBytes(path, classicFile));
    loadSettings(path, screen);
    Settings.IntervalTimeCount = 0.1f;
    MeasSetting.ScaleZero = -12.5f;
    MeasSetting.EmissivityList.clear();
    for (int i = 1; i <= 10; ++i)
        MeasSetting.EmissivityList.append(QStringLiteral("Material %1°:0.%2").arg(i).arg(i + 80));
    Settings.portDevices[0] = QStringLiteral("/dev/ttyUSB0");
    Settings.portDevices[2] = QStringLiteral("/dev/serial/by-id/usb-FTDI,port0");
    const SettingsRecord savedSettings = Settings;
    const MeasSettingRecord savedMeas = MeasSetting;
    QVERIFY(saveSettings(path));

    Settings = SettingsRecord();
    MeasSetting = MeasSettingRecord();
    loadSettings(path, screen);

    QCOMPARE(Settings.TopL, savedSettings.TopL);
    QCOMPARE(Settings.LeftG, savedSettings.LeftG);
    QCOMPARE(Settings.WidthG, savedSettings.WidthG);
    QCOMPARE(Settings.comPortIndex, savedSettings.comPortIndex);
    QCOMPARE(Settings.IntervalTimeCount, 0.1f);
    QCOMPARE(Settings.LogTimeCount, savedSettings.LogTimeCount);
    QCOMPARE(Settings.UseExcel, savedSettings.UseExcel);
    QCOMPARE(MeasSetting.ScaleZero, -12.5f);
    QCOMPARE(MeasSetting.ScaleFull, savedMeas.ScaleFull);
    QCOMPARE(MeasSetting.EmissivityStr, savedMeas.EmissivityStr);
    QCOMPARE(MeasSetting.EmissivityList, savedMeas.EmissivityList);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(Settings.portDevices[i], savedSettings.portDevices[i]);
}

void TestSettings::failedSaveReturnsFalseAndKeepsPreviousFile()
{
    // A regular file where the directory should be stops every user, root included.
    const QString blocker = m_dir.filePath(QStringLiteral("not-a-directory"));
    QVERIFY(writeBytes(blocker, "previous"));
    QVERIFY(!saveSettings(blocker + QStringLiteral("/OrvanUtility.ini")));
    QCOMPARE(readBytes(blocker), QByteArray("previous"));

    // The file name leaves no room for the temporary file beside it, so the save fails
    // before the old file is touched.
    const QString longName = m_dir.filePath(QString(250, u's'));
    if (!writeBytes(longName, "previous"))
        QSKIP("file system refuses 250-character names");
    QVERIFY(!saveSettings(longName));
    QCOMPARE(readBytes(longName), QByteArray("previous"));
}

void TestSettings::settingsFileLivesBesideTheExecutable()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString path = settingsFilePath();
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("OrvanUtility.ini"));
    if (QFileInfo(appDir).isWritable())
        QCOMPARE(QFileInfo(path).absolutePath(), appDir);
    else
        QCOMPARE(QFileInfo(path).absolutePath(),
                 QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
