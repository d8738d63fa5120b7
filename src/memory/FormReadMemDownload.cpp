// The download: the instrument's memory listing read over the link into memBlocks.
#include "FormReadMem.h"

#include "AppState.h"
#include "ClassInstrument.h"
#include "ClassLink.h"
#include "CommError.h"
#include "FormFileWait.h"
#include "Format.h"
#include "MemDataFile.h"
#include "MemoryListing.h"
#include "Prompter.h"
#include "Pump.h"
#include "Settings.h"
#include "SheetWriter.h"
#include "Strings.h"

#include <QDesktopServices>
#include <QLabel>
#include <QUrl>

namespace
{
// The listing's length is not known before its end: the bar creeps toward its end, half way
// at this many records, and fills only when the listing is over.
constexpr int progressSteps = 1000;
constexpr int halfwayRecords = 500;

int progressAt(qsizetype records)
{
    return int(progressSteps * records / (records + halfwayRecords));
}

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

// "Load to Excel?" after a download, asked only when workbooks can be written at all; Yes
// exports every block. `started` is the download's start, a day count.
void offerWorkbook(double started)
{
    const QString folder = SheetWriter::defaultFolder();
    if (!SheetWriter::canCreateFolder(folder))
        return;
    if (showMessage(loadString(4204), Prompter::YesNo, Prompter::Question) != Prompter::AnswerYes)
        return;
    const QString path = SheetWriter::exportBlocks(folder, memBlocks, 64, started);
    if (path.isEmpty())
        return;
    showMessage(loadString(1767) + u' ' + path, Prompter::Ok, Prompter::Information);
    if (SheetWriter::openFinished)
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
} // namespace

bool FormReadMem::checkMemDataExist(int block)
{
    return block >= 0 && block <= 63 && memBlocks[block] != nullptr;
}

void FormReadMem::clearMemBlocks()
{
    for (auto &block : memBlocks)
        block.reset();
    setSaveMenu(0);
}

int FormReadMem::readMemLine(QString fields[11], QString &line)
{
    line = link().ReadRS();
    line.chop(2);
    // splitBlank consumes its argument; the header needs the whole line.
    QString rest = line;
    return splitBlank(rest, fields) + 1;
}

void FormReadMem::readMemData()
{
    Pump &pump = Pump::instance();
    const double started = pump.now();
    clearMemBlocks();
    bool offer = false;

    FormFileWait wait;
    wait.initMsg(loadString(4200), loadString(4201), loadString(4202));
    wait.initProgress(progressSteps);
    wait.show1(this);
    pump.processEvents();

    try {
        link().PowerOn();
        instrument().confirmModelType();
        link().startMeasure();
        instrument().readUnit();
        if (languageFlag == 0 && MeasSetting.Unit == 1) {
            MeasSetting.Unit = 0;
            showMessage(loadString(1798), Prompter::Ok, Prompter::Warning);
            throw CommError{CommError::Stopped, loadString(1798)};
        }

        MemoryListing listing(MeasSetting.Unit, started);
        link().SendCommand(QStringLiteral(";"));
        // SendCommand takes the listing's title line as its reply.
        link().SendCommand(QStringLiteral("MEM"));
        QString fields[11];
        QString line;
        for (;;) {
            const int count = readMemLine(fields, line);
            const MemoryListing::Step step = listing.feed(fields, count, line);
            if (step == MemoryListing::Stopped) {
                link().PowerOff();
                showMessage(loadString(4231), Prompter::Ok, Prompter::Information);
            }
            if (step != MemoryListing::Continue)
                break;
            const qsizetype received = listing.records().size() + listing.undatable().size();
            wait.ProgressJob(progressAt(received));
            wait.Label2->setText(loadString(7200).arg(received));
            pump.processPendingEvents();
        }
        link().PowerOff();
        wait.ProgressJob(progressSteps);

        const bool any = !listing.records().isEmpty();
        const QStringList notStored = listing.store();
        if (any) {
            // Kept before anything is asked: whatever happens next, the listing is on disk.
            m_keptFile = keepDownload(memBlocks, listing.headerTime());
            m_download = DownloadUnsaved;
            m_showingDownload = true;
            if (m_keptFile.isEmpty())
                showMessage(loadString(7211) + u'\r' + downloadsFolder(), Prompter::Ok,
                            Prompter::Warning);
        }
        if (!notStored.isEmpty())
            showMessage(notStored.join(u'\r'), Prompter::Ok, Prompter::Warning);
        wait.Hide1();
        if (any) {
            setSaveMenu(1);
            offer = true;
        } else {
            showMessage(loadString(4203), Prompter::Ok, Prompter::Information);
        }
    } catch (const CommError &error) {
        link().PowerOff();
        for (auto &block : memBlocks) {
            if (block && block->DataNo < 1)
                block.reset();
        }
        wait.Hide1();
        if (!alreadyReported(error.code) && !error.description.isEmpty())
            showMessage(error.description, Prompter::Ok, Prompter::Warning);
        showMessage(loadString(4205), Prompter::Ok, Prompter::Warning);
    }
    // A Stop pressed after the last line was read must not stop the next transaction.
    stopRequested = false;

    dispMemList();
    memFileName = newUntitledMemName();
    memUntitled = true;
    // Asked over the filled list.
    if (offer)
        offerWorkbook(started);
}
