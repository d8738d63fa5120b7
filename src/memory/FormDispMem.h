#pragma once

#include <QWidget>

class ClassData;
class FormReadMem;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTableWidget;

// One memory block's samples with its comparator limits, which the user edits here. The grid
// holds one screenful only; the separate scroll bar picks which samples it shows. Closing
// the window hides it.
class FormDispMem : public QWidget
{
    Q_OBJECT
public:
    explicit FormDispMem(FormReadMem *owner);
    ~FormDispMem() override;

    // Block index 0..63 of memBlocks shown; the limits edited apply to it.
    int block() const { return m_block; }
    // Caption, block number, limits, Out count and the table of block `block`; an absent
    // block gives an empty table.
    void dispMemdata(int block);
    // Fills the grid rows from sample index `first` on; rows past the last sample are emptied.
    void dispTable(int first);
    // Writes `text` into limit box `index` (0 upper, 1 lower) in the block's precision; "-"
    // (or an empty text) stays "-", meaning no limit.
    void checkComp(int index, const QString &text);
    // Normalises both limit boxes, puts them in order, stores the changed limits in the block
    // and judges it again.
    void applyComp();

    // Number of grid rows below the header, each showing one sample.
    int visibleRows() const { return m_visible; }

    QGroupBox *Frame1 = nullptr;
    // Captions MemNo., Upper, Lower, Out.
    QLabel *Label1[4] = {};
    // Values of MemNo. and Out.
    QLabel *LabelNo = nullptr;
    QLabel *LabelOut = nullptr;
    // Upper and lower limit.
    QLineEdit *Text1[2] = {};
    QTableWidget *MSFlexGrid1 = nullptr;
    QScrollBar *VScrollTable = nullptr;
    // Previous No., Next No.
    QPushButton *Command1[2] = {};

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    ClassData *data() const;
    void relayout();
    void setScrollRange();

    FormReadMem *m_owner;
    int m_block = -1;
    int m_visible = 0;
};
