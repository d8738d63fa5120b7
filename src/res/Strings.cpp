#include "Strings.h"

#include "StringTable.h"

#include <algorithm>

qint16 languageFlag = 1;
qint16 stringIdOffset = 10000;
QString unitLabels[2] = {QStringLiteral("°C"), QStringLiteral("°F")};
QString rangeSeparator = QStringLiteral("~");
QString dispFontName = QStringLiteral("MS Sans Serif");
QString fixedFontName = QStringLiteral("Courier New");
QString graphFontName = QStringLiteral("Arial");
qint16 dispFontSize = 8;
qint16 smallFontSize = 7;

void setLanguage()
{
    languageFlag = 1;
}

void initLanguage()
{
    if (languageFlag == 1) {
        unitLabels[0] = QStringLiteral("°C");
        unitLabels[1] = QStringLiteral("°F");
        rangeSeparator = QStringLiteral("~");
        dispFontName = QStringLiteral("MS Sans Serif");
        fixedFontName = QStringLiteral("Courier New");
        dispFontSize = 8;
        stringIdOffset = 10000;
    } else {
        unitLabels[0] = QStringLiteral("\u2103");
        unitLabels[1] = QStringLiteral("\u00dfF");
        rangeSeparator = QStringLiteral("\u301c");
        dispFontName = QStringLiteral("\uff2d\uff33 \uff30\u30b4\u30b7\u30c3\u30af");
        fixedFontName = QStringLiteral("\uff2d\uff33 \u30b4\u30b7\u30c3\u30af");
        dispFontSize = 9;
        stringIdOffset = 0;
    }
    smallFontSize = dispFontSize - 1;
}

QString stringTableEntry(int key)
{
    const StringEntry *begin = stringTable;
    const StringEntry *end = stringTable + stringTableSize;
    const StringEntry *found =
        std::lower_bound(begin, end, key, [](const StringEntry &e, int k) { return e.key < k; });
    if (found == end || found->key != key)
        return {};
    return QString::fromUtf8(found->text);
}

QString loadString(int id)
{
    return stringTableEntry(stringIdOffset + id);
}
