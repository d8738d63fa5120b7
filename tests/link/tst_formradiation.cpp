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

// The emissivity list editor, driven through its list, fields and buttons. Its OK runs end
// to end in the settings dialog's test.
class TestFormRadiation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        MeasSetting = MeasSettingRecord();
        m_prompter = std::make_unique<ScriptedPrompter>();
    }
    void cleanup()
    {
        m_measSet.reset(); // owns the editor
        m_prompter.reset();
    }

    // Focus makes the first row current but selects nothing.
    void addAppendsWhenNothingSelected()
    {
        open(2);
        QApplication::setActiveWindow(m_editor);
        m_editor->List1->setFocus();
        QCOMPARE(fields(), QStringLiteral(":"));
        add(QStringLiteral("Brick"), QStringLiteral("0.9"));
        QCOMPARE(items(), (QStringList{"M0:0.50", "M1:0.51", "Brick:0.90", ""}));
        QCOMPARE(m_editor->lastIndex(), 2);
        QCOMPARE(m_editor->TextRNum->text(), QStringLiteral("0.90"));
        // Adding again keeps the place before the blank.
        add(QStringLiteral("Glass"), QStringLiteral("0.94"));
        QCOMPARE(items().mid(3), (QStringList{"Glass:0.94", ""}));
    }

    void addInsertsBeforeSelectedEntry()
    {
        open(2);
        select(1);
        add(QStringLiteral("Brick"), QStringLiteral("0.9"));
        QCOMPARE(items(), (QStringList{"M0:0.50", "Brick:0.90", "M1:0.51", ""}));
        QVERIFY(m_prompter->shown().isEmpty());
    }

    // An empty list opens with one empty entry and the blank.
    void addRefusesValueOutOfRange()
    {
        open(0);
        add(QStringLiteral("Ice"), QStringLiteral("1.5"));
        QCOMPARE(m_prompter->texts(),
                 QStringList{QStringLiteral("Value is out of range.\r0.10~1.00")});
        QCOMPARE(m_editor->TextRNum->text(), QStringLiteral("1.00"));
        QCOMPARE(items(), (QStringList{"", ""}));
    }

    void tenthEntryTakesTheBlankAndEleventhIsRefused()
    {
        open(9);
        add(QStringLiteral("Tenth"), QStringLiteral("0.3"));
        QCOMPARE(items(), materials(9) << QStringLiteral("Tenth:0.30"));
        QCOMPARE(m_editor->lastIndex(), 9);
        QVERIFY(m_prompter->shown().isEmpty());

        select(0);
        add(QStringLiteral("Eleventh"), QStringLiteral("0.4"));
        QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Cannot add more than 10.")});
        QCOMPARE(items(), materials(9) << QStringLiteral("Tenth:0.30"));
        click(m_editor->Command1);
        QCOMPARE(MeasSetting.EmissivityList.size(), 10);
    }

    // Selecting an item fills the fields from it (a blank item empties them); after a delete
    // the selection moves to the next item.
    void deleteFromFullListBringsBlankBack()
    {
        open(10);
        select(9);
        click(m_editor->Command4);
        QCOMPARE(items(), materials(9) << QString());
        QCOMPARE(m_editor->lastIndex(), 8);
        QCOMPARE(m_editor->List1->currentRow(), 9);
        QCOMPARE(fields(), QStringLiteral(":"));

        select(0);
        QCOMPARE(fields(), QStringLiteral("M0:0.50"));
        click(m_editor->Command4);
        QCOMPARE(items(), materials(9).mid(1) << QString());
        QCOMPARE(fields(), QStringLiteral("M1:0.51"));
        QCOMPARE(m_editor->lastIndex(), 7);
    }

    // The list keeps one entry; the blank place cannot be deleted.
    void deletingOnlyEntryLeavesOneEmptyEntry()
    {
        open(1);
        select(0);
        click(m_editor->Command4);
        QCOMPARE(items(), (QStringList{"", ""}));
        QCOMPARE(m_editor->lastIndex(), 0);
        select(1);
        click(m_editor->Command4);
        QCOMPARE(m_editor->List1->count(), 2);
        click(m_editor->Command1);
        QCOMPARE(MeasSetting.EmissivityList, QStringList{QString()});
    }

    void editReplacesSelectedEntryOnly()
    {
        open(2);
        select(1);
        edit(QStringLiteral("Oxide"), QStringLiteral("0.875"));
        QCOMPARE(items(), (QStringList{"M0:0.50", "Oxide:0.88", ""}));

        // The blank place cannot be edited into an entry.
        select(2);
        edit(QStringLiteral("Ghost"), QStringLiteral("0.5"));
        QCOMPARE(items().at(2), QString());

        // An out-of-range value leaves the entry as it was.
        select(0);
        edit(QStringLiteral("M0"), QStringLiteral("0"));
        QCOMPARE(items().at(0), QStringLiteral("M0:0.50"));
        QCOMPARE(m_editor->TextRNum->text(), QStringLiteral("0.10"));
        QCOMPARE(m_prompter->shown().size(), 1);
    }

    void cancelChangesNothing()
    {
        open(3);
        select(0);
        click(m_editor->Command4);
        add(QStringLiteral("Brick"), QStringLiteral("0.9"));
        click(m_editor->Command2);
        QCOMPARE(MeasSetting.EmissivityList, materials(3));
        QCOMPARE(m_measSet->ComboEmissivity->count(), 3);
        QCOMPARE(m_editor->result(), int(QDialog::Rejected));
    }

private:
    void open(int entries = -1)
    {
        if (entries >= 0)
            MeasSetting.EmissivityList = materials(entries);
        m_measSet = std::make_unique<FormMeasSet>();
        m_editor = new FormRadiation(m_measSet.get());
        m_editor->show();
    }
    QStringList items() const
    {
        QStringList out;
        for (int i = 0; i < m_editor->List1->count(); ++i)
            out.append(m_editor->List1->item(i)->text());
        return out;
    }
    QString fields() const
    {
        return m_editor->TextRName->text() + ':' + m_editor->TextRNum->text();
    }
    void select(int row) { m_editor->List1->setCurrentRow(row); }
    void click(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    // Fills the fields and presses Add (Command3) or Edit (Command5).
    void enter(QPushButton *button, const QString &name, const QString &value)
    {
        m_editor->TextRName->setText(name);
        m_editor->TextRNum->setText(value);
        click(button);
    }
    void add(const QString &name, const QString &value) { enter(m_editor->Command3, name, value); }
    void edit(const QString &name, const QString &value) { enter(m_editor->Command5, name, value); }

    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<FormMeasSet> m_measSet;
    FormRadiation *m_editor = nullptr;
};

QTEST_MAIN(TestFormRadiation)
#include "tst_formradiation.moc"
