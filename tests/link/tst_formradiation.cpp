#include "FormMeasSet.h"
#include "FormRadiation.h"
#include "ScriptedPrompter.h"
#include "Settings.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <memory>

// The emissivity list editor, driven through its list, fields and buttons.
class TestFormRadiation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void opensWithEntriesAndOneBlankItem_data();
    void opensWithEntriesAndOneBlankItem();
    void clickingEntryFillsFieldsAndBlankEmptiesThem();
    void addAppendsWhenNothingSelected();
    void addInsertsBeforeSelectedEntry();
    void addRefusesValueOutOfRange();
    void tenthEntryTakesTheBlankAndEleventhIsRefused();
    void deleteFromFullListBringsBlankBack();
    void deletingOnlyEntryLeavesOneEmptyEntry();
    void editReplacesSelectedEntryOnly();
    void okStoresListAndRefreshesSettingsCombo();
    void cancelChangesNothing();

private:
    QStringList items() const;
    void open();
    void add(const QString &name, const QString &value);

    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<FormMeasSet> m_measSet;
    FormRadiation *m_editor = nullptr;
};

namespace
{
QStringList materials(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list.append(QStringLiteral("M%1:0.%2").arg(i).arg(50 + i));
    return list;
}
} // namespace

void TestFormRadiation::init()
{
    MeasSetting = MeasSettingRecord();
    m_prompter = std::make_unique<ScriptedPrompter>();
}

void TestFormRadiation::cleanup()
{
    m_measSet.reset(); // owns the editor
    m_editor = nullptr;
    m_prompter.reset();
}

void TestFormRadiation::open()
{
    m_measSet = std::make_unique<FormMeasSet>();
    m_editor = new FormRadiation(m_measSet.get());
    m_editor->show();
}

QStringList TestFormRadiation::items() const
{
    QStringList out;
    for (int i = 0; i < m_editor->List1->count(); ++i)
        out.append(m_editor->List1->item(i)->text());
    return out;
}

void TestFormRadiation::add(const QString &name, const QString &value)
{
    m_editor->TextRName->setText(name);
    m_editor->TextRNum->setText(value);
    QTest::mouseClick(m_editor->Command3, Qt::LeftButton);
}

void TestFormRadiation::opensWithEntriesAndOneBlankItem_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("lastIndex");
    QTest::newRow("empty list shows one empty entry") << 0 << 2 << 0;
    QTest::newRow("one") << 1 << 2 << 0;
    QTest::newRow("nine") << 9 << 10 << 8;
    QTest::newRow("ten: no blank") << 10 << 10 << 9;
}

void TestFormRadiation::opensWithEntriesAndOneBlankItem()
{
    QFETCH(int, entries);
    MeasSetting.EmissivityList = materials(entries);
    open();
    QTEST(m_editor->List1->count(), "items");
    QTEST(m_editor->lastIndex(), "lastIndex");
    QCOMPARE(m_editor->windowTitle(), QStringLiteral("Edit the Emissivity List"));
    QCOMPARE(m_editor->Command3->text(), QStringLiteral("Add"));
}

void TestFormRadiation::clickingEntryFillsFieldsAndBlankEmptiesThem()
{
    MeasSetting.EmissivityList = QStringList{QStringLiteral("Steel:0.8")};
    open();
    m_editor->List1->setCurrentRow(0);
    QCOMPARE(m_editor->TextRName->text(), QStringLiteral("Steel"));
    QCOMPARE(m_editor->TextRNum->text(), QStringLiteral("0.80"));
    m_editor->List1->setCurrentRow(1);
    QCOMPARE(m_editor->TextRName->text(), QString());
    QCOMPARE(m_editor->TextRNum->text(), QString());
}

void TestFormRadiation::addAppendsWhenNothingSelected()
{
    MeasSetting.EmissivityList = materials(2);
    open();
    // Focus makes the first row current but selects nothing.
    QApplication::setActiveWindow(m_editor);
    m_editor->List1->setFocus();
    QCOMPARE(m_editor->TextRName->text(), QString());
    add(QStringLiteral("Brick"), QStringLiteral("0.9"));

    QCOMPARE(items(), (QStringList{QStringLiteral("M0:0.50"), QStringLiteral("M1:0.51"),
                                   QStringLiteral("Brick:0.90"), QString()}));
    QCOMPARE(m_editor->lastIndex(), 2);
    QCOMPARE(m_editor->TextRNum->text(), QStringLiteral("0.90"));
    // Adding again keeps the place before the blank.
    add(QStringLiteral("Glass"), QStringLiteral("0.94"));
    QCOMPARE(items().at(3), QStringLiteral("Glass:0.94"));
    QCOMPARE(items().at(4), QString());
}

void TestFormRadiation::addInsertsBeforeSelectedEntry()
{
    MeasSetting.EmissivityList = materials(2);
    open();
    m_editor->List1->setCurrentRow(1);
    add(QStringLiteral("Brick"), QStringLiteral("0.9"));

    QCOMPARE(items(), (QStringList{QStringLiteral("M0:0.50"), QStringLiteral("Brick:0.90"),
                                   QStringLiteral("M1:0.51"), QString()}));
    QVERIFY(m_prompter->shown().isEmpty());
}

void TestFormRadiation::addRefusesValueOutOfRange()
{
    open();
    const QStringList before = items();
    add(QStringLiteral("Ice"), QStringLiteral("1.5"));

    QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Value is out of range.\r0.10~1.00")});
    QCOMPARE(m_editor->TextRNum->text(), QStringLiteral("1.00"));
    QCOMPARE(items(), before);
}

