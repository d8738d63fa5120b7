#include "MemDataFile.h"

#include "DataFileReader.h"
#include "Format.h"
#include "Strings.h"

#include <cmath>

namespace
{
constexpr int sectionLabel = 5014;
} // namespace

MemDataFileResult readMemDataFile(DataFileReader &in, std::unique_ptr<ClassData> (&blocks)[64],
                                  FileProgress *progress)
{
    MemDataFileResult result;
    const QString label = loadString(sectionLabel);
    QString line;
    while (in.readLine(line)) {
        if (line.left(3) != label)
            continue;
        const double number = std::nearbyint(leadingNumber(line.mid(3)));
        if (!(number >= 1 && number <= 64))
            continue;
        const int block = static_cast<int>(number) - 1;
        auto data = std::make_unique<ClassData>();
        if (!data->loadFileDataPrim(in, progress)) {
            result.failed = true;
            break;
        }
        blocks[block] = std::move(data);
        ++result.sections;
    }
    return result;
}
