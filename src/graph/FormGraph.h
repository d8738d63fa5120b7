#pragma once

#include "GraphPlot.h"
#include "GraphView.h"

#include <QMainWindow>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;
class QSplitter;
class QTableWidget;

// The plot surface with its axis labels around it: the picture of GraphPlot at `plotRect`,
// temperature labels to the left, time labels below.
class GraphCanvas : public QWidget
{
    Q_OBJECT
public:
    // Room around the plot for the labels, in pixels.
    static constexpr int marginLeft = 45;
    static constexpr int marginTop = 20;
    static constexpr int marginRight = 35;
    static constexpr int marginBottom = 30;

    explicit GraphCanvas(GraphPlot &plot, QWidget *parent = nullptr);
    QRect plotRect() const;
    // The plot picture changed at `pixels` (plot pixels).
    void pictureChanged(const QRect &pixels);

Q_SIGNALS:
    void contextMenuAt(const QPoint &globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // The plot drawn again at the screen's device pixel ratio where that is above 1; the
    // plot's own picture stays at its pixel size, which its arithmetic works in.
    const QImage &sharpPicture();

    GraphPlot &m_plot;
    QImage m_sharp;
    bool m_sharpStale = true;
};

// The graph window: the eight channels against elapsed time, with the span, zoom and range
// commands, scroll bars in both directions and a legend. Closing it only hides it.
class FormGraph : public QMainWindow, public GraphView, private GraphListener
{
    Q_OBJECT
public:
    explicit FormGraph(QWidget *parent = nullptr);
    ~FormGraph() override;

    GraphPlot &plot() { return m_plot; }
    GraphCanvas *gamen = nullptr;

    // GraphView
    void initGraphCh(int ch) override;
    void setMeasuringCh(int ch) override;
    void Refresh2(qint32 newestX) override;

    // Lets the next close request unload the window instead of hiding it.
    bool closePermitted = false;
    // Writes the window's place and size into the settings record, in twips.
    void storeGeometry();
    // The size the window opens at when no size of its own is stored: the cursor and
    // statistics tables show every cell whole with their widest readings, the plot above
    // them gets twice their height.
    QSize defaultSize() const { return m_defaultSize; }

    QMenu *MenuTop[3] = {};
    QAction *MenuFileItem[4] = {};
    QAction *MenuEditItem[1] = {};
    QAction *MenuGraphItem[9] = {};
    QAction *MenuGraphTimeItem0[2] = {};
    QAction *MenuGraphTimeItem[17] = {};
    QAction *MenuGraphYItem0[2] = {};
    QAction *MenuGraphYItem[10] = {};
    QMenu *MenuMulItem = nullptr;
    QAction *MenuMulTimeItem[4] = {};
    QAction *MenuMulYItem[4] = {};
    QAction *MenuMulSelect = nullptr;
    QAction *MenuMulBack = nullptr;
    QAction *MenuMulMem = nullptr;
    // The stored scales offered, oldest first, at most five; each names its slot.
    QList<QAction *> MenuMulBuff;
    QAction *MenuCurMoveItem[2] = {};
    QScrollBar *HScrollA = nullptr;
    QScrollBar *HScrollB = nullptr;
    QTableWidget *CurDataTable = nullptr;
    QTableWidget *CurDataTable2 = nullptr;
    QPushButton *ButtonTimeAxis = nullptr;

    // File menu: 0 page setup, 1 print the current view on one page.
    void MenuFileItem_Click(int index);
    // Edit menu: every item puts the picture of the current view on the clipboard.
    void MenuEditItem_Click(int index);

    void refreshCursorTable();
    void refreshStatisTable();
    void addMemScale();
    // The dialogs of the Graph menu, each modal.
    void showCHSettings();
    void showMoveCursor(int k);
    void showMoveTimeAxis();
    void showDispRange();
    void showTimeAxisChoice();
    // Chooses how cursor times and the time axis are shown: 0 elapsed, 1..8 a channel's clock.
    void setCursorTimeCh(int ch);
    QScrollBar *HScrollGraph = nullptr;
    QScrollBar *VScrollGraph = nullptr;
    QComboBox *Combo1 = nullptr;
    QWidget *PictureLine[8] = {};
    QLabel *LabelLine[8] = {};

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void buildMenus();
    void buildControls();
    void Combo1_Click(int index);

    // GraphListener
    void plotChanged(const QRect &pixels) override;
    void timeLabelsChanged() override;
    void yLabelsChanged() override;
    void scrollBarsChanged() override;
    void menuChecksChanged() override;
    void legendChanged() override;
    void overlayChanged() override;
    void cursorTablesChanged(bool statistics) override;
    void setMulSelectMenu(bool enabled) override;
    void buildTables(QWidget *parent);
    void measureDefaultSize();

    GraphPlot m_plot;
    QSplitter *m_splitter = nullptr;
    QSize m_tablesSize;
    QSize m_defaultSize;
};
