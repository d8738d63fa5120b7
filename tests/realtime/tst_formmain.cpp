#include "ClassInstrument.h"
#include "FakePump.h"
#include "FormFileWait.h"
#include "FormGraph.h"
#include "FormMon.h"
#include "FormTable.h"
#include "Format.h"
#include "MainWindowFixture.h"
#include "Modal.h"
#include "Placement.h"
#include "QtPrompter.h"
#include "RunJournal.h"
#include "TestFiles.h"

#include <QAction>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

namespace
{
const QDateTime clockStart(QDate(2026, 3, 1), QTime(10, 0, 0));

const QByteArray celsiusFile = "Title,Furnace\r\n"
                               "Start Time,99/08/01,10:00:00\r\n"
                               "Stop Time,99/08/01,10:00:02\r\n"
                               "Data Number, 3\r\n"
                               "Unit,°C\r\n"
                               "Resolution,0.1\r\n"
                               "Emissivity,0.95\r\n"
                               "Max,99/08/01,10:00:01,25.4\r\n"
                               "Min,99/08/01,10:00:00,24.1\r\n"
                               "Ave,24.9\r\n"
                               "Meas. Person,Ann\r\n"
                               "Date,Time,Data[°C]\r\n"
                               "99/08/01,10:00:00,24.1\r\n"
                               "99/08/01,10:00:01,25.4\r\n"
                               "99/08/01,10:00:02,25.1\r\n";

// Whether a window of `size` fits anywhere on `screen` without covering `main`, tried place by
// place.
bool roomBeside(const QRect &screen, const QRect &main, const QSize &size)
{
    for (int y = screen.top(); y + size.height() <= screen.bottom() + 1; ++y) {
        for (int x = screen.left(); x + size.width() <= screen.right() + 1; ++x) {
            if (!QRect(QPoint(x, y), size).intersects(main))
                return true;
        }
    }
    return false;
}
// Samples of a run's journal: day counts and values.
using Samples = QList<QPair<double, float>>;
const double start = 46000.5; // a day count at noon
const double second = 1.0 / 86400.0;

QStringList recovered(const QString &pattern)
{
    return QDir(RunJournal::recoveryFolder()).entryList({pattern}, QDir::Files);
}
} // namespace

// The real-time window: its channel list, its files and windows, and its instrument commands
// and runs end to end against the simulator, on a fake clock; at its start it offers back what a
// killed run left. It wires the measurement engine, whose own behaviour test_runengine checks.
class TestFormMain : public MainWindowFixture
{
    Q_OBJECT

    QTableWidget *m_grid = nullptr;
    std::unique_ptr<FakePump> m_pump;

    void fill(int ch, int unit = 0)
    {
        channelData[ch] = std::make_unique<ClassData>();
        channelData[ch]->ChNo = static_cast<qint16>(ch);
        channelData[ch]->Unit = static_cast<qint16>(unit);
        channelData[ch]->Title = QStringLiteral("Kiln");
        channelData[ch]->MeasPerson = QStringLiteral("Ann");
        channelData[ch]->setRealTimeData(toDayCount(QDate(2026, 3, 1), QTime(10, 0)), 21.5f);
        m_main->dispCHRow(ch);
    }
    QPoint centre(int row, int column) const
    {
        return m_grid->visualItemRect(m_grid->item(row - 1, column)).center();
    }
    QColor mark(int row) const { return m_grid->item(row - 1, 0)->background().color(); }
    void click(int row, int column)
    {
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, centre(row, column));
    }
    // QTest's double click lacks the press a real one starts with.
    void open(int row, int column, bool doubleClick)
    {
        m_grid->setCurrentCell(row - 1, column);
        if (!doubleClick)
            return QTest::keyClick(m_grid, Qt::Key_Return);
        click(row, column);
        QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, centre(row, column));
    }

    // Opens `bytes`, written to file `name`, into channel `ch` from the File menu.
    QString openFile(int ch, const QString &name, const QByteArray &bytes)
    {
        const QString path = writeFile(m_dir.filePath(name), bytes);
        chooseChannel(this, ch);
        m_prompter->answerFile(path);
        m_main->MenuFileItem[0]->trigger();
        return path;
    }
    // Writes the journal a run into `ch` leaves when the process dies after `samples`.
    QString leaveJournal(int ch, const Samples &samples, const QByteArray &tornTail = {})
    {
        ClassData header;
        header.ChNo = qint16(ch);
        header.Emissivity = 0.95f;
        header.Title = QStringLiteral("Kiln, zone 2");
        header.StartDateTime = samples.isEmpty() ? start : samples.first().first;
        QString path;
        {
            RunJournal journal(RunJournal::defaultFolder());
            if (!journal.open(header))
                return {};
            for (const auto &[time, value] : samples)
                journal.append(time, value);
            path = journal.path();
        } // gone without finish(), as in a crash
        if (!tornTail.isEmpty()) {
            QFile file(path);
            file.open(QIODevice::Append);
            file.write(tornTail);
        }
        return path;
    }

