#include "DateTime.h"
#include "FakePump.h"
#include "FormClockSet.h"
#include "ScriptedPrompter.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

// The clock dialog through its six fields and its buttons; test_clockfields holds the rules
// of the fields.
class TestFormClockSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_pump = std::make_unique<FakePump>(QDateTime(QDate(2007, 2, 3), QTime(4, 5, 6, 700)));
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_form = std::make_unique<FormClockSet>();
        m_form->show();
    }
    void cleanup()
    {
        m_form.reset();
        m_prompter.reset();
        m_pump.reset();
    }

    void fieldsStartWithComputerClock()
    {
        QCOMPARE(texts(), (QStringList{"07", "02", "03", "04", "05", "06"}));
        QVERIFY(m_form->cancelled());
        QTest::mouseClick(m_form->Command1, Qt::LeftButton);
        QVERIFY(!m_form->isVisible());
        QVERIFY(!m_form->cancelled());
        QCOMPARE(m_form->dateTime(), toDayCount(QDate(2007, 2, 3), QTime(4, 5, 6)));
    }

    // The fields are rewritten as checked, also when the date is refused.
    void okAcceptsOnlyRealDateTime_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QDateTime>("expected"); // invalid: refused
        QTest::newRow("single digits are padded") << QStringList{"9", "2", "1", "0", "5", "7"}
                                                  << QStringList{"09", "02", "01", "00", "05", "07"}
                                                  << QDateTime(QDate(2009, 2, 1), QTime(0, 5, 7));
        QTest::newRow("1999 had no 29 February")
            << QStringList{"99", "2", "29", "12", "0", "0"}
            << QStringList{"99", "02", "29", "12", "00", "00"} << QDateTime();
        QTest::newRow("not a number stays as typed")
            << QStringList{"07", "1", "x", "00", "00", "00"}
            << QStringList{"07", "1", "x", "00", "00", "00"} << QDateTime();
    }
    void okAcceptsOnlyRealDateTime()
    {
        QFETCH(QStringList, typed);
        QFETCH(QDateTime, expected);
        for (int i = 0; i < 6; ++i) {
            fields()[i]->clear();
            QTest::keyClicks(fields()[i], typed.at(i));
        }
        QTest::mouseClick(m_form->Command1, Qt::LeftButton);

        QTEST(texts(), "shown");
        QCOMPARE(m_form->isVisible(), !expected.isValid());
        QCOMPARE(m_form->cancelled(), !expected.isValid());
        if (expected.isValid()) {
            QVERIFY(m_prompter->shown().isEmpty());
            QCOMPARE(m_form->dateTime(), toDayCount(expected));
        } else {
            QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Date/Time value is wrong.")});
        }
    }

    // An OK first, so that the Cancel has to mark the dialog cancelled again.
    void cancelMarksCancelled()
    {
        QTest::mouseClick(m_form->Command1, Qt::LeftButton);
        m_form->show();
        QTest::mouseClick(m_form->Command2, Qt::LeftButton);
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_form->cancelled());
        QVERIFY(m_prompter->shown().isEmpty());
    }

private:
    QList<QLineEdit *> fields() const
    {
        return {m_form->Textyy, m_form->Textmm, m_form->Textdd,
                m_form->Texthh, m_form->Textnn, m_form->Textss};
    }
    QStringList texts() const
    {
        QStringList out;
        for (QLineEdit *field : fields())
            out << field->text();
        return out;
    }

    std::unique_ptr<FakePump> m_pump;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<FormClockSet> m_form;
};

QTEST_MAIN(TestFormClockSet)
#include "tst_formclockset.moc"
