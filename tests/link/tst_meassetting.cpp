#include "MeasSettingCheck.h"
#include "ScriptedPrompter.h"
#include "Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

class TestMeasSetting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { MeasSetting = MeasSettingRecord(); }

    void emissivityTextIsNormalised_data();
    void emissivityTextIsNormalised();
    void emissivityNumberRoundsHalfToEvenAndClamps_data();
    void emissivityNumberRoundsHalfToEvenAndClamps();
    void emissivityValueOutOfRangeShowsMessage();
    void scaleIsClampedToTheUnitRange_data();
    void scaleIsClampedToTheUnitRange();
    void unitAloneIsNoChange_data();
    void unitAloneIsNoChange();
    void handEditedSettingsFileIsNormalised_data();
    void handEditedSettingsFileIsNormalised();
};

void TestMeasSetting::emissivityTextIsNormalised_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("normal");
    QTest::addColumn<bool>("ok");
    QTest::newRow("name and short value") << "Steel:0.8"
                                          << "Steel:0.80" << true;
    QTest::newRow("empty name") << ":0.5"
                                << "0.50" << true;
    QTest::newRow("below range") << "0.05"
                                 << "0.10" << false;
    QTest::newRow("above range") << "1.2"
                                 << "1.00" << false;
    QTest::newRow("half rounds to even") << "0.125"
                                         << "0.12" << true;
    QTest::newRow("upper bound") << "1"
                                 << "1.00" << true;
    QTest::newRow("no number reads as 0") << "Wood"
                                          << "0.10" << false;
    QTest::newRow("name without number") << "Iron:"
                                         << "Iron:0.10" << false;
    QTest::newRow("only first colon splits") << "A:B:0.5"
                                             << "A:0.10" << false;
    QTest::newRow("huge value") << "1e30"
                                << "1.00" << false;
    QTest::newRow("negative") << "-0.5"
                              << "0.10" << false;
}

void TestMeasSetting::emissivityTextIsNormalised()
{
    QFETCH(QString, text);
    QFETCH(QString, normal);
    QFETCH(bool, ok);
    QString name;
    QString valueText;
    QCOMPARE(checkEmissivityStr(text, &name, &valueText), ok);
    QCOMPARE(emissivityNormalText(name, valueText), normal);
}

void TestMeasSetting::emissivityNumberRoundsHalfToEvenAndClamps_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::addColumn<bool>("ok");
    QTest::newRow("0.125") << 0.125 << 0.12 << true;
    QTest::newRow("0.375") << 0.375 << 0.38 << true;
    QTest::newRow("0.1") << 0.1 << 0.1 << true;
    QTest::newRow("0.099") << 0.099 << 0.1 << true;
    QTest::newRow("0.094") << 0.094 << 0.1 << false;
    QTest::newRow("150") << 150.0 << 1.0 << false;
    QTest::newRow("-150") << -150.0 << 0.1 << false;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0.1 << false;
}

void TestMeasSetting::emissivityNumberRoundsHalfToEvenAndClamps()
{
    QFETCH(double, value);
    QFETCH(double, expected);
    QFETCH(bool, ok);
    QCOMPARE(checkEmissivityNum(value), ok);
    QCOMPARE(value, expected);
}

void TestMeasSetting::emissivityValueOutOfRangeShowsMessage()
{
    ScriptedPrompter prompter;
    QString name;
    QString valueText;
    QVERIFY(checkEmissivityStr2(QStringLiteral("0.95"), &name, &valueText));
    QVERIFY(prompter.shown().isEmpty());
    QVERIFY(!checkEmissivityStr2(QStringLiteral("2"), &name, &valueText));
    QCOMPARE(valueText, QStringLiteral("1.00"));
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Value is out of range.\r0.10~1.00")});
}

void TestMeasSetting::scaleIsClampedToTheUnitRange_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<float>("zero");
    QTest::addColumn<float>("full");
    QTest::addColumn<float>("zeroAfter");
    QTest::addColumn<float>("fullAfter");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<float>("low");
    QTest::addColumn<float>("high");
    QTest::newRow("C both out") << 0 << 600.f << -70.f << 500.f << -50.f << false << -50.f << 500.f;
    QTest::newRow("C at bounds") << 0 << -50.f << 500.f << -50.f << 500.f << true << -50.f << 500.f;
    QTest::newRow("F allows 600") << 1 << 600.f << -55.f << 600.f << -55.f << true << -60.f
                                  << 940.f;
    QTest::newRow("F both out") << 1 << -61.f << 941.f << -60.f << 940.f << false << -60.f << 940.f;
    QTest::newRow("unknown unit as C")
        << 2 << 0.f << 501.f << 0.f << 500.f << false << -50.f << 500.f;
}

