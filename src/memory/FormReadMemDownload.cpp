// The download as the window shows it: MemoryDownload with the progress dialog, the block list
// and the workbook question.
#include "FormReadMem.h"

#include "FormFileWait.h"
#include "Format.h"
#include "MemoryDownload.h"
#include "Prompter.h"
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

// The progress dialog over the window, and the list filled before anything is asked.
class DownloadDialog : public MemoryDownloadView
{
public:
    explicit DownloadDialog(FormReadMem *owner) : m_owner(owner) {}

    void blocksCleared() override { m_owner->setSaveMenu(0); }
    void progressShown() override
    {
        m_wait.initMsg(loadString(4200), loadString(4201), loadString(4202));
        m_wait.initProgress(progressSteps);
        m_wait.show1(m_owner);
    }
    void progress(qsizetype records, bool finished) override
    {
        m_wait.ProgressJob(finished ? progressSteps
                                    : int(progressSteps * records / (records + halfwayRecords)));
        m_wait.Label2->setText(loadString(7200).arg(records));
    }
    void blocksStored() override
    {
        m_owner->setSaveMenu(1);
        m_owner->dispMemList();
    }
    void progressHidden() override { m_wait.Hide1(); }

private:
    FormReadMem *m_owner;
    FormFileWait m_wait;
};

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

void FormReadMem::readMemData()
{
    MemoryDownload::Result result;
    {
        DownloadDialog dialog(this);
        result = MemoryDownload(link(), instrument(), &dialog).run();
    }
    if (result.records > 0) {
        m_keptFile = result.keptFile;
        m_download = DownloadUnsaved;
        m_showingDownload = true;
    }
    dispMemList();
    memFileName = newUntitledMemName();
    memUntitled = true;
    // Asked over the filled list.
    if (result.records > 0)
        offerWorkbook(result.started);
}
