#include "AppState.h"
#include "FormMain.h"
#include "FormReadMem.h"
#include "FormStart.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "Strings.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

class TestFormStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        settingsFileOverride = m_dir.filePath(QStringLiteral("OrvanUtility.ini"));
        QFile::remove(settingsFileOverride);
        Settings = SettingsRecord();
        MeasSetting = MeasSettingRecord();
    }

    void cleanup()
    {
        QList<QPointer<QWidget>> windows;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->inherits("QMainWindow") || w->inherits("FormStart"))
                windows.append(w);
        qDeleteAll(windows);
        settingsFileOverride.clear();
    }

    void menuShowsEnglishWhateverLanguageButton()
    {
        FormStart start;
        start.show();
        QCOMPARE(start.Label1[1]->text(), QStringLiteral("Real Time Measurement\n(For Lab. Type)"));
        start.Option1[0]->click();
        QCOMPARE(start.windowTitle(), QStringLiteral("Orvan Utility [Start Up Menu]"));
        QCOMPARE(start.Label1[0]->text(), QStringLiteral("Select Function"));
        QCOMPARE(stringIdOffset, qint16(10000));
    }

    void choosingAModeOpensItsWindowAndClosesTheMenu_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("caption");
        QTest::newRow("real time") << 0 << QStringLiteral("Orvan Utility [Real Time Measurement]");
        QTest::newRow("memory") << 1 << QStringLiteral("Orvan Utility [Read Memory Data]");
    }

    void choosingAModeOpensItsWindowAndClosesTheMenu()
    {
        QFETCH(int, button);
        QFETCH(QString, caption);
        QPointer<FormStart> start = new FormStart;
        start->show();
        QTest::mouseClick(start->Command1[button], Qt::LeftButton);
        QTRY_VERIFY(start.isNull());
        QCOMPARE(programMode, qint16(button));

        QWidget *main = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->inherits("QMainWindow"))
                main = w;
        QVERIFY(main);
        QCOMPARE(main->windowTitle(), caption);
        QVERIFY(button == 0 ? qobject_cast<FormMain *>(main) != nullptr
                            : qobject_cast<FormReadMem *>(main) != nullptr);

        QPointer<QWidget> guard = main;
        QVERIFY(main->close());
        QTRY_VERIFY(guard.isNull());
        QVERIFY(QFile::exists(settingsFileOverride));
    }

    void mainWindowReadsStoredPortAndWritesSettingsOnClose()
    {
        QFile file(settingsFileOverride);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Setting]\r\nCOMPort, 3\r\n[MeasSetting]\r\nEmissivityStr,Steel:0.8\r\n");
        file.close();

        programMode = 0;
        auto *main = new FormMain;
        main->show();
        QVERIFY(main->MenuRS[2]->isChecked());
        QVERIFY(!main->MenuRS[0]->isChecked());
        // Loaded settings are normalised as the settings dialog would.
        QCOMPARE(MeasSetting.EmissivityStr, QStringLiteral("Steel:0.80"));

        main->MenuRS[3]->trigger();
        QVERIFY(main->close());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QVERIFY2(written.contains("COMPort, 4\r\n"), written.constData());
        QVERIFY(written.contains("EmissivityStr,Steel:0.80\r\n"));
    }

private:
    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
};

QTEST_MAIN(TestFormStart)
#include "tst_formstart.moc"
