#include "AppState.h"
#include "DateTime.h"
#include "FakePump.h"
#include "FormFileWait.h"
#include "FormReadMem.h"
#include "Format.h"
#include "MemBlocks.h"
#include "ScriptedPrompter.h"
#include "Settings.h"

#include <QTableWidget>
#include <QtTest>

#include <vector>

namespace
{
// A block as a download leaves it: samples `stepSeconds` apart from 26/03/01 10:00:30.
void putBlock(int block, const QString &title, const std::vector<float> &values,
              int stepSeconds = 60)
{
    auto data = std::make_unique<ClassData>();
    data->Title = title;
    const double start = toDayCount(QDate(2026, 3, 1), QTime(10, 0, 30));
    for (std::size_t i = 0; i < values.size(); ++i)
        data->storeSample(int(i), start + double(i) * stepSeconds / secondsPerDay, values[i],
                          qint32(i * stepSeconds));
    data->DataNo = qint16(values.size());
    data->setTimeData();
    memBlocks[block] = std::move(data);
}

QByteArray readAllOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray section(int number, const QByteArray &title, const QByteArray &samples)
{
    return "No. " + QByteArray::number(number) + "\r\nTitle," + title +
           "\r\nUnit,\302\260C\r\nMeas. Person,\r\nDate,Time,Data[\302\260C]\r\n" + samples +
           "\r\n";
}

// Everything of a block a file keeps; sample times to the minute, as this mode shows them.
QString describe(const ClassData &d)
{
    QStringList parts{d.Title,
                      unitText(d.Unit),
                      QString::number(d.Resolution),
                      d.getCompHighStr(),
                      d.getCompLowStr(),
                      QString::number(d.CompOut),
                      valueText(d.AveValue, d.Resolution)};
    for (int i = 0; i < d.DataNo; ++i)
        parts << d.getDataDateTime(i) + u' ' + valueText(d.getDataY(i), d.Resolution) + u' ' +
                     d.getDataStatusStr(i);
    return parts.join(u'|');
}

QList<int> presentBlocks()
{
    QList<int> blocks;
    for (int b = 0; b < 64; ++b) {
        if (memBlocks[b])
            blocks << b;
    }
    return blocks;
}
} // namespace

