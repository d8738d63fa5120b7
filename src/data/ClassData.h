#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>
#include <vector>

class DataFileReader;
class FileProgress;
class QIODevice;

// Most samples a live recording may append; the measurement time dialog and the Read Memory
// Data window set it. Files are read up to 32000 samples whatever its value.
extern qint16 MaxDataNo;

// Result of calcStatisSub. The two indices are left as the caller set them when no sample
// qualified for the minimum or maximum.
struct SpanStatistics {
    qint16 minIndex = 0;
    float minimum = 0.0f;
    qint16 maxIndex = 0;
    float maximum = 0.0f;
    double sum = 0.0;
    float peakToPeak = 0.0f;
    float average = 0.0f;
};

// One channel's or one memory block's recorded series with its header, statistics and
// comparator. Times are day counts; values are temperatures in the set's unit or value codes.
class ClassData
{
public:
    // Results of setRealTimeData besides 0.
    static constexpr qint16 dataFull = 21000;
    // The sample lies too far from sample 0 for 32-bit elapsed seconds.
    static constexpr qint16 elapsedOverflow = 6;
    // Most samples a file load stores; the rest of the file is ignored.
    static constexpr qint16 maxFileSamples = 32000;

    ClassData();

    qint16 ChNo = 0;
    QString FileName;
    bool Untitled = true;
    qint16 Changed = 0; // 0 new, 1 changed since the last save, 2 saved or loaded
    QString Title;
    qint16 DataNo = 0;
    qint16 StopNo = 0;  // index of the last sample; 0 when empty
    qint16 LastNo = -1; // index of the last sample; -1 when empty
    double StartDateTime = 0.0;
    double StopDateTime = 0.0;
    qint16 Unit = 0;       // 0 degrees C, 1 degrees F
    qint16 Resolution = 0; // 0 one decimal, 1 whole degrees
    float Emissivity = 0.0f;
    float CompHigh;
    float CompLow;
    qint16 CompOut = 0;
    QString MeasPerson;
    float MaxValue = 0.0f;
    float MinValue = 0.0f;
    float AveValue = 0.0f;
    double MaxDateTime = 0.0;
    double MinDateTime = 0.0;

    QString getStartDateTime() const;
    QString getStartDate() const;
    QString getStartTime() const;
    QString getStopDateTime() const;
    QString getStopDate() const;
    QString getStopTime() const;
    // "-" when the maximum (minimum) is low battery, error or missing.
    QString getMaxDateTime() const;
    QString getMaxDate() const;
    QString getMaxTime() const;
    QString getMinDateTime() const;
    QString getMinDate() const;
    QString getMinTime() const;

    // Per-sample reads. Indices past LastNo but within the arrays give zeros, as the arrays
    // hold them; indices outside the arrays give zeros or empty texts too.
    qint32 getDataX(int index) const;
    float getDataY(int index) const;
    qint16 getDataStatus(int index) const;
    // "Lo" or "Hi" while the comparator is on; empty otherwise.
    QString getDataStatusStr(int index) const;
    double getDataDate0(int index) const;
    QString getDataDateTime(int index) const;
    QString getDataDate(int index) const;
    QString getDataTime(int index) const;

    QString getCompHighStr() const;
    QString getCompLowStr() const;
    QString getMeasEmiStr() const;
    // 0 channel number, 1 title, 2 file name, 3 start, 4 stop, 5 data number, 6 person.
    QString getCHInfo(int item) const;
    bool getCompOn() const;

    // Judges every sample against the limits and counts the samples outside in CompOut.
    void compjob();
    // Appends one live sample: 0, dataFull when MaxDataNo samples are stored, or
    // elapsedOverflow; the set is unchanged unless the result is 0.
    qint16 setRealTimeData(double time, float value);
    // After a bulk fill: derives StopNo, LastNo, the start and stop times and the statistics
    // from the first DataNo samples, and judges them.
    void setTimeData();
    // Statistics over the samples whose elapsed seconds lie in spanStart..spanEnd (the channel
    // argument is not used). Reruns compjob.
    void calcStatisSub(qint16 channel, double spanStart, double spanEnd, SpanStatistics &stats);

    // Bulk fill: stores sample `index`; the arrays grow as live appends make them grow.
    // DataNo and the statistics are left to the caller and setTimeData.
    void storeSample(int index, double time, float value, qint32 elapsed);
    // Header fields as a file load starts: no title, person, emissivity or limits; unit C,
    // resolution 0.1.
    void resetHeader();
    // Highest index the per-sample arrays hold (100 for a new set).
    int upperBound() const { return static_cast<int>(m_value.size()) - 1; }
    // Raw views of indices 0..upperBound(), for loops over thousands of samples (drawing).
    const qint32 *elapsedArray() const { return m_elapsed.data(); }
    const float *valueArray() const { return m_value.data(); }

    // The channel data file. Messages go through the prompter; progress may be null. A save
    // replaces the file only when it succeeds. Neither touches FileName, Untitled or Changed.
    bool loadFileData(const QString &path, FileProgress *progress = nullptr);
    bool saveFileData(const QString &path, FileProgress *progress = nullptr);
    // The same on a file another reader or writer holds open (the memory data file keeps
    // one block per section). Reading stops after an empty line, which is consumed.
    bool loadFileDataPrim(DataFileReader &in, FileProgress *progress);
    bool saveFileDataPrim(QIODevice &out, FileProgress *progress) const;

private:
    // The growth rule: when `count` samples are stored and count is a multiple of 100, the
    // arrays are enlarged to hold indices 0..count+100.
    void growFor(int count);
    void reserveIndex(int index);

    std::vector<double> m_time;
    std::vector<qint32> m_elapsed;
    std::vector<float> m_value;
    std::vector<qint16> m_judge;

    struct RunningStatistics {
        qint16 count = 0;
        float minimum = 0.0f;
        float maximum = 0.0f;
        float average = 0.0f;
        double sum = 0.0;
        qint16 normalCount = 0;
    } m_running;
};

// The real-time side's eight channels CH1..CH8; an empty entry is an absent channel.
extern std::unique_ptr<ClassData> channelData[8];

// True when channel ch (0..7) holds a data set.
bool checkMeasDataExist(int ch);
