// The memory data file: every block of the listing in one text file, each as a section
// "No. n" followed by the block in the channel data file's memory form and an empty line.
#include "FormReadMem.h"

#include "AppState.h"
#include "DataFileReader.h"
#include "FilePace.h"
#include "FormFileWait.h"
#include "Format.h"
#include "MemDataFile.h"
#include "Prompter.h"
#include "Strings.h"

#include <QFile>

namespace
{
const QString fileFilter =
    QStringLiteral("text (*.csv *.txt *.dat)|*.csv;*.txt;*.dat|all (*.*)|*.*");
const QString defaultPattern = QStringLiteral("*.csv");

enum Message {
    savingErrorMessage = 1751,
    readingErrorMessage = 1747,
    changedMessage = 1749,
    memoryDataMessage = 1770,
    dataLostMessage = 1746,
};

bool savingError()
{
    showMessage(loadString(savingErrorMessage));
    return false;
}
} // namespace

bool FormReadMem::saveMemFile(const QString &path)
{
    stopRequested = false;
    MemWrite written;
    {
        FormFileWait wait;
        wait.initMsg(loadString(1761), loadString(1762), loadString(1763));
        wait.show1(this);
        written = writeMemDataFile(path, memBlocks, &wait);
        wait.Hide1();
    }
    // A stop was reported by the block writer already.
    if (written == MemWrite::Failed)
        savingError();
    if (written != MemWrite::Written)
        return false;
    memFileName = path;
    memUntitled = false;
    if (m_showingDownload)
        m_download = DownloadSaved;
    return true;
}

bool FormReadMem::saveMemData()
{
    const QString path =
        Prompter::instance().saveFileName(QString(), fileFilter, defaultPattern, memFileName);
    if (path.isEmpty() || !saveMemFile(path))
        return false;
    setSaveMenu(2);
    return true;
}

bool FormReadMem::oversaveMemData()
{
    if (memUntitled)
        return saveMemData();
    if (!saveMemFile(memFileName))
        return false;
    setSaveMenu(2);
    return true;
}

void FormReadMem::loadMemData()
{
    if (blockCount > 0) {
        const QString question =
            loadString(memoryDataMessage) + u'\r' + loadString(dataLostMessage);
        if (showMessage(question, Prompter::OkCancel, Prompter::Question) != Prompter::AnswerOk)
            return;
    }
    const QString path = Prompter::instance().openFileName(QString(), fileFilter, defaultPattern);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showMessage(loadString(readingErrorMessage));
        return;
    }

    // Read aside first: a file without one readable section leaves the listing as it was.
    std::unique_ptr<ClassData> loaded[64];
    MemDataFileResult read;
    bool stopped = false;
    stopRequested = false;
    {
        FormFileWait wait;
        wait.initMsg(loadString(1753), loadString(1754), loadString(1755));
        wait.show1(this);
        DataFileReader in(&file);
        // Lines between sections are read here, not by a block's loader: pace them too, so
        // that a file of endless blank lines still answers Stop.
        FilePace pace(&wait);
        in.setPace(&pace);
        read = readMemDataFile(in, loaded, &wait);
        stopped = read.failed && wait.stopped();
        wait.Hide1();
    }
    const int sections = read.sections;
    // A file with blocks left out is only partly here, as a broken one is.
    const bool failed = read.failed || !read.skipped.isEmpty();

    if (!read.skipped.isEmpty())
        showMessage(skippedSectionsText(read.skipped), Prompter::Ok, Prompter::Warning);
    if (read.failed && !stopped)
        showMessage(loadString(readingErrorMessage));
    if (sections == 0) {
        if (!read.failed)
            showMessage(loadString(readingErrorMessage));
        return;
    }
    clearMemBlocks();
    m_showingDownload = false;
    for (int block = 0; block < 64; ++block)
        memBlocks[block] = std::move(loaded[block]);
    if (failed) {
        // Only part of the file is here: saving it back under its name would drop the rest.
        memFileName = newUntitledMemName();
        memUntitled = true;
        setSaveMenu(1);
    } else {
        memFileName = path;
        memUntitled = false;
        setSaveMenu(2);
    }
    dispMemList();
}

int FormReadMem::confirmMemSave()
{
    if (saveState() != 1)
        return Prompter::AnswerYes;
    const Prompter::Answer answer =
        showMessage(loadString(changedMessage), Prompter::YesNoCancel, Prompter::Question);
    if (answer == Prompter::AnswerYes && !oversaveMemData())
        return Prompter::AnswerCancel;
    return answer;
}
