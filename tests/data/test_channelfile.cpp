#include "AppState.h"
#include "ClassData.h"
#include "DataFileReader.h"
#include "DateTime.h"
#include "FakePump.h"
#include "FileProgress.h"
#include "Format.h"
#include "ScriptedPrompter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <vector>

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
    void init();
    void cleanup();

    void savedFileHasExactLayout_data();
    void savedFileHasExactLayout();
    void handMadeFileLoadsOrFailsWithOneMessage_data();
    void handMadeFileLoadsOrFailsWithOneMessage();
    void missingPathsFailWithSystemText();
    void junkInputNeverCrashes();
    void moreThan32000SamplesLoadsFirst32000();
    void stopDuringLoadFails();
    void stopDuringSaveKeepsPreviousFile_data();
    void stopDuringSaveKeepsPreviousFile();
    void saveIntoUnwritablePlaceShows1764_data();
    void saveIntoUnwritablePlaceShows1764();
    void sectionsShareOneReader();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<FakePump> m_pump;
};

void TestChannelFile::init()
{
    programMode = 0;
    stopRequested = false;
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_pump = std::make_unique<FakePump>();
}

void TestChannelFile::cleanup()
{
    m_pump.reset();
    m_prompter.reset();
    m_dir.reset();
    programMode = 0;
}

void TestChannelFile::savedFileHasExactLayout_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("set");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("real time") << 0 << 0 << realTimeHeader + threeSamples;
    QTest::newRow("memory with comparator") << 1 << 1 << memoryWithComparator;
    QTest::newRow("memory without comparator") << 1 << 2 << memoryWholeDegrees;
}

void TestChannelFile::savedFileHasExactLayout()
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

void TestChannelFile::handMadeFileLoadsOrFailsWithOneMessage_data()
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
        << "Title,Furnace, north side\r\nMeas. Person,Ito, K.\r\nDate,Time,Data\r\n" + threeSamples
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
    QTest::newRow("first sample line empty")
        << realTimeHeader + "\r\n" + threeSamples << cannotRead;
    QTest::newRow("date that is no date") << first + "ab/cd/ef,10:00:01,24.1\r\n" << cannotRead;
    QTest::newRow("value that is no number") << first + "99/08/01,10:00:01,n/a\r\n" << cannotRead;
    QTest::newRow("line with fewer fields") << first + "99/08/01\r\n" << cannotRead;
    QTest::newRow("samples a century apart")
        << realTimeHeader + "80/01/01,00:00:00,1.0\r\n79/12/31,00:00:00,2.0\r\n"
        << cannotRead;
}

void TestChannelFile::handMadeFileLoadsOrFailsWithOneMessage()
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

void TestChannelFile::missingPathsFailWithSystemText()
{
    ClassData data;
    QVERIFY(!data.loadFileData(path(QStringLiteral("missing.csv"))));
    QVERIFY(!data.loadFileData(m_dir->path()));
    QVERIFY(!data.saveFileData(path(QStringLiteral("missing/out.csv"))));
    QCOMPARE(m_prompter->texts().size(), 3);
    for (const QString &text : m_prompter->texts()) {
        QVERIFY(!text.isEmpty());
        QVERIFY(text != QLatin1String("Cannot read file."));
        QVERIFY(text != QLatin1String("File is disabled for overwrite."));
    }
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("missing"))));
}

void TestChannelFile::junkInputNeverCrashes()
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

void TestChannelFile::moreThan32000SamplesLoadsFirst32000()
{
    const QString file = path(QStringLiteral("long.csv"));
    writeFile(file, "Title,Long\r\nData Number, 32050\r\nDate,Time,Data\r\n" + sampleLines(32050));

    ClassData data;
    QVERIFY(data.loadFileData(file));
    QCOMPARE(m_prompter->texts(), QStringList());
    QCOMPARE(data.DataNo, qint16(32000));
    QCOMPARE(data.getDataY(31999), float(31999 % 500) + 0.5f);
    QCOMPARE(data.getDataX(31999), 31999);
    QCOMPARE(data.MaxValue, 499.5f);
    QCOMPARE(data.MaxDateTime, data.getDataDate0(499));
}

void TestChannelFile::stopDuringLoadFails()
{
    const QString file = path(QStringLiteral("stop.csv"));
    writeFile(file, "Title,S\r\nDate,Time,Data\r\n" + sampleLines(1000));
    m_pump->schedule(25, [] { stopRequested = true; });

    RecordingProgress progress;
    ClassData data;
    QVERIFY(!data.loadFileData(file, &progress));
    QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("Stopped.")});
    QVERIFY(!stopRequested);
    QCOMPARE(progress.positions, (QList<int>{99, 199, 299}));
}

void TestChannelFile::stopDuringSaveKeepsPreviousFile_data()
{
    QTest::addColumn<bool>("fromProgress");
    QTest::newRow("Stop pressed while events run") << false;
    QTest::newRow("Stop pressed as the bar moves") << true;
}

void TestChannelFile::stopDuringSaveKeepsPreviousFile()
{
    QFETCH(bool, fromProgress);
    const QString file = path(QStringLiteral("kept.csv"));
    const QByteArray previous = realTimeHeader + threeSamples;
    writeFile(file, previous);

    auto data = recorded(std::vector<float>(1000, 20.0f));
    data->FileName = file;
    data->Untitled = false;
    data->Changed = 1;
    RecordingProgress progress;
    if (fromProgress)
        progress.onJob = [](int position) { stopRequested = position == 499; };
    else
        m_pump->schedule(35, [] { stopRequested = true; });

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

void TestChannelFile::saveIntoUnwritablePlaceShows1764_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("folder of the path is a file") << "plain.txt/sub/out.csv";
    QTest::newRow("target is a folder") << "folder";
}

void TestChannelFile::saveIntoUnwritablePlaceShows1764()
{
    QFETCH(QString, target);
    writeFile(path(QStringLiteral("plain.txt")), "plain\r\n");
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
    writeFile(path(QStringLiteral("folder/inside.csv")), "inside\r\n");

    auto data = recorded({1.0f, 2.0f});
    QVERIFY(!data->saveFileData(path(target)));
    QCOMPARE(m_prompter->texts(), QStringList{QStringLiteral("File is disabled for overwrite.")});
    QCOMPARE(readAllOf(path(QStringLiteral("plain.txt"))), QByteArray("plain\r\n"));
    QCOMPARE(QDir(path(QStringLiteral("folder"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("inside.csv")});
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("plain.txt")});
}

void TestChannelFile::sectionsShareOneReader()
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

QTEST_GUILESS_MAIN(TestChannelFile)
#include "test_channelfile.moc"