private Q_SLOTS:
    void init()
    {
        MeasSetting = MeasSettingRecord();
        Settings = SettingsRecord();
        m_pump = std::make_unique<FakePump>(clockStart);
        // No run journal or recovered run from an earlier test.
        QDir(QFileInfo(RunJournal::defaultFolder()).path()).removeRecursively();
        openMain();
        m_grid = m_main->MSFlexGridCH;
    }

    void cleanup()
    {
        closeMain();
        m_pump.reset();
    }

    void openedChannelSavesAsTheSameBytes()
    {
        const QString source = openFile(2, QStringLiteral("furnace.csv"), celsiusFile);

        QCOMPARE(m_main->markedRow(), 3);
        QCOMPARE(channelData[2]->Changed, qint16(2));
        QCOMPARE(m_grid->item(2, 1)->text(), QStringLiteral("Furnace"));
        QCOMPARE(m_grid->item(2, 4)->text(), QStringLiteral("3"));
        QVERIFY(!m_main->MenuFileItem[2]->isEnabled());
        QVERIFY(m_main->MenuFileItem[3]->isEnabled());

        const QString copy = m_dir.filePath(QStringLiteral("copy.csv"));
        chooseChannel(this, 2);
        m_prompter->answerFile(copy);
        m_main->selectRow(1);
        m_main->MenuFileItem[3]->trigger();
        QCOMPARE(m_main->markedRow(), 3);
        QCOMPARE(m_prompter->proposedPaths(), QStringList{source});
        QCOMPARE(readFile(copy), celsiusFile);
        QCOMPARE(channelData[2]->FileName, copy);
        QVERIFY(m_prompter->texts().isEmpty());

        // Save writes over the channel's own file without asking for a name.
        channelData[2]->Title = QStringLiteral("Kiln");
        m_main->setSaveState(2, 1);
        chooseChannel(this, 2);
        m_main->MenuFileItem[2]->trigger();
        QCOMPARE(m_prompter->proposedPaths().size(), 1);
        QVERIFY(readFile(copy).startsWith("Title,Kiln\r\n"));
        QCOMPARE(channelData[2]->Changed, qint16(2));
    }

    void failedLoadKeepsTheChannel_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected"); // empty: the question is cancelled
        QByteArray fahrenheit = celsiusFile;
        fahrenheit.replace("°C", "\260F"); // in Latin-1, as the Windows edition writes it
        QTest::newRow("degrees F into a degrees C list")
            << fahrenheit << "Unit is different.\nThe measurement or loading is not possible.";
        QTest::newRow("Stop pressed in endless blank lines")
            << "Title,B\r\n" + QByteArray("\r\n").repeated(8000000) << "Stopped.";
        QTest::newRow("overwrite cancelled") << celsiusFile << QString();
    }

    void failedLoadKeepsTheChannel()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        m_pump.reset(); // Stop is pressed on the real clock
        openFile(1, QStringLiteral("furnace.csv"), celsiusFile);
        const ClassData *before = channelData[1].get();
        m_main->MenuDataItem[1]->trigger();

        // The progress dialog's Stop button, pressed as soon as the dialog shows.
        QTimer stopper;
        connect(&stopper, &QTimer::timeout, this, [&stopper] {
            FormFileWait *wait = FormFileWait::current();
            if (wait && wait->isVisible()) {
                wait->Command1->click();
                stopper.stop();
            }
        });
        if (expected == "Stopped.")
            stopper.start(5);
        m_prompter->answer(expected.isEmpty() ? Prompter::AnswerCancel : Prompter::AnswerOk);
        openFile(1, QStringLiteral("bad.csv"), content);

        QCOMPARE(m_prompter->texts().size(), expected.isEmpty() ? 1 : 2);
        QCOMPARE(m_prompter->texts().first(),
                 QStringLiteral("CH 2:Furnace\rMeasurement data is existing in this CH.\r"
                                "These data will be lost. OK?"));
        if (!expected.isEmpty()) {
            QCOMPARE(m_prompter->texts().last(), expected);
            QVERIFY(!stopRequested);
        }
        QCOMPARE(channelData[1].get(), before);
        QCOMPARE(channelData[1]->DataNo, qint16(3));
        QCOMPARE(m_grid->item(1, 1)->text(), QStringLiteral("Furnace"));
        QCOMPARE(m_main->table(1)->windowTitle(), QStringLiteral("CH 2:Furnace"));
        QVERIFY(m_main->isEnabled());
    }

    void placementKeepsWindowsOnScreenAndClearOfTheMainWindow_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QSize>("size");
        QTest::newRow("small screen")
            << QRect(0, 0, 640, 480) << QRect(0, 0, 400, 300) << QSize(300, 200);
        QTest::newRow("small screen, no room beside")
            << QRect(0, 0, 800, 600) << QRect(0, 0, 700, 520) << QSize(330, 280);
        QTest::newRow("full HD") << QRect(0, 0, 1920, 1040) << QRect(0, 0, 800, 600)
                                 << QSize(500, 400);
        QTest::newRow("4K, main window centred")
            << QRect(0, 0, 3840, 2160) << QRect(1500, 800, 800, 600) << QSize(640, 480);
        QTest::newRow("second screen, room below only")
            << QRect(1920, 0, 1280, 1024) << QRect(1920, 0, 900, 700) << QSize(400, 300);
        QTest::newRow("main window fills the screen")
            << QRect(0, 24, 1024, 744) << QRect(0, 24, 1024, 744) << QSize(400, 300);
        QTest::newRow("window larger than the screen")
            << QRect(0, 0, 800, 600) << QRect(0, 0, 300, 200) << QSize(1000, 700);
        QTest::newRow("main window on another screen")
            << QRect(0, 0, 1280, 800) << QRect(2000, 0, 600, 400) << QSize(600, 500);
    }

    void placementKeepsWindowsOnScreenAndClearOfTheMainWindow()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, main);
        QFETCH(QSize, size);
        const QSize fit = size.boundedTo(screen.size());
        const bool room = roomBeside(screen, main, fit);

        // Ten windows of one kind, each placed while the ones before it are open.
        QList<QPoint> taken;
        for (int k = 0; k < 10; ++k) {
            const QRect placed = placeFrame(screen, main, size, taken);
            QVERIFY2(screen.contains(placed), qPrintable(QString::number(k)));
            QCOMPARE(placed.size(), fit);
            QVERIFY(!room || !placed.intersects(main));
            // A window as large as the screen has one place only.
            QVERIFY(fit == screen.size() || !taken.contains(placed.topLeft()));
            taken.append(placed.topLeft());
        }

        // A place the user chose is kept where it suits, and left where it does not.
        const QRect first = placeFrame(screen, main, size);
        if (room) {
            QCOMPARE(placeFrame(screen, main, size, {}, first.topLeft()), first);
            const QPoint last = taken.last();
            QCOMPARE(placeFrame(screen, main, size, {}, last).topLeft(), last);
        }
        QCOMPARE(placeFrame(screen, main, size, {}, main.topLeft()), first);
        QCOMPARE(placeFrame(screen, main, size, {}, screen.bottomRight()), first);
    }

    void newWindowsOpenOnScreenAndClearOfTheMainWindow()
    {
        const QRect screen = m_main->screen()->availableGeometry();
        m_main->resize(m_main->minimumSizeHint());
        m_main->move(screen.topLeft());
        const QRect main = m_main->frameGeometry();
        m_main->MenuDataItem[0]->trigger();
        m_main->MenuDataItem[1]->trigger();
        m_main->showGraph();
        for (QWidget *window : QWidgetList{m_main->monitorWindow(), m_main->table(0),
                                           m_main->table(1), m_main->graph()}) {
            window->show();
            const QRect frame = window->frameGeometry();
            QVERIFY2(screen.contains(frame), qPrintable(window->objectName()));
            if (roomBeside(screen, main, frame.size()))
                QVERIFY2(!frame.intersects(main), qPrintable(window->objectName()));
        }
        // The second table is placed clear of the first.
        QVERIFY(m_main->table(1)->pos() != m_main->table(0)->pos());
    }

    void fileDialogsStartInTheFolderUsedLast()
    {
        QtPrompter dialogs;
        Prompter::setInstance(&dialogs);
        const auto openThrough = [this](const QString &path) {
            QString shownFolder;
            onModal<QFileDialog>(this, [&shownFolder, path](QFileDialog *dialog) {
                shownFolder = dialog->directory().absolutePath();
                dialog->selectFile(path);
                QMetaObject::invokeMethod(dialog, &QDialog::accept);
            });
            chooseChannel(this, 0);
            m_main->MenuFileItem[0]->trigger();
            return shownFolder;
        };

        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("runs")));
        const QString folder = m_dir.filePath(QStringLiteral("runs"));
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QCOMPARE(openThrough(writeFile(folder + QStringLiteral("/a.csv"), celsiusFile)),
                 QDir(QFileInfo(documents).isDir() ? documents : QDir::homePath()).absolutePath());

        // Remembered across starts.
        QVERIFY(m_main->close());
        closeMain();
        Settings.LastFolder.clear();
        openMain();
        Prompter::setInstance(&dialogs);
        const QString second = writeFile(m_dir.filePath(QStringLiteral("b.csv")), celsiusFile);
        QCOMPARE(openThrough(second), folder);
        QCOMPARE(channelData[0]->FileName, second);
        Prompter::setInstance(m_prompter.get());
    }

    void closingAsksAboutUnsavedChannels()
    {
        fill(4);
        m_main->setSaveState(4, 1);
        QVERIFY(m_main->MenuFileItem[2]->isEnabled());

        m_prompter->answer(Prompter::AnswerCancel);
        QVERIFY(!m_main->close());
        QCOMPARE(m_prompter->lastText(),
                 QStringLiteral("CH 5:Kiln\rContents of file were changed. Save?"));

        m_prompter->answer(Prompter::AnswerNo);
        QVERIFY(m_main->close());
    }

    void dataMenuOpensTheTableAndDisablesItsEntry()
    {
        channelData[3] =
            makeSeries(300, toDayCount(clockStart), 1, [](int i) { return 20.0f + i * 0.1f; });
        channelData[3]->ChNo = 3;
        m_main->MenuDataItem[3]->trigger();
        FormTable *table = m_main->table(3);
        QVERIFY(table && table->isVisible());
        QVERIFY(!m_main->MenuDataItem[3]->isEnabled());
        QVERIFY(table->windowTitle().startsWith(QStringLiteral("CH 4:")));

        table->refreshTableData();
        QTableWidget *grid = table->MSFlexGrid1;
        int last = grid->rowCount() - 1;
        while (last > 0 && (!grid->item(last, 0) || grid->item(last, 0)->text().isEmpty()))
            --last;
        QCOMPARE(grid->item(last, 0)->text(), QStringLiteral("300"));
        QCOMPARE(grid->item(last, 3)->text(), QStringLiteral("49.9"));

        table->close();
        QVERIFY(m_main->MenuDataItem[3]->isEnabled());
    }

    void editEnds_data()
    {
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("rowAfter");
        QTest::addColumn<bool>("stored");
        QTest::newRow("title, Down") << false << 1 << "Down" << 4 << true;
        QTest::newRow("person, Up") << false << 8 << "Up" << 2 << true;
        QTest::newRow("double click, Enter") << true << 1 << "Enter" << 4 << true;
        QTest::newRow("Escape discards") << false << 1 << "Escape" << 3 << false;
        QTest::newRow("window click") << false << 8 << "click" << 3 << true;
        QTest::newRow("menu opens") << true << 1 << "menu" << 3 << true;
        QTest::newRow("grid scrolls") << false << 1 << "scroll" << 3 << true;
    }
    void editEnds()
    {
        QFETCH(bool, doubleClick);
        QFETCH(int, column);
        QFETCH(QString, how);
        QFETCH(int, rowAfter);
        QFETCH(bool, stored);
        fill(2);
        m_main->resize(300, m_main->height());
        QTRY_VERIFY(m_grid->horizontalScrollBar()->maximum() > 0);
        open(3, column, doubleClick);
        QCOMPARE(m_main->Text1->geometry(), m_grid->visualItemRect(m_grid->item(2, column)));
        QVERIFY(m_main->Text1->isVisible());
        QTest::keyClicks(m_main->Text1, QStringLiteral(" 2"));

        if (how == "click")
            QTest::mouseClick(m_main->LabelCH, Qt::LeftButton);
        else if (how == "menu")
            m_main->MenuTop[1]->popup(m_main->pos());
        else if (how == "scroll")
            m_grid->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        else
            QTest::keyClick(m_main->Text1, QKeySequence(how)[0].key());
        m_main->MenuTop[1]->hide();

        const ClassData &data = *channelData[2];
        const QString text = (column == 1 ? "Kiln" : "Ann") + QString(stored ? " 2" : "");
        QVERIFY(m_main->Text1->isHidden());
        QCOMPARE(column == 1 ? data.Title : data.MeasPerson, text);
        QCOMPARE(m_grid->item(2, column)->text(), text);
        QCOMPARE(data.Changed, qint16(stored ? 1 : 0));
        QCOMPARE(m_main->MenuFileItem[2]->isEnabled(), stored);
        QCOMPARE(m_main->markedRow(), rowAfter);
    }

    void editingIsRefused_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("empty channel, title") << 5 << 1;
        QTest::newRow("empty channel, person") << 5 << 8;
        QTest::newRow("channel number") << 4 << 0;
        QTest::newRow("start time") << 4 << 2;
        QTest::newRow("average") << 4 << 7;
    }
    void editingIsRefused()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        fill(3);
        open(row, column, false);
        open(row, column, true);
        QVERIFY(m_main->Text1->isHidden());
    }

    void arrowKeysMoveTheMarking_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("running");
        QTest::addColumn<int>("rowAfter");
        QTest::newRow("up from CH1") << 1 << int(Qt::Key_Up) << "" << 1;
        QTest::newRow("down from CH8") << 8 << int(Qt::Key_Down) << "" << 8;
        QTest::newRow("up from CH5") << 5 << int(Qt::Key_Up) << "" << 4;
        QTest::newRow("measuring") << 5 << int(Qt::Key_Down) << "measuring" << 6;
        QTest::newRow("choosing a channel") << 5 << int(Qt::Key_Up) << "selectingCH" << 4;
    }
    void arrowKeysMoveTheMarking()
    {
        QFETCH(int, row);
        QFETCH(int, key);
        QFETCH(QString, running);
        QFETCH(int, rowAfter);
        m_main->selectRow(row);
        m_main->engine().measuring = running == "measuring";
        m_main->selectingCH = running == "selectingCH";
        QTest::keyClick(m_grid, Qt::Key(key));
        QCOMPARE(m_main->markedRow(), rowAfter);
        QCOMPARE(mark(rowAfter), m_main->palette().color(QPalette::Dark));
        if (rowAfter != row)
            QCOMPARE(mark(row), m_main->palette().color(QPalette::Button));
        QCOMPARE(m_main->curCH, qint16((running.isEmpty() ? rowAfter : row) - 1));
        m_main->engine().measuring = m_main->selectingCH = false;
    }

    void clickedRowIsMarkedAndNamesTheUnit()
    {
        fill(1, 1);
        fill(2, 0);
        const auto headers = [this] {
            return QStringList{m_grid->horizontalHeaderItem(5)->text(),
                               m_grid->horizontalHeaderItem(7)->text()};
        };
        QCOMPARE(mark(1), m_main->palette().color(QPalette::Dark));
        click(2, 4);
        QCOMPARE(headers(), QStringList({"Max[°F]", "Ave[°F]"}));
        click(3, 4);
        QCOMPARE(headers(), QStringList({"Max[°C]", "Ave[°C]"}));
        QCOMPARE(m_main->curCH, qint16(2));
        QCOMPARE(mark(3), m_main->palette().color(QPalette::Dark));
        QCOMPARE(mark(1), m_main->palette().color(QPalette::Button));
        // A selection highlight would hide the marking.
        click(5, 0);
        QCOMPARE(m_main->markedRow(), 5);
        QVERIFY(m_grid->selectedItems().isEmpty());
    }

    void instrumentCommandsShowInTheSettingsFrame()
    {
        m_sim->setSettings({1, 0, 0.85f, 0, 300}); // whole degrees, C, emissivity, scale
        QCOMPARE(m_main->Frame1->title(), QStringLiteral("Settings - Unknown"));
        m_main->MenuSetItem[5]->trigger(); // Confirm Connection
        QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Connection is right")});

        m_main->Command1[2]->click(); // Receive
        QCOMPARE(m_main->Frame1->title(), QStringLiteral("Settings "));
        QCOMPARE(m_main->Label1[3]->text(), QStringLiteral("1°C"));
        QCOMPARE(MeasSetting.Precision, qint16(1));

        MeasSetting.EmissivityStr = QStringLiteral("Glass:0.94");
        MeasSetting.EmissivityValue = 0.94f;
        m_main->instrument().setSettingsState(2);
        m_main->dispMeasSetting();
        QCOMPARE(m_main->Frame1->title(), QStringLiteral("Settings - Changed"));
        m_main->Command1[3]->click(); // Send
        QCOMPARE(m_prompter->texts().size(), 1);
        QCOMPARE(m_main->Frame1->title(), QStringLiteral("Settings "));
        QCOMPARE(m_main->Label1[4]->text(), QStringLiteral("Glass:0.94"));
        QCOMPARE(m_sim->backedUp().emissivity, 0.94f);
        QCOMPARE(m_sim->backedUp().precision, 1);
        QVERIFY(m_main->isEnabled());
    }

    void runFillsTheChannelRow_data()
    {
        QTest::addColumn<RunPlan>("plan");
        QTest::addColumn<int>("samples");
        // What the timer wait dialog shows half a minute in; empty: no wait.
        QTest::addColumn<QString>("clock");

        QTest::newRow("Times 5 at 2 s") << RunPlan{"2", "5", 1} << 5 << QString();
        RunPlan later;
        later.timerStart = qMakePair(1, 0);
        later.timerDuration = qMakePair(QStringLiteral("3"), 1);
        QTest::newRow("timer start a minute ahead")
            << later << 3 << QStringLiteral("Present time : 26/03/01 10:00:30");
    }

    void runFillsTheChannelRow()
    {
        QFETCH(RunPlan, plan);
        QFETCH(int, samples);
        QFETCH(QString, clock);
        QString shown;
        if (!clock.isEmpty())
            m_pump->schedule(30500, [&shown] { shown = FormDialog::instance().Label2->text(); });
        m_pump->setStep(50);
        runMeasurement(2, plan);

        QCOMPARE(shown, clock);
        const ClassData &data = *channelData[2];
        QCOMPARE(int(data.DataNo), samples);
        if (plan.timerStart)
            QCOMPARE(data.StartDateTime, toDayCount(clockStart.addSecs(60)));
        QCOMPARE(m_main->curCH, qint16(2));
        QCOMPARE(m_grid->item(2, 4)->text(), QString::number(samples));
        QVERIFY(m_main->table(2) && m_main->table(2)->isVisible());
        QVERIFY(m_main->MenuFileItem[2]->isEnabled());
    }

    void stopDuringTimerWaitKeepsTheOldData()
    {
        fill(0);
        channelData[0]->Changed = 2;
        const ClassData *oldData = channelData[0].get();

        RunPlan plan;
        plan.timerStart = qMakePair(5, 0);
        plan.timerDuration = qMakePair(QStringLiteral("1"), 0);
        bool closed = true;
        m_pump->schedule(10000, [this, &closed] { closed = m_main->close(); });
        m_pump->schedule(20000, [] { FormDialog::instance().Command1->click(); });
        m_prompter->answer(Prompter::AnswerOk); // "These data will be lost. OK?"
        runMeasurement(0, plan);

        QCOMPARE(channelData[0].get(), oldData);
        QCOMPARE(oldData->DataNo, qint16(1));
        QCOMPARE(oldData->Changed, qint16(2));
        QCOMPARE(m_prompter->texts().first(),
                 QStringLiteral("CH 1:Kiln\rMeasurement data is existing in this CH.\r"
                                "These data will be lost. OK?"));
        QCOMPARE(m_prompter->texts().last(), QStringLiteral("Cannot stop during measurement."));
        QVERIFY(!closed);
        QVERIFY(!FormDialog::instance().isVisible());
        QVERIFY(m_main->isEnabled());
    }

    void otherUnitThanTheListStartsNothing()
    {
        m_main->listUnit = 0;
        m_sim->setSettings({0, 1}); // degrees F
        runMeasurement(0, RunPlan());
        QCOMPARE(m_prompter->texts().mid(1),
                 QStringList{"Unit is different.\nThe measurement or loading is not possible."});
        QVERIFY(!channelData[0]);
        QVERIFY(!m_main->monitorWindow()->isVisible());
        QVERIFY(!m_sim->awake());
    }

    void monitorShowsReadingsAndRefusesClosing()
    {
        m_sim->setSignal([](qint64) { return 31.25; });
        QString shown;
        bool closed = true;
        m_pump->schedule(8000, [this, &shown, &closed] {
            shown = m_main->monitorWindow()->TextTemp->text();
            QVERIFY(!m_main->Command1[0]->isEnabled());
            QVERIFY(!m_main->MenuTop[0]->menuAction()->isEnabled());
            closed = m_main->close();
        });
        m_pump->schedule(10000, [this] { m_main->monitorWindow()->Command1->click(); });
        m_prompter->answer(Prompter::AnswerOk);
        m_main->Command1[0]->click();

        QCOMPARE(shown, QStringLiteral("31.3°C"));
        QVERIFY(!closed);
        QCOMPARE(m_prompter->texts(),
                 QStringList({QStringLiteral("Now, start monitor.\rConnection OK?"),
                              QStringLiteral("Cannot stop during measurement.")}));
        QVERIFY(m_main->isVisible());
        QVERIFY(m_main->Command1[0]->isEnabled());
    }

    void graphFollowsTheRunToItsNewestSample()
    {
        m_main->MenuGraphItem[0]->trigger();
        FormGraph *graph = m_main->graph();
        QVERIFY(graph && graph->isVisible());
        graph->MenuGraphTimeItem[0]->trigger(); // 1Sec: the plot shows a few seconds only
        runMeasurement(0, RunPlan{"1", "30", 2});

        const ClassData &data = *channelData[0];
        GraphPlot &plot = graph->plot();
        const int newest = data.getDataX(data.StopNo);
        QCOMPARE(newest, 30);
        const int x = plot.fTimeAxis(newest);
        QVERIFY2(x <= plot.plotWidth() - 1 && x > plot.plotWidth() - 61,
                 qPrintable(QString::number(x)));
        QCOMPARE(plot.image().pixel(x, plot.fYAxis(data.getDataY(data.StopNo))), qRgb(0, 0, 0));
        const QImage followed = plot.image();
        plot.refreshPlot();
        QCOMPARE(followed, plot.image());
        // Cursor A stands on the first sample, which arrived after the run began.
        QCOMPARE(graph->CurDataTable->item(0, 3)->text(), valueText(data.getDataY(0), 0));

        // The close box only hides the window; the next Graph command shows the same one.
        graph->close();
        QVERIFY(!graph->isVisible());
        m_main->MenuGraphItem[0]->trigger();
        QCOMPARE(m_main->graph(), graph);
        QVERIFY(graph->isVisible());
    }

    void leftJournalIsOfferedBack_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("channelTaken");
        QTest::addColumn<int>("expectedCh");

        QTest::newRow("accepted into its channel") << true << false << 2;
        QTest::newRow("accepted, its channel taken: first empty one") << true << true << 0;
        QTest::newRow("declined: kept as a data file") << false << false << -1;
    }

    void leftJournalIsOfferedBack()
    {
        QFETCH(bool, accept);
        QFETCH(bool, channelTaken);
        QFETCH(int, expectedCh);

        // Codes and odd values must come back exactly, not rounded to the resolution.
        const Samples samples = {{start, 21.37f},
                                 {start + 2 * second, 999997.0f},
                                 {start + 3 * second, -999999.0f},
                                 {start + 9 * second, 1234.5678f}};
        // A damaged line is skipped; a crash while writing leaves the last line cut short.
        const QString path = leaveJournal(2, samples, "46000.5001,nan\n46000.50010416,23");
        QVERIFY(!path.isEmpty());
        closeMain();
        if (channelTaken) {
            channelData[2] = std::make_unique<ClassData>();
            channelData[2]->setRealTimeData(start, 1.0f);
        }

        m_prompter = std::make_unique<ScriptedPrompter>();
        m_prompter->answer(accept ? Prompter::AnswerYes : Prompter::AnswerNo);
        openMain();
        QCOMPARE(m_prompter->unexpected(), 0);
        QVERIFY(m_prompter->texts().first().contains(QStringLiteral("CH 3:Kiln, zone 2")));
        QVERIFY(m_prompter->texts().first().contains(RunJournal::recoveryFolder()));

        // Accepted or not, the journal ends as a channel data file in the recovery folder.
        QVERIFY(!QFileInfo::exists(path));
        const QStringList kept = recovered(QStringLiteral("CH3 *.csv"));
        QCOMPARE(kept.size(), 1);
        ClassData fromFile;
        QVERIFY(fromFile.loadFileData(RunJournal::recoveryFolder() + u'/' + kept.first()));
        QCOMPARE(int(fromFile.DataNo), samples.size());

        const auto holding = std::count_if(std::begin(channelData), std::end(channelData),
                                           [](const auto &data) { return bool(data); });
        QCOMPARE(int(holding), int(expectedCh >= 0) + int(channelTaken));
        if (expectedCh < 0)
            return;
        const ClassData &run = *channelData[expectedCh];
        QCOMPARE(int(run.ChNo), expectedCh);
        QCOMPARE(run.Changed, qint16(1));
        QVERIFY(run.Untitled);
        QCOMPARE(run.Title, QStringLiteral("Kiln, zone 2"));
        QCOMPARE(run.Emissivity, 0.95f);
        QCOMPARE(int(run.DataNo), samples.size());
        for (int i = 0; i < samples.size(); ++i) {
            QCOMPARE(run.getDataDate0(i), samples[i].first);
            QCOMPARE(run.getDataY(i), samples[i].second);
        }
        QCOMPARE(run.getDataX(3), 9.0);
        QVERIFY(m_main->MenuFileItem[2]->isEnabled());
    }

    void runGoingOnOrWithoutSamplesAsksNothing()
    {
        // Another process's run holds its journal open and locked.
        ClassData header;
        header.StartDateTime = start;
        RunJournal live(RunJournal::defaultFolder());
        QVERIFY(live.open(header));
        live.append(start, 20.0f);
        // A run that died in its timer-start wait, before its first sample.
        const QString empty = leaveJournal(4, {});

        closeMain();
        openMain();
        QVERIFY(m_prompter->shown().isEmpty());
        QVERIFY(QFileInfo::exists(live.path()));
        QVERIFY(!QFileInfo::exists(empty));
        QVERIFY(recovered(QStringLiteral("*")).isEmpty());
        live.finish();
        QVERIFY(!QFileInfo::exists(live.path()));
    }
};

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
