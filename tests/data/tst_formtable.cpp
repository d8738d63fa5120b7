#include "AppState.h"
#include "FormTable.h"
#include "SampleData.h"
#include "Strings.h"

#include <QtTest>
#include <QtWidgets>

namespace
{

double sampleTime(int i)
{
    return toDayCount(QDate(2026, 3, 1), QTime(8, 0, 0)) + i / secondsPerDay;
}

// Samples one second apart with values 20.0, 20.1, ...; sample 5 holds the maximum 70.5.
ClassData &fillChannel(int ch, int count, qint16 unit = 0)
{
    channelData[ch] = std::make_unique<ClassData>();
    ClassData &data = *channelData[ch];
    data.Unit = unit;
    data.Title = QStringLiteral("Oven");
    for (int i = 0; i < count; ++i)
        data.setRealTimeData(sampleTime(i), i == 5 ? 70.5f : 20.0f + float(i % 100) / 10.0f);
    return data;
}

QString cell(const FormTable &form, int row, int column)
{
    return form.MSFlexGrid1->item(row, column)->text();
}

QStringList rowTexts(const FormTable &form, int row)
{
    return {cell(form, row, 0), cell(form, row, 1), cell(form, row, 2), cell(form, row, 3)};
}

} // namespace

class TestFormTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        setLanguage();
        initLanguage();
    }

    void init()
    {
        programMode = 0;
        clearChannels();
    }

    // Rows fill from the top in the channel's unit, the comparator shows for memory data only,
    // and a channel without data shows dashes.
    void fewerSamplesThanRowsFillFromTheTop()
    {
        ClassData &data = fillChannel(0, 6, 1);
        data.Resolution = 1;
        FormTable form;
        form.show();
        form.dispMeasData();
        QVERIFY(form.visibleRows() > 6);
        QCOMPARE(form.VScrollTable->maximum(), 1);
        QCOMPARE(rowTexts(form, 0), (QStringList{"1", "26/03/01", "08:00:00", "20"}));
        QCOMPARE(rowTexts(form, 5), (QStringList{"6", "26/03/01", "08:00:05", "71"}));
        QCOMPARE(rowTexts(form, 6), QStringList(4, QString()));
        QCOMPARE(form.MSFlexGrid1->horizontalHeaderItem(3)->text(), QStringLiteral("Data[°F]"));
        QCOMPARE(form.panel.Label1[0]->text(), QStringLiteral("Max  26/03/01 08:00:05      71 °F"));
        QCOMPARE(form.windowTitle(), QStringLiteral("CH 1:Oven"));
        QVERIFY(!form.panel.Label1[5]->isVisible() && !form.panel.Text1[0]->isVisible());

        // Memory data show the comparator: its limits and the number of samples outside.
        programMode = 1;
        data.CompHigh = 21.0f;
        data.compjob();
        form.dispMeasData();
        QVERIFY(form.panel.Label1[5]->isVisible() && form.panel.Text1[0]->isVisible());
        QCOMPARE(form.panel.Label1[5]->text(), QStringLiteral("Out  1"));
        QCOMPARE(form.panel.Text1[0]->text() + form.panel.Text1[1]->text(), QStringLiteral("21-"));

        form.setChNo(2);
        form.dispMeasData();
        QCOMPARE(form.windowTitle(), QStringLiteral("CH 3:"));
        QCOMPARE(form.panel.Label1[0]->text(), QStringLiteral("Max  -----"));
        QCOMPARE(form.panel.Label1[2]->text(), QStringLiteral("Ave  -----"));
        QCOMPARE(rowTexts(form, 0), QStringList(4, QString()));
    }

    // The bar picks the first sample shown; a refresh follows the newest.
    void scrollBarPicksFirstSampleAndRefreshFollowsNewest()
    {
        ClassData &data = fillChannel(0, 500);
        FormTable form;
        form.show();
        form.dispMeasData();
        const int last = form.visibleRows() - 1;
        QCOMPARE(form.VScrollTable->maximum(), 500 - last - 1);
        QCOMPARE(form.VScrollTable->pageStep(), last + 1);
        QCOMPARE(cell(form, 0, 0), QStringLiteral("1"));
        form.VScrollTable->setValue(123);
        QCOMPARE(cell(form, 0, 0), QStringLiteral("124"));

        for (int n = 501; n <= 503; ++n) {
            QCOMPARE(data.setRealTimeData(sampleTime(n - 1), 99.5f), qint16(0));
            form.refreshTableData();
            QCOMPARE(cell(form, last, 0), QString::number(n));
            QCOMPARE(cell(form, last, 3), QStringLiteral("99.5"));
            QCOMPARE(cell(form, 0, 0), QString::number(n - last));
        }
        QVERIFY(form.panel.Label1[0]->text().contains(QStringLiteral("99.5")));

        // A taller window shows more rows, each whole, so the grid never scrolls on its own.
        form.resize(form.width(), form.height() + 200);
        const int lastRow = form.visibleRows() - 1;
        QVERIFY(lastRow > last);
        QVERIFY(form.MSFlexGrid1->rowViewportPosition(lastRow) +
                    form.MSFlexGrid1->rowHeight(lastRow) <=
                form.MSFlexGrid1->viewport()->height());
        QCOMPARE(form.MSFlexGrid1->verticalScrollBar()->maximum(), 0);
        QCOMPARE(form.MSFlexGrid1->rowCount(), lastRow + 1);
        QCOMPARE(form.VScrollTable->maximum(), 503 - lastRow - 1);
        QCOMPARE(cell(form, lastRow, 0), QStringLiteral("503"));
    }
};

QTEST_MAIN(TestFormTable)
#include "tst_formtable.moc"
