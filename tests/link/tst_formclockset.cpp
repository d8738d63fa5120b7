#include "DateTime.h"
#include "FakePump.h"
#include "FormClockSet.h"
#include "ScriptedPrompter.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

// The clock dialog through its six fields and its buttons.
class TestFormClockSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void fieldsStartWithComputerClock();
    void okAcceptsOnlyRealDateTime_data();
    void okAcceptsOnlyRealDateTime();
    void cancelMarksCancelled();

private:
    std::unique_ptr<FakePump> m_pump;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<FormClockSet> m_form;
};

void TestFormClockSet::init()
{
    m_pump = std::make_unique<FakePump>(QDateTime(QDate(2007, 2, 3), QTime(4, 5, 6, 700)));
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_form = std::make_unique<FormClockSet>();
    m_form->show();
}

void TestFormClockSet::cleanup()
{
    m_form.reset();
    m_prompter.reset();
    m_pump.reset();
}

void TestFormClockSet::fieldsStartWithComputerClock()
{
    const QStringList texts{m_form->Textyy->text(), m_form->Textmm->text(), m_form->Textdd->text(),
                            m_form->Texthh->text(), m_form->Textnn->text(), m_form->Textss->text()};
    QCOMPARE(texts, (QStringList{"07", "02", "03", "04", "05", "06"}));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Clock Setting"));
    QVERIFY(m_form->cancelled());

    QTest::mouseClick(m_form->Command1, Qt::LeftButton);
    QVERIFY(!m_form->isVisible());
    QVERIFY(!m_form->cancelled());
    QCOMPARE(m_form->dateTime(), toDayCount(QDate(2007, 2, 3), QTime(4, 5, 6)));
}

void TestFormClockSet::okAcceptsOnlyRealDateTime_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QDateTime>("expected"); // invalid: refused
    const QDateTime refused;
    QTest::newRow("single digits are padded") << QStringList{"9", "2", "1", "0", "5", "7"}
                                              << QStringList{"09", "02", "01", "00", "05", "07"}
                                              << QDateTime(QDate(2009, 2, 1), QTime(0, 5, 7));
    QTest::newRow("79 is 2079") << QStringList{"79", "12", "31", "23", "59", "59"}
                                << QStringList{"79", "12", "31", "23", "59", "59"}
                                << QDateTime(QDate(2079, 12, 31), QTime(23, 59, 59));
    QTest::newRow("80 is 1980") << QStringList{"80", "1", "1", "0", "0", "0"}
                                << QStringList{"80", "01", "01", "00", "00", "00"}
                                << QDateTime(QDate(1980, 1, 1), QTime(0, 0, 0));
    QTest::newRow("2000 was a leap year") << QStringList{"00", "02", "29", "12", "0", "0"}
                                          << QStringList{"00", "02", "29", "12", "00", "00"}
                                          << QDateTime(QDate(2000, 2, 29), QTime(12, 0, 0));
    QTest::newRow("1999 was not") << QStringList{"99", "02", "29", "12", "0", "0"}
                                  << QStringList{"99", "02", "29", "12", "00", "00"} << refused;
    QTest::newRow("month 13") << QStringList{"07", "13", "01", "00", "00", "00"}
                              << QStringList{"07", "13", "01", "00", "00", "00"} << refused;
    QTest::newRow("hour 24") << QStringList{"07", "01", "01", "24", "00", "00"}
                             << QStringList{"07", "01", "01", "24", "00", "00"} << refused;
    QTest::newRow("not a number stays as typed")
        << QStringList{"07", "1", "x", "00", "00", "00"}
        << QStringList{"07", "1", "x", "00", "00", "00"} << refused;
    QTest::newRow("above 100") << QStringList{"07", "01", "01", "00", "00", "101"}
                               << QStringList{"07", "01", "01", "00", "00", "101"} << refused;
    QTest::newRow("empty field") << QStringList{"07", "01", "", "00", "00", "00"}
                                 << QStringList{"07", "01", "", "00", "00", "00"} << refused;
}

void TestFormClockSet::okAcceptsOnlyRealDateTime()
{
    QFETCH(QStringList, typed);
    QFETCH(QStringList, shown);
    QFETCH(QDateTime, expected);
    QLineEdit *const fields[6] = {m_form->Textyy, m_form->Textmm, m_form->Textdd,
                                  m_form->Texthh, m_form->Textnn, m_form->Textss};
    for (int i = 0; i < 6; ++i) {
        fields[i]->clear();
        QTest::keyClicks(fields[i], typed.at(i));
    }
    QTest::mouseClick(m_form->Command1, Qt::LeftButton);

    QStringList texts;
    for (QLineEdit *field : fields)
        texts.append(field->text());
    QCOMPARE(texts, shown);
    if (expected.isValid()) {
        QVERIFY(m_prompter->shown().isEmpty());
        QVERIFY(!m_form->isVisible());
        QVERIFY(!m_form->cancelled());
        QCOMPARE(m_form->dateTime(), toDayCount(expected));
    } else {
        QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Date/Time value is wrong.")});
        QVERIFY(m_form->isVisible());
        QVERIFY(m_form->cancelled());
    }
}

void TestFormClockSet::cancelMarksCancelled()
{
    QTest::mouseClick(m_form->Command1, Qt::LeftButton);
    QVERIFY(!m_form->cancelled());
    m_form->show();
    QTest::mouseClick(m_form->Command2, Qt::LeftButton);
    QVERIFY(!m_form->isVisible());
    QVERIFY(m_form->cancelled());
    QVERIFY(m_prompter->shown().isEmpty());
}

QTEST_MAIN(TestFormClockSet)
#include "tst_formclockset.moc"
