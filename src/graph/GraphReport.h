#pragma once

#include <QPageSize>
#include <QString>
#include <QVector>

#include <optional>

class ClassData;

// What a graph report shows beyond its channels. Cursor times are elapsed seconds; a cursor
// stops on the first sample time at or after its time, as a step of the window's cursor does.
struct GraphReportOptions {
    std::optional<qint32> cursorA;
    std::optional<qint32> cursorB;
    bool colour = true;
    QPageSize pageSize = QPageSize(QPageSize::A4);
};

// The graph print-out of `channels` (entry k is CHk+1; nullptr an absent channel; at most 8)
// on one PDF page: auto ranged, with the cursors placed, written through a temporary file
// that replaces `pdfPath` only when complete. Needs a QGuiApplication, no windows. False with
// the reason in `error` when there is nothing to report or the file cannot be written.
bool writeGraphReport(const QVector<const ClassData *> &channels, const GraphReportOptions &options,
                      const QString &pdfPath, QString *error = nullptr);
