#pragma once

#include <QByteArray>
#include <QString>

class FilePace;
class QIODevice;

// Reads the lines of a channel or memory data file from an open device. A line ends at CR LF,
// LF or a lone CR. Each line is decoded on its own: as UTF-8 when its bytes are valid UTF-8,
// otherwise as Windows-1252, the code page the Windows edition writes ("°" is the single byte
// B0 there). A UTF-8 byte order mark before the first line is dropped.
class DataFileReader
{
public:
    explicit DataFileReader(QIODevice *device);

    // True when no line is left.
    bool atEnd();
    // The next line without its end. At the end of the file: false and an empty line.
    bool readLine(QString &line);
    // Reads the next line and splits it at commas (splitComma): fields 0..10, unused ones empty.
    bool readLineFields(QString fields[11]);
    // The text after the first comma of the line readLineFields split last, commas and all.
    QString restAfterLabel() const { return m_rest; }
    // The line read last, as read.
    QString lastLine() const { return decode(m_lastRaw); }

    // Number of the line read last, counted from 1; 0 before the first.
    qint64 lineNumber() const { return m_lineNumber; }
    // Counts on from `lines`: for a part of a file read from a copy, so that its lines are
    // named by their numbers in the whole file.
    void setLinesBefore(qint64 lines) { m_lineNumber = lines; }
    // Bytes of the device taken up by the lines read so far.
    qint64 bytesRead() const { return m_chunkEnd - (m_buffer.size() - m_pos); }

    // The pace asked before each chunk the reader takes from the device, so that a file of
    // endless blank lines, or one endless line, still lets window events run; once the user
    // has stopped, the reader is at its end. Null for none; not owned.
    void setPace(FilePace *pace) { m_pace = pace; }
    FilePace *pace() const { return m_pace; }

    static QString decode(const QByteArray &bytes);

private:
    bool fill();
    QByteArray readRawLine();

    QIODevice *m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_firstLine = true;
    QString m_rest;
    QByteArray m_lastRaw;
    qint64 m_lineNumber = 0;
    qint64 m_chunkEnd = 0;
    FilePace *m_pace = nullptr;
};
