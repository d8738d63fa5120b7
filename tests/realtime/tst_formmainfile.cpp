#include "AppState.h"
#include "ClassData.h"
#include "DateTime.h"
#include "FakePump.h"
#include "FormDialog.h"
#include "FormMain.h"
#include "FormTable.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "SimPort.h"
#include "Simulator.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace
{
const QByteArray celsiusFile = "Title,Furnace\r\n"
                               "Start Time,99/08/01,10:00:00\r\n"
                               "Stop Time,99/08/01,10:00:02\r\n"
                               "Data Number, 3\r\n"
                               "Unit,\xc2\xb0"
                               "C\r\n"
                               "Resolution,0.1\r\n"
                               "Emissivity,0.95\r\n"
                               "Max,99/08/01,10:00:01,25.4\r\n"
                               "Min,99/08/01,10:00:00,24.1\r\n"
                               "Ave,24.9\r\n"
                               "Meas. Person,Ann\r\n"
                               "Date,Time,Data[\xc2\xb0"
                               "C]\r\n"
                               "99/08/01,10:00:00,24.1\r\n"
                               "99/08/01,10:00:01,25.4\r\n"
                               "99/08/01,10:00:02,25.1\r\n";
} // namespace

class TestFormMainFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void openedChannelSavesAsTheSameBytes();
    void fahrenheitFileIntoCelsiusListEmptiesTheChannel();
    void cancellingTheOverwriteQuestionKeepsTheChannel();
    void closingAsksAboutUnsavedChannels();
    void dataMenuOpensTheTableAndDisablesItsEntry();

private:
    // Answers the next channel choice with `ch` once the modal dialog shows.
    void chooseChannel(int ch);
    QString writeFile(const QString &name, const QByteArray &bytes);

    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<Simulator> m_sim;
    std::unique_ptr<SimPort> m_port;
    QPointer<FormMain> m_main;
};

void TestFormMainFile::init()
{
    programMode = 0;
    settingsFileOverride = m_dir.filePath(QStringLiteral("OrvanUtility.ini"));
    for (auto &data : channelData)
        data.reset();
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_sim = std::make_unique<Simulator>(Simulator::LType);
    m_port = std::make_unique<SimPort>(*m_sim);
    m_main = new FormMain(m_port.get());
    m_main->show();
}

void TestFormMainFile::cleanup()
{
    delete m_main;
    for (auto &data : channelData)
        data.reset();
    m_port.reset();
    m_sim.reset();
    m_prompter.reset();
}

void TestFormMainFile::chooseChannel(int ch)
{
    auto *timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [timer, ch] {
        FormDialog &dialog = FormDialog::instance();
        if (QApplication::activeModalWidget() != &dialog)
            return;
        dialog.Combo1->setCurrentIndex(ch);
        dialog.Command1->click();
        timer->deleteLater();
    });
    timer->start(5);
}

QString TestFormMainFile::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(bytes);
    return path;
}

void TestFormMainFile::openedChannelSavesAsTheSameBytes()
{
    const QString source = writeFile(QStringLiteral("furnace.csv"), celsiusFile);
    chooseChannel(2);
    m_prompter->answerFile(source);
    m_main->MenuFileItem[0]->trigger();

    QVERIFY(checkMeasDataExist(2));
    QCOMPARE(m_main->curCH, qint16(2));
    QCOMPARE(channelData[2]->Changed, qint16(2));
    QCOMPARE(m_main->MSFlexGridCH->item(2, 1)->text(), QStringLiteral("Furnace"));
    QCOMPARE(m_main->MSFlexGridCH->item(2, 4)->text(), QStringLiteral("3"));
    QCOMPARE(m_main->MSFlexGridCH->horizontalHeaderItem(5)->text(), QStringLiteral("Max[°C]"));
    QVERIFY(!m_main->MenuFileItem[2]->isEnabled());
    QVERIFY(m_main->MenuFileItem[3]->isEnabled());

    const QString copy = m_dir.filePath(QStringLiteral("copy.csv"));
    chooseChannel(2);
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
    fahrenheit.replace("\xc2\xb0"
                       "C",
                       "\xb0"
                       "F"); // as the Windows edition writes it
    const QString celsius = writeFile(QStringLiteral("c.csv"), celsiusFile);
    const QString other = writeFile(QStringLiteral("f.csv"), fahrenheit);

    chooseChannel(0);
    m_prompter->answerFile(celsius);
    m_main->MenuFileItem[0]->trigger();
    QVERIFY(checkMeasDataExist(0));

    chooseChannel(1);
    m_prompter->answerFile(other);
    m_main->MenuFileItem[0]->trigger();
    QCOMPARE(m_prompter->texts(),
             QStringList{QStringLiteral("Unit is different.\nThe measurement or loading is not "
                                        "possible.")});
    QVERIFY(!checkMeasDataExist(1));
    QCOMPARE(m_main->MSFlexGridCH->item(1, 1)->text(), QString());
}

void TestFormMainFile::cancellingTheOverwriteQuestionKeepsTheChannel()
{
    const QString path = writeFile(QStringLiteral("a.csv"), celsiusFile);
    chooseChannel(0);
    m_prompter->answerFile(path);
    m_main->MenuFileItem[0]->trigger();
    ClassData *before = channelData[0].get();

    chooseChannel(0);
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
