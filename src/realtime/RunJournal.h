#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>

class ClassData;
class QIODevice;

// The journal of a logged run: every stored sample is appended to a small text file, flushed
// to the system at once, so that a crash, a power cut or a killed session loses at most the
// sample being written. A run that ends removes its journal; a journal found at the next
// start belongs to a run that never ended.
//
// File "CH<n> yyyy-MM-dd hh-mm-ss.journal" in folder():
//   OrvanUtility run journal,1,<channel 0..7>,<unit>,<resolution>,<emissivity>,<title>
//   <time as a day count>,<value>            one line per sample, as stored
// Numbers are written with all their digits, so the samples read back exactly. The running
// process holds an advisory lock on its journal, which the system drops when it dies.
class RunJournal
{
public:
    explicit RunJournal(const QString &folder = defaultFolder());
    // Leaves an open journal in place, as a crash would.
    ~RunJournal();

    // An empty folder switches the journal off.
    void setFolder(const QString &folder) { m_folder = folder; }
    QString folder() const { return m_folder; }

    // Starts the journal of a run into `data` (its header fields); false, and a journal that
    // writes nothing, when the file cannot be created. Never stops the run.
    bool open(const ClassData &data);
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }
    void append(double time, float value);
    // The run ended with its samples in memory: the journal goes.
    void finish();

    // The per-user data folder's "journal".
    static QString defaultFolder();
    // Where journals that are not taken back into a channel are kept, as channel data files.
    static QString recoveryFolder();

    // Journals in `folder` whose run is not going on in any process, oldest first.
    static QStringList pending(const QString &folder);
    // The run a journal holds: its header and every whole sample line (a line cut short by a
    // crash is left out). Null when the file is no journal or holds no sample.
    static std::unique_ptr<ClassData> read(const QString &path);
    static std::unique_ptr<ClassData> read(QIODevice &in);
    // Keeps a journal that is not recovered: written as a channel data file into
    // `recoveryFolder` (the journal itself when it cannot be read), then removed. Returns the
    // kept file's path; empty, and the journal left in place, when nothing could be written.
    // A journal with nothing after its header is only removed.
    static QString keep(const QString &path, const QString &recoveryFolder);

    static const char *const fileSuffix;

private:
    QString m_folder;
    QFile m_file;
};
