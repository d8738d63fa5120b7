#pragma once

#include <QWidget>

class ClassData;
class QGroupBox;
class QLabel;
class QLineEdit;
class QScrollBar;
class QTableWidget;

// The widgets of a statistics panel, so that every window showing one channel's or one memory
// block's statistics fills them the same way.
struct StatisticsPanel {
    QGroupBox *Frame1 = nullptr;
    QLabel *Label1[6] = {};
    QLineEdit *Text1[2] = {};
};

// One channel's samples as a table of number, date, time and value with a statistics panel.
// The grid holds one screenful only; the separate scroll bar picks which samples it shows.
class FormTable : public QWidget
{
    Q_OBJECT
public:
    explicit FormTable(QWidget *parent = nullptr);

    // The channel 0..7 of channelData this window shows.
    int ChNo() const { return m_chNo; }
    void setChNo(int ch);

    // Caption, statistics, header, scroll range and the table at the current scroll position.
    void dispMeasData();
    // After each live sample: everything as dispMeasData, scrolled to the newest samples.
    void refreshTableData();
    void dispTableVScroll();
    // Fills the grid rows from sample index `first` on; rows past the last sample are emptied.
    void dispTable(int first);

    // Statistics of `data` (null: no data) in the panel; the comparator lines only in the
    // Read Memory Data mode.
    static void dispStatistics(const StatisticsPanel &panel, const ClassData *data);

    // Number of grid rows below the header, each showing one sample.
    int visibleRows() const { return m_visible; }

    QTableWidget *MSFlexGrid1 = nullptr;
    QScrollBar *VScrollTable = nullptr;
    StatisticsPanel panel;

Q_SIGNALS:
    void closed(int ch);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void relayout();
    void setScrollRange();
    void setDataHeader();
    const ClassData *data() const;

    int m_chNo = 0;
    int m_visible = 0;
};