// The memory data file of the Read Memory Data window: saving, loading and the question on
// unsaved changes.
class TestMemFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        programMode = 1;
        m_dir = std::make_unique<QTemporaryDir>();
        settingsFileOverride = m_dir->filePath(QStringLiteral("settings/OrvanUtility.ini"));
        MeasSetting = MeasSettingRecord();
        m_pump = std::make_unique<FakePump>();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_window = new FormReadMem;
        m_window->show();
    }

    void cleanup()
    {
        delete m_window;
        for (auto &block : memBlocks)
            block.reset();
        m_prompter.reset();
        m_pump.reset();
        m_dir.reset();
        programMode = 0;
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
        QFETCH(QStringList, messages);
        QFETCH(bool, adopted);
        QFETCH(int, state);

        putBlock(0, QStringLiteral("old"), {1, 2});
        m_window->dispMemList();
        m_window->setSaveMenu(2);
        const QString file = path(QStringLiteral("listing.csv"));
        writeFile(file, content);

        m_prompter->answer(Prompter::AnswerOk);
        m_prompter->answerFile(file);
        m_window->loadMemData();

        QCOMPARE(m_prompter->texts().mid(1), messages);
        QCOMPARE(presentBlocks(), blocks);
        QCOMPARE(m_window->MSFlexGrid1->rowCount(), blocks.size());
        QCOMPARE(m_window->curBlock, blocks.first());
        QCOMPARE(memBlocks[blocks.first()]->DataNo, qint16(2));
        QCOMPARE(m_window->memFileName == file, adopted);
        QCOMPARE(m_window->memUntitled, !adopted);
        QCOMPARE(m_window->saveState(), state);
    }

    void savedListingLoadsBackBlockForBlock()
    {
        putBlock(0, QStringLiteral("first, with a comma"), {20.5f, 21.5f, overRangeCode, 19.0f});
        putBlock(4, QStringLiteral("fifth"), {100.0f, 90.1f}, 3600);
        // Whole degrees: the file has no resolution line, the values tell.
        putBlock(63, QStringLiteral("last"), {-5.0f, 28.0f, 27.0f, 28.0f});
        memBlocks[63]->Resolution = 1;
        memBlocks[0]->CompHigh = 21.0f;
        memBlocks[0]->CompLow = 19.5f;
        memBlocks[4]->Unit = 1;
        memBlocks[4]->CompHigh = 95.0f;
        QStringList before;
        for (int b : presentBlocks()) {
            memBlocks[b]->compjob();
            before << describe(*memBlocks[b]);
        }
        m_window->dispMemList();
        m_window->setSaveMenu(1);

        const QString file = path(QStringLiteral("all.csv"));
        m_prompter->answerFile(file);
        QVERIFY(m_window->saveMemData());
        QCOMPARE(m_window->saveState(), 2);
        QCOMPARE(m_window->memFileName, file);
        const QByteArray bytes = readAllOf(file);
        QVERIFY(bytes.startsWith("No. 1\r\nTitle,first, with a comma\r\n"));

        m_prompter->answer(Prompter::AnswerOk);
        m_prompter->answerFile(file);
        m_window->loadMemData();
        QCOMPARE(m_prompter->texts(),
                 QStringList{"There is memory data.\rThese data will be lost. OK?"});
        QCOMPARE(presentBlocks(), (QList<int>{0, 4, 63}));
        QStringList after;
        for (int b : presentBlocks())
            after << describe(*memBlocks[b]);
        QCOMPARE(after, before);

        // A save of the loaded listing writes the same file again.
        QVERIFY(m_window->oversaveMemData());
        QCOMPARE(readAllOf(file), bytes);
    }

    void emptyListingSavesAnEmptyFile()
    {
        const QString file = path(QStringLiteral("empty.csv"));
        writeFile(file, "older content\r\n");
        QVERIFY(m_window->saveMemFile(file));
        QCOMPARE(readAllOf(file), QByteArray());
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

        putBlock(1, QStringLiteral("small"), {1, 2});
        const QString kept = path(QStringLiteral("kept.csv"));
        QVERIFY(m_window->saveMemFile(kept));
        const QByteArray previous = readAllOf(kept);
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));

        putBlock(2, QStringLiteral("long"), std::vector<float>(1000, 20.0f));
        if (stop)
            m_pump->schedule(1, [] { FormFileWait::current()->Command1_Click(); });
        QVERIFY(!m_window->saveMemFile(path(target)));

        QCOMPARE(m_prompter->texts(), QStringList{message});
        QCOMPARE(readAllOf(kept), previous);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("kept.csv")});
        QCOMPARE(m_window->memFileName, kept);
    }

    void confirmMemSaveFollowsTheSave_data()
    {
        // The file chosen in the save dialog; empty cancels it.
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("result");
        QTest::newRow("nothing changed asks nothing") << 2 << QString() << int(Prompter::AnswerYes);
        QTest::newRow("yes and saved") << 1 << "saved.csv" << int(Prompter::AnswerYes);
        QTest::newRow("yes but the dialog cancelled")
            << 1 << QString() << int(Prompter::AnswerCancel);
    }

    void confirmMemSaveFollowsTheSave()
    {
        QFETCH(int, state);
        QFETCH(QString, chosen);
        QFETCH(int, result);

        putBlock(0, QStringLiteral("one"), {1, 2});
        m_window->dispMemList();
        m_window->setSaveMenu(state);
        if (state == 1) {
            m_prompter->answer(Prompter::AnswerYes);
            m_prompter->answerFile(chosen.isEmpty() ? QString() : path(chosen));
        }
        QCOMPARE(m_window->confirmMemSave(), result);
        QCOMPARE(m_prompter->pendingAnswers(), 0);
        QCOMPARE(m_prompter->texts().size(), state == 1 ? 1 : 0);
        QCOMPARE(QFile::exists(path(QStringLiteral("saved.csv"))), !chosen.isEmpty());
        QCOMPARE(m_window->saveState(), chosen.isEmpty() ? state : 2);
    }

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePump> m_pump;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    QPointer<FormReadMem> m_window;
};

QTEST_MAIN(TestMemFile)
#include "tst_memfile.moc"
