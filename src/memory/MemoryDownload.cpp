#include "MemoryDownload.h"

#include "AppState.h"
#include "ClassInstrument.h"
#include "ClassLink.h"
#include "CommError.h"
#include "DataFileReader.h"
#include "Format.h"
#include "MemBlocks.h"
#include "MemDataFile.h"
#include "MemoryListing.h"
#include "Prompter.h"
#include "Pump.h"
#include "Settings.h"
#include "Strings.h"

#include <QFile>

namespace
{
// Failures whose message was shown where they were raised.
bool alreadyReported(int code)
{
    switch (code) {
    case CommError::Stopped:
    case CommError::PortFailed:
    case CommError::NoReply:
    case CommError::WrongType:
    case CommError::DataFullReported:
        return true;
    default:
        return false;
    }
}

// The Read Memory Data mode for one call, whatever mode the caller runs in: the type check
// wants the field type, files take the memory form (times without seconds, no resolution).
class MemoryMode
{
public:
    MemoryMode() : m_mode(programMode) { programMode = 1; }
    ~MemoryMode() { programMode = m_mode; }

private:
    qint16 m_mode;
};

class ProgressCallback : public MemoryDownloadView
{
public:
    explicit ProgressCallback(const std::function<void(qsizetype)> &progress) : m_progress(progress)
    {
    }
    void progress(qsizetype records, bool) override
    {
        if (m_progress)
            m_progress(records);
    }

private:
    const std::function<void(qsizetype)> &m_progress;
};
} // namespace

MemoryDownload::MemoryDownload(ClassLink &link, ClassInstrument &instrument,
                               MemoryDownloadView *view)
    : m_link(link), m_instrument(instrument), m_view(view ? view : &m_noView)
{
}

int MemoryDownload::readMemLine(ClassLink &link, QString fields[11], QString &line)
{
    line = link.ReadRS();
    line.chop(2);
    // splitBlank consumes its argument; the header needs the whole line.
    QString rest = line;
    return splitBlank(rest, fields) + 1;
}

MemoryDownload::Result MemoryDownload::run()
{
    Pump &pump = Pump::instance();
    Result result;
    result.started = pump.now();
    for (auto &block : memBlocks)
        block.reset();
    m_view->blocksCleared();
    m_view->progressShown();
    pump.processEvents();

    try {
        m_link.PowerOn();
        m_instrument.confirmModelType();
        m_link.startMeasure();
        m_instrument.readUnit();
        if (languageFlag == 0 && MeasSetting.Unit == 1) {
            MeasSetting.Unit = 0;
            showMessage(loadString(1798), Prompter::Ok, Prompter::Warning);
            throw CommError{CommError::Stopped, loadString(1798)};
        }

        MemoryListing listing(MeasSetting.Unit, result.started);
        m_link.SendCommand(QStringLiteral(";"));
        // SendCommand takes the listing's title line as its reply.
        m_link.SendCommand(QStringLiteral("MEM"));
        QString fields[11];
        QString line;
        for (;;) {
            const int count = readMemLine(m_link, fields, line);
            const MemoryListing::Step step = listing.feed(fields, count, line);
            if (step == MemoryListing::Stopped) {
                result.stopped = true;
                m_link.PowerOff();
                showMessage(loadString(4231), Prompter::Ok, Prompter::Information);
            }
            if (step != MemoryListing::Continue)
                break;
            m_view->progress(listing.records().size() + listing.undatable().size(), false);
            pump.processPendingEvents();
        }
        m_link.PowerOff();
        m_view->progress(listing.records().size() + listing.undatable().size(), true);

        const QStringList notStored = listing.store();
        for (const auto &block : memBlocks)
            result.records += block ? block->DataNo : 0;
        if (result.records > 0) {
            // Kept before anything is asked: whatever happens next, the listing is on disk.
            result.keptFile = keepDownload(memBlocks, listing.headerTime());
            m_view->blocksStored();
            if (result.keptFile.isEmpty())
                showMessage(loadString(7211) + u'\r' + downloadsFolder(), Prompter::Ok,
                            Prompter::Warning);
        }
        if (!notStored.isEmpty())
            showMessage(notStored.join(u'\r'), Prompter::Ok, Prompter::Warning);
        m_view->progressHidden();
        if (result.records == 0)
            showMessage(loadString(4203), Prompter::Ok, Prompter::Information);
    } catch (const CommError &error) {
        m_link.PowerOff();
        for (auto &block : memBlocks) {
            if (block && block->DataNo < 1)
                block.reset();
        }
        result.failed = true;
        m_view->progressHidden();
        if (!alreadyReported(error.code) && !error.description.isEmpty())
            showMessage(error.description, Prompter::Ok, Prompter::Warning);
        showMessage(loadString(4205), Prompter::Ok, Prompter::Warning);
    }
    // A Stop pressed after the last line was read must not stop the next transaction.
    stopRequested = false;
    return result;
}

MemoryDownload::Result downloadMemory(ClassLink &link, ClassInstrument &instrument,
                                      const std::function<void(qsizetype records)> &progress)
{
    const MemoryMode mode;
    ProgressCallback view(progress);
    return MemoryDownload(link, instrument, &view).run();
}

bool writeMemoryFile(const QString &path)
{
    const MemoryMode mode;
    return writeMemDataFile(path, memBlocks, nullptr) == MemWrite::Written;
}

bool verifyMemoryFile(const QString &path)
{
    const MemoryMode mode;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    DataFileReader in(&file);
    std::unique_ptr<ClassData> read[64];
    const MemDataFileResult result = readMemDataFile(in, read, nullptr);
    if (result.failed || !result.skipped.isEmpty())
        return false;
    for (int block = 0; block < 64; ++block) {
        const ClassData *held = memBlocks[block].get();
        const ClassData *back = read[block].get();
        // A block without samples is not written.
        if (held && held->DataNo < 1)
            held = nullptr;
        if (!held || !back) {
            if (held || back)
                return false;
            continue;
        }
        if (held->DataNo != back->DataNo || held->Unit != back->Unit ||
            held->Resolution != back->Resolution)
            return false;
        for (int i = 0; i < held->DataNo; ++i) {
            if (held->getDataDateTime(i) != back->getDataDateTime(i) ||
                valueText(held->getDataY(i), held->Resolution) !=
                    valueText(back->getDataY(i), back->Resolution))
                return false;
        }
    }
    return true;
}

bool clearMemory(ClassLink &link, ClassInstrument &instrument)
{
    const MemoryMode mode;
    bool cleared = false;
    link.showCommDialog();
    try {
        link.PowerOn();
        instrument.confirmModelType();
        link.SendCommand(QStringLiteral("CLR"));
        cleared = link.lastReply() == QLatin1String("Memory Data cleared");
    } catch (const CommError &) {
        // The link or the type check has said why.
    }
    link.PowerOff();
    link.hideCommDialog();
    return cleared;
}
