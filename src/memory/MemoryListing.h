#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The instrument's memory listing (its answer to "MEM") read line by line and stored into
// memBlocks. A listing looks like
//
//   PRINT 00/01/05 10:20:30        the instrument's clock: yy/mm/dd hh:nn:ss
//   No.02 12/31 23:50  18.4 C      block 02, m/dd, h:mm, value, unit
//   No.03  1/03 14:50   932 F OVER
//   No.05  1/04  8:05 -  0.4 C     a sign may stand apart from its digits
//   END                            three lines without a block number end it
//
// Records carry no year: each is dated in the latest year, not later than the clock's, in
// which its month and day exist and it lies less than 31 days after the clock. The listing
// may hold any number of records.
class MemoryListing
{
public:
    // Non-record lines in a row that end the listing.
    static constexpr int endLines = 3;

    // What the reading loop does after a line.
    enum Step {
        Continue,
        Finished, // endLines non-record lines in a row
        TimedOut, // the link's time-out text
        Stopped,  // the link's stop text (the progress dialog's Stop)
    };

    struct Record {
        int block = -1;  // 0..63
        double time = 0; // day count
        float value = 0.0f;
    };

    // `unit` is the unit of a first record whose unit text is neither C nor F. `hostNow` (a
    // day count) stands in for the instrument's clock until a header line gives it.
    explicit MemoryListing(int unit = 0, double hostNow = 0.0);

    // One line as readMemLine split it: fields[0..count-1] and the whole line. A block's
    // first dated record creates its data set in memBlocks.
    Step feed(const QString fields[11], int count, const QString &line);

    // Block index 0..63 from the last two characters ("01".."64"), or -1.
    static int blockOf(const QString &field0);
    // Day count of "yy/mm/dd hh:nn:ss" with the instrument's years (00-79 are 20xx, 80-99
    // 19xx); 1.0 when the text is not a valid date and time.
    static double dayCountOf(const QString &text);
    // Day count of a record's month, day, hour and minute under a clock (a day count): the
    // latest year, the clock's or one before it, in which the date exists and lies less than
    // 31 days after the clock; 0 when no year of the last eight has it.
    static double recordTime(double clock, int month, int day, int hour, int minute);

    const QList<Record> &records() const { return m_records; }
    // The lines of records that no year dates (a 30 February, an hour 25), as received.
    const QStringList &undatable() const { return m_undatable; }
    // The instrument's clock as a day count: the header's, else hostNow.
    double headerTime() const { return m_headerTime; }

    // Appends every record to its block's data set in reception order, derives each set's
    // times and statistics and removes sets left without a sample. Returns the messages for
    // what was not stored (records that did not fit a full set, undatable records), one text
    // per cause; empty when every record was stored.
    QStringList store();

private:
    QList<Record> m_records;
    QStringList m_undatable;
    bool m_created[64] = {};
    int m_nonRecords = 0;
    int m_unit = 0;
    double m_headerTime = 0.0;
};
