#pragma once

#include <cstddef>

struct StringEntry {
    int key;          // Japanese id + 10000 for the English entries
    const char *text; // UTF-8
};

// Sorted by key.
extern const StringEntry stringTable[];
extern const std::size_t stringTableSize;
