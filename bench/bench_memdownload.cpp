#include "AppState.h"
#include "ClassData.h"
#include "FormReadMem.h"
#include "Format.h"
#include "MemBlocks.h"
#include "MemoryListing.h"
#include "PortDevices.h"
#include "Prompter.h"
#include "QtSerialPort.h"
#include "Strings.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <vector>

namespace
{
// Records in the simulator's memory: about 35 s of listing at 2400 baud.
constexpr int listedRecords = 300;
// How far the download may run past the time its bytes take on the wire, in percent.
constexpr double overWireTarget = 1.0;
constexpr double storeTargetMs = 20.0;
// Records of the in-process listing: ten times what the old fixed buffers held.
constexpr int parsedRecords = 10000;

// 2400 baud, 10 bits a character.
double wireMs(qint64 bytes)
{
    return bytes * 10.0 * 1000.0 / 2400.0;
}

// Records every message a download shows; the one question a download that succeeds asks,
// "Load to Excel?" wherever a workbook folder can be made, is answered No so that only the
// download itself is timed.
class RecordingPrompter : public Prompter
{
public:
    Answer message(const QString &text, Buttons buttons, Icon) override
    {
        if (buttons == YesNo && text == loadString(4204)) {
            questions << text;
            return AnswerNo;
        }
        texts << text;
        return AnswerOk;
    }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &,
                         const QString &) override
    {
        return {};
    }

    QStringList texts;
    QStringList questions;
};

// The real serial port, timing the listing: from "MEM" going out to "off" going out, and the
// bytes received in between.
class TimedPort : public SerialPort
{
public:
    TimedPort() { m_clock.start(); }

    void setDevice(const QString &device) override { m_port.setDevice(device); }
    QString device() const override { return m_port.device(); }
    bool open() override { return m_port.open(); }
    bool isOpen() const override { return m_port.isOpen(); }
    void close() override { m_port.close(); }
    OpenError openError() const override { return m_port.openError(); }
    QString errorText() const override { return m_port.errorText(); }
    bool setDataTerminalReady(bool on) override { return m_port.setDataTerminalReady(on); }
    bool setRequestToSend(bool on) override { return m_port.setRequestToSend(on); }

    qint64 write(const QByteArray &data) override
    {
        if (data == "MEM\r\n")
            memNs = m_clock.nsecsElapsed();
        else if (memNs >= 0 && offNs < 0 && data.startsWith("off"))
            offNs = m_clock.nsecsElapsed();
        return m_port.write(data);
    }

    QByteArray readAll() override
    {
        const QByteArray data = m_port.readAll();
        if (memNs >= 0 && offNs < 0 && !data.isEmpty()) {
            bytes += data.size();
            lastByteNs = m_clock.nsecsElapsed();
        }
        return data;
    }

    qint64 memNs = -1;
    qint64 offNs = -1;
    qint64 lastByteNs = -1;
    qint64 bytes = 0;

private:
    QtSerialPort m_port;
    QElapsedTimer m_clock;
};

QStringList listingLines(int count)
{
    QStringList lines{QStringLiteral("PRINT 26/01/05 10:20:30")};
    for (int i = 0; i < count; ++i) {
        const bool december = i < count / 2;
        lines << QStringLiteral("No.%1 %2 %3:%4 %5 %6")
                     .arg(1 + i * 64 / count, 2, 10, QLatin1Char('0'))
                     .arg(december ? QStringLiteral("12/31") : QStringLiteral("1/04"))
                     .arg(i / 60 % 24)
                     .arg(i % 60, 2, 10, QLatin1Char('0'))
                     .arg(i % 3 ? QString::number(-20.0 + i * 0.1, 'f', 1) : QString::number(i))
                     .arg(i % 7 ? QStringLiteral("C") : QStringLiteral("F"));
    }
    return lines << QStringLiteral("END") << QString() << QString();
}
} // namespace

// Read Memory Data: a download from orvan-sim on a pseudo-terminal at 2400 baud in real
// time, and the parsing and storing of a full listing in-process.
class BenchMemDownload : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void downloadKeepsPaceWithTheLine();
    void parseAndStoreFullListing();

