#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

class ClassInstrument;
class ClassLink;

// What a download shows while it runs; every call comes from inside MemoryDownload::run, in
// this order. A view may leave any of them empty.
class MemoryDownloadView
{
public:
    virtual ~MemoryDownloadView() = default;
    // memBlocks was emptied for the download.
    virtual void blocksCleared() {}
    // From here to progressHidden a progress may show with a Stop that raises stopRequested,
    // which the link reads; showing it clears stopRequested.
    virtual void progressShown() {}
    // Records received so far, after every line of the listing; `finished` once it is over.
    virtual void progress(qsizetype records, bool finished)
    {
        Q_UNUSED(records)
        Q_UNUSED(finished)
    }
    // The records are in memBlocks and kept on disk: list them. No question comes before it.
    virtual void blocksStored() {}
    virtual void progressHidden() {}
};

// The Read Memory Data download: wakes the instrument through the link, checks its type and
// unit, reads its memory listing into memBlocks (emptied first), keeps the listing in the
// downloads folder at once and puts the instrument to sleep. Waits go through the pump,
// messages through the prompter ("Stopped.", "No memory data.", "Reading memory data is
// failed." and what could not be stored), the progress through the view.
class MemoryDownload
{
public:
    struct Result {
        // Records stored in memBlocks; 0 when there were none or the download failed.
        qsizetype records = 0;
        // The user's Stop ended the listing; the records read before it are stored.
        bool stopped = false;
        // The download failed and said so; memBlocks holds no block.
        bool failed = false;
        // The memory data file the listing was kept in; empty when nothing was kept.
        QString keptFile;
        // When the download started (a day count).
        double started = 0.0;
    };

    explicit MemoryDownload(ClassLink &link, ClassInstrument &instrument,
                            MemoryDownloadView *view = nullptr);

    Result run();

    // One listing line: ReadRS less its line end, split at blanks. Returns the field count.
    static int readMemLine(ClassLink &link, QString fields[11], QString &line);

private:
    ClassLink &m_link;
    ClassInstrument &m_instrument;
    MemoryDownloadView *m_view;
    MemoryDownloadView m_noView;
};

// The download for a command line with no window, step by step. Each runs in the Read Memory
// Data mode whatever programMode says. The link's host may show nothing; messages go through
// the installed prompter and every wait through the installed pump. A safe order is
// downloadMemory, writeMemoryFile, verifyMemoryFile, and clearMemory only when both succeeded.
// A workbook of the blocks: SheetWriter::exportBlocks(folder, memBlocks, 64, result.started).

// Runs a MemoryDownload, calling `progress` (when set) with the records received so far
// after every line of the listing.
MemoryDownload::Result downloadMemory(ClassLink &link, ClassInstrument &instrument,
                                      const std::function<void(qsizetype records)> &progress);
// Writes memBlocks at `path` in the memory data file format (the Save of the memory window);
// an existing file is replaced only once the new one is complete. False when it failed.
bool writeMemoryFile(const QString &path);
// Reads the memory data file at `path` and compares it with memBlocks: the same blocks with
// the same unit, resolution and samples (times to the minute, values as written). True only
// when every block reads back as it is held.
bool verifyMemoryFile(const QString &path);
// Clears the instrument's memory without asking first (a whole bracket on the link): true when
// the instrument confirmed it. Failures of the link are reported by the link.
bool clearMemory(ClassLink &link, ClassInstrument &instrument);
