#pragma once

#include <QList>
#include <QString>

// The instrument's memory listing (its answer to "MEM") read line by line into the work
// buffers, and the buffers stored into memBlocks. A listing looks like
//
//   PRINT 00/01/05 10:20:30        the instrument's clock: yy/mm/dd hh:nn:ss
//   No.02 12/31 23:50  18.4 C      block 02, m/dd, h:mm, value, unit
//   No.03  1/03 14:50   932 F OVER
//   END                            three lines without a block number end it
//
// Records carry no year: a record whose date in the clock's year lies 31 days or more
// after the clock is taken to be from the year before.
class MemoryListing
{
public:
    static constexpr int maxRecords = 1001;
    // Non-record lines in a row that end the listing.
    static constexpr int endLines = 3;

    // What the reading loop does after a line.
    enum Step {
        Continue,
        Finished, // endLines non-record lines in a row
        TimedOut, // the link's time-out text
        Stopped,  // the link's stop text (the progress dialog's Stop)
        Overflow, // a record beyond maxRecords
    };

    struct Record {
        int block = -1; // 0..63
        QString date;   // yy/mm/dd
        QString time;   // hh:nn:ss
        float value = 0.0f;
    };

    // `unit` is the unit of a first record whose unit text is neither C nor F.
    explicit MemoryListing(int unit = 0);

    // One line as readMemLine split it: fields[0..count-1] and the whole line. A block's
    // first record creates its data set in memBlocks.
    Step feed(const QString fields[11], int count, const QString &line);

    // Block index 0..63 from the last two characters ("01".."64"), or -1.
    static int blockOf(const QString &field0);
    // Day count of "yy/mm/dd hh:nn:ss" with the instrument's years (00-79 are 20xx, 80-99
    // 19xx); 1.0 when the text is not a valid date and time.
    static double dayCountOf(const QString &text);

    const QList<Record> &records() const { return m_records; }
    int recordsInBlock(int block) const;
    // The header's clock as a day count, and its year less 1900 (80..179); 0 before a header.
    double headerTime() const { return m_headerTime; }
    int year() const { return m_year; }

    // Appends every record to its block's data set in reception order, then derives each
    // set's times and statistics. Returns the string id of every append that failed: 1757
    // when the set is full, 1758 otherwise.
    QList<int> store();

private:
    QList<Record> m_records;
    int m_perBlock[64] = {};
    int m_nonRecords = 0;
    int m_unit = 0;
    int m_year = 0;
    double m_headerTime = 0.0;
};
