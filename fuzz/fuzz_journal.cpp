// The run journal a logged run leaves behind when it never ended: any bytes as the journal
// file, read back as the next start does, then written as the channel data file it is kept
// as.

#include "FuzzCommon.h"

#include "ClassData.h"
#include "DateTime.h"
#include "RunJournal.h"

#include <QBuffer>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    const std::unique_ptr<ClassData> run = RunJournal::read(in);
    if (run) {
        // The name and the content of the kept channel data file.
        (void)fromDayCount(run->StartDateTime).toString(QStringLiteral("yyyy-MM-dd hh-mm-ss"));
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        run->saveFileDataPrim(out, nullptr);
    }
    return 0;
}
