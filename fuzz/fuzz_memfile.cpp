// The memory data file of the Read Memory Data window: any bytes as the file. Loaded blocks
// are listed and saved back as the window does, so the texts derived from them are built too.

#include "FuzzCommon.h"

#include "DataFileReader.h"
#include "MemDataFile.h"

#include <QBuffer>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::setUp();
    programMode = 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes = fuzz::bytesOf(data, size);
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    DataFileReader in(&file);
    std::unique_ptr<ClassData> blocks[64];
    readMemDataFile(in, blocks, nullptr);
    for (const auto &block : blocks) {
        if (!block)
            continue;
        for (int item = 0; item <= 6; ++item)
            (void)block->getCHInfo(item);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        block->saveFileDataPrim(out, nullptr);
    }
    return 0;
}
