#include "AppState.h"
#include "ClassData.h"
#include "DataFileReader.h"
#include "DateTime.h"
#include "FakePump.h"
#include "FilePace.h"
#include "FileProgress.h"
#include "Format.h"
#include "ScriptedPrompter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <vector>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

class RecordingProgress : public FileProgress
{
public:
    void initProgress(int maximum) override { maxima.append(maximum); }
    void ProgressJob(int position) override
    {
        positions.append(position);
        if (onJob)
            onJob(position);
    }

    QList<int> maxima;
    QList<int> positions;
    std::function<void(int)> onJob;
};

// A clock that moves a whole pace at every look, so that the file loops let events run each
// time they look at it (the reader looks once per block it reads).
class RushingPump : public FakePump
{
public:
    qint64 monotonicMs() const override { return m_ms += FilePace::paceMs; }

private:
    mutable qint64 m_ms = 0;
};

QByteArray readAllOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A data set as a recording leaves it: samples one step apart from 99/08/01 10:00:00,
// statistics finalised.
std::unique_ptr<ClassData> recorded(const std::vector<float> &values, int stepSeconds = 1)
{
    auto data = std::make_unique<ClassData>();
    const double start = toDayCount(QDate(1999, 8, 1), QTime(10, 0, 0));
    for (std::size_t i = 0; i < values.size(); ++i)
        data->setRealTimeData(start + double(i) * stepSeconds / secondsPerDay, values[i]);
    data->setTimeData();
    return data;
}

const QByteArray realTimeHeader =
    "Title,Furnace\r\nStart Time,99/08/01,10:00:00\r\nStop Time,99/08/01,10:00:02\r\n"
    "Data Number, 3\r\nUnit,\302\260C\r\nResolution,0.1\r\nEmissivity,0.95\r\n"
    "Max,99/08/01,10:00:01,25.4\r\nMin,99/08/01,10:00:00,24.1\r\nAve,24.8\r\n"
    "Meas. Person,Tanaka\r\nDate,Time,Data[\302\260C]\r\n";
const QByteArray threeSamples =
    "99/08/01,10:00:00,24.1\r\n99/08/01,10:00:01,25.4\r\n99/08/01,10:00:02,24.9\r\n";
const QByteArray memoryWithComparator =
    "Title,Block 1\r\nStart Time,99/08/01,10:00\r\nStop Time,99/08/01,10:03\r\n"
    "Data Number, 4\r\nUnit,\302\260F\r\nMax,99/08/01,10:01,55.0\r\n"
    "Min,99/08/01,10:02,5.0\r\nAve,28.0\r\nUpper,50.0\r\nLower,10.0\r\nOut, 3\r\n"
    "Meas. Person,Sato\r\nDate,Time,Data[\302\260F],Judg.\r\n"
    "99/08/01,10:00,24.1\r\n99/08/01,10:01,55.0,Hi\r\n99/08/01,10:02,5.0,Lo\r\n"
    "99/08/01,10:03,ERROR,Hi\r\n";
const QByteArray memoryWholeDegrees =
    "Title,Block 2\r\nStart Time,99/08/01,10:00\r\nStop Time,99/08/01,10:02\r\n"
    "Data Number, 3\r\nUnit,\302\260C\r\nMax,99/08/01,10:02,26\r\nMin,99/08/01,10:00,24\r\n"
    "Ave,25\r\nMeas. Person,\r\nDate,Time,Data[\302\260C]\r\n"
    "99/08/01,10:00,24\r\n99/08/01,10:01,25\r\n99/08/01,10:02,26\r\n";

// Samples one second apart from 99/08/01 10:00:00, values 0.5, 1.5, .. 499.5, 0.5, ..
QByteArray sampleLines(int count)
{
    QByteArray lines;
    for (int i = 0; i < count; ++i) {
        const int second = 10 * 3600 + i;
        lines += QString::asprintf("99/08/01,%02d:%02d:%02d,%d.5\r\n", second / 3600,
                                   second / 60 % 60, second % 60, i % 500)
                     .toLatin1();
    }
    return lines;
}

} // namespace

class TestChannelFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        programMode = 0;
        stopRequested = false;
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_pump = std::make_unique<FakePump>();
    }

    void cleanup()
    {
        m_pump.reset();
        m_prompter.reset();
        m_dir.reset();
        programMode = 0;
    }

    void savedFileHasExactLayout_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("set");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("real time") << 0 << 0 << realTimeHeader + threeSamples;
        QTest::newRow("memory with comparator") << 1 << 1 << memoryWithComparator;
        QTest::newRow("memory without comparator") << 1 << 2 << memoryWholeDegrees;
    }

    void savedFileHasExactLayout()
    {
        QFETCH(int, mode);
        QFETCH(int, set);
        QFETCH(QByteArray, bytes);
        programMode = qint16(mode);

        std::unique_ptr<ClassData> data;
        if (set == 0) {
            data = recorded({24.1f, 25.4f, 24.9f});
            data->Title = QStringLiteral("Furnace");
            data->MeasPerson = QStringLiteral("Tanaka");
            data->Emissivity = 0.95f;
            // Real-time files never carry the comparator.
            data->CompHigh = 20.0f;
            data->compjob();
        } else if (set == 1) {
            data = recorded({24.1f, 55.0f, 5.0f, errorCode}, 60);
            data->Title = QStringLiteral("Block 1");
            data->MeasPerson = QStringLiteral("Sato");
            data->Unit = 1;
            data->CompHigh = 50.0f;
            data->CompLow = 10.0f;
            data->compjob();
        } else {
            data = recorded({24.0f, 25.0f, 26.0f}, 60);
            data->Title = QStringLiteral("Block 2");
            data->Resolution = 1;
        }

        // An older, longer file of the same name is replaced as a whole.
        const QString file = path(QStringLiteral("data.csv"));
        writeFile(file, QByteArray(100000, 'z'));
        QVERIFY(data->saveFileData(file));
        QCOMPARE(readAllOf(file), bytes);

        // Reading it back gives the same set, and writing that again the same bytes.
        ClassData loaded;
        QVERIFY(loaded.loadFileData(file));
        QCOMPARE(m_prompter->texts(), QStringList());
        QCOMPARE(loaded.CompOut, mode == 1 ? data->CompOut : qint16(0));
        for (int i = 0; i < data->DataNo; ++i)
            QCOMPARE(loaded.getDataX(i), data->getDataX(i));
        // Memory-mode files do not carry the resolution.
        loaded.Resolution = data->Resolution;
        const QString again = path(QStringLiteral("again.csv"));
        QVERIFY(loaded.saveFileData(again));
        QCOMPARE(readAllOf(again), bytes);
    }

    void handMadeFileLoadsOrFailsWithOneMessage_data()
    {
        QTest::addColumn<QByteArray>("content");
        // Loaded: samples|title|unit|person|first value|last value|last elapsed seconds.
        // Refused: the one message shown.
        QTest::addColumn<QString>("expected");
        const QByteArray full = realTimeHeader + threeSamples;
        const QByteArray first = realTimeHeader + "99/08/01,10:00:00,24.1\r\n";
        const QString endOfFile = QStringLiteral("Unexpected end of file.");
        const QString cannotRead = QStringLiteral("Cannot read file.");

        QTest::newRow("first line that is no title line is lost")
            << sampleLines(3) << "2||0||1.5|2.5|1";
        QTest::newRow("header without column line loses the first sample")
            << "Title,T\r\nUnit,\302\260F\r\nMeas. Person,P\r\n" + sampleLines(3)
            << "2|T|1|P|1.5|2.5|1";
        QTest::newRow("title and person containing commas are kept whole")
            << "Title,Furnace, north side\r\nMeas. Person,Ito, K.\r\nDate,Time,Data\r\n" +
                   threeSamples
            << "3|Furnace, north side|0|Ito, K.|24.1|24.9|2";
        QTest::newRow("empty line ends the data")
            << first + "99/08/01,10:00:01,25.4\r\n\r\n99/08/01,10:00:02,24.9\r\n"
            << "2|Furnace|0|Tanaka|24.1|25.4|1";
        QTest::newRow("ID form skips seven lines")
            << " ID,0001\r\nModel,x\r\n\r\nc\r\nd\r\ne,f\r\ng\r\nh\r\n" + threeSamples
            << "3||0||24.1|24.9|2";
        QTest::newRow("byte order mark and line feeds only")
            << QByteArray("\xEF\xBB\xBF" + full).replace("\r\n", "\n")
            << "3|Furnace|0|Tanaka|24.1|24.9|2";
        QTest::newRow("no line end after the last sample")
            << full.chopped(2) << "3|Furnace|0|Tanaka|24.1|24.9|2";
        QTest::newRow("four-digit years")
            << QByteArray("Title,Y\r\nDate,Time,Data\r\n1999/08/01,10:00:00,20.0\r\n"
                          "1999/08/01,10:01:05,-21.5\r\n")
            << "2|Y|0||20.0|-21.5|65";
        QTest::newRow("blank lines inside the header are skipped")
            << "Title,T\r\n\r\nMeas. Person,P\r\n\r\nDate,Time,Data\r\n" + threeSamples
            << "3|T|0|P|24.1|24.9|2";
        QTest::newRow("code words and a judgement column")
            << QByteArray("Title,M\r\nDate,Time,Data,Judg.\r\n99/08/01,10:00,+OVER,Hi\r\n"
                          "99/08/01,10:01,-OVER,Lo\r\n99/08/01,10:02,ERROR,Hi\r\n")
            << "3|M|0||+OVER|ERROR|120";

        QTest::newRow("empty file") << QByteArray() << endOfFile;
        QTest::newRow("ends right after the column line") << realTimeHeader << endOfFile;
        QTest::newRow("only a title line") << QByteArray("Title,T") << endOfFile;
        QTest::newRow("ID form cut short") << QByteArray(" ID\r\na\r\nb\r\n") << endOfFile;
        // The header is 12 lines long, sample 0 line 13.
        QTest::newRow("first sample line empty")
            << realTimeHeader + "\r\n" + threeSamples << cannotRead + "\rLine 13 cannot be read:\r";
        QTest::newRow("date that is no date")
            << first + "ab/cd/ef,10:00:01,24.1\r\n"
            << cannotRead + "\rLine 14 cannot be read:\rab/cd/ef,10:00:01,24.1";
        QTest::newRow("value that is no number")
            << first + "99/08/01,10:00:01,24.5\r\n99/08/01,10:00:02,n/a\r\n"
            << cannotRead + "\rLine 15 cannot be read:\r99/08/01,10:00:02,n/a";
        QTest::newRow("line with fewer fields")
            << first + "99/08/01\r\n"
            << cannotRead + "\rLine 14 cannot be read:\r99/08/01";
        QTest::newRow("samples a century apart")
            << realTimeHeader + "80/01/01,00:00:00,1.0\r\n79/12/31,00:00:00,2.0\r\n"
            << cannotRead + "\rLine 14 cannot be read:\r79/12/31,00:00:00,2.0";
        QTest::newRow("long garbled line is quoted short")
            << first + QByteArray(5000, 'q') + "\r\n"
            << cannotRead + "\rLine 14 cannot be read:\r" + QString(60, u'q') + "...";
    }

    void handMadeFileLoadsOrFailsWithOneMessage()
    {
        QFETCH(QByteArray, content);
        const QString file = path(QStringLiteral("hand.csv"));
        writeFile(file, content);

        ClassData data;
        data.Title = QStringLiteral("old");
        data.CompHigh = 20.0f;
        if (!data.loadFileData(file)) {
            QCOMPARE(m_prompter->texts().size(), 1);
            QTEST(m_prompter->texts().first(), "expected");
            return;
        }
        QCOMPARE(m_prompter->texts(), QStringList());
        const QString loaded = QStringList{QString::number(data.DataNo),
                                           data.Title,
                                           QString::number(data.Unit),
                                           data.MeasPerson,
                                           valueText(data.getDataY(0), 0),
                                           valueText(data.getDataY(data.LastNo), 0),
                                           QString::number(data.getDataX(data.LastNo))}
                                   .join(u'|');
        QTEST(loaded, "expected");
        QCOMPARE(data.LastNo, qint16(data.DataNo - 1));
        QVERIFY(!data.getCompOn());
    }

    void missingFilesFailWithSystemText()
    {
        ClassData data;
        QVERIFY(!data.loadFileData(path(QStringLiteral("missing.csv"))));
        QVERIFY(!data.loadFileData(m_dir->path()));
        QCOMPARE(m_prompter->texts().size(), 2);
        for (const QString &text : m_prompter->texts()) {
            QVERIFY(!text.isEmpty());
            QVERIFY(!text.startsWith(QLatin1String("Cannot read file.")));
        }
    }

    void junkInputNeverCrashes()
    {
        QRandomGenerator random(20260301);
        QList<QByteArray> inputs;
        for (int k = 0; k < 40; ++k) {
            QByteArray bytes(random.bounded(1, 4000), Qt::Uninitialized);
            for (char &c : bytes) {
                const quint32 r = random.bounded(40);
                c = r < 3 ? '\n' : r < 5 ? '\r' : r < 12 ? ',' : char(random.bounded(256));
            }
            inputs << bytes << realTimeHeader + bytes << realTimeHeader + threeSamples + bytes;
        }
        inputs << QByteArray(3 * 1024 * 1024, 'x') << realTimeHeader + QByteArray(2 << 20, ',')
               << QByteArray(5000, '\0');

        const QString file = path(QStringLiteral("junk.csv"));
        for (const QByteArray &bytes : inputs) {
            writeFile(file, bytes);
            m_prompter->clear();
            ClassData data;
            if (data.loadFileData(file)) {
                QCOMPARE(m_prompter->texts().size(), 0);
                QVERIFY(data.DataNo >= 1 && data.DataNo <= 32000);
                QCOMPARE(data.LastNo, qint16(data.DataNo - 1));
            } else {
                QCOMPARE(m_prompter->texts().size(), 1);
            }
        }
    }

    void moreThan32000SamplesLoadFirst32000AndSaySo_data()
    {
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("texts");
        const QStringList truncated{QStringLiteral(
            "Only the first 32000 samples were loaded: the rest of the file does not fit into a "
            "channel.")};
        QTest::newRow("50 samples more")
            << sampleLines(32050).mid(sampleLines(32000).size()) << truncated;
        QTest::newRow("exactly full") << QByteArray() << QStringList();
        QTest::newRow("full, then an empty line ending the data")
            << QByteArray("\r\n99/08/02,00:00:00,1.0\r\n") << QStringList();
    }

    void moreThan32000SamplesLoadFirst32000AndSaySo()
    {
        QFETCH(QByteArray, after);
        const QString file = path(QStringLiteral("long.csv"));
        writeFile(file, "Title,Long\r\nData Number, 32050\r\nDate,Time,Data\r\n" +
                            sampleLines(32000) + after);

        ClassData data;
        QVERIFY(data.loadFileData(file));
        QTEST(m_prompter->texts(), "texts");
        QCOMPARE(data.DataNo, qint16(32000));
        QCOMPARE(data.getDataY(31999), float(31999 % 500) + 0.5f);
        QCOMPARE(data.getDataX(31999), 31999);
        QCOMPARE(data.MaxValue, 499.5f);
        QCOMPARE(data.MaxDateTime, data.getDataDate0(499));
    }

    void stopEndsEveryReadingLoop_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("samples") << "Title,S\r\nDate,Time,Data\r\n" + sampleLines(40000);
        QTest::newRow("blank lines after a header line")
            << "Title,B\r\n" + QByteArray("\r\n").repeated(1000000);
        QTest::newRow("one endless line")
            << "Title,L\r\nDate,Time,Data\r\n" + QByteArray(2 << 20, '7') + "\r\n" + threeSamples;
        QTest::newRow("endless first line") << QByteArray(2 << 20, 'T');
    }

    void stopEndsEveryReadingLoop()
    {
        QFETCH(QByteArray, content);
        const QString file = path(QStringLiteral("stop.csv"));
        writeFile(file, content);
        m_pump.reset();
        RushingPump pump;
        RecordingProgress progress;
        progress.onJob = [&progress](int) { stopRequested = progress.positions.size() == 3; };

        ClassData data;
        QVERIFY(!data.loadFileData(file, &progress));
        QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Stopped.")});
        QVERIFY(!stopRequested);
        QCOMPARE(progress.positions.size(), 3);
        QVERIFY(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    }

    void stopDuringSaveKeepsPreviousFile_data()
    {
        QTest::addColumn<bool>("fromProgress");
        QTest::newRow("Stop pressed while events run") << false;
        QTest::newRow("Stop pressed as the bar moves") << true;
    }

    void stopDuringSaveKeepsPreviousFile()
    {
        QFETCH(bool, fromProgress);
        const QString file = path(QStringLiteral("kept.csv"));
        const QByteArray previous = realTimeHeader + threeSamples;
        writeFile(file, previous);

        auto data = recorded(std::vector<float>(1000, 20.0f));
        data->FileName = file;
        data->Untitled = false;
        data->Changed = 1;
        m_pump.reset();
        RushingPump pump;
        RecordingProgress progress;
        if (fromProgress)
            progress.onJob = [](int position) { stopRequested = position == 499; };
        else
            pump.schedule(35, [] { stopRequested = true; });

        QVERIFY(!data->saveFileData(file, &progress));
        QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Stopped.")});
        QCOMPARE(readAllOf(file), previous);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("kept.csv")});
        QVERIFY(!stopRequested);
        QCOMPARE(data->FileName, file);
        QVERIFY(!data->Untitled);
        QCOMPARE(data->Changed, qint16(1));
    }

    void saveFailureSaysWhyAndWhere_data()
    {
        QTest::addColumn<QString>("target");
        // Largest file the save may write, in bytes; 0 for no limit, below 0 that many bytes short
        // of the whole file.
        QTest::addColumn<int>("sizeLimit");
        // The message, with <file> for the target's path and <folder> for its folder.
        QTest::addColumn<QString>("expected");
        const QString disabled = QStringLiteral("File is disabled for overwrite.\r");
        const QString full = QStringLiteral("There is not enough space on the disk to save the "
                                            "file:\r<file>");
        QTest::newRow("disk full, over an existing file")
            << "kept.csv" << 20000 << full + "\rThe previous file is kept unchanged.";
        QTest::newRow("disk full, new file") << "new.csv" << 20000 << full;
        QTest::newRow("disk full at the last bytes")
            << "kept.csv" << -10 << full + "\rThe previous file is kept unchanged.";
        QTest::newRow("folder without write permission")
            << "locked/out.csv" << 0 << disabled + "You have no permission to write to:\r<folder>";
        QTest::newRow("missing folder")
            << "missing/deeper/out.csv" << 0 << "This folder does not exist:\r<folder>";
        QTest::newRow("folder of the path is a file")
            << "plain.txt/sub/out.csv" << 0 << disabled + "<file>";
        QTest::newRow("target is a folder") << "folder" << 0 << disabled + "<file>";
    }

    // A full disk is a file-size limit in a child process: the write really fails there.
    void saveFailureSaysWhyAndWhere()
    {
        QFETCH(QString, target);
        QFETCH(int, sizeLimit);
        QFETCH(QString, expected);
        const QByteArray previous = realTimeHeader + threeSamples;
        writeFile(path(QStringLiteral("kept.csv")), previous);
        writeFile(path(QStringLiteral("plain.txt")), "plain\r\n");
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("locked")));
        QString file = path(target);
        // Permissions do not stop root; the kernel's own folders do.
        if (target.startsWith(QLatin1String("locked/")) && geteuid() == 0)
            file = QStringLiteral("/sys/out.csv");
        QFile::setPermissions(path(QStringLiteral("locked")), QFile::ReadOwner | QFile::ExeOwner |
                                                                  QFile::ReadUser | QFile::ExeUser);
        expected.replace(QLatin1String("<file>"), file);
        expected.replace(QLatin1String("<folder>"), QFileInfo(file).absolutePath());
        const QStringList before = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);

        auto data = recorded(std::vector<float>(6000, 20.0f));
        if (sizeLimit < 0) {
            QBuffer whole;
            whole.open(QIODevice::WriteOnly);
            QVERIFY(data->saveFileDataPrim(whole, nullptr));
            sizeLimit += int(whole.size());
        }
        int pipeEnds[2];
        QCOMPARE(pipe(pipeEnds), 0);
        const pid_t child = fork();
        if (child == 0) {
            signal(SIGXFSZ, SIG_IGN);
            if (sizeLimit > 0) {
                const rlimit limit{rlim_t(sizeLimit), rlim_t(sizeLimit)};
                setrlimit(RLIMIT_FSIZE, &limit);
            }
            const bool saved = data->saveFileData(file);
            const QByteArray report =
                (saved ? "saved\n" : "failed\n") + m_prompter->texts().join(u'\n').toUtf8();
            const bool sent =
                write(pipeEnds[1], report.constData(), report.size()) == report.size();
            _exit(sent ? 0 : 1);
        }
        close(pipeEnds[1]);
        QFile fromChild;
        QVERIFY(fromChild.open(pipeEnds[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
        const QStringList report = QString::fromUtf8(fromChild.readAll()).split(u'\n');
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QFile::setPermissions(path(QStringLiteral("locked")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QCOMPARE(report.value(0), QStringLiteral("failed"));
        QCOMPARE(report.mid(1), QStringList{expected});
        QCOMPARE(readAllOf(path(QStringLiteral("kept.csv"))), previous);
        QCOMPARE(readAllOf(path(QStringLiteral("plain.txt"))), QByteArray("plain\r\n"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), before);
        QVERIFY(QDir(path(QStringLiteral("folder"))).isEmpty(QDir::Files | QDir::Hidden));
        QVERIFY(QDir(path(QStringLiteral("locked"))).isEmpty(QDir::Files | QDir::Hidden));
    }

    void sectionsShareOneReader()
    {
        programMode = 1;
        auto first = recorded({10.0f, 11.0f}, 60);
        first->Title = QStringLiteral("one");
        auto second = recorded({20.0f, 21.0f, 22.0f}, 60);
        second->Title = QStringLiteral("two");
        second->CompHigh = 21.0f;
        second->compjob();

        QBuffer buffer;
        QVERIFY(buffer.open(QIODevice::ReadWrite));
        buffer.write("No. 1\r\n");
        QVERIFY(first->saveFileDataPrim(buffer, nullptr));
        buffer.write("\r\nNo. 2\r\n");
        QVERIFY(second->saveFileDataPrim(buffer, nullptr));
        buffer.write("\r\n");
        buffer.seek(0);

        DataFileReader in(&buffer);
        QString line;
        ClassData blocks[2];
        for (int k = 0; k < 2; ++k) {
            QVERIFY(in.readLine(line));
            QCOMPARE(line, QStringLiteral("No. %1").arg(k + 1));
            QVERIFY(blocks[k].loadFileDataPrim(in, nullptr));
        }
        QVERIFY(in.atEnd());
        QCOMPARE(blocks[0].Title, QStringLiteral("one"));
        QCOMPARE(blocks[0].DataNo, qint16(2));
        QCOMPARE(blocks[1].DataNo, qint16(3));
        QCOMPARE(blocks[1].getDataStatusStr(2), QStringLiteral("Hi"));
        QCOMPARE(m_prompter->texts(), QStringList());
    }

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<FakePump> m_pump;
};

QTEST_GUILESS_MAIN(TestChannelFile)
#include "test_channelfile.moc"
