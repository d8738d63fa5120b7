#pragma once

#include "ClassData.h"

#include <QList>
#include <QString>

#include <memory>

class DataFileReader;
class FileProgress;

// What readMemDataFile found: the sections it read, whether a section broke off the reading
// (a malformed block, or the user's Stop), and the sections it did not load because their
// number lies outside 1..64 or repeats an earlier section.
struct MemDataFileResult {
    int sections = 0;
    bool failed = false;
    QList<int> skipped;
};

// Reads the sections of a memory data file ("No. n" lines, n = 1..64, each followed by the
// block in the channel data file's memory form) into `blocks`; lines outside a section are
// skipped, and so are sections with other numbers and repeated numbers (the first stays),
// which `skipped` names. A section without a Resolution line whose values all lack a decimal
// point is a whole-degree block. Reading stops at the first section that does not load; the
// sections before it stay in `blocks`. Messages go through the prompter.
MemDataFileResult readMemDataFile(DataFileReader &in, std::unique_ptr<ClassData> (&blocks)[64],
                                  FileProgress *progress);

// The message naming the sections readMemDataFile skipped.
QString skippedSectionsText(const QList<int> &skipped);

enum class MemWrite { Written, Stopped, Failed };

// Writes every block that holds samples as a section, in block order, to `path` through a
// temporary file that replaces it only when complete. Stopped when the user stopped the
// writing (saveFileDataPrim said so); Failed on any file error, which the caller reports.
MemWrite writeMemDataFile(const QString &path, const std::unique_ptr<ClassData> (&blocks)[64],
                          FileProgress *progress);

// Where every finished download is kept: "downloads" in the per-user data folder.
QString downloadsFolder();
// Writes the blocks into downloadsFolder() (made when missing) as
// "listing yyyy-MM-dd hh-mm-ss.csv", named by `clock` (a day count: the instrument's date and
// time), with " (2)", " (3)".. rather than replacing a file. Returns the path, or an empty
// text when the file could not be written.
QString keepDownload(const std::unique_ptr<ClassData> (&blocks)[64], double clock);
