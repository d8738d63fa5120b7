#include "ClockFields.h"

#include "DateTime.h"

#include <QtTest>

class TestClockFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fieldsAreCheckedAndRewritten_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("rewritten");
        QTest::addColumn<QDateTime>("dateTime");
        auto row = [](const char *name, const QStringList &fields, const QStringList &rewritten,
                      const QDateTime &when) {
            QTest::newRow(name) << fields << when.isValid() << rewritten << when;
        };
        const QStringList unchanged;
        row("single digits get a zero", {"26", "3", "5", "2", "7", "9"},
            {"26", "03", "05", "02", "07", "09"}, QDateTime(QDate(2026, 3, 5), QTime(2, 7, 9)));
        row("year 79 is 2079", {"79", "12", "31", "23", "59", "59"},
            {"79", "12", "31", "23", "59", "59"},
            QDateTime(QDate(2079, 12, 31), QTime(23, 59, 59)));
        row("year 80 is 1980", {"80", "01", "01", "00", "00", "00"},
            {"80", "01", "01", "00", "00", "00"}, QDateTime(QDate(1980, 1, 1), QTime(0, 0)));
        row("1999 had no 29 February", {"99", "02", "29", "12", "00", "00"}, unchanged, {});
        row("2000 had a 29 February", {"00", "02", "29", "12", "00", "00"},
            {"00", "02", "29", "12", "00", "00"}, QDateTime(QDate(2000, 2, 29), QTime(12, 0)));
        row("hour 24", {"26", "03", "05", "24", "00", "00"}, unchanged, {});
        row("month 0", {"26", "00", "05", "10", "00", "00"}, unchanged, {});
        row("not a number", {"26", "03", "x5", "10", "00", "00"}, unchanged, {});
        row("above 100", {"26", "03", "05", "10", "101", "00"}, unchanged, {});
        row("empty field", {"26", "03", "05", "10", "", "00"}, unchanged, {});
    }
    void fieldsAreCheckedAndRewritten()
    {
        QFETCH(QStringList, fields);
        QFETCH(bool, valid);
        QFETCH(QStringList, rewritten);
        QFETCH(QDateTime, dateTime);
        QString f[6];
        for (int i = 0; i < 6; ++i)
            f[i] = fields.at(i);
        double result = -1.0;
        QCOMPARE(checkClockFields(f, &result), valid);
        if (!valid)
            return;
        QCOMPARE(QStringList(f, f + 6), rewritten);
        QCOMPARE(fromDayCount(result), dateTime);
    }
};

QTEST_GUILESS_MAIN(TestClockFields)
#include "test_clockfields.moc"
