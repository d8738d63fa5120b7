// The channel data file. The first byte chooses the mode (bit 0: Read Memory Data, whose
// files have a comparator and times without seconds); the rest is the file. A file that loads
// is saved back, so the texts derived from its samples are built too.

#include "FuzzCommon.h"

#include "ClassData.h"
#include "DataFileReader.h"

#include <QBuffer>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    programMode = qint16(data[0] & 1);
    QByteArray bytes = fuzz::bytesOf(data + 1, size - 1);
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    DataFileReader in(&file);
    ClassData set;
    if (set.loadFileDataPrim(in, nullptr)) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        set.saveFileDataPrim(out, nullptr);
    }
    return 0;
}
