#include "FormTable.h"
#include "MainWindowFixture.h"
#include "Modal.h"
#include "TestFiles.h"

#include <QAction>
#include <QTableWidget>
#include <QtTest>

namespace
{
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
} // namespace

class TestFormMainFile : public MainWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { openMain(); }
    void cleanup() { closeMain(); }
    void openedChannelSavesAsTheSameBytes();
    void fahrenheitFileIntoCelsiusListEmptiesTheChannel();
    void cancellingTheOverwriteQuestionKeepsTheChannel();
    void closingAsksAboutUnsavedChannels();
    void dataMenuOpensTheTableAndDisablesItsEntry();

private:
    // Opens `bytes`, written to file `name`, into channel `ch` from the File menu.
    QString openFile(int ch, const QString &name, const QByteArray &bytes)
    {
        const QString path = writeFile(m_dir.filePath(name), bytes);
        chooseChannel(this, ch);
        m_prompter->answerFile(path);
        m_main->MenuFileItem[0]->trigger();
        return path;
    }
};

void TestFormMainFile::openedChannelSavesAsTheSameBytes()
{
    const QString source = openFile(2, QStringLiteral("furnace.csv"), celsiusFile);

    QVERIFY(checkMeasDataExist(2));
    QCOMPARE(m_main->curCH, qint16(2));
    QCOMPARE(channelData[2]->Changed, qint16(2));
    QCOMPARE(m_main->MSFlexGridCH->item(2, 1)->text(), QStringLiteral("Furnace"));
    QCOMPARE(m_main->MSFlexGridCH->item(2, 4)->text(), QStringLiteral("3"));
    QCOMPARE(m_main->MSFlexGridCH->horizontalHeaderItem(5)->text(), QStringLiteral("Max[°C]"));
    QVERIFY(!m_main->MenuFileItem[2]->isEnabled());
    QVERIFY(m_main->MenuFileItem[3]->isEnabled());

    const QString copy = m_dir.filePath(QStringLiteral("copy.csv"));
    chooseChannel(this, 2);
    m_prompter->answerFile(copy);
    m_main->MenuFileItem[3]->trigger();
    QCOMPARE(m_prompter->proposedPaths(), QStringList{source});
    QFile saved(copy);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), celsiusFile);
    QCOMPARE(channelData[2]->FileName, copy);
    QVERIFY(m_prompter->texts().isEmpty());
}

void TestFormMainFile::fahrenheitFileIntoCelsiusListEmptiesTheChannel()
{
    QByteArray fahrenheit = celsiusFile;
    fahrenheit.replace("°C", "\260F"); // in Latin-1, as the Windows edition writes it
    openFile(0, QStringLiteral("c.csv"), celsiusFile);
    QVERIFY(checkMeasDataExist(0));
    openFile(1, QStringLiteral("f.csv"), fahrenheit);
    QCOMPARE(m_prompter->texts(),
             QStringList{QStringLiteral("Unit is different.\nThe measurement or loading is not "
                                        "possible.")});
    QVERIFY(!checkMeasDataExist(1));
    QCOMPARE(m_main->MSFlexGridCH->item(1, 1)->text(), QString());
}

void TestFormMainFile::cancellingTheOverwriteQuestionKeepsTheChannel()
{
    openFile(0, QStringLiteral("a.csv"), celsiusFile);
    ClassData *before = channelData[0].get();

    chooseChannel(this, 0);
    m_prompter->answer(Prompter::AnswerCancel);
    m_main->MenuFileItem[0]->trigger();
    QCOMPARE(m_prompter->lastText(), QStringLiteral("CH 1:Furnace\rMeasurement data is existing "
                                                    "in this CH.\rThese data will be lost. OK?"));
    QCOMPARE(channelData[0].get(), before);
    QCOMPARE(channelData[0]->DataNo, qint16(3));
}

void TestFormMainFile::closingAsksAboutUnsavedChannels()
{
    channelData[4] = std::make_unique<ClassData>();
    channelData[4]->ChNo = 4;
    channelData[4]->Title = QStringLiteral("Kiln");
    channelData[4]->setRealTimeData(toDayCount(QDate(2026, 3, 1), QTime(10, 0)), 21.5f);
    m_main->setSaveState(4, 1);
    QVERIFY(m_main->MenuFileItem[2]->isEnabled());

    m_prompter->answer(Prompter::AnswerCancel);
    QVERIFY(!m_main->close());
    QCOMPARE(m_prompter->lastText(),
             QStringLiteral("CH 5:Kiln\rContents of file were changed. Save?"));

    m_prompter->answer(Prompter::AnswerNo);
    QVERIFY(m_main->close());
}

void TestFormMainFile::dataMenuOpensTheTableAndDisablesItsEntry()
{
    channelData[3] = std::make_unique<ClassData>();
    channelData[3]->ChNo = 3;
    const double start = toDayCount(QDate(2026, 3, 1), QTime(10, 0));
    for (int i = 0; i < 300; ++i)
        channelData[3]->setRealTimeData(start + i / 86400.0, 20.0f + i * 0.1f);

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

QTEST_MAIN(TestFormMainFile)
#include "tst_formmainfile.moc"
