#include "AppState.h"
#include "DateTime.h"
#include "Format.h"

#include <QLocale>
#include <QTest>

class TestFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_systemLocale = QLocale(); }
    void init()
    {
        QLocale::setDefault(QLocale::c());
        programMode = 0;
    }
    void cleanupTestCase() { QLocale::setDefault(m_systemLocale); }

    void valueTextRoundsHalvesAwayFromZero_data();
    void valueTextRoundsHalvesAwayFromZero();
    void codesClassifyExactly_data();
    void codesClassifyExactly();
    void numberPatternsUseDotAndRoundHalvesUp_data();
    void numberPatternsUseDotAndRoundHalvesUp();
    void decimalCommaLocaleStillWritesDotAndReadsBoth();
    void leadingNumberReadsLikeVal_data();
    void leadingNumberReadsLikeVal();
    void emissivityIsClampedToHundredthsHalvesToEven_data();
    void emissivityIsClampedToHundredthsHalvesToEven();
    void limitIsClampedToTheUnitsRange_data();
    void limitIsClampedToTheUnitsRange();
    void dateTimeIsReadByPosition_data();
    void dateTimeIsReadByPosition();
    void dateTextsRoundToSecondsAndFollowTheMode();
    void splitCommaKeepsAtMostTenFields_data();
    void splitCommaKeepsAtMostTenFields();
    void splitBlankKeepsSignedReadingsTogether_data();
    void splitBlankKeepsSignedReadingsTogether();
    void smallTextHelpers();
    void untitledNamesWrapAfter999PerCounter();
    void twoDigitTextAndCheckNumText_data();
    void twoDigitTextAndCheckNumText();
    void hmsToSecondsRoundsEachPart_data();
    void hmsToSecondsRoundsEachPart();

private:
    QLocale m_systemLocale;
};

void TestFormat::valueTextRoundsHalvesAwayFromZero_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("flag");
    QTest::addColumn<QString>("text");
    QTest::newRow("12.25 tenths") << 12.25 << 0 << "12.3";
    QTest::newRow("12.5 whole") << 12.5 << 1 << "13";
    QTest::newRow("-12.25 tenths") << -12.25 << 0 << "-12.3";
    QTest::newRow("-12.5 whole") << -12.5 << 1 << "-13";
    QTest::newRow("zero tenths") << 0.0 << 0 << "0.0";
    QTest::newRow("zero whole") << 0.0 << 2 << "0";
    // 0.45f is held as 0.44999998...; the reading still shows as 0.5.
    QTest::newRow("float just below half") << double(0.45f) << 0 << "0.5";
    QTest::newRow("negative float below half") << double(-0.45f) << 0 << "-0.5";
    QTest::newRow("no group separator") << 1234.5 << 0 << "1234.5";
    QTest::newRow("over any flag") << 999999.0 << 1 << "+OVER";
    QTest::newRow("over tenths") << 999999.0 << 0 << "+OVER";
    QTest::newRow("under") << -999999.0 << 0 << "-OVER";
    QTest::newRow("low battery") << 999998.0 << 1 << "ERROR";
    QTest::newRow("error") << 999997.0 << 0 << "ERROR";
    QTest::newRow("statistics start is a number") << 1999999.0 << 0 << "1999999.0";
}

void TestFormat::valueTextRoundsHalvesAwayFromZero()
{
    QFETCH(double, value);
    QFETCH(int, flag);
    QFETCH(QString, text);
    QCOMPARE(valueText(value, flag), text);
}

void TestFormat::codesClassifyExactly_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<int>("status");
    QTest::newRow("over") << 999999.0f << 1;
    QTest::newRow("under") << -999999.0f << 2;
    QTest::newRow("low battery") << 999998.0f << 3;
    QTest::newRow("error") << 999997.0f << 4;
    QTest::newRow("next to error") << 999996.0f << 0;
    QTest::newRow("statistics minimum start") << 1999999.0f << 0;
    QTest::newRow("statistics maximum start") << -1999999.0f << 0;
    QTest::newRow("reading") << 25.3f << 0;
}

