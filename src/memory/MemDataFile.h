#pragma once

#include "ClassData.h"

#include <memory>

class DataFileReader;
class FileProgress;

// What readMemDataFile found: the sections it read, and whether a section broke off the
// reading (a malformed block, or the user's Stop).
struct MemDataFileResult {
    int sections = 0;
    bool failed = false;
};

// Reads the sections of a memory data file ("No. n" lines, n = 1..64, each followed by the
// block in the channel data file's memory form) into `blocks`; lines outside a section and
// sections with other numbers are skipped. Reading stops at the first section that does not
// load; the sections before it stay in `blocks`. Messages go through the prompter.
MemDataFileResult readMemDataFile(DataFileReader &in, std::unique_ptr<ClassData> (&blocks)[64],
                                  FileProgress *progress);
