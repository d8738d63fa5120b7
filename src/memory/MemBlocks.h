#pragma once

#include "ClassData.h"

#include <memory>

// The blocks of the last download or memory file; index = block number - 1 (0..63). An
// empty entry is an absent block.
extern std::unique_ptr<ClassData> memBlocks[64];