void TestFormat::codesClassifyExactly()
{
    QFETCH(float, value);
    QFETCH(int, status);
    QCOMPARE(valueStatus(value), status);
}

void TestFormat::numberPatternsUseDotAndRoundHalvesUp_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("str one") << precisionText(1, -1) << " 1";
    QTest::newRow("str half") << precisionText(0.5, -1) << " .5";
    QTest::newRow("str negative half") << precisionText(-0.5, -1) << "-.5";
    QTest::newRow("str -20") << precisionText(-20, -1) << "-20";
    QTest::newRow("str 1.5") << precisionText(1.5, -1) << " 1.5";
    QTest::newRow("str zero") << precisionText(0, -1) << " 0";
    QTest::newRow("str float tenth") << precisionText(0.1f, -1) << " .1";
    QTest::newRow("str 9600") << precisionText(9600, -1) << " 9600";
    QTest::newRow("str large") << precisionText(12345678, -1) << " 1.234568E+07";
    QTest::newRow("pattern 0") << precisionText(2.5, 0) << "3";
    QTest::newRow("pattern 1") << precisionText(-1.25, 1) << "-1.3";
    QTest::newRow("pattern 2") << precisionText(1, 2) << "1.00";
    QTest::newRow("other code") << precisionText(1, 3) << "";
    QTest::newRow("integer -20") << integerText(-20.0f) << "-20";
    QTest::newRow("integer 500") << integerText(500) << "500";
    QTest::newRow("integer half") << integerText(2.5) << "3";
    QTest::newRow("integer negative half") << integerText(-2.5) << "-3";
    QTest::newRow("integer small negative") << integerText(-0.3) << "0";
    QTest::newRow("emissivity float") << emissivityText(0.95f) << "0.95";
    QTest::newRow("emissivity one") << emissivityText(1) << "1.00";
}

void TestFormat::numberPatternsUseDotAndRoundHalvesUp()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

void TestFormat::decimalCommaLocaleStillWritesDotAndReadsBoth()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(emissivityText(0.95), QStringLiteral("0.95"));
    QCOMPARE(valueText(12.25, 0), QStringLiteral("12.3"));
    QCOMPARE(precisionText(0.5, -1), QStringLiteral(" .5"));
    QCOMPARE(precisionText(1.25, 2), QStringLiteral("1.25"));
    QCOMPARE(fixDecimalPoint(QStringLiteral("12,5;0,1")), QStringLiteral("12.5;0.1"));
    QCOMPARE(parseValue(QStringLiteral("0,95")), 0.95);
    QCOMPARE(parseValue(QStringLiteral("0.95")), 0.95);
    QCOMPARE(parseValue(QStringLiteral(" -12,5")), -12.5);
    QCOMPARE(parseValue(QStringLiteral("1.000")), 1.0);
    QCOMPARE(parseValue(QStringLiteral("25 C")), 25.0);
    QCOMPARE(parseValue(QStringLiteral("ERROR")), 999997.0);
    QCOMPARE(parseEmissivity(QStringLiteral("0,95")), 0.95);

    QLocale::setDefault(QLocale::c());
    QCOMPARE(fixDecimalPoint(QStringLiteral("12,5")), QStringLiteral("12,5"));
    QCOMPARE(parseValue(QStringLiteral("1,5")), 1.0);
}

void TestFormat::leadingNumberReadsLikeVal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("trailing text") << "  12.5abc" << 12.5;
    QTest::newRow("minus blanks number") << "-  12.5 C" << -12.5;
    QTest::newRow("plus") << "+3" << 3.0;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("no leading zero") << ".5" << 0.5;
    QTest::newRow("negative no leading zero") << "-.5" << -0.5;
    QTest::newRow("trailing point") << "5." << 5.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("negative exponent") << "25E-1x" << 2.5;
    QTest::newRow("D exponent") << "2D2" << 200.0;
    QTest::newRow("exponent without digits") << "1E" << 1.0;
    QTest::newRow("embedded blank") << "1 2" << 12.0;
    QTest::newRow("word") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("sign only") << "  -" << 0.0;
    QTest::newRow("point only") << "." << 0.0;
    QTest::newRow("overflow") << "1e999" << 0.0;
    QTest::newRow("code word is not a number") << " +OVER" << 0.0;
}

