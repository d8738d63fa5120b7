#pragma once

#include <QStringList>

class QScrollBar;
class QTableWidget;
class QWidget;

// The grid of a sample table window: a screenful of fixed rows filled from the data set, moved
// by a scroll bar of its own (the wheel over the grid moves it too), since one row per sample
// would be far too slow for 32000 samples.
struct SampleGrid {
    QTableWidget *grid = nullptr;
    QScrollBar *scroll = nullptr;
    // The grid's width in pixels for the given column widths.
    int width = 0;
};

// Columns get `headers` and widths in twips.
SampleGrid newSampleGrid(QWidget *parent, const QStringList &headers, const int *widthsTwips);

// Rows of `grid` that fit `gridHeight` pixels, at least one.
int sampleRowsFitting(const QTableWidget *grid, int gridHeight);
// Gives rows from..to-1 items in columns 0..columns-1: numbers and values (column valueColumn)
// right-aligned, the rest centred. Items live as long as the layout; a refresh only sets texts
// and colours.
void addSampleRows(QTableWidget *grid, int from, int to, int columns, int valueColumn);