private:
    QTemporaryDir m_dir;
    QProcess m_sim;
    RecordingPrompter m_prompter;
};

void BenchMemDownload::initTestCase()
{
    const QString link = m_dir.filePath(QStringLiteral("COM1"));
    m_sim.setProgram(QStringLiteral(ORVAN_SIM));
    m_sim.setArguments({QStringLiteral("--type"), QStringLiteral("F"),
                        QStringLiteral("--memory-records"), QString::number(listedRecords),
                        QStringLiteral("--link"), link});
    m_sim.setStandardErrorFile(QProcess::nullDevice());
    m_sim.start();
    QVERIFY(m_sim.waitForStarted());
    QTRY_VERIFY(QFile::exists(link));
    programMode = 1;
    // The download keeps its listing in the per-user data folder: this run's own.
    qputenv("XDG_DATA_HOME", m_dir.path().toLocal8Bit());
    settingsFileOverride = m_dir.filePath(QStringLiteral("OrvanUtility.ini"));
    setPortDeviceForRun(0, link);
    Prompter::setInstance(&m_prompter);
}

void BenchMemDownload::cleanupTestCase()
{
    for (auto &block : memBlocks)
        block.reset();
    Prompter::setInstance(nullptr);
    m_sim.terminate();
    m_sim.waitForFinished();
}

void BenchMemDownload::downloadKeepsPaceWithTheLine()
{
    TimedPort port;
    auto *window = new FormReadMem(&port);
    window->show();
    QElapsedTimer whole;
    whole.start();
    window->readMemData();
    const double wholeS = whole.elapsed() / 1000.0;
    delete window;

    // The workbook question is the only one a download that succeeds may ask.
    m_prompter.texts.removeAll(loadString(4204));
    QCOMPARE(m_prompter.texts, QStringList());
    int stored = 0;
    for (const auto &block : memBlocks)
        stored += block ? block->DataNo : 0;
    QCOMPARE(stored, listedRecords);
    QVERIFY(port.memNs >= 0 && port.offNs > port.memNs);

    const double downloadMs = (port.offNs - port.memNs) / 1e6;
    const double lineMs = wireMs(port.bytes);
    const double tailMs = (port.offNs - port.lastByteNs) / 1e6;
    const double over = 100.0 * (downloadMs - lineMs) / lineMs;
    qInfo("Download of %d records: %lld bytes, %.0f ms on the wire, listing read in %.0f ms "
          "(last byte to \"off\" %.1f ms); whole download %.1f s",
          listedRecords, port.bytes, lineMs, downloadMs, tailMs, wholeS);
    qInfo("SUMMARY download over wire time: %.2f %% (target <= %.0f %%) %s", over, overWireTarget,
          over <= overWireTarget ? "MET" : "MISSED");
    QVERIFY2(over <= overWireTarget, qPrintable(QString::number(over)));
}

void BenchMemDownload::parseAndStoreFullListing()
{
    MaxDataNo = 32000;
    const QStringList lines = listingLines(parsedRecords);
    std::vector<double> rounds;
    for (int round = 0; round < 50; ++round) {
        for (auto &block : memBlocks)
            block.reset();
        QElapsedTimer timer;
        timer.start();
        MemoryListing listing;
        QString fields[11];
        for (const QString &line : lines) {
            QString rest = line;
            const int count = splitBlank(rest, fields) + 1;
            if (listing.feed(fields, count, line) != MemoryListing::Continue)
                break;
        }
        const QStringList failures = listing.store();
        rounds.push_back(timer.nsecsElapsed() / 1e6);
        QCOMPARE(failures, QStringList());
        QCOMPARE(int(listing.records().size()), parsedRecords);
    }
    std::sort(rounds.begin(), rounds.end());
    const double median = rounds[rounds.size() / 2];
    qInfo("SUMMARY parse and store %d records: median %.3f ms, slowest %.3f ms (target < %.0f "
          "ms) %s",
          parsedRecords, median, rounds.back(), storeTargetMs,
          median < storeTargetMs ? "MET" : "MISSED");
    QVERIFY2(median < storeTargetMs, qPrintable(QString::number(median)));
}

QTEST_MAIN(BenchMemDownload)
#include "bench_memdownload.moc"
