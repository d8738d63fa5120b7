#include "StringTable.h"

// English entries, Japanese id + 10000.
const StringEntry stringTable[] = {
    {11000, "Start Up Menu"},
    {11001, "Select Function"},
    {11002, "Real Time Measurement\n(For Lab. Type)"},
    {11003, "Read Memory Data\n(For Field Type)"},
    {11100, "Real Time Measurement"},
    {14000, "Read Memory Data"},
    {16000, "About Orvan Utility"},
    {16001, "Orvan Utility"},
};

const std::size_t stringTableSize = sizeof(stringTable) / sizeof(stringTable[0]);
