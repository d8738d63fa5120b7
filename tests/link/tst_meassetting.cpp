#include "MeasSettingCheck.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "TestFiles.h"

#include <QtTest>

#include <limits>

// The settings rules without a window; the settings dialog's test covers the scale checks,
// the messages and what counts as a change.
class TestMeasSetting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { MeasSetting = MeasSettingRecord(); }

    // Rounded to hundredths, halves to even, before the 0.10..1.00 check.
    void emissivityTextIsNormalised_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("normal");
        QTest::newRow("name and short value") << "Steel:0.8" << true << "Steel:0.80";
        QTest::newRow("empty name") << ":0.5" << true << "0.50";
        QTest::newRow("half down to even") << "0.125" << true << "0.12";
        QTest::newRow("half up to even") << "0.375" << true << "0.38";
        QTest::newRow("rounds up into range") << "0.099" << true << "0.10";
        QTest::newRow("below range") << "0.094" << false << "0.10";
        QTest::newRow("upper bound") << "1" << true << "1.00";
        QTest::newRow("above range") << "1.2" << false << "1.00";
        QTest::newRow("no number reads as 0") << "Wood" << false << "0.10";
        QTest::newRow("only first colon splits") << "A:B:0.5" << false << "A:0.10";
        QTest::newRow("huge value") << "1e30" << false << "1.00";
        QTest::newRow("huge negative") << "-150" << false << "0.10";
    }

    void emissivityTextIsNormalised()
    {
        QFETCH(QString, text);
        QString name;
        QString valueText;
        QTEST(checkEmissivityStr(text, &name, &valueText), "ok");
        QTEST(emissivityNormalText(name, valueText), "normal");
    }

    void emissivityNaNIsRefused()
    {
        double value = std::numeric_limits<double>::quiet_NaN();
        QVERIFY(!checkEmissivityNum(value));
        QCOMPARE(value, 0.1);
    }

    void handEditedSettingsFileIsNormalised_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<int>("precision");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("emissivity");
        QTest::addColumn<float>("emissivityValue");
        QTest::addColumn<float>("zero");
        QTest::addColumn<float>("full");
        QTest::newRow("as written")
            << QByteArray("Unit, 0\r\nPrecision, 1\r\nEmissivityStr,0.95\r\n"
                          "ScaleZero,-20\r\nScaleFull, 500\r\n")
            << 1 << 0 << "0.95" << 0.95f << -20.f << 500.f;
        QTest::newRow("short emissivity, reversed F scale beyond limits")
            << QByteArray("Unit, 1\r\nEmissivityStr,Steel:0.8\r\nScaleZero, 1200.6\r\n"
                          "ScaleFull,-100\r\n")
            << 0 << 1 << "Steel:0.80" << 0.8f << -60.f << 940.f;
        QTest::newRow("fractions round half to even")
            << QByteArray("ScaleZero, 12.5\r\nScaleFull, 13.5\r\n") << 0 << 0 << "1.00" << 1.f
            << 12.f << 14.f;
        QTest::newRow("span is not checked") << QByteArray("ScaleZero, 0\r\nScaleFull, 5\r\n") << 0
                                             << 0 << "1.00" << 1.f << 0.f << 5.f;
        QTest::newRow("emissivity without number, bad choices")
            << QByteArray("Unit, 7\r\nPrecision,-3\r\nEmissivityStr,:abc\r\n") << 0 << 0 << "0.10"
            << 0.1f << -20.f << 500.f;
    }

    void handEditedSettingsFileIsNormalised()
    {
        QFETCH(QByteArray, lines);
        QTemporaryDir dir;
        const QString path =
            writeFile(dir.filePath("OrvanUtility.ini"), "[MeasSetting]\r\n" + lines);
        QVERIFY(!path.isEmpty());

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
};

QTEST_GUILESS_MAIN(TestMeasSetting)
#include "tst_meassetting.moc"
