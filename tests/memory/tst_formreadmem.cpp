#include "AppState.h"
#include "DateTime.h"
#include "FakePump.h"
#include "FormClockSet.h"
#include "FormDispMem.h"
#include "FormFileWait.h"
#include "FormMeasSet.h"
#include "FormReadMem.h"
#include "Format.h"
#include "ListGrid.h"
#include "MemBlocks.h"
#include "MemoryDownload.h"
#include "MemoryListing.h"
#include "Modal.h"
#include "SampleData.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "SimPort.h"
#include "Simulator.h"
#include "Strings.h"
#include "TestFiles.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

#include <memory>
#include <vector>

namespace
{
// A block as a download leaves it: one sample a minute from 26/03/01 10:00.
ClassData &putBlock(int block, const std::vector<float> &values, float upper = notSetValue,
                    float lower = notSetValue)
{
    memBlocks[block] = makeSeries(int(values.size()), toDayCount(QDate(2026, 3, 1), QTime(10, 0)),
                                  60, [&values](int i) { return values[i]; });
    memBlocks[block]->Title = QStringLiteral("Kiln %1").arg(block + 1);
    memBlocks[block]->CompHigh = upper;
    memBlocks[block]->CompLow = lower;
    memBlocks[block]->compjob();
    return *memBlocks[block];
}

QByteArray section(int number, const QByteArray &title, const QByteArray &samples)
{
    return "No. " + QByteArray::number(number) + "\r\nTitle," + title +
           "\r\nUnit,\302\260C\r\nMeas. Person,\r\nDate,Time,Data[\302\260C]\r\n" + samples +
           "\r\n";
}

QList<int> presentBlocks()
{
    QList<int> blocks;
    for (int b = 0; b < 64; ++b)
        if (memBlocks[b])
            blocks << b;
    return blocks;
}
QStringList column(const QTableWidget *grid, int c, int rows)
{
    QStringList texts;
    for (int r = 0; r < rows; ++r)
        texts << grid->item(r, c)->text();
    return texts;
}
} // namespace

