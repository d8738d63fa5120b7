#include "StringTable.h"
#include "Strings.h"

#include <QtTest>

class TestStrings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        setLanguage();
        initLanguage();
    }

    // The lookup is a binary search: one entry out of order hides others. English keys only, so
    // the Japanese edition's ids find nothing.
    void tableIsStrictlySortedWithinEnglishKeys()
    {
        QVERIFY(stringTableSize > 0);
        for (std::size_t i = 0; i < stringTableSize; ++i) {
            const StringEntry &e = stringTable[i];
            QVERIFY2(e.key >= 11000 && e.key <= 17499, qPrintable(QString::number(e.key)));
            QVERIFY2(e.text && *e.text, qPrintable(QString::number(e.key)));
            if (i > 0)
                QVERIFY2(stringTable[i - 1].key < e.key, qPrintable(QString::number(e.key)));
        }
    }

    void englishEditionKeepsBlanksAndLineFeeds()
    {
        QCOMPARE(stringIdOffset, qint16(10000));
        QCOMPARE(loadString(1732), QStringLiteral("No reply."));
        QCOMPARE(stringTableEntry(11732), QStringLiteral("No reply."));
        // Blanks at either end are joined to other texts and must survive.
        QCOMPARE(loadString(1210), QStringLiteral(" - Unknown"));
        QCOMPARE(loadString(1708), QStringLiteral("Start time is "));
        // Two-line texts hold exactly one line feed, never a carriage return.
        for (int id : {1002, 1003, 1778, 1779, 1797, 1798}) {
            const QString text = loadString(id);
            QVERIFY2(text.count(u'\n') == 1 && !text.contains(u'\r') && !text.startsWith(u'\n') &&
                         !text.endsWith(u'\n'),
                     qPrintable(QString::number(id)));
        }
    }

    void missingIdsFindNothing()
    {
        for (int key : {0, 13000, 16002, 32767}) {
            QVERIFY(stringTableEntry(key).isEmpty());
            QVERIFY(loadString(key - 10000).isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestStrings)
#include "tst_strings.moc"
