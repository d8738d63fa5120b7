// The instrument's memory listing (its answer to "MEM"): the input is what arrives on the
// serial line, read line by line as the download does; when it ends without a line feed the
// link gives its time-out text.

#include "FuzzCommon.h"

#include "ClassData.h"
#include "Format.h"
#include "MemBlocks.h"
#include "MemoryListing.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::setUp();
    programMode = 1;
    MaxDataNo = 32000;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    for (auto &block : memBlocks)
        block.reset();
    // The first byte is the unit the instrument reported before the listing.
    const int unit = size > 0 ? data[0] & 1 : 0;
    const QString received =
        size > 1
            ? QString::fromLatin1(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1))
            : QString();
    MemoryListing listing(unit);
    MemoryListing::Step step = MemoryListing::Continue;
    qsizetype from = 0;
    while (step == MemoryListing::Continue) {
        const qsizetype lf = received.indexOf(u'\n', from);
        QString line = lf >= 0 ? received.mid(from, lf + 1 - from) : QStringLiteral("TimeOut  ");
        from = lf + 1;
        line.chop(2);
        QString rest = line;
        QString fields[11];
        const int count = splitBlank(rest, fields) + 1;
        step = listing.feed(fields, count, line);
    }
    listing.store();
    for (auto &block : memBlocks)
        block.reset();
    return 0;
}