void TestFormat::leadingNumberReadsLikeVal()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(leadingNumber(text), value);
    QCOMPARE(parseValue(text), value);
}

void TestFormat::emissivityIsClampedToHundredthsHalvesToEven_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("above range") << "1.5" << 1.0;
    QTest::newRow("below range") << "0.05" << 0.1;
    QTest::newRow("negative") << "-5" << 0.1;
    QTest::newRow("not a number") << "abc" << 0.1;
    QTest::newRow("not set") << "-" << -999999.0;
    QTest::newRow("half down to even") << "0.125" << 0.12;
    QTest::newRow("half up to even") << "0.375" << 0.38;
    QTest::newRow("in range") << "0.95" << 0.95;
    QTest::newRow("huge") << "1e300" << 1.0;
}

void TestFormat::emissivityIsClampedToHundredthsHalvesToEven()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(parseEmissivity(text), value);
}

void TestFormat::limitIsClampedToTheUnitsRange_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("unit");
    QTest::addColumn<double>("value");
    QTest::newRow("600 C") << "600" << 0 << 500.0;
    QTest::newRow("600 F") << "600" << 1 << 600.0;
    QTest::newRow("-100 C") << "-100" << 0 << -50.0;
    QTest::newRow("-100 F") << "-100" << 1 << -60.0;
    QTest::newRow("1000 F") << "1000" << 1 << 940.0;
    QTest::newRow("bound inclusive") << "-50" << 0 << -50.0;
    QTest::newRow("not set") << "-" << 0 << -999999.0;
    QTest::newRow("over code") << "+OVER" << 0 << 500.0;
}

void TestFormat::limitIsClampedToTheUnitsRange()
{
    QFETCH(QString, text);
    QFETCH(int, unit);
    QFETCH(double, value);
    QCOMPARE(parseLimit(text, unit), value);
}

void TestFormat::dateTimeIsReadByPosition_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("dateTime");
    QTest::newRow("17 characters")
        << "24/03/05 13:45:30" << QDateTime(QDate(2024, 3, 5), QTime(13, 45, 30));
    QTest::newRow("19 characters")
        << "2024/03/05 13:45:30" << QDateTime(QDate(2024, 3, 5), QTime(13, 45, 30));
    // The short form has no seconds; its last two characters are the minutes.
    QTest::newRow("14 characters")
        << "24/03/05 13:45" << QDateTime(QDate(2024, 3, 5), QTime(13, 45));
    QTest::newRow("year 29") << "29/01/01 00:00:00" << QDateTime(QDate(2029, 1, 1), QTime(0, 0));
    QTest::newRow("year 30") << "30/01/01 00:00:00" << QDateTime(QDate(1930, 1, 1), QTime(0, 0));
    QTest::newRow("any separators")
        << "99-12-31T23.59.58" << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58));
    QTest::newRow("month 13") << "24/13/01 00:00:00" << QDateTime(QDate(2025, 1, 1), QTime(0, 0));
    QTest::newRow("day 0") << "24/03/00 00:00:00" << QDateTime(QDate(2024, 2, 29), QTime(0, 0));
    QTest::newRow("Feb 30 hour 25")
        << "23/02/30 25:00:00" << QDateTime(QDate(2023, 3, 3), QTime(1, 0));
    QTest::newRow("second 60") << "24/03/05 23:59:60" << QDateTime(QDate(2024, 3, 6), QTime(0, 0));
}

void TestFormat::dateTimeIsReadByPosition()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, dateTime);
    QCOMPARE(fromDayCount(parseDateTime(text)), dateTime);
}

