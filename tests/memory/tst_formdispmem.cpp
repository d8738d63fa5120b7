#include "FormDispMem.h"
#include "Format.h"
#include "MemoryWindowFixture.h"
#include "SampleData.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

#include <vector>

namespace
{
// A block as a download leaves it: one sample a minute from 26/03/01 10:00.
void putBlock(int block, const std::vector<float> &values, float upper = notSetValue,
              float lower = notSetValue)
{
    auto data = makeSeries(int(values.size()), toDayCount(QDate(2026, 3, 1), QTime(10, 0)), 60,
                           [&values](int i) { return values[i]; });
    data->Title = QStringLiteral("Kiln %1").arg(block + 1);
    data->CompHigh = upper;
    data->CompLow = lower;
    data->compjob();
    memBlocks[block] = std::move(data);
}

QStringList column(const QTableWidget *grid, int c, int rows)
{
    QStringList texts;
    for (int r = 0; r < rows; ++r)
        texts << grid->item(r, c)->text();
    return texts;
}
} // namespace

// The block window: its table, its comparator limits and its row buttons.
class TestFormDispMem : public MemoryWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { openWindow(false); }
    void cleanup() { closeWindow(); }
    void enteredLimitsAreNormalisedOrderedAndStored_data()
    {
        // Limits as "upper,lower"; the judgement column's texts joined by ",".
        QTest::addColumn<QString>("entered");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("out");
        QTest::addColumn<QString>("judgements");

        // The block holds 5, 15, 25, 35, 45 with limits 40 and 10.
        QTest::newRow("upper below lower is swapped")
            << "20,30" << true << "30.0,20.0" << 4 << "Lo,Lo,,Hi,Hi";
        QTest::newRow("dash removes the upper limit")
            << "-,10" << true << "-,10.0" << 1 << "Lo,,,,";
        QTest::newRow("two dashes switch the comparator off")
            << "-, - " << true << "-,-" << 0 << ",,,,";
        QTest::newRow("clamped and rounded to the block")
            << "600,14.96" << true << "500.0,15.0" << 1 << "Lo,,,,";
        QTest::newRow("same limits are no change")
            << "40.0,10" << false << "40.0,10.0" << 2 << "Lo,,,,Hi";
    }

    void enteredLimitsAreNormalisedOrderedAndStored()
    {
        QFETCH(QString, entered);
        QFETCH(bool, changed);
        QFETCH(QString, shown);
        QFETCH(int, out);
        QFETCH(QString, judgements);

        putBlock(3, {5, 15, 25, 35, 45}, 40, 10);
        FormDispMem *table = openTable();
        m_window->setSaveMenu(2);
        table->Text1[0]->setText(entered.section(u',', 0, 0));
        table->Text1[1]->setText(entered.section(u',', 1, 1));
        QTest::keyClick(table->Text1[1], Qt::Key_Return);

        QCOMPARE(table->Text1[0]->text() + u',' + table->Text1[1]->text(), shown);
        QCOMPARE(memBlocks[3]->getCompHighStr() + u',' + memBlocks[3]->getCompLowStr(), shown);
        QCOMPARE(column(table->MSFlexGrid1, 4, 5).join(u','), judgements);
        QCOMPARE(table->LabelOut->text(), QString::number(out));
        QCOMPARE(m_window->saveState(), changed ? 1 : 2);
    }

    void colourMarksExtremesAndJudgement()
    {
        putBlock(2, {20, 10, 30, 10, 30, errorCode, 25}, 28, 12);
        FormDispMem *table = openTable();
        QCOMPARE(table->windowTitle(), QStringLiteral("No.3:Kiln 3"));
        QCOMPARE(table->MSFlexGrid1->horizontalHeaderItem(3)->text(), QStringLiteral("Data[°C]"));
        QCOMPARE(column(table->MSFlexGrid1, 2, 2), (QStringList{"10:00", "10:01"}));

        const QColor black(0, 0, 0), blue(0, 0, 255), red(255, 0, 0);
        // An error sample counts in neither extreme but is judged above the upper limit.
        const QList<QColor> valueColours{black, blue, red, blue, red, black, black};
        const QList<QColor> judgementColours{black, blue, red, blue, red, red, black};
        for (int r = 0; r < 7; ++r) {
            QCOMPARE(table->MSFlexGrid1->item(r, 3)->foreground().color(), valueColours[r]);
            QCOMPARE(table->MSFlexGrid1->item(r, 4)->foreground().color(), judgementColours[r]);
        }

        table->dispMemdata(9);
        QCOMPARE(column(table->MSFlexGrid1, 0, table->visibleRows()),
                 QStringList(table->visibleRows(), QString()));
        // Limits entered for an absent block change nothing.
        table->Text1[0]->setText(QStringLiteral("30"));
        table->applyComp();
        QCOMPARE(m_window->saveState(), 0);
    }

    void longBlockScrollsToItsLastSample()
    {
        putBlock(0, std::vector<float>(32000, 20.0f));
        FormDispMem *table = openTable();
        QCOMPARE(table->MSFlexGrid1->item(0, 0)->text(), QStringLiteral("1"));
        table->VScrollTable->setValue(table->VScrollTable->maximum());
        const int last = table->visibleRows() - 1;
        QCOMPARE(table->MSFlexGrid1->item(last, 0)->text(), QStringLiteral("32000"));
        QCOMPARE(table->MSFlexGrid1->item(last, 1)->text(), QStringLiteral("26/03/23"));
    }

    void previousAndNextMoveTheRow()
    {
        // With no block the window is empty and offers no limit to edit.
        FormDispMem *table = openTable();
        QCOMPARE(table->windowTitle(), QStringLiteral("No."));
        QCOMPARE(table->LabelNo->text(), QString());
        QVERIFY(!table->Text1[0]->isEnabled() && !table->Text1[1]->isEnabled());

        for (int block : {2, 5, 9})
            putBlock(block, {1, 2});
        m_window->dispMemList();
        QVERIFY(table->Text1[0]->isEnabled() && table->Text1[1]->isEnabled());
        QCOMPARE(m_window->curBlock, 2);

        const QList<int> presses{1, 1, 1, 0, 0, 0};
        const QList<int> blocks{5, 9, 9, 5, 2, 2};
        for (int k = 0; k < presses.size(); ++k) {
            table->Command1[presses[k]]->click();
            QCOMPARE(m_window->curBlock, blocks[k]);
            QCOMPARE(table->block(), blocks[k]);
        }
        QCOMPARE(table->windowTitle(), QStringLiteral("No.3:Kiln 3"));

        table->close();
        QVERIFY(!m_window->MenuMemDataItem[3]->isChecked());
        QCOMPARE(m_window->dispMem(), table);
    }

private:
    FormDispMem *openTable()
    {
        m_window->dispMemList();
        m_window->toggleDataTable();
        return m_window->dispMem();
    }
};

QTEST_MAIN(TestFormDispMem)
#include "tst_formdispmem.moc"
