#include "AppState.h"
#include "ClassData.h"
#include "CommandLine.h"
#include "DateTime.h"
#include "FakePump.h"
#include "Format.h"
#include "PtyServer.h"
#include "RunJournal.h"
#include "SampleData.h"
#include "SimPort.h"
#include "Simulator.h"
#include "Strings.h"
#include "TestFiles.h"

#include <QtTest>

#include <csignal>

namespace
{
struct Run {
    int exitCode = -1;
    QStringList out;
    QString err;
};

QStringList lines(const QString &text)
{
    return text.split(u'\n', Qt::SkipEmptyParts);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files);
}
} // namespace

// The commands, run inside this process on the simulator and a fake clock; and the built
// orvan-utility with no display at all, against a simulator on a pseudo-terminal, where only a
// real process shows it: help, a report on its own platform, a logged run killed mid-way.
class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Journals and kept downloads, of this process and of the programs it starts.
        qputenv("XDG_DATA_HOME", m_home.path().toLocal8Bit());
        QCoreApplication::setApplicationName(QStringLiteral("OrvanUtility"));
        setLanguage();
        initLanguage();
    }

    void init()
    {
        programMode = 0;
        m_dir = std::make_unique<QTemporaryDir>();
    }

    void cleanup()
    {
        clearChannels();
        m_port.reset();
        m_sim.reset();
        m_pump.reset();
        m_dir.reset();
        QDir(m_home.path()).removeRecursively();
    }

    void helpAndVersionNeedNoDisplay_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");

        QTest::newRow("version") << QStringLiteral("--version") << 0
                                 << QStringLiteral(ORVAN_VERSION) << QString();
        QTest::newRow("help lists commands")
            << QStringLiteral("--help") << 0 << QStringLiteral("recover") << QString();
        QTest::newRow("unknown command")
            << QStringLiteral("setings") << 2 << QString() << QStringLiteral("setings");
    }

    void helpAndVersionNeedNoDisplay()
    {
        QFETCH(QString, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run result = program(args);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2(result.out.join(u'\n').contains(out), qPrintable(result.out.join(u'\n')));
        QVERIFY2(result.err.contains(err), qPrintable(result.err));
        // Usage errors say what was wrong; help goes to stdout only.
        QCOMPARE(result.err.isEmpty(), exitCode == 0);
    }

    void badOptionsNeverReachTheInstrument_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err");

        // Arguments separated by "|".
        const auto row = [](const char *name, const char *args, const char *err, int code = 2) {
            QTest::newRow(name) << QString::fromUtf8(args) << code << QString::fromUtf8(err);
        };
        row("command help", "settings|-h", "", 0);
        row("unknown option", "recover|--output-dir|x", "--output-dir");
        row("stray argument", "clock|now", "now");
        row("emissivity above 1", "settings|--emissivity|1.2", "0.10~1.00");
        row("emissivity below 0.1", "settings|--emissivity|0.05", "0.10~1.00");
        row("emissivity not a number", "settings|--emissivity|0,9", "0,9");
        row("resolution", "settings|--resolution|0.5", "0.5");
        row("scale beyond C range", "settings|--scale|-70:600", "-50°C~ 500°C");
        row("scale span", "settings|--scale=0:9", " 10 °C");
        row("scale form", "settings|--scale|0-500", "0-500");
        row("port number", "settings|--port|COM5", "COM5");
        row("clock year", "clock|--set|2080-01-01 00:00:00", "2079");
        row("clock day", "clock|--set|2027-02-29 10:00", "Date/Time value is wrong.");
        row("clock text", "clock|--set|tomorrow", "tomorrow");
        // A logged run's times, checked by the measurement time dialog's rules.
        row("log interval", "log|--interval|3601", "1 ~ 3600");
        row("log count beyond a channel", "log|--count|32001", "0 ~ 32000");
        row("log span beyond a channel", "log|--interval|1m|--for|23d", "0 ~ 22.22");
        row("log two logging times", "log|--count|5|--for|1h", "--count, --for or --stop-at");
        row("log start passed", "log|--start-at|2020-01-01 06:00", "has passed");
    }

    void badOptionsNeverReachTheInstrument()
    {
        QFETCH(QString, args);
        QFETCH(int, exitCode);
        QFETCH(QString, err);
        plugIn(Simulator::FType);
        const Run result = command(args);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2(result.err.contains(err), qPrintable(result.err));
        QCOMPARE(result.out.isEmpty(), exitCode != 0);
        QVERIFY2(m_sim->received().isEmpty(), qPrintable(m_sim->received().join(u'|')));
    }

    void settingsAreReadAndOnlyTheGivenOnesChanged()
    {
        plugIn(Simulator::LType);
        m_sim->setSettings({1, 0, 0.9f, -10, 300}); // whole degrees, C, emissivity, scale

        const Run read = command(QStringLiteral("settings"));
        QCOMPARE(read.exitCode, 0);
        QCOMPARE(read.out, QStringList({QStringLiteral("Instrument type: L-type"),
                                        QStringLiteral("Resolution: 1"), QStringLiteral("Unit: °C"),
                                        QStringLiteral("Emissivity: 0.90"),
                                        QStringLiteral("Analog Output: -10~300 °C")}));
        QVERIFY(!m_sim->received().contains(QStringLiteral("BACKUP")));
        QVERIFY(!m_sim->awake());

        // Zero above full is put in order; the resolution stays as the instrument had it.
        const Run set = command(QStringLiteral("settings|--emissivity|0.85|--scale|400:-20"));
        QCOMPARE(set.exitCode, 0);
        const Simulator::InstrumentSettings kept = m_sim->backedUp();
        QCOMPARE((QList<float>{float(kept.precision), kept.emissivity, float(kept.scaleZero),
                               float(kept.scaleFull)}),
                 (QList<float>{1, 0.85f, -20, 400}));
        QVERIFY(set.out.contains(QStringLiteral("Analog Output: -20~400 °C")));
        QVERIFY(!m_sim->awake());

        // A field-type instrument has no scale: nothing is sent.
        plugIn(Simulator::FType);
        const Run scale = command(QStringLiteral("settings|--scale|0:100"));
        QCOMPARE(scale.exitCode, 2);
        QVERIFY(!m_sim->received().contains(QStringLiteral("BACKUP")));
        QVERIFY(!m_sim->awake());
    }

    void clockOfFieldTypeIsSetAndRead()
    {
        plugIn(Simulator::FType);
        m_sim->setClock(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));

        const Run set = command(QStringLiteral("clock|--set|2030-06-15 12:34:56"));
        QCOMPARE(set.exitCode, 0);
        QVERIFY2(set.err.contains(QStringLiteral("Clock setting is completed.")),
                 qPrintable(set.err));
        QVERIFY(m_sim->received().contains(QStringLiteral("DATE 30/06/15")));
        QVERIFY(m_sim->received().contains(QStringLiteral("BACKUP")));
        const QDateTime target(QDate(2030, 6, 15), QTime(12, 34, 56));
        const qint64 ahead = target.secsTo(m_sim->clock());
        QVERIFY2(ahead >= 0 && ahead < 15, qPrintable(QString::number(ahead)));

        const Run read = command(QStringLiteral("clock"));
        QCOMPARE(read.exitCode, 0);
        const QDateTime shown =
            QDateTime::fromString(read.out.value(0), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        QVERIFY2(shown.isValid(), qPrintable(read.out.join(u'\n')));
        const qint64 behind = shown.secsTo(m_sim->clock());
        QVERIFY2(behind >= 0 && behind < 15, qPrintable(QString::number(behind)));
        QVERIFY(!m_sim->awake());

        // Set to the computer's clock, the instrument keeps its second.
        QCOMPARE(command(QStringLiteral("clock|--set|now")).exitCode, 0);
        const qint64 drift = m_pump->currentDateTime().secsTo(m_sim->clock());
        QVERIFY2(qAbs(drift) <= 1, qPrintable(QString::number(drift)));
    }

    void missingInstrumentEndsWithOne_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("err");
        QTest::newRow("no device") << false << QStringLiteral("Cannot use this COMPort.");
        QTest::newRow("no reply") << true << QStringLiteral("No reply. (TYPE)");
    }

    void missingInstrumentEndsWithOne()
    {
        QFETCH(bool, silent);
        QFETCH(QString, err);
        plugIn(Simulator::LType);
        if (silent)
            m_sim->setFault(Simulator::Silence, -1);
        else
            m_port->failNextOpen(SerialPort::NotFound);
        const Run result = command(QStringLiteral("settings"));
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(err), qPrintable(result.err));
        QVERIFY(result.out.isEmpty());
        if (silent)
            QCOMPARE(m_sim->received().filter(QStringLiteral("TYPE")).size(), 1);
    }

    void stopSignalEndsTheWaitWith130()
    {
        plugIn(Simulator::LType);
        m_sim->setFault(Simulator::Silence, -1);
        qint64 signalledAt = -1;
        // Two seconds of waking, then the wait for the reply to TYPE.
        m_pump->schedule(2500, [&] {
            signalledAt = m_pump->monotonicMs();
            std::raise(SIGTERM);
        });
        const Run result = command(QStringLiteral("settings"));
        QCOMPARE(result.exitCode, 130);
        QVERIFY(signalledAt >= 0);
        // Waiting out the reply's three seconds and then putting the instrument to sleep would
        // take well over this; the stop leaves only the sleep.
        const qint64 took = m_pump->monotonicMs() - signalledAt;
        QVERIFY2(took < 1500, qPrintable(QString::number(took)));
        QVERIFY(m_sim->received().contains(QStringLiteral("off")));
    }

    // 300 records on a fast line: every record reaches the file and the kept copy, and
    // --clear-after clears the instrument only once the file reads back; a file that cannot
    // be written leaves the instrument's memory as it was.
    void downloadKeepsEveryRecordAndClearsOnlyAfterReadBack()
    {
        plugIn(Simulator::FType);
        m_sim->setBaud(115200);
        m_sim->fillMemory(300);
        const QString listing = m_dir->filePath(QStringLiteral("listing.txt"));
        const QString args = QStringLiteral("download|--clear-after|-o|");

        const Run refused = command(args + unwritableFolder(*m_dir) + "/l.txt");
        QCOMPARE(refused.exitCode, 2);
        QVERIFY(m_sim->received().isEmpty());

        const Run done = command(args + listing);
        QCOMPARE(done.exitCode, 0);
        QCOMPARE(done.out, QStringList{listing});
        QVERIFY2(done.err.contains(QStringLiteral("300 records in")), qPrintable(done.err));
        QVERIFY(m_sim->received().contains(QStringLiteral("CLR")));
        const QString keptFolder =
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/downloads/";
        const QStringList kept = filesIn(keptFolder);
        QCOMPARE(kept.size(), 1);
        for (const QString &file : QStringList{listing, keptFolder + kept.last()}) {
            int samples = 0;
            for (const QString &line : lines(QString::fromLatin1(readFile(file))))
                samples += line.count(u',') >= 2 && line.at(0).isDigit() && line.at(2) == u'/';
            QCOMPARE(samples, 300);
        }
    }

    void logWritesEverySampleItPrinted_data()
    {
        QTest::addColumn<bool>("interrupted");
        QTest::newRow("ten samples") << false;
        QTest::newRow("Ctrl+C in the middle") << true;
    }

    // A logged run prints each sample as it is stored and saves them all as File > Save does:
    // after its count, and after Ctrl+C, which ends it as the Stop button does.
    void logWritesEverySampleItPrinted()
    {
        QFETCH(bool, interrupted);
        plugIn(Simulator::LType);
        const QString file = m_dir->filePath(QStringLiteral("run.csv"));
        const QString count = interrupted ? QString() : QStringLiteral("|--count|10");
        const Run result = command("log|-o|" + file + "|--title|Kiln, east|--channel|3" + count,
                                   [&](const QStringList &out) {
                                       if (interrupted && out.size() == 4)
                                           std::raise(SIGINT);
                                   });
        QVERIFY2(result.exitCode == (interrupted ? 130 : 0), qPrintable(result.err));
        QCOMPARE(result.out.size(), interrupted ? 4 : 10);
        ClassData data;
        QVERIFY(data.loadFileData(file));
        QCOMPARE(data.Title, QStringLiteral("Kiln, east"));
        QCOMPARE(int(data.DataNo), result.out.size());
        for (int i = 0; i < result.out.size(); ++i) {
            const QString &line = result.out[i];
            const QDateTime time = QDateTime::fromString(line.section(u',', 0, 0),
                                                         QStringLiteral("yyyy-MM-dd hh:mm:ss"));
            QCOMPARE(data.getDataDateTime(i), dateTimeText(toDayCount(time)));
            QCOMPARE(valueText(data.getDataY(i), data.Resolution), line.section(u',', 1));
        }
        QVERIFY(!m_sim->awake());
        // The run is over and saved: nothing is left to recover.
        QVERIFY(filesIn(RunJournal::defaultFolder()).isEmpty());
    }

    // The built program, killed with SIGKILL in the middle of a logged run on a real terminal:
    // `recover` brings back every sample it printed before it died, once.
    void killedLogLosesNoSample()
    {
        Simulator sim(Simulator::LType);
        PtyServer server(sim);
        const QString link = m_dir->filePath(QStringLiteral("ttyORVAN"));
        QVERIFY2(server.start(link), qPrintable(server.errorString()));
        QString printed;
        const Run killed = program("log|--port|" + link + "|--settings|" +
                                       m_dir->filePath(QStringLiteral("OrvanUtility.ini")),
                                   [&](QProcess &process) {
                                       printed +=
                                           QString::fromUtf8(process.readAllStandardOutput());
                                       if (printed.count(u'\n') >= 2)
                                           ::kill(pid_t(process.processId()), SIGKILL);
                                   });
        QCOMPARE(killed.exitCode, -1);
        // An output folder that cannot be made keeps the journal for the next try.
        QCOMPARE(command("recover|-o|" + unwritableFolder(*m_dir)).exitCode, 2);
        const QString out = m_dir->filePath(QStringLiteral("out"));
        const Run recovered = command("recover|-o|" + out);
        QCOMPARE(recovered.exitCode, 0);
        QCOMPARE(recovered.out.size(), 1);
        QCOMPARE(QFileInfo(recovered.out.first()).path(), out);
        QVERIFY(filesIn(RunJournal::defaultFolder()).isEmpty());
        const Run again = command("recover|-o|" + out);
        QVERIFY(again.exitCode == 0 && again.out.isEmpty());
        QVERIFY2(again.err.contains(QStringLiteral("No run to recover.")), qPrintable(again.err));
        const QStringList before = lines(printed);
        ClassData data;
        QVERIFY(data.loadFileData(recovered.out.first()));
        // Samples stored after the last one printed may come back too, never fewer.
        QVERIFY2(data.DataNo >= before.size(), qPrintable(printed));
        for (int i = 0; i < before.size(); ++i)
            QCOMPARE(valueText(data.getDataY(i), data.Resolution), before[i].section(u',', 1));
    }

    // The report runs on its own platform, with no display: the files' tables and the cursor
    // readings at the given elapsed times reach the PDF, and a bad file or cursor writes
    // nothing.
    void reportPrintsChannelFilesWithoutDisplay()
    {
        const QByteArray header = "Title,Furnace\r\nStart Time,26/12/07,06:00:00\r\n"
                                  "Stop Time,26/12/07,06:00:20\r\nData Number, 3\r\nUnit,\xb0"
                                  "C\r\nMeas. Person,Tanaka\r\nDate,Time,Data[\xb0"
                                  "C]\r\n";
        const QString kiln = writeFile(m_dir->filePath(QStringLiteral("kiln.csv")),
                                       header + "26/12/07,06:00:00,24.1\r\n26/12/07,06:00:10,"
                                                "25.4\r\n26/12/07,06:00:20,-12.5\r\n");
        const QString bad = writeFile(m_dir->filePath(QStringLiteral("bad.csv")),
                                      header + "26/12/07,06:00:00,junk\r\n");
        const QString pdf = m_dir->filePath(QStringLiteral("report.pdf"));

        const QString report = "report|" + kiln + u'|';
        const Run done =
            program(report + kiln + "|-o|" + pdf + "|--cursor-a|10s|--cursor-b|0:00:20");
        QCOMPARE(done.exitCode, 0);
        QVERIFY2(done.err.isEmpty(), qPrintable(done.err));
        const QString text = pdfText(pdf, {QStringLiteral("-layout")});
        QVERIFY2(text.contains(QStringLiteral("kiln.csv")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Tanaka")));
        QVERIFY(text.contains(QStringLiteral("0Days 00:00:10")));
        QVERIFY(text.contains(QStringLiteral("25.4 26/12/07 06:00:10")));
        QVERIFY(text.contains(QStringLiteral("-12.5 26/12/07 06:00:20")));
        QCOMPARE(lines(text).filter(QRegularExpression(QStringLiteral("^2 +Furnace"))).size(), 1);

        for (const QString &args :
             QStringList{bad + "|-o|" + pdf, "-o|" + pdf + "|--cursor-a|ten", kiln}) {
            QFile::remove(pdf);
            const Run refused = program(report + args);
            QCOMPARE(refused.exitCode, 2);
            QVERIFY(!refused.err.isEmpty());
            QVERIFY(!QFileInfo::exists(pdf));
        }
    }

private:
    // A simulated instrument of `type` on the in-process port, with a fresh fake clock.
    void plugIn(Simulator::Type type)
    {
        // One pump at a time: a pump that goes uninstalls itself.
        m_port.reset();
        m_sim.reset();
        m_pump.reset();
        m_pump = std::make_unique<FakePump>(QDateTime::currentDateTime());
        m_sim = std::make_unique<Simulator>(type);
        m_port = std::make_unique<SimPort>(*m_sim);
    }

    // The command with its arguments separated by "|", inside this process, with --settings in
    // the test folder; `printed` sees the stdout lines so far after each one.
    Run command(const QString &line, const std::function<void(const QStringList &)> &printed = {})
    {
        if (!m_port)
            plugIn(Simulator::LType);
        QStringList args = line.split(u'|');
        if (args.first() != QLatin1String("recover"))
            args << QStringLiteral("--settings")
                 << m_dir->filePath(QStringLiteral("OrvanUtility.ini"));
        Run result;
        result.exitCode =
            runCommandInProcess(args, *m_port, [&](bool toStderr, const QString &line) {
                if (toStderr) {
                    result.err += line + u'\n';
                    return;
                }
                result.out << line;
                if (printed)
                    printed(result.out);
            });
        return result;
    }

    // The built orvan-utility with `args` separated by "|" and no display; the event loop (and so a
    // pseudo-terminal's simulator) runs meanwhile. A process that does not end normally has exit
    // code -1.
    Run program(const QString &args, const std::function<void(QProcess &)> &whileRunning = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        QProcess process;
        process.setProcessEnvironment(env);
        QEventLoop loop;
        connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer poll;
        if (whileRunning)
            connect(&poll, &QTimer::timeout, this, [&] { whileRunning(process); });
        poll.start(20);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        process.start(QStringLiteral(ORVAN_UTILITY), args.split(u'|'));
        loop.exec();
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        Run result;
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = lines(QString::fromUtf8(process.readAllStandardOutput()));
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePump> m_pump;
    std::unique_ptr<Simulator> m_sim;
    std::unique_ptr<SimPort> m_port;
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
