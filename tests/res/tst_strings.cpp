#include "StringTable.h"

#include <QtTest>

class TestStrings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
};

QTEST_GUILESS_MAIN(TestStrings)
#include "tst_strings.moc"