void TestFormRadiation::tenthEntryTakesTheBlankAndEleventhIsRefused()
{
    MeasSetting.EmissivityList = materials(9);
    open();
    add(QStringLiteral("Tenth"), QStringLiteral("0.3"));
    QCOMPARE(m_editor->List1->count(), 10);
    QCOMPARE(items().last(), QStringLiteral("Tenth:0.30"));
    QCOMPARE(m_editor->lastIndex(), 9);
    QVERIFY(m_prompter->shown().isEmpty());

    m_editor->List1->setCurrentRow(0);
    add(QStringLiteral("Eleventh"), QStringLiteral("0.4"));
    QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Cannot add more than 10.")});
    QCOMPARE(m_editor->List1->count(), 10);
    QVERIFY(!items().contains(QStringLiteral("Eleventh:0.40")));

    QTest::mouseClick(m_editor->Command1, Qt::LeftButton);
    QCOMPARE(MeasSetting.EmissivityList.size(), 10);
}

void TestFormRadiation::deleteFromFullListBringsBlankBack()
{
    MeasSetting.EmissivityList = materials(10);
    open();
    m_editor->List1->setCurrentRow(9);
    QTest::mouseClick(m_editor->Command4, Qt::LeftButton);

    QCOMPARE(m_editor->List1->count(), 10);
    QCOMPARE(items().last(), QString());
    QCOMPARE(m_editor->lastIndex(), 8);
    // The selection moved to the blank, so the fields are empty.
    QCOMPARE(m_editor->List1->currentRow(), 9);
    QCOMPARE(m_editor->TextRName->text(), QString());

    m_editor->List1->setCurrentRow(0);
    QTest::mouseClick(m_editor->Command4, Qt::LeftButton);
    QCOMPARE(items().first(), QStringLiteral("M1:0.51"));
    QCOMPARE(m_editor->TextRName->text(), QStringLiteral("M1"));
    QCOMPARE(m_editor->List1->count(), 9);
    QCOMPARE(m_editor->lastIndex(), 7);
}

void TestFormRadiation::deletingOnlyEntryLeavesOneEmptyEntry()
{
    MeasSetting.EmissivityList = QStringList{QStringLiteral("Steel:0.80")};
    open();
    m_editor->List1->setCurrentRow(0);
    QTest::mouseClick(m_editor->Command4, Qt::LeftButton);
    QCOMPARE(items(), (QStringList{QString(), QString()}));
    QCOMPARE(m_editor->lastIndex(), 0);

    // Deleting the blank place does nothing.
    m_editor->List1->setCurrentRow(1);
    QTest::mouseClick(m_editor->Command4, Qt::LeftButton);
    QCOMPARE(m_editor->List1->count(), 2);

    QTest::mouseClick(m_editor->Command1, Qt::LeftButton);
    QCOMPARE(MeasSetting.EmissivityList, QStringList{QString()});
}

void TestFormRadiation::editReplacesSelectedEntryOnly()
{
    MeasSetting.EmissivityList = materials(2);
    open();
    m_editor->List1->setCurrentRow(1);
    m_editor->TextRName->setText(QStringLiteral("Oxide"));
    m_editor->TextRNum->setText(QStringLiteral("0.875"));
    QTest::mouseClick(m_editor->Command5, Qt::LeftButton);
    QCOMPARE(items().at(1), QStringLiteral("Oxide:0.88"));
    QCOMPARE(m_editor->List1->count(), 3);

    // The blank place cannot be edited into an entry.
    m_editor->List1->setCurrentRow(2);
    m_editor->TextRName->setText(QStringLiteral("Ghost"));
    m_editor->TextRNum->setText(QStringLiteral("0.5"));
    QTest::mouseClick(m_editor->Command5, Qt::LeftButton);
    QCOMPARE(items().at(2), QString());

    // An out-of-range value leaves the entry as it was.
    m_editor->List1->setCurrentRow(0);
    m_editor->TextRNum->setText(QStringLiteral("0"));
    QTest::mouseClick(m_editor->Command5, Qt::LeftButton);
    QCOMPARE(items().at(0), QStringLiteral("M0:0.50"));
    QCOMPARE(m_editor->TextRNum->text(), QStringLiteral("0.10"));
    QCOMPARE(m_prompter->shown().size(), 1);
}

void TestFormRadiation::okStoresListAndRefreshesSettingsCombo()
{
    MeasSetting.EmissivityList = materials(1);
    open();
    add(QStringLiteral("Brick"), QStringLiteral("0.9"));
    QTest::mouseClick(m_editor->Command1, Qt::LeftButton);

    const QStringList expected{QStringLiteral("M0:0.50"), QStringLiteral("Brick:0.90")};
    QCOMPARE(MeasSetting.EmissivityList, expected);
    QCOMPARE(m_measSet->ComboEmissivity->count(), 2);
    QCOMPARE(m_measSet->ComboEmissivity->itemText(1), QStringLiteral("Brick:0.90"));
    QCOMPARE(m_editor->result(), int(QDialog::Accepted));
}

void TestFormRadiation::cancelChangesNothing()
{
    MeasSetting.EmissivityList = materials(3);
    open();
    m_editor->List1->setCurrentRow(0);
    QTest::mouseClick(m_editor->Command4, Qt::LeftButton);
    add(QStringLiteral("Brick"), QStringLiteral("0.9"));
    QTest::mouseClick(m_editor->Command2, Qt::LeftButton);

    QCOMPARE(MeasSetting.EmissivityList, materials(3));
    QCOMPARE(m_measSet->ComboEmissivity->count(), 3);
    QCOMPARE(m_editor->result(), int(QDialog::Rejected));
}

QTEST_MAIN(TestFormRadiation)
#include "tst_formradiation.moc"
