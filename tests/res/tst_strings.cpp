#include "StringTable.h"
#include "Strings.h"

#include <QtTest>

class TestStrings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void tableIsStrictlySortedWithinEnglishKeys();
    void englishEditionFetchesIdPlus10000_data();
    void englishEditionFetchesIdPlus10000();
    void japaneseOffsetFindsNothingInThisEdition();
    void twoLineTextsHoldExactlyOneLineFeed_data();
    void twoLineTextsHoldExactlyOneLineFeed();
    void missingIdGivesEmptyText_data();
    void missingIdGivesEmptyText();
};

void TestStrings::init()
{
    setLanguage();
    initLanguage();
}

void TestStrings::cleanup()
{
    // Other cases rely on the English edition, whatever a case switched to.
    languageFlag = 1;
    initLanguage();
}

void TestStrings::tableIsStrictlySortedWithinEnglishKeys()
{
    QVERIFY(stringTableSize > 0);
    for (std::size_t i = 0; i < stringTableSize; ++i) {
        const StringEntry &e = stringTable[i];
        QVERIFY2(e.key >= 11000 && e.key <= 16001, qPrintable(QString::number(e.key)));
        QVERIFY2(e.text && *e.text, qPrintable(QString::number(e.key)));
        if (i > 0)
            QVERIFY2(stringTable[i - 1].key < e.key, qPrintable(QString::number(e.key)));
    }
}

void TestStrings::englishEditionFetchesIdPlus10000_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    QTest::newRow("no reply") << 1732 << QStringLiteral("No reply.");
    QTest::newRow("stopped") << 1733 << QStringLiteral("Stopped.");
    QTest::newRow("untitled") << 1796 << QStringLiteral("Untitled");
    QTest::newRow("title") << 6001 << QStringLiteral("Orvan Utility");
    QTest::newRow("state unknown keeps leading blank") << 1210 << QStringLiteral(" - Unknown");
    QTest::newRow("start time keeps trailing blank") << 1708 << QStringLiteral("Start time is ");
    QTest::newRow("menu accelerator") << 1155 << QStringLiteral("C&onfirm Connection");
    QTest::newRow("help file") << 5502 << QStringLiteral("OrvanMemE.hlp");
}

void TestStrings::englishEditionFetchesIdPlus10000()
{
    QFETCH(int, id);
    QFETCH(QString, text);
    QCOMPARE(stringIdOffset, qint16(10000));
    QCOMPARE(loadString(id), text);
    QCOMPARE(stringTableEntry(id + 10000), text);
}

void TestStrings::japaneseOffsetFindsNothingInThisEdition()
{
    languageFlag = 0;
    initLanguage();
    QCOMPARE(stringIdOffset, qint16(0));
    for (std::size_t i = 0; i < stringTableSize; ++i)
        QVERIFY2(loadString(stringTable[i].key - 10000).isEmpty(),
                 qPrintable(QString::number(stringTable[i].key)));
}

void TestStrings::twoLineTextsHoldExactlyOneLineFeed_data()
{
    QTest::addColumn<int>("id");
    QTest::newRow("lab type button") << 1002;
    QTest::newRow("field type button") << 1003;
    QTest::newRow("wrong mode for lab type") << 1778;
    QTest::newRow("wrong mode for field type") << 1779;
    QTest::newRow("unit differs on send") << 1797;
    QTest::newRow("unit differs") << 1798;
}

void TestStrings::twoLineTextsHoldExactlyOneLineFeed()
{
    QFETCH(int, id);
    const QString text = loadString(id);
    QCOMPARE(text.count(QLatin1Char('\n')), 1);
    QVERIFY(!text.contains(QLatin1Char('\r')));
    QVERIFY(!text.startsWith(QLatin1Char('\n')) && !text.endsWith(QLatin1Char('\n')));
}

void TestStrings::missingIdGivesEmptyText_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("below the table") << 0;
    QTest::newRow("gap between groups") << 13000;
    QTest::newRow("above the table") << 16002;
    QTest::newRow("far above") << 32767;
}

void TestStrings::missingIdGivesEmptyText()
{
    QFETCH(int, key);
    QVERIFY(stringTableEntry(key).isEmpty());
    QVERIFY(loadString(key - 10000).isEmpty());
}

QTEST_GUILESS_MAIN(TestStrings)
#include "tst_strings.moc"
