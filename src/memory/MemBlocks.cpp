#include "MemBlocks.h"

std::unique_ptr<ClassData> memBlocks[64];
