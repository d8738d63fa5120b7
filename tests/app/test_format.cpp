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

    void textsUseDotAndRoundHalvesAway_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("value 12.25 tenths") << valueText(12.25, 0) << "12.3";
        QTest::newRow("value -12.5 whole") << valueText(-12.5, 1) << "-13";
        QTest::newRow("value any other flag is whole") << valueText(0.0, 2) << "0";
        // 0.45f is held as 0.44999998...; the reading still shows as 0.5.
        QTest::newRow("value float just below half") << valueText(0.45f, 0) << "0.5";
        QTest::newRow("value negative float below half") << valueText(-0.45f, 0) << "-0.5";
        QTest::newRow("value no group separator") << valueText(1234.5, 0) << "1234.5";
        QTest::newRow("value over") << valueText(999999.0, 1) << "+OVER";
        QTest::newRow("value under") << valueText(-999999.0, 0) << "-OVER";
        QTest::newRow("value low battery") << valueText(999998.0, 1) << "ERROR";
        QTest::newRow("value error") << valueText(999997.0, 0) << "ERROR";
        QTest::newRow("value next to error") << valueText(999996.0, 0) << "999996.0";
        QTest::newRow("str half") << precisionText(0.5, -1) << " .5";
        QTest::newRow("str negative half") << precisionText(-0.5, -1) << "-.5";
        QTest::newRow("str -20") << precisionText(-20, -1) << "-20";
        QTest::newRow("str 1.5") << precisionText(1.5, -1) << " 1.5";
        QTest::newRow("str float tenth") << precisionText(0.1f, -1) << " .1";
        QTest::newRow("str large") << precisionText(12345678, -1) << " 1.234568E+07";
        QTest::newRow("pattern 0") << precisionText(2.5, 0) << "3";
        QTest::newRow("pattern 1") << precisionText(-1.25, 1) << "-1.3";
        QTest::newRow("other code") << precisionText(1, 3) << "";
        QTest::newRow("integer half") << integerText(2.5) << "3";
        QTest::newRow("integer negative half") << integerText(-2.5) << "-3";
        QTest::newRow("integer small negative") << integerText(-0.3) << "0";
        // Zero has no sign, so it gets the blank a positive number has.
        QTest::newRow("signed zero") << signedNumberText(0) << " 0";
        QTest::newRow("emissivity float") << emissivityText(0.95f) << "0.95";
    }

    void textsUseDotAndRoundHalvesAway()
    {
        QFETCH(QString, text);
        QTEST(text, "expected");
    }

    void codesClassifyExactly()
    {
        QCOMPARE(valueStatus(overRangeCode), 1);
        QCOMPARE(valueStatus(underRangeCode), 2);
        QCOMPARE(valueStatus(lowBatteryCode), 3);
        QCOMPARE(valueStatus(errorCode), 4);
        QCOMPARE(valueStatus(999996.0f), 0);
        QCOMPARE(valueStatus(statisticsMinStart), 0);
    }

    void decimalCommaLocaleStillWritesDotAndReadsBoth()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(emissivityText(0.95), QStringLiteral("0.95"));
        QCOMPARE(valueText(12.25, 0), QStringLiteral("12.3"));
        QCOMPARE(precisionText(0.5, -1), QStringLiteral(" .5"));
        QCOMPARE(fixDecimalPoint(QStringLiteral("12,5;0,1")), QStringLiteral("12.5;0.1"));
        QCOMPARE(parseValue(QStringLiteral("0,95")), 0.95);
        QCOMPARE(parseValue(QStringLiteral("0.95")), 0.95);
        QCOMPARE(parseValue(QStringLiteral(" -12,5")), -12.5);
        // "." is no group separator here: 1.000 stays one.
        QCOMPARE(parseValue(QStringLiteral("1.000")), 1.0);
        QCOMPARE(parseValue(QStringLiteral("25 C")), 25.0);
        QCOMPARE(parseEmissivity(QStringLiteral("0,95")), 0.95);

        QLocale::setDefault(QLocale::c());
        QCOMPARE(fixDecimalPoint(QStringLiteral("12,5")), QStringLiteral("12,5"));
        QCOMPARE(parseValue(QStringLiteral("1,5")), 1.0);
    }

    void numbersAreReadLikeValAndClamped_data()
    {
        QTest::addColumn<int>(
            "kind"); // 0 leadingNumber and parseValue, 1 emissivity, 2 limit C, 3 F
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("minus blanks number") << 0 << "-  12.5 C" << -12.5;
        QTest::newRow("second point stops") << 0 << "1.2.3" << 1.2;
        QTest::newRow("negative no leading zero") << 0 << "-.5" << -0.5;
        QTest::newRow("trailing point") << 0 << "5." << 5.0;
        QTest::newRow("negative exponent") << 0 << "25E-1x" << 2.5;
        QTest::newRow("D exponent") << 0 << "2D2" << 200.0;
        QTest::newRow("exponent without digits") << 0 << "1E" << 1.0;
        QTest::newRow("embedded blank") << 0 << "1 2" << 12.0;
        QTest::newRow("sign only") << 0 << "  -" << 0.0;
        QTest::newRow("overflow") << 0 << "1e999" << 0.0;
        QTest::newRow("code word is not a number") << 0 << " +OVER" << 0.0;
        QTest::newRow("emissivity above range") << 1 << "1.5" << 1.0;
        QTest::newRow("emissivity below range") << 1 << "0.05" << 0.1;
        QTest::newRow("emissivity not set") << 1 << "-" << -999999.0;
        QTest::newRow("emissivity half down to even") << 1 << "0.125" << 0.12;
        QTest::newRow("emissivity half up to even") << 1 << "0.375" << 0.38;
        QTest::newRow("600 C") << 2 << "600" << 500.0;
        QTest::newRow("-100 F") << 3 << "-100" << -60.0;
        QTest::newRow("1000 F") << 3 << "1000" << 940.0;
        QTest::newRow("limit not set") << 2 << "-" << -999999.0;
        QTest::newRow("limit over code") << 2 << "+OVER" << 500.0;
    }

    void numbersAreReadLikeValAndClamped()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        if (kind == 0)
            QTEST(leadingNumber(text), "value");
        QTEST(kind == 0   ? parseValue(text)
              : kind == 1 ? parseEmissivity(text)
                          : parseLimit(text, kind - 2),
              "value");
    }

    void dateTimeIsReadByPosition_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("dateTime");
        const QDateTime march5(QDate(2024, 3, 5), QTime(13, 45, 30));
        QTest::newRow("17 characters") << "24/03/05 13:45:30" << march5;
        QTest::newRow("19 characters") << "2024/03/05 13:45:30" << march5;
        // The short form has no seconds; its last two characters are the minutes.
        QTest::newRow("14 characters") << "24/03/05 13:45" << march5.addSecs(-30);
        QTest::newRow("year 79") << "79/01/01 00:00:00"
                                 << QDateTime(QDate(2079, 1, 1), QTime(0, 0));
        QTest::newRow("year 80") << "80/01/01 00:00:00"
                                 << QDateTime(QDate(1980, 1, 1), QTime(0, 0));
        QTest::newRow("any separators")
            << "99-12-31T23.59.58" << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58));
        QTest::newRow("month 13") << "24/13/01 00:00:00"
                                  << QDateTime(QDate(2025, 1, 1), QTime(0, 0));
        QTest::newRow("day 0") << "24/03/00 00:00:00" << QDateTime(QDate(2024, 2, 29), QTime(0, 0));
        QTest::newRow("Feb 30 hour 25")
            << "23/02/30 25:00:00" << QDateTime(QDate(2023, 3, 3), QTime(1, 0));
    }

    void dateTimeIsReadByPosition()
    {
        QFETCH(QString, text);
        QTEST(fromDayCount(parseDateTime(text)), "dateTime");
    }

    void dateTextsRoundToSecondsAndFollowTheMode()
    {
        const double t = toDayCount(QDate(2005, 3, 7), QTime(9, 4, 30));
        QCOMPARE(dateTimeText(t), QStringLiteral("05/03/07 09:04:30"));
        QCOMPARE(dateText(t), QStringLiteral("05/03/07"));
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

    void splitKeepsAtMostTenFields_data()
    {
        QTest::addColumn<bool>("blank");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("last");
        QTest::addColumn<QStringList>("head");
        const QStringList tenFields{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ""};
        QTest::newRow("comma: twelve fields")
            << false << "0,1,2,3,4,5,6,7,8,9,10,11" << 9 << tenFields;
        QTest::newRow("comma: empty line") << false << "" << 0 << QStringList(11, QString());
        QTest::newRow("comma: not trimmed, empty fields")
            << false << " a ,,b," << 3 << QStringList{" a ", "", "b", "", ""};
        QTest::newRow("blank: eleven fields") << true << "0 1 2 3 4 5 6 7 8 9 10" << 9 << tenFields;
        QTest::newRow("blank: negative reading inside")
            << true << "003 24/01/02  12:00  -  3.5 C" << 4
            << QStringList{"003", "24/01/02", "12:00", "-  3.5", "C"};
        QTest::newRow("blank: runs of blanks")
            << true << "25.3   C" << 1 << QStringList{"25.3", "C"};
        QTest::newRow("blank: leading blank gives empty field")
            << true << " 25.3 C" << 2 << QStringList{"", "25.3", "C"};
        QTest::newRow("blank: minus at the end") << true << "-  7" << 0 << QStringList{"-  7", ""};
        QTest::newRow("blank: hyphenated word") << true << "-x 1" << 1 << QStringList{"-x", "1"};
    }

    void splitKeepsAtMostTenFields()
    {
        QFETCH(bool, blank);
        QFETCH(QString, line);
        QFETCH(QStringList, head);
        // Stale fields from an earlier line must be cleared.
        QString out[11] = {"x", "x", "x", "x", "x", "x", "x", "x", "x", "x", "x"};
        QTEST(blank ? splitBlank(line, out) : splitComma(line, out), "last");
        QCOMPARE(QStringList(std::begin(out), std::begin(out) + head.size()), head);
    }

    void shortTextsAndFileNames()
    {
        QCOMPARE(shortCodeText(QStringLiteral("ERROR")), QStringLiteral("ERR"));
        QCOMPARE(shortCodeText(QStringLiteral("12.5")), QStringLiteral("12.5"));
        QCOMPARE(fileNameOf(QStringLiteral("a/b\\c/run.csv")), QStringLiteral("run.csv"));
        QCOMPARE(fileNameOf(QStringLiteral("C:\\data\\run.csv")), QStringLiteral("run.csv"));
        QCOMPARE(fileNameOf(QStringLiteral("run.csv")), QStringLiteral("run.csv"));
        // Each part rounds on its own.
        QCOMPARE(hmsToSeconds(QStringLiteral("1.5"), QStringLiteral("0.5"), QStringLiteral("0.4")),
                 qint64(5430));
        QCOMPARE(hmsToSeconds(QStringLiteral("1000"), QString(), QString()), qint64(3600000));
    }

    void untitledNamesWrapAfter999PerCounter()
    {
        resetUntitledCounters();
        QCOMPARE(newUntitledName(), QStringLiteral("Untitled1.csv"));
        QCOMPARE(newUntitledMemName(), QStringLiteral("Untitled1.csv"));
        for (int i = 2; i < 999; ++i)
            newUntitledName();
        QCOMPARE(newUntitledName(), QStringLiteral("Untitled999.csv"));
        QCOMPARE(newUntitledName(), QStringLiteral("Untitled1.csv"));
        QCOMPARE(newUntitledMemName(), QStringLiteral("Untitled2.csv"));
    }

    void twoDigitTextAndCheckNumText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("twoDigits");
        QTest::addColumn<bool>("inRange");
        const struct {
            const char *text, *twoDigits;
            bool inRange;
        } rows[] = {{"7", "07", true},   {"123", "23", false},  {"-5", "00", false},
                    {"100", "00", true}, {"100.4", "00", true}, {"100.6", "01", false},
                    {" 5 ", "05", true}, {"5a", "05", false},   {"", "00", false}};
        for (const auto &row : rows)
            QTest::newRow(row.text) << QString::fromLatin1(row.text)
                                    << QString::fromLatin1(row.twoDigits) << row.inRange;
    }

    void twoDigitTextAndCheckNumText()
    {
        QFETCH(QString, text);
        QTEST(twoDigitText(text), "twoDigits");
        QTEST(checkNumText(text), "inRange");
    }

private:
    QLocale m_systemLocale;
};

QTEST_GUILESS_MAIN(TestFormat)
#include "test_format.moc"