// The Read Memory Data window, its memory data file and its block window, end to end against a
// simulated field type in simulated time, with a settings file of its own and scripted prompts.
class TestFormReadMem : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        programMode = 1;
        settingsFileOverride = m_dir.filePath(QStringLiteral("OrvanUtility.ini"));
        MeasSetting = MeasSettingRecord();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_pump = std::make_unique<FakePump>();
        m_sim = std::make_unique<Simulator>(Simulator::FType);
        m_port = std::make_unique<SimPort>(*m_sim);
        m_sim->fillDemoMemory();
        m_window = new FormReadMem(m_port.get());
        m_window->show();
        // Downloads ask nothing about a workbook folder that cannot be made.
        Settings.ExcelFolder = unwritableFolder(m_dir);
    }
    void cleanup()
    {
        delete m_window;
        for (auto &block : memBlocks)
            block.reset();
        m_port.reset();
        m_sim.reset();
        m_prompter.reset();
        m_pump.reset();
        programMode = 0;
    }

    // Read, Save, Close and Clear Memory Data as a user presses them. Read replaces the blocks
    // there were and, pressed again, asks first; Close asks while something is unsaved and stays
    // when the save it asked for did not happen; Save asks a name for a listing that has none. A
    // clear that would lose records nobody saved asks first, naming where they are kept.
    void readSaveCloseAndClear()
    {
        const QString question = QStringLiteral("Clear all memory data.\r ");
        const QString gone =
            QStringLiteral("The instrument's records will be gone for good. Continue?");
        const QString neverRead = QStringLiteral(
            "No memory data has been read since the start or since the memory was last cleared.");
        QPushButton *const *buttons = m_window->Command1; // Read, Save, Print, Close
        QAction *clear = m_window->MenuMemDataItem[1];
        m_prompter->answer(Prompter::AnswerOk);
        m_prompter->answer(Prompter::AnswerCancel);
        clear->trigger();
        QCOMPARE(m_prompter->texts(), (QStringList{neverRead + u'\r' + gone, question}));

        m_prompter->clear();
        memBlocks[40] = std::make_unique<ClassData>();
        buttons[0]->click();
        QCOMPARE(m_prompter->texts(), QStringList());
        verifyStored();
        QVERIFY(m_window->memUntitled && buttons[1]->isEnabled());
        // Read but not saved: kept in the downloads folder, which the question names.
        QVERIFY(QFile::exists(m_window->keptFile()));
        m_prompter->answer(Prompter::AnswerCancel);
        clear->trigger();
        QCOMPARE(m_prompter->texts(),
                 QStringList{"The memory data read last has not been saved.\rIt is kept in:\r" +
                             m_window->keptFile() + u'\r' + gone});

        m_prompter->clear();
        m_prompter->answer(Prompter::AnswerCancel);
        buttons[0]->click();
        QCOMPARE(m_sim->received().count(QStringLiteral("MEM")), 1);
        m_prompter->answer(Prompter::AnswerYes);
        m_prompter->answerFile(QString());
        buttons[3]->click();
        QVERIFY(m_window->isVisible());
        QCOMPARE(m_prompter->texts(), (QStringList{loadString(1770) + u'\r' + loadString(1746),
                                                   "Contents of file were changed. Save?"}));

        const QString path = m_dir.filePath(QStringLiteral("listing.csv"));
        m_prompter->clear();
        m_prompter->answerFile(path);
        buttons[1]->click();
        QCOMPARE(m_window->memFileName, path);
        QVERIFY(QFile::exists(path) && !buttons[1]->isEnabled());
        // Saved: only the instrument's question.
        m_prompter->answer(Prompter::AnswerOk);
        clear->trigger();
        QCOMPARE(m_prompter->texts(), (QStringList{question, "Clear Memory Data is completed."}));
        QVERIFY(m_sim->memory().isEmpty());
        m_prompter->clear();
        buttons[3]->click();
        QVERIFY(!m_window->isVisible());
        QVERIFY(m_prompter->texts().isEmpty());
    }

    // Hundreds of records at 2400 baud: the progress counts them without claiming an end it
    // cannot know, and the listing is in the downloads folder, complete, before the first
    // question.
    void longListingIsKeptWholeBeforeAnyQuestion()
    {
        m_sim->fillMemory(600);
        Settings.ExcelFolder = m_dir.filePath(QStringLiteral("books"));
        QList<int> positions;
        QList<int> counts;
        QString header;
        m_sim->setTrafficLog([&](bool fromHost, const QString &line) {
            if (line.startsWith(QLatin1String("PRINT ")))
                header = line.right(17);
            for (int s = 5; fromHost && line == QLatin1String("MEM") && s < 60; s += 5) {
                m_pump->schedule(s * 1000, [&positions, &counts] {
                    const FormFileWait *wait = FormFileWait::current();
                    QVERIFY(wait && wait->ProgressBar1->maximum() == 1000);
                    QVERIFY(wait->Label2->text().startsWith(QLatin1String("Records received: ")));
                    positions << wait->ProgressBar1->value();
                    counts << wait->Label2->text().mid(18).toInt();
                });
            }
        });
        int rowsAtQuestion = -1;
        bool keptWhole = false;
        m_prompter->answer(Prompter::AnswerNo); // "Load to Excel?"
        m_prompter->onNextMessage([&] {
            rowsAtQuestion = m_window->MSFlexGrid1->rowCount();
            keptWhole = verifyMemoryFile(m_window->keptFile());
        });
        m_window->readMemData();
        QCOMPARE(m_prompter->texts(), QStringList{loadString(4204)});
        verifyStored();
        QCOMPARE(rowsAtQuestion, m_window->blockCount);
        QVERIFY(keptWhole);
        // Named by the instrument's clock; earlier downloads of this run at the same clock stay
        // beside it under " (2)", " (3)"...
        const QString kept = QFileInfo(m_window->keptFile()).fileName();
        const QString stem = fromDayCount(MemoryListing::dayCountOf(header))
                                 .toString(QStringLiteral("'listing 'yyyy-MM-dd hh-mm-ss"));
        QVERIFY2(kept.startsWith(stem) && kept.endsWith(QLatin1String(".csv")), qPrintable(kept));
        QCOMPARE(positions.size(), 11);
        const auto rising = [](const QList<int> &v) {
            return std::adjacent_find(v.begin(), v.end(), std::greater_equal<>()) == v.end();
        };
        QVERIFY(rising(positions) && rising(counts) && positions.last() < 1000);
    }

    // Stopped, a download keeps what was read; failed or empty, it leaves no block, not even one
    // from before.
    void downloadKeepsOnlyWhatWasRead_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("state");
        QTest::newRow("stopped") << true << QStringList{loadString(4231)} << 1;
        QTest::newRow("empty memory") << false << QStringList{loadString(4203)} << 0;
    }
    void downloadKeepsOnlyWhatWasRead()
    {
        QFETCH(bool, stop);
        memBlocks[40] = std::make_unique<ClassData>();
        m_sim->fillMemory(stop ? 300 : 0);
        m_sim->setTrafficLog([this, stop](bool fromHost, const QString &line) {
            if (stop && fromHost && line == QLatin1String("MEM"))
                m_pump->schedule(1500, [] { FormFileWait::current()->Command1->click(); });
        });
        m_window->readMemData();
        QTEST(m_prompter->texts(), "texts");
        const int read = memBlocks[0] ? memBlocks[0]->DataNo : 0;
        QVERIFY2(stop ? read > 5 && read < 20 : read == 0, qPrintable(QString::number(read)));
        verifyStored(read);
        QTEST(m_window->saveState(), "state");
    }

    void loadRestoresTheReadableSections_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<int>>("blocks");
        QTest::addColumn<QStringList>("messages");
        // The listing takes the file's name.
        QTest::addColumn<bool>("adopted");
        QTest::addColumn<int>("state");

        const QByteArray two = "26/03/01,10:00,20.5\r\n26/03/01,10:01,21.5\r\n";
        QTest::newRow("sections No. 3 and No. 7")
            << section(3, "three", two) + section(7, "seven", two) << QList<int>{2, 6}
            << QStringList() << true << 2;
        // Saving the rest under the file's name would drop the blocks left out.
        QTest::newRow("numbers outside 1..64 and repeated are named")
            << section(0, "zero", two) + section(65, "big", two) + section(64, "last", two) +
                   section(64, "again", two)
            << QList<int>{63}
            << QStringList{"These blocks of the file were not loaded (a listing holds No. 1 to No. "
                           "64, each once):\rNo. 0, No. 65, No. 64"}
            << false << 1;
        QTest::newRow("stated resolution wins over whole values")
            << section(2, "r\r\nResolution,0.1", "26/03/01,10:00,20\r\n26/03/01,10:01,21\r\n")
            << QList<int>{1} << QStringList() << true << 2;
        // The listing shown before the load stays.
        QTest::newRow("no section at all") << QByteArray("Title,channel\r\n") + two << QList<int>{0}
                                           << QStringList{"File reading error!"} << false << 2;
        // Saving the rest under the file's name would drop the unread part of it.
        QTest::newRow("broken second section keeps the first, unsaved")
            << section(3, "three", two) + section(5, "five", "26/03/01,10:00,junk\r\n")
            << QList<int>{2}
            << QStringList{"Cannot read file.\rLine 14 cannot be read:\r26/03/01,10:00,junk",
                           "File reading error!"}
            << false << 1;
    }

    void loadRestoresTheReadableSections()
    {
        QFETCH(QByteArray, content);
        QFETCH(QList<int>, blocks);
        QFETCH(bool, adopted);

        putBlock(0, {1, 2});
        m_window->dispMemList();
        m_window->setSaveMenu(2);
        const QString file = m_dir.filePath(QStringLiteral("listing.csv"));
        QVERIFY(!writeFile(file, content).isEmpty());

        m_prompter->answer(Prompter::AnswerOk);
        m_prompter->answerFile(file);
        m_window->loadMemData();

        QTEST(m_prompter->texts().mid(1), "messages");
        QCOMPARE(presentBlocks(), blocks);
        QCOMPARE(m_window->MSFlexGrid1->rowCount(), blocks.size());
        QCOMPARE(m_window->curBlock, blocks.first());
        QCOMPARE(memBlocks[blocks.first()]->DataNo, qint16(2));
        QCOMPARE(memBlocks[blocks.first()]->Resolution, qint16(0));
        QCOMPARE(m_window->memFileName == file, adopted);
        QCOMPARE(m_window->memUntitled, !adopted);
        QTEST(m_window->saveState(), "state");
    }

    void savedListingLoadsBackBlockForBlock()
    {
        putBlock(0, {20.5f, 21.5f, overRangeCode, 19.0f}, 21.0f, 19.5f).Title =
            QStringLiteral("first, with a comma");
        putBlock(4, {100.0f, 90.1f}, 95.0f).Unit = 1;
        // Whole degrees: the file has no resolution line, the values tell.
        putBlock(63, {-5.0f, 28.0f, 27.0f, 28.0f}).Resolution = 1;
        for (int b : presentBlocks())
            memBlocks[b]->compjob();
        m_window->dispMemList();
        m_window->setSaveMenu(1);

        const QString file = m_dir.filePath(QStringLiteral("all.csv"));
        m_prompter->answerFile(file);
        QVERIFY(m_window->saveMemData());
        QCOMPARE(m_window->saveState(), 2);
        QCOMPARE(m_window->memFileName, file);
        const QByteArray bytes = readFile(file);
        QVERIFY(bytes.startsWith("No. 1\r\nTitle,first, with a comma\r\n"));

        // What comes back must come from the file alone; saved again, it writes the same bytes.
        for (auto &block : memBlocks)
            block.reset();
        putBlock(10, {1});
        m_prompter->answer(Prompter::AnswerOk);
        m_prompter->answerFile(file);
        m_window->loadMemData();
        QCOMPARE(m_prompter->texts(),
                 QStringList{"There is memory data.\rThese data will be lost. OK?"});
        QCOMPARE(presentBlocks(), (QList<int>{0, 4, 63}));
        QVERIFY(m_window->oversaveMemData());
        QCOMPARE(readFile(file), bytes);
    }

    void listingWithoutSamplesSavesAnEmptyFile()
    {
        const QString file = m_dir.filePath(QStringLiteral("empty.csv"));
        QVERIFY(!writeFile(file, "older content\r\n").isEmpty());
        // A block without samples would read back as a broken section.
        memBlocks[5] = std::make_unique<ClassData>();
        QVERIFY(m_window->saveMemFile(file));
        QCOMPARE(readFile(file), QByteArray());
        QCOMPARE(m_prompter->texts(), QStringList());
    }

    void failedSaveKeepsThePreviousFile_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<QString>("message");
        QTest::newRow("folder of the path is missing")
            << "none/out.csv" << false << "File saving error!";
        QTest::newRow("target is a folder") << "folder" << false << "File saving error!";
        QTest::newRow("stopped over the previous file") << "kept.csv" << true << "Stopped.";
    }

    void failedSaveKeepsThePreviousFile()
    {
        QFETCH(QString, target);
        QFETCH(bool, stop);
        QFETCH(QString, message);

        QTemporaryDir dir;
        putBlock(1, {1, 2});
        const QString kept = dir.filePath(QStringLiteral("kept.csv"));
        QVERIFY(m_window->saveMemFile(kept));
        const QByteArray previous = readFile(kept);
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));

        putBlock(2, std::vector<float>(1000, 20.0f));
        if (stop)
            m_pump->schedule(1, [] { FormFileWait::current()->Command1_Click(); });
        QVERIFY(!m_window->saveMemFile(dir.filePath(target)));

        QCOMPARE(m_prompter->texts(), QStringList{message});
        QCOMPARE(readFile(kept), previous);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("kept.csv")});
        QCOMPARE(m_window->memFileName, kept);
    }

    void confirmConnectionAcceptsTheFieldType()
    {
        m_window->MenuSetItem[4]->trigger();
        QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Connection is right")});
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
        QCOMPARE(m_sim->backedUp().emissivity, 0.7f);
    }

    // The dialog opens at the computer's clock and Cancel sends nothing. A date no calendar
    // has is refused with the dialog left open; single digits are padded.
    void clockIsSetFromTheDialog()
    {
        const auto fields = [](FormClockSet *d) {
            return QList<QLineEdit *>{d->Textyy, d->Textmm, d->Textdd,
                                      d->Texthh, d->Textnn, d->Textss};
        };
        QStringList opened;
        onModal<FormClockSet>(this, [&](FormClockSet *dialog) {
            for (QLineEdit *field : fields(dialog))
                opened << field->text();
            dialog->Command2->click();
        });
        m_window->MenuSetItem[0]->trigger();
        QCOMPARE(opened, (QStringList{"26", "03", "01", "10", "00", "00"}));
        QVERIFY(m_sim->received().isEmpty());

        onModal<FormClockSet>(this, [&](FormClockSet *dialog) {
            for (const QString &typed : QStringList{"99 2 29 3 4 5", "27 1 2 3 4 5"}) {
                for (int i = 0; i < 6; ++i)
                    fields(dialog)[i]->setText(typed.section(u' ', i, i));
                dialog->Command1->click();
                QCOMPARE(fields(dialog)[4]->text(), QStringLiteral("04"));
                QCOMPARE(dialog->isVisible(), typed.startsWith(u'9'));
            }
        });
        m_window->MenuSetItem[0]->trigger();
        QCOMPARE(m_prompter->texts(),
                 (QStringList{"Date/Time value is wrong.", "Clock setting is completed."}));
        QVERIFY(m_sim->received().contains(QStringLiteral("DATE 27/01/02")));
        QVERIFY(m_sim->received().contains(QStringLiteral("TIME 03:04:05")));
        QCOMPARE(m_sim->clock().date(), QDate(2027, 1, 2));
    }

    void blockListEditsTitlesAndFollowsRows()
    {
        putBlock(4, {24});
        putBlock(9, {29}).Unit = 1;
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

        putBlock(3, {5, 15, 25, 35, 45}, 40, 10);
        FormDispMem *table = openTable();
        m_window->setSaveMenu(2);
        table->Text1[0]->setText(entered.section(u',', 0, 0));
        table->Text1[1]->setText(entered.section(u',', 1, 1));
        QTest::keyClick(table->Text1[1], Qt::Key_Return);

        QCOMPARE(table->Text1[0]->text() + u',' + table->Text1[1]->text(), shown);
        QCOMPARE(memBlocks[3]->getCompHighStr() + u',' + memBlocks[3]->getCompLowStr(), shown);
        QTEST(column(table->MSFlexGrid1, 4, 5).join(u','), "judgements");
        QTEST(table->LabelOut->text().toInt(), "out");
        QCOMPARE(m_window->saveState(), changed ? 1 : 2);
    }

    void colourMarksExtremesAndJudgement()
    {
        putBlock(2, {20, 10, 30, 10, 30, errorCode, 25}, 28, 12);
        FormDispMem *table = openTable();
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

        for (const auto &[press, block] :
             {std::pair{1, 5}, {1, 9}, {1, 9}, {0, 5}, {0, 2}, {0, 2}}) {
            table->Command1[press]->click();
            QCOMPARE(QPoint(m_window->curBlock, table->block()), QPoint(block, block));
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

    // Every block holds as many of the simulator's first `count` records as are its own (the
    // engine's tests check their values); the list shows the blocks in number order.
    void verifyStored(int count = -1)
    {
        int held[64] = {};
        for (const Simulator::MemoryRecord &r : m_sim->memory().mid(0, count))
            ++held[r.block - 1];
        for (int block = 0; block < 64; ++block)
            QCOMPARE(memBlocks[block] ? int(memBlocks[block]->DataNo) : 0, held[block]);
        const QList<int> listed = presentBlocks();
        QCOMPARE(QList<int>(m_window->rowBlock, m_window->rowBlock + m_window->blockCount), listed);
        QCOMPARE(m_window->MSFlexGrid1->rowCount(), int(listed.size()));
        QVERIFY(!m_sim->awake());
    }

    QTemporaryDir m_dir;
    std::unique_ptr<FakePump> m_pump;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<Simulator> m_sim;
    std::unique_ptr<SimPort> m_port;
    QPointer<FormReadMem> m_window;
};

QTEST_MAIN(TestFormReadMem)
#include "tst_formreadmem.moc"