void TestFormat::dateTextsRoundToSecondsAndFollowTheMode()
{
    const double t = toDayCount(QDate(2005, 3, 7), QTime(9, 4, 30));
    QCOMPARE(dateTimeText(t), QStringLiteral("05/03/07 09:04:30"));
    QCOMPARE(timeText(t), QStringLiteral("09:04:30"));
    QCOMPARE(dateText(t), QStringLiteral("05/03/07"));
    QCOMPARE(longDateText(t), QStringLiteral("2005/03/07"));
    QCOMPARE(dateTimeText(t + 0.6 / secondsPerDay), QStringLiteral("05/03/07 09:04:31"));
    // Rounding carries into the date.
    const double lastHalfSecond =
        toDayCount(QDate(1999, 12, 31), QTime(23, 59, 59)) + 0.6 / secondsPerDay;
    QCOMPARE(dateTimeText(lastHalfSecond), QStringLiteral("00/01/01 00:00:00"));
    QCOMPARE(longDateText(lastHalfSecond), QStringLiteral("2000/01/01"));

    programMode = 1;
    QCOMPARE(dateTimeText(t), QStringLiteral("05/03/07 09:04"));
    QCOMPARE(timeText(t + 0.6 / secondsPerDay), QStringLiteral("09:04"));
    // The memory-mode text reads back to the same minute.
    QCOMPARE(parseDateTime(dateTimeText(t)), toDayCount(QDate(2005, 3, 7), QTime(9, 4)));
}

void TestFormat::splitCommaKeepsAtMostTenFields_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("last");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("twelve fields")
        << "a,b,c,d,e,f,g,h,i,j,k,l" << 9
        << QStringList{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", ""};
    QTest::newRow("ten fields") << "a,b,c,d,e,f,g,h,i,j" << 9
                                << QStringList{"a", "b", "c", "d", "e", "f",
                                               "g", "h", "i", "j", ""};
    QTest::newRow("empty line") << "" << 0 << QStringList(11, QString());
    QTest::newRow("not trimmed, empty fields")
        << " a ,,b," << 3 << QStringList{" a ", "", "b", "", "", "", "", "", "", "", ""};
}

void TestFormat::splitCommaKeepsAtMostTenFields()
{
    QFETCH(QString, line);
    QFETCH(int, last);
    QFETCH(QStringList, fields);
    QString out[11] = {"x", "x", "x", "x", "x", "x", "x", "x", "x", "x", "x"};
    QCOMPARE(splitComma(line, out), last);
    QCOMPARE(QStringList(std::begin(out), std::end(out)), fields);
}

void TestFormat::splitBlankKeepsSignedReadingsTogether_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("last");
    QTest::addColumn<QStringList>("head");
    QTest::newRow("negative reading") << "-  12.5 C" << 1 << QStringList{"-  12.5", "C"};
    QTest::newRow("negative reading inside")
        << "003 24/01/02  12:00  -  3.5 C" << 4
        << QStringList{"003", "24/01/02", "12:00", "-  3.5", "C"};
    QTest::newRow("runs of blanks") << "25.3   C" << 1 << QStringList{"25.3", "C"};
    QTest::newRow("leading blank gives empty field")
        << " 25.3 C" << 2 << QStringList{"", "25.3", "C"};
    QTest::newRow("minus at the end") << "-  7" << 0 << QStringList{"-  7"};
    QTest::newRow("hyphenated word") << "-x 1" << 1 << QStringList{"-x", "1"};
    QTest::newRow("eleven fields")
        << "0 1 2 3 4 5 6 7 8 9 10" << 9
        << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ""};
}

void TestFormat::splitBlankKeepsSignedReadingsTogether()
{
    QFETCH(QString, line);
    QFETCH(int, last);
    QFETCH(QStringList, head);
    QString out[11];
    QCOMPARE(splitBlank(line, out), last);
    QCOMPARE(QStringList(std::begin(out), std::begin(out) + head.size()), head);
}

