#include "DateTime.h"
#include "FormClockSet.h"
#include "FormMeasSet.h"
#include "ListGrid.h"
#include "MemoryWindowFixture.h"
#include "Modal.h"
#include "SampleData.h"
#include "TestFiles.h"

#include <QAction>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>

// The memory window's instrument commands, end to end against the simulator.
class TestFormReadMem : public MemoryWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        openWindow();
        m_sim->fillDemoMemory();
    }
    void cleanup() { closeWindow(); }
    void confirmConnectionAcceptsTheFieldType()
    {
        m_window->MenuSetItem[4]->trigger();
        QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Connection is right")});

        m_prompter->clear();
        m_sim->setType(Simulator::LType);
        m_window->MenuSetItem[4]->trigger();
        QCOMPARE(
            m_prompter->texts(),
            QStringList{QStringLiteral("Connection is right, but cannot be used in Read Memory "
                                       "Data mode.\rPlease use in Real Time Measurement mode.")});
    }

    void settingsAreSentWithFixedResolution()
    {
        MeasSetting.Precision = 1;
        onModal<FormMeasSet>(this, [](FormMeasSet *dialog) {
            dialog->ComboEmissivity->setEditText(QStringLiteral("0.7"));
            dialog->Command1->click();
        });
        m_window->MenuSetItem[1]->trigger();
        QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Setting is completed.")});
        QVERIFY(m_sim->received().contains(QStringLiteral("RESOL 0.1")));
        QVERIFY(!m_sim->received().contains(QStringLiteral("ZERO -20")));
        QCOMPARE(m_sim->backedUp().emissivity, 0.7f);
    }

    void clockIsSetFromTheDialog()
    {
        onModal<FormClockSet>(this, [](FormClockSet *dialog) {
            dialog->Textyy->setText(QStringLiteral("27"));
            dialog->Textmm->setText(QStringLiteral("1"));
            dialog->Textdd->setText(QStringLiteral("2"));
            dialog->Texthh->setText(QStringLiteral("3"));
            dialog->Textnn->setText(QStringLiteral("4"));
            dialog->Textss->setText(QStringLiteral("5"));
            dialog->Command1->click();
        });
        m_window->MenuSetItem[0]->trigger();
        QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Clock setting is completed.")});
        QVERIFY(m_sim->received().contains(QStringLiteral("DATE 27/01/02")));
        QVERIFY(m_sim->received().contains(QStringLiteral("TIME 03:04:05")));
        QCOMPARE(m_sim->clock().date(), QDate(2027, 1, 2));
    }

    // A clear that would lose records nobody saved asks first, naming where they are kept.
    void memoryIsClearedAfterTheQuestion()
    {
        const QString question = QStringLiteral("Clear all memory data.\r ");
        const QString gone =
            QStringLiteral("The instrument's records will be gone for good. Continue?");
        const QString neverRead = QStringLiteral(
            "No memory data has been read since the start or since the memory was last cleared.");
        QVERIFY(!m_sim->memory().isEmpty());
        m_prompter->answer(Prompter::AnswerCancel);
        m_window->MenuMemDataItem[1]->trigger();
        QCOMPARE(m_prompter->texts(), QStringList{neverRead + u'\r' + gone});
        QVERIFY(!m_sim->memory().isEmpty());

        m_prompter->clear();
        m_prompter->answer(Prompter::AnswerOk);
        m_prompter->answer(Prompter::AnswerCancel);
        m_window->MenuMemDataItem[1]->trigger();
        QCOMPARE(m_prompter->texts(), (QStringList{neverRead + u'\r' + gone, question}));
        QVERIFY(!m_sim->memory().isEmpty());

        // Read but not saved: kept in the downloads folder, which the question names.
        Settings.ExcelFolder = unwritableFolder(m_dir);
        m_window->readMemData();
        QVERIFY(QFile::exists(m_window->keptFile()));
        m_prompter->clear();
        m_prompter->answer(Prompter::AnswerCancel);
        m_window->MenuMemDataItem[1]->trigger();
        QCOMPARE(m_prompter->texts(),
                 QStringList{"The memory data read last has not been saved.\rIt is kept in:\r" +
                             m_window->keptFile() + u'\r' + gone});

        // Saved: only the instrument's question.
        m_prompter->clear();
        m_prompter->answerFile(m_dir.filePath(QStringLiteral("saved.csv")));
        QVERIFY(m_window->saveMemData());
        m_prompter->answer(Prompter::AnswerOk);
        m_window->MenuMemDataItem[1]->trigger();
        QCOMPARE(m_prompter->texts(), (QStringList{question, "Clear Memory Data is completed."}));
        QVERIFY(m_sim->memory().isEmpty());
    }

    void blockListEditsTitlesAndFollowsRows()
    {
        const double start = toDayCount(QDate(2026, 3, 1), QTime(9, 0));
        for (int block : {4, 9}) {
            memBlocks[block] = makeSeries(1, start, 1, [block](int) { return 20.0f + block; });
            memBlocks[block]->Unit = block == 9 ? 1 : 0;
        }
        m_window->dispMemList();
        QTableWidget *grid = m_window->MSFlexGrid1;
        QCOMPARE(grid->rowCount(), 2);
        QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("10"));
        QCOMPARE(m_window->curBlock, 4);
        QCOMPARE(m_window->saveState(), 0);

        // The title cell of the second row, edited in place and stored by moving up.
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(m_window->curBlock, 9);
        QCOMPARE(grid->horizontalHeaderItem(5)->text(), QStringLiteral("Max[°F]"));
        grid->setCurrentCell(1, ListGrid::titleColumn);
        QTest::keyClick(grid, Qt::Key_Return);
        QVERIFY(m_window->Text1->isVisible());
        m_window->Text1->setText(QStringLiteral("Kiln 2"));
        QTest::keyClick(m_window->Text1, Qt::Key_Up);
        QCOMPARE(memBlocks[9]->Title, QStringLiteral("Kiln 2"));
        QCOMPARE(m_window->curBlock, 4);
        QCOMPARE(m_window->saveState(), 1);
        m_window->setNextNo();
        m_window->setNextNo();
        QCOMPARE(m_window->gridRow(), 2);
    }
};

QTEST_MAIN(TestFormReadMem)
#include "tst_formreadmem.moc"