void TestMeasSetting::scaleIsClampedToTheUnitRange()
{
    QFETCH(int, unit);
    QFETCH(float, zero);
    QFETCH(float, full);
    float low = 0;
    float high = 0;
    QTEST(checkScalePrim(zero, full, unit, &low, &high), "ok");
    QTEST(zero, "zeroAfter");
    QTEST(full, "fullAfter");
    QTEST(low, "low");
    QTEST(high, "high");
}

void TestMeasSetting::unitAloneIsNoChange_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("changed");
    QTest::newRow("nothing") << "" << false;
    QTest::newRow("unit") << "Unit" << false;
    QTest::newRow("emissivity value only") << "EmissivityValue" << false;
    QTest::newRow("list") << "EmissivityList" << false;
    QTest::newRow("precision") << "Precision" << true;
    QTest::newRow("emissivity text") << "EmissivityStr" << true;
    QTest::newRow("zero") << "ScaleZero" << true;
    QTest::newRow("full") << "ScaleFull" << true;
}

void TestMeasSetting::unitAloneIsNoChange()
{
    QFETCH(QString, field);
    MeasSettingRecord record;
    const MeasSettingSnapshot snapshot = takeMeasSnapshot(record);
    if (field == QLatin1String("Unit"))
        record.Unit = 1;
    else if (field == QLatin1String("EmissivityValue"))
        record.EmissivityValue = 0.5f;
    else if (field == QLatin1String("EmissivityList"))
        record.EmissivityList = QStringList{QStringLiteral("Steel:0.80")};
    else if (field == QLatin1String("Precision"))
        record.Precision = 1;
    else if (field == QLatin1String("EmissivityStr"))
        record.EmissivityStr = QStringLiteral("0.99");
    else if (field == QLatin1String("ScaleZero"))
        record.ScaleZero = 0;
    else if (field == QLatin1String("ScaleFull"))
        record.ScaleFull = 499;
    QTEST(isChanged(snapshot, record), "changed");
}

void TestMeasSetting::handEditedSettingsFileIsNormalised_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<int>("precision");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("emissivity");
    QTest::addColumn<float>("emissivityValue");
    QTest::addColumn<float>("zero");
    QTest::addColumn<float>("full");
    QTest::newRow("as written") << QByteArray("Unit, 0\r\nPrecision, 1\r\nEmissivityStr,0.95\r\n"
                                              "ScaleZero,-20\r\nScaleFull, 500\r\n")
                                << 1 << 0 << "0.95" << 0.95f << -20.f << 500.f;
    QTest::newRow("short emissivity, reversed F scale beyond limits")
        << QByteArray("Unit, 1\r\nEmissivityStr,Steel:0.8\r\nScaleZero, 1200.6\r\n"
                      "ScaleFull,-100\r\n")
        << 0 << 1 << "Steel:0.80" << 0.8f << -60.f << 940.f;
    QTest::newRow("fractions round half to even")
        << QByteArray("ScaleZero, 12.5\r\nScaleFull, 13.5\r\n") << 0 << 0 << "1.00" << 1.f << 12.f
        << 14.f;
    QTest::newRow("span is not checked")
        << QByteArray("ScaleZero, 0\r\nScaleFull, 5\r\n") << 0 << 0 << "1.00" << 1.f << 0.f << 5.f;
    QTest::newRow("emissivity without number, bad choices")
        << QByteArray("Unit, 7\r\nPrecision,-3\r\nEmissivityStr,:abc\r\n") << 0 << 0 << "0.10"
        << 0.1f << -20.f << 500.f;
}

void TestMeasSetting::handEditedSettingsFileIsNormalised()
{
    QFETCH(QByteArray, lines);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("OrvanUtility.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[MeasSetting]\r\n" + lines);
    file.close();

    ScriptedPrompter prompter;
    loadSettings(path, QSize(1920 * 15, 1080 * 15));
    normalizeMeasSetting();

    QTEST(int(MeasSetting.Precision), "precision");
    QTEST(int(MeasSetting.Unit), "unit");
    QTEST(MeasSetting.EmissivityStr, "emissivity");
    QTEST(MeasSetting.EmissivityValue, "emissivityValue");
    QTEST(MeasSetting.ScaleZero, "zero");
    QTEST(MeasSetting.ScaleFull, "full");
    QVERIFY(prompter.shown().isEmpty());
}

QTEST_GUILESS_MAIN(TestMeasSetting)
#include "tst_meassetting.moc"
