#include "ClassData.h"
#include "DateTime.h"
#include "Format.h"
#include "PtyServer.h"
#include "RunJournal.h"
#include "Simulator.h"
#include "TestFiles.h"

#include <QtTest>

#include <csignal>

namespace
{
struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

QStringList lines(const QString &text)
{
    return text.split(u'\n', Qt::SkipEmptyParts);
}
} // namespace

// The built orvan-utility run as a command, with no display at all, against a simulated
// instrument on a pseudo-terminal served from this process.
class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_link = m_dir->filePath(QStringLiteral("ttyORVAN"));
    }

    void cleanup()
    {
        m_server.reset();
        m_sim.reset();
        m_dir.reset();
    }

    void helpAndVersionNeedNoDisplay_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");

        QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0
                                 << QStringLiteral(ORVAN_VERSION) << QString();
        QTest::newRow("help lists commands")
            << QStringList{QStringLiteral("--help")} << 0 << QStringLiteral("recover") << QString();
        QTest::newRow("command help")
            << QStringList{QStringLiteral("settings"), QStringLiteral("-h")} << 0
            << QStringLiteral("--emissivity <E>") << QString();
        QTest::newRow("unknown command") << QStringList{QStringLiteral("setings")} << 2 << QString()
                                         << QStringLiteral("setings");
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("recover"), QStringLiteral("--output-dir"),
                           QStringLiteral("x")}
            << 2 << QString() << QStringLiteral("--output-dir");
        QTest::newRow("stray argument")
            << QStringList{QStringLiteral("clock"), QStringLiteral("now")} << 2 << QString()
            << QStringLiteral("now");
    }

    void helpAndVersionNeedNoDisplay()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run result = run(args);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2(result.out.contains(out), qPrintable(result.out));
        QVERIFY2(result.err.contains(err), qPrintable(result.err));
        // Usage errors say what was wrong; help goes to stdout only.
        QCOMPARE(result.err.isEmpty(), exitCode == 0);
    }

    void badOptionsNeverReachTheInstrument_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("err");

        const auto row = [](const char *name, const char *command, const QStringList &options,
                            const char *err) {
            QTest::newRow(name) << (QStringList{QString::fromLatin1(command)} + options)
                                << QString::fromUtf8(err);
        };
        const QString opt = QStringLiteral("--emissivity");
        row("emissivity above 1", "settings", {opt, QStringLiteral("1.2")}, "0.10~1.00");
        row("emissivity below 0.1", "settings", {opt, QStringLiteral("0.05")}, "0.10~1.00");
        row("emissivity not a number", "settings", {opt, QStringLiteral("0,9")}, "0,9");
        row("resolution", "settings", {QStringLiteral("--resolution"), QStringLiteral("0.5")},
            "0.5");
        row("scale beyond C range", "settings",
            {QStringLiteral("--scale"), QStringLiteral("-70:600")}, "-50°C~ 500°C");
        row("scale span", "settings", {QStringLiteral("--scale=0:9")}, " 10 °C");
        row("scale form", "settings", {QStringLiteral("--scale"), QStringLiteral("0-500")},
            "0-500");
        row("port number", "settings", {QStringLiteral("--port"), QStringLiteral("COM5")}, "COM5");
        row("clock year", "clock", {QStringLiteral("--set"), QStringLiteral("2080-01-01 00:00:00")},
            "2079");
        row("clock day", "clock", {QStringLiteral("--set"), QStringLiteral("2027-02-29 10:00")},
            "Date/Time value is wrong.");
        row("clock text", "clock", {QStringLiteral("--set"), QStringLiteral("tomorrow")},
            "tomorrow");
        // A logged run's times, checked by the measurement time dialog's rules.
        row("log interval", "log", {QStringLiteral("--interval"), QStringLiteral("3601")},
            "1 ~ 3600");
        row("log count beyond a channel", "log",
            {QStringLiteral("--count"), QStringLiteral("32001")}, "0 ~ 32000");
        row("log span beyond a channel", "log",
            {QStringLiteral("--interval"), QStringLiteral("1m"), QStringLiteral("--for"),
             QStringLiteral("23d")},
            "0 ~ 22.22");
        row("log two logging times", "log",
            {QStringLiteral("--count"), QStringLiteral("5"), QStringLiteral("--for"),
             QStringLiteral("1h")},
            "--count, --for or --stop-at");
        row("log start passed", "log",
            {QStringLiteral("--start-at"), QStringLiteral("2020-01-01 06:00")}, "has passed");
    }

    void badOptionsNeverReachTheInstrument()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, err);
        plugIn(Simulator::FType);
        // The port of the arguments comes first; a later --port wins.
        const Run result = run(instrumentArgs(args.takeFirst()) + args);
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains(err), qPrintable(result.err));
        QVERIFY(result.out.isEmpty());
        QVERIFY2(m_sim->received().isEmpty(), qPrintable(m_sim->received().join(u'|')));
    }

    void settingsAreReadAndOnlyTheGivenOnesChanged()
    {
        plugIn(Simulator::LType);
        Simulator::InstrumentSettings held;
        held.precision = 1;
        held.emissivity = 0.9f;
        held.scaleZero = -10;
        held.scaleFull = 300;
        m_sim->setSettings(held);

        const Run read = run(instrumentArgs(QStringLiteral("settings")));
        QCOMPARE(read.exitCode, 0);
        QCOMPARE(
            lines(read.out),
            QStringList({QStringLiteral("Instrument type: L-type"), QStringLiteral("Resolution: 1"),
                         QStringLiteral("Unit: °C"), QStringLiteral("Emissivity: 0.90"),
                         QStringLiteral("Analog Output: -10~300 °C")}));
        QVERIFY(!m_sim->received().contains(QStringLiteral("BACKUP")));
        QVERIFY(!m_sim->awake());

        // Zero above full is put in order; the resolution stays as the instrument had it.
        const Run set = run(instrumentArgs(QStringLiteral("settings")) +
                            QStringList{QStringLiteral("--emissivity"), QStringLiteral("0.85"),
                                        QStringLiteral("--scale"), QStringLiteral("400:-20")});
        QCOMPARE(set.exitCode, 0);
        const Simulator::InstrumentSettings kept = m_sim->backedUp();
        QCOMPARE(kept.precision, 1);
        QCOMPARE(kept.emissivity, 0.85f);
        QCOMPARE(kept.scaleZero, -20);
        QCOMPARE(kept.scaleFull, 400);
        QVERIFY2(set.out.contains(QStringLiteral("Analog Output: -20~400 °C")),
                 qPrintable(set.out));
        QVERIFY(!m_sim->awake());
    }

    void clockOfFieldTypeIsSetAndRead()
    {
        plugIn(Simulator::FType);
        m_sim->setClock(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));

        const QDateTime target(QDate(2030, 6, 15), QTime(12, 34, 56));
        const Run set =
            run(instrumentArgs(QStringLiteral("clock")) +
                QStringList{QStringLiteral("--set"), QStringLiteral("2030-06-15 12:34:56")});
        QCOMPARE(set.exitCode, 0);
        QVERIFY2(set.err.contains(QStringLiteral("Clock setting is completed.")),
                 qPrintable(set.err));
        QVERIFY(m_sim->received().contains(QStringLiteral("DATE 30/06/15")));
        QVERIFY(m_sim->received().contains(QStringLiteral("BACKUP")));
        const qint64 ahead = target.secsTo(m_sim->clock());
        QVERIFY2(ahead >= 0 && ahead < 15, qPrintable(QString::number(ahead)));

        const Run read = run(instrumentArgs(QStringLiteral("clock")));
        QCOMPARE(read.exitCode, 0);
        const QDateTime shown =
            QDateTime::fromString(read.out.trimmed(), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        QVERIFY2(shown.isValid(), qPrintable(read.out));
        const qint64 behind = shown.secsTo(m_sim->clock());
        QVERIFY2(behind >= 0 && behind < 15, qPrintable(QString::number(behind)));
        QVERIFY(!m_sim->awake());

        // Set to the computer's clock, the instrument keeps its second.
        const Run now = run(instrumentArgs(QStringLiteral("clock")) +
                            QStringList{QStringLiteral("--set"), QStringLiteral("now")});
        QCOMPARE(now.exitCode, 0);
        const qint64 drift = QDateTime::currentDateTime().secsTo(m_sim->clock());
        QVERIFY2(qAbs(drift) <= 1, qPrintable(QString::number(drift)));

        // A field-type instrument has no scale: nothing is sent.
        m_sim->clearReceived();
        const Run scale = run(instrumentArgs(QStringLiteral("settings")) +
                              QStringList{QStringLiteral("--scale"), QStringLiteral("0:100")});
        QCOMPARE(scale.exitCode, 2);
        QVERIFY(!m_sim->received().contains(QStringLiteral("BACKUP")));
        QVERIFY(!m_sim->awake());
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
        if (silent) {
            plugIn(Simulator::LType);
            m_sim->setFault(Simulator::Silence, -1);
        }
        const Run result = run(instrumentArgs(QStringLiteral("settings")));
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
        QElapsedTimer clock;
        bool signalled = false;
        const Run result = run(instrumentArgs(QStringLiteral("settings")), [&](QProcess &process) {
            if (!signalled && m_sim->received().contains(QStringLiteral("TYPE"))) {
                signalled = true;
                clock.start();
                ::kill(pid_t(process.processId()), SIGTERM);
            }
        });
        QVERIFY(signalled);
        QCOMPARE(result.exitCode, 130);
        // Waiting out the reply's three seconds and then putting the instrument to sleep would
        // take well over this; the stop leaves only the sleep.
        QVERIFY2(clock.elapsed() < 3500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(m_sim->received().contains(QStringLiteral("off")));
    }

    void recoverKeepsJournalsAsChannelFiles()
    {
        const QString journals = m_dir->filePath(QStringLiteral("journals"));
        const QString out = m_dir->filePath(QStringLiteral("out"));
        ClassData header;
        header.ChNo = 2;
        header.Emissivity = 0.95f;
        header.StartDateTime = 46000.5;
        QString path;
        {
            RunJournal journal(journals);
            QVERIFY(journal.open(header));
            for (int i = 0; i < 3; ++i)
                journal.append(46000.5 + i / 86400.0, 20.5f + float(i));
            path = journal.path();
        } // left without finish(), as by a crash
        const QStringList args{QStringLiteral("recover"), QStringLiteral("--journals"), journals};

        // An output folder that cannot be made keeps the journal for the next try.
        const Run failed = run(args + QStringList{QStringLiteral("-o"), unwritableFolder(*m_dir)});
        QCOMPARE(failed.exitCode, 2);
        QVERIFY(QFileInfo::exists(path));

        const Run kept = run(args + QStringList{QStringLiteral("-o"), out});
        QCOMPARE(kept.exitCode, 0);
        const QStringList listed = lines(kept.out);
        QCOMPARE(listed.size(), 1);
        QCOMPARE(QFileInfo(listed.first()).path(), out);
        ClassData data;
        QVERIFY(data.loadFileData(listed.first()));
        QCOMPARE(data.DataNo, qint16(3));
        QVERIFY(!QFileInfo::exists(path));

        const Run again = run(args + QStringList{QStringLiteral("-o"), out});
        QCOMPARE(again.exitCode, 0);
        QVERIFY(again.out.isEmpty());
        QVERIFY2(again.err.contains(QStringLiteral("No run to recover.")), qPrintable(again.err));
    }

    // The report runs on its own platform, with no display: the files' tables and the cursor
    // readings at the given elapsed times reach the PDF, and a bad file or cursor writes nothing.
    void reportPrintsChannelFilesWithoutDisplay()
    {
        const QByteArray header = "Title,Furnace\r\nStart Time,26/12/07,06:00:00\r\n"
                                  "Stop Time,26/12/07,06:00:20\r\nData Number, 3\r\nUnit,\xb0"
                                  "C\r\n"
                                  "Meas. Person,Tanaka\r\nDate,Time,Data[\xb0"
                                  "C]\r\n";
        const QString kiln = writeFile(m_dir->filePath(QStringLiteral("kiln.csv")),
                                       header + "26/12/07,06:00:00,24.1\r\n26/12/07,06:00:10,"
                                                "25.4\r\n26/12/07,06:00:20,-12.5\r\n");
        const QString bad = writeFile(m_dir->filePath(QStringLiteral("bad.csv")),
                                      header + "26/12/07,06:00:00,junk\r\n");
        const QString pdf = m_dir->filePath(QStringLiteral("report.pdf"));

        const Run done = run({QStringLiteral("report"), kiln, kiln, QStringLiteral("-o"), pdf,
                              QStringLiteral("--cursor-a"), QStringLiteral("10s"),
                              QStringLiteral("--cursor-b"), QStringLiteral("0:00:20")});
        QCOMPARE(done.exitCode, 0);
        QVERIFY2(done.err.isEmpty(), qPrintable(done.err));
        const QString text = pdfText(pdf, {QStringLiteral("-layout")});
        QVERIFY2(text.contains(QStringLiteral("kiln.csv")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Tanaka")));
        QVERIFY(text.contains(QStringLiteral("0Days 00:00:10")));
        QVERIFY(text.contains(QStringLiteral("25.4 26/12/07 06:00:10")));
        QVERIFY(text.contains(QStringLiteral("-12.5 26/12/07 06:00:20")));
        const QStringList rows =
            lines(text).filter(QRegularExpression(QStringLiteral("^2 +Furnace")));
        QCOMPARE(rows.size(), 1);

        for (const QStringList &args :
             {QStringList{kiln, bad, QStringLiteral("-o"), pdf},
              QStringList{kiln, QStringLiteral("-o"), pdf, QStringLiteral("--cursor-a"),
                          QStringLiteral("ten")},
              QStringList{kiln}}) {
            QFile::remove(pdf);
            const Run refused = run(QStringList{QStringLiteral("report")} + args);
            QCOMPARE(refused.exitCode, 2);
            QVERIFY(!refused.err.isEmpty());
            QVERIFY(!QFileInfo::exists(pdf));
        }
    }

    // 300 records on a fast line: every record reaches the file and the kept copy, and
    // --clear-after clears the instrument only once the file reads back; a file that cannot be
    // written leaves the instrument's memory as it was.
    void downloadKeepsEveryRecordAndClearsOnlyAfterReadBack()
    {
        plugIn(Simulator::FType);
        m_sim->setBaud(115200);
        m_sim->fillMemory(300);
        const QString listing = m_dir->filePath(QStringLiteral("listing.txt"));

        const Run refused = run(instrumentArgs(QStringLiteral("download")) +
                                QStringList{QStringLiteral("-o"),
                                            unwritableFolder(*m_dir) + QStringLiteral("/l.txt"),
                                            QStringLiteral("--clear-after")});
        QCOMPARE(refused.exitCode, 2);
        QVERIFY(m_sim->received().isEmpty());

        const Run done =
            run(instrumentArgs(QStringLiteral("download")) +
                QStringList{QStringLiteral("-o"), listing, QStringLiteral("--clear-after")});
        QCOMPARE(done.exitCode, 0);
        QCOMPARE(lines(done.out), QStringList{listing});
        QVERIFY2(done.err.contains(QStringLiteral("300 records in")), qPrintable(done.err));
        QVERIFY(m_sim->received().contains(QStringLiteral("CLR")));
        const QStringList kept =
            QDir(m_dir->filePath(QStringLiteral("data/OrvanUtility/downloads")))
                .entryList(QDir::Files);
        QCOMPARE(kept.size(), 1);
        for (const QString &file : {listing, m_dir->filePath(QStringLiteral("data/OrvanUtility/"
                                                                            "downloads/") +
                                                             kept.last())}) {
            int samples = 0;
            QFile in(file);
            QVERIFY(in.open(QIODevice::ReadOnly));
            for (const QString &line : lines(QString::fromLatin1(in.readAll())))
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
        QStringList args = instrumentArgs(QStringLiteral("log")) +
                           QStringList{QStringLiteral("-o"),        file,
                                       QStringLiteral("--title"),   QStringLiteral("Kiln, east"),
                                       QStringLiteral("--channel"), QStringLiteral("3")};
        if (!interrupted)
            args << QStringLiteral("--count") << QStringLiteral("10");
        bool signalled = false;
        const Run result = run(args, [&](QProcess &process) {
            if (interrupted && !signalled && process.peek(4096).count('\n') >= 4) {
                signalled = true;
                ::kill(pid_t(process.processId()), SIGINT);
            }
        });
        QCOMPARE(result.exitCode, interrupted ? 130 : 0);
        const QStringList printed = lines(result.out);
        QVERIFY2(printed.size() >= (interrupted ? 4 : 10), qPrintable(result.err));
        if (!interrupted)
            QCOMPARE(printed.size(), 10);

        ClassData data;
        QVERIFY(data.loadFileData(file));
        QCOMPARE(data.Title, QStringLiteral("Kiln, east"));
        QCOMPARE(int(data.DataNo), printed.size());
        for (int i = 0; i < printed.size(); ++i) {
            const QDateTime time = QDateTime::fromString(printed[i].section(u',', 0, 0),
                                                         QStringLiteral("yyyy-MM-dd hh:mm:ss"));
            QCOMPARE(data.getDataDateTime(i), dateTimeText(toDayCount(time)));
            QCOMPARE(valueText(data.getDataY(i), data.Resolution), printed[i].section(u',', 1));
        }
        QVERIFY(!m_sim->awake());
        // The run is over and saved: nothing is left to recover.
        QVERIFY(QDir(m_dir->filePath(QStringLiteral("data/OrvanUtility/journal")))
                    .entryList(QDir::Files)
                    .isEmpty());
    }

private:
    // Serves a simulated instrument of `type` at m_link.
    void plugIn(Simulator::Type type)
    {
        m_sim = std::make_unique<Simulator>(type);
        m_server = std::make_unique<PtyServer>(*m_sim);
        QVERIFY2(m_server->start(m_link), qPrintable(m_server->errorString()));
    }

    // orvan-utility with `args` and --settings pointing into the test folder for instrument
    // commands; the event loop (and so the simulator) runs meanwhile.
    Run run(QStringList args, const std::function<void(QProcess &)> &whileRunning = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir->filePath(QStringLiteral("data")));
        QProcess process;
        process.setProcessEnvironment(env);
        QEventLoop loop;
        connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        QTimer poll;
        if (whileRunning)
            connect(&poll, &QTimer::timeout, this, [&] { whileRunning(process); });
        poll.start(20);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        process.start(QStringLiteral(ORVAN_UTILITY), args);
        loop.exec();
        Run result;
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    QStringList instrumentArgs(const QString &command) const
    {
        return {command, QStringLiteral("--port"), m_link, QStringLiteral("--settings"),
                m_dir->filePath(QStringLiteral("OrvanUtility.ini"))};
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_link;
    std::unique_ptr<Simulator> m_sim;
    std::unique_ptr<PtyServer> m_server;
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