void TestFormat::smallTextHelpers()
{
    QCOMPARE(shortCodeText(QStringLiteral("+OVER")), QStringLiteral("+OVR"));
    QCOMPARE(shortCodeText(QStringLiteral("-OVER")), QStringLiteral("-OVR"));
    QCOMPARE(shortCodeText(QStringLiteral("ERROR")), QStringLiteral("ERR"));
    QCOMPARE(shortCodeText(QStringLiteral("12.5")), QStringLiteral("12.5"));
    QCOMPARE(unitText(0), QStringLiteral("°C"));
    QCOMPARE(unitText(1), QStringLiteral("°F"));
    QCOMPARE(unitText(2), QString());
    QCOMPARE(unitText(-1), QString());
    QCOMPARE(padLeft(QStringLiteral("12.5"), 7), QStringLiteral("   12.5"));
    QCOMPARE(padLeft(QStringLiteral("+OVER123"), 7), QStringLiteral("+OVER123"));
    QCOMPARE(fileNameOf(QStringLiteral("/home/user/data/run.csv")), QStringLiteral("run.csv"));
    QCOMPARE(fileNameOf(QStringLiteral("C:\\data\\run.csv")), QStringLiteral("run.csv"));
    QCOMPARE(fileNameOf(QStringLiteral("a/b\\c/run.csv")), QStringLiteral("run.csv"));
    QCOMPARE(fileNameOf(QStringLiteral("run.csv")), QStringLiteral("run.csv"));
}

void TestFormat::untitledNamesWrapAfter999PerCounter()
{
    resetUntitledCounters();
    QCOMPARE(newUntitledName(), QStringLiteral("Untitled1.csv"));
    QCOMPARE(newUntitledName(), QStringLiteral("Untitled2.csv"));
    QCOMPARE(newUntitledMemName(), QStringLiteral("Untitled1.csv"));
    for (int i = 3; i < 999; ++i)
        newUntitledName();
    QCOMPARE(newUntitledName(), QStringLiteral("Untitled999.csv"));
    QCOMPARE(newUntitledName(), QStringLiteral("Untitled1.csv"));
    QCOMPARE(newUntitledMemName(), QStringLiteral("Untitled2.csv"));
}

void TestFormat::twoDigitTextAndCheckNumText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("twoDigits");
    QTest::addColumn<bool>("inRange");
    QTest::newRow("7") << "7"
                       << "07" << true;
    QTest::newRow("123") << "123"
                         << "23" << false;
    QTest::newRow("-5") << "-5"
                        << "00" << false;
    QTest::newRow("100") << "100"
                         << "00" << true;
    QTest::newRow("99") << "99"
                        << "99" << true;
    QTest::newRow("rounded") << "7.6"
                             << "08" << true;
    QTest::newRow("rounds into range") << "100.4"
                                       << "00" << true;
    QTest::newRow("rounds out of range") << "100.6"
                                         << "01" << false;
    QTest::newRow("four-digit year") << "2024"
                                     << "24" << false;
    QTest::newRow("blanks around") << " 5 "
                                   << "05" << true;
    QTest::newRow("trailing letter") << "5a"
                                     << "05" << false;
    QTest::newRow("empty") << ""
                           << "00" << false;
    QTest::newRow("word") << "ab"
                          << "00" << false;
}

void TestFormat::twoDigitTextAndCheckNumText()
{
    QFETCH(QString, text);
    QFETCH(QString, twoDigits);
    QFETCH(bool, inRange);
    QCOMPARE(twoDigitText(text), twoDigits);
    QCOMPARE(checkNumText(text), inRange);
}

void TestFormat::hmsToSecondsRoundsEachPart_data()
{
    QTest::addColumn<QString>("h");
    QTest::addColumn<QString>("m");
    QTest::addColumn<QString>("s");
    QTest::addColumn<qint64>("seconds");
    QTest::newRow("whole") << "1"
                           << "2"
                           << "3" << qint64(3723);
    QTest::newRow("fractions") << "1.5"
                               << "0.5"
                               << "0.4" << qint64(5430);
    QTest::newRow("empty") << ""
                           << ""
                           << "" << qint64(0);
    QTest::newRow("long run") << "1000"
                              << "0"
                              << "0" << qint64(3600000);
}

void TestFormat::hmsToSecondsRoundsEachPart()
{
    QFETCH(QString, h);
    QFETCH(QString, m);
    QFETCH(QString, s);
    QFETCH(qint64, seconds);
    QCOMPARE(hmsToSeconds(h, m, s), seconds);
}

QTEST_GUILESS_MAIN(TestFormat)
#include "test_format.moc"
