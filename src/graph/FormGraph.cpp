#include "FormGraph.h"

#include "AppState.h"
#include "ClassData.h"
#include "Format.h"
#include "Settings.h"
#include "Strings.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

GraphCanvas::GraphCanvas(GraphPlot &plot, QWidget *parent) : QWidget(parent), m_plot(plot)
{
    setObjectName(QStringLiteral("gamen"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(marginLeft + marginRight + 120, marginTop + marginBottom + 80);
    setFont(QFont(graphFontName, dispFontSize));
}

QRect GraphCanvas::plotRect() const
{
    return rect().adjusted(marginLeft, marginTop, -marginRight, -marginBottom);
}

void GraphCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect plot = plotRect();
    const QRect dirty = event->rect();
    const QRect picture = dirty & plot;
    if (!picture.isEmpty())
        painter.drawImage(picture, m_plot.image(), picture.translated(-plot.topLeft()));
    if (plot.contains(dirty))
        return;
    // The labels are cheap next to the traces; redraw all of them whenever any is exposed.
    QRegion around(rect());
    around -= plot;
    painter.setClipRegion(around & QRegion(dirty));
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().windowText().color());
    m_plot.drawYLabels(painter, plot.topLeft());
    m_plot.drawTimeLabels(painter, plot.topLeft());
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(plot.adjusted(-1, -1, 0, 0));
}

void GraphCanvas::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_plot.resize(plotRect().width(), plotRect().height());
    update();
}

void GraphCanvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton && plotRect().contains(event->position().toPoint()))
        Q_EMIT contextMenuAt(event->globalPosition().toPoint());
    QWidget::mousePressEvent(event);
}

FormGraph::FormGraph(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FormGraph"));
    setWindowFlag(Qt::Window);
    m_plot.setListener(this);
    buildMenus();
    buildControls();
    Form_Load();
}

FormGraph::~FormGraph()
{
    m_plot.setListener(nullptr);
}

void FormGraph::buildMenus()
{
    QMenuBar *bar = menuBar();
    for (int i = 0; i < 3; ++i)
        MenuTop[i] = bar->addMenu(loadString(2010 + i));
    const auto add = [](QMenu *menu, int id) {
        QAction *action = menu->addAction(loadString(id));
        action->setObjectName(QStringLiteral("Menu%1").arg(id));
        return action;
    };

    // Printing and the clipboard picture are not offered yet.
    MenuFileItem[0] = add(MenuTop[0], 2020);
    MenuFileItem[1] = add(MenuTop[0], 2021);
    MenuTop[0]->addSeparator();
    MenuFileItem[3] = add(MenuTop[0], 2022);
    MenuFileItem[0]->setEnabled(false);
    MenuFileItem[1]->setEnabled(false);
    connect(MenuFileItem[3], &QAction::triggered, this, &QWidget::hide);
    MenuEditItem[0] = add(MenuTop[1], 2030);
    MenuEditItem[0]->setEnabled(false);

    QMenu *graph = MenuTop[2];
    MenuGraphItem[0] = add(graph, 2040);
    MenuGraphItem[1] = add(graph, 2041);
    MenuGraphItem[4] = add(graph, 2044);
    graph->addSeparator();
    QMenu *time = graph->addMenu(loadString(2042));
    MenuGraphItem[2] = time->menuAction();
    QMenu *temp = graph->addMenu(loadString(2043));
    MenuGraphItem[3] = temp->menuAction();
    graph->addSeparator();
    MenuGraphItem[5] = add(graph, 2045);
    MenuGraphItem[5]->setCheckable(true);
    MenuGraphItem[6] = add(graph, 2046);
    QMenu *cursor = graph->addMenu(loadString(2047));
    MenuGraphItem[7] = cursor->menuAction();
    add(cursor, 2150);
    add(cursor, 2151);
    MenuGraphItem[8] = add(graph, 2048);
    // Cursors, the selection rectangle and the navigation dialogs come with the cursors.
    for (int i : {1, 6, 7, 8})
        MenuGraphItem[i]->setEnabled(false);
    cursor->setEnabled(false);
    connect(MenuGraphItem[0], &QAction::triggered, this, [this] { m_plot.autoRange(); });
    connect(MenuGraphItem[4], &QAction::triggered, this, [this] { m_plot.zoomBack(); });
    connect(MenuGraphItem[5], &QAction::triggered, this, [this] { m_plot.MenuGraphGrid_Click(); });

    MenuGraphTimeItem0[0] = add(time, 2100);
    MenuGraphTimeItem0[1] = add(time, 2101);
    MenuGraphTimeItem0[1]->setEnabled(false);
    time->addSeparator();
    connect(MenuGraphTimeItem0[0], &QAction::triggered, this, [this] { m_plot.autoRangeTime(); });
    for (int i = 0; i < timeSpanItems; ++i) {
        MenuGraphTimeItem[i] = add(time, 2103 + i);
        MenuGraphTimeItem[i]->setCheckable(true);
        connect(MenuGraphTimeItem[i], &QAction::triggered, this,
                [this, i] { m_plot.MenuGraphTimeItem_Click(i); });
    }

    MenuGraphYItem0[0] = add(temp, 2130);
    MenuGraphYItem0[1] = add(temp, 2131);
    MenuGraphYItem0[1]->setEnabled(false);
    temp->addSeparator();
    connect(MenuGraphYItem0[0], &QAction::triggered, this, [this] { m_plot.autoRangeY(); });
    for (int i = 0; i < 10; ++i) {
        if (i == 8) {
            temp->addSeparator();
            continue;
        }
        MenuGraphYItem[i] = add(temp, 2133 + i);
        MenuGraphYItem[i]->setCheckable(true);
        connect(MenuGraphYItem[i], &QAction::triggered, this,
                [this, i] { m_plot.MenuGraphYItem_Click(i); });
    }

    MenuMulItem = new QMenu(this);
    MenuMulItem->setObjectName(QStringLiteral("MenuMulItem"));
    QMenu *mulTime = MenuMulItem->addMenu(loadString(2160));
    QMenu *mulY = MenuMulItem->addMenu(loadString(2161));
    static const char *const zooms[4] = {"100%", "200%", "400%", "800%"};
    for (int i = 0; i < 4; ++i) {
        MenuMulTimeItem[i] = mulTime->addAction(QString::fromLatin1(zooms[i]));
        MenuMulYItem[i] = mulY->addAction(QString::fromLatin1(zooms[i]));
        MenuMulTimeItem[i]->setCheckable(true);
        MenuMulYItem[i]->setCheckable(true);
        connect(MenuMulTimeItem[i], &QAction::triggered, this,
                [this, i] { m_plot.MenuMulTimeItem_Click(i); });
        connect(MenuMulYItem[i], &QAction::triggered, this,
                [this, i] { m_plot.MenuMulYItem_Click(i); });
    }
    MenuMulSelect = MenuMulItem->addAction(loadString(2162));
    MenuMulSelect->setEnabled(false);
    MenuMulBack = MenuMulItem->addAction(loadString(2163));
    connect(MenuMulBack, &QAction::triggered, this, [this] { m_plot.zoomBack(); });
}

void FormGraph::buildControls()
{
    auto *central = new QWidget(this);
    central->setFont(QFont(dispFontName, dispFontSize));
    auto *layout = new QGridLayout(central);
    layout->setSpacing(2);

    auto *legend = new QHBoxLayout;
    legend->setContentsMargins(GraphCanvas::marginLeft, 0, 0, 0);
    for (int ch = 0; ch < 8; ++ch) {
        PictureLine[ch] = new QWidget(central);
        PictureLine[ch]->setObjectName(QStringLiteral("PictureLine%1").arg(ch));
        PictureLine[ch]->setFixedSize(24, 4);
        PictureLine[ch]->setAutoFillBackground(true);
        LabelLine[ch] = new QLabel(QStringLiteral("CH%1").arg(ch + 1), central);
        legend->addWidget(PictureLine[ch]);
        legend->addWidget(LabelLine[ch]);
        legend->addSpacing(8);
    }
    legend->addStretch(1);

    gamen = new GraphCanvas(m_plot, central);
    connect(gamen, &GraphCanvas::contextMenuAt, this,
            [this](const QPoint &at) { MenuMulItem->popup(at); });

    VScrollGraph = new QScrollBar(Qt::Vertical, central);
    VScrollGraph->setObjectName(QStringLiteral("VScrollGraph"));
    auto *vBox = new QVBoxLayout;
    vBox->setContentsMargins(0, GraphCanvas::marginTop, 0, GraphCanvas::marginBottom);
    vBox->addWidget(VScrollGraph);

    HScrollGraph = new QScrollBar(Qt::Horizontal, central);
    HScrollGraph->setObjectName(QStringLiteral("HScrollGraph"));
    auto *hBox = new QHBoxLayout;
    hBox->setContentsMargins(GraphCanvas::marginLeft, 0, GraphCanvas::marginRight, 0);
    hBox->addWidget(HScrollGraph);

    Combo1 = new QComboBox(central);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    auto *comboRow = new QHBoxLayout;
    comboRow->addWidget(Combo1);
    comboRow->addStretch(1);

    layout->addLayout(legend, 0, 0);
    layout->addWidget(gamen, 1, 0);
    layout->addLayout(vBox, 1, 1);
    layout->addLayout(hBox, 2, 0);
    layout->addLayout(comboRow, 3, 0);
    layout->setRowStretch(1, 1);
    setCentralWidget(central);

    // A click, a page step or the end of a drag is a Change; moving the thumb is a Scroll.
    connect(HScrollGraph, &QScrollBar::valueChanged, this, [this](int value) {
        if (HScrollGraph->isSliderDown())
            m_plot.HScrollGraph_Scroll(value);
        else
            m_plot.HScrollGraph_Change(value);
    });
    connect(HScrollGraph, &QScrollBar::sliderReleased, this,
            [this] { m_plot.HScrollGraph_Change(HScrollGraph->value()); });
    connect(VScrollGraph, &QScrollBar::valueChanged, this, [this](int value) {
        if (VScrollGraph->isSliderDown())
            m_plot.VScrollGraph_Scroll(value);
        else
            m_plot.VScrollGraph_Change(value);
    });
    connect(VScrollGraph, &QScrollBar::sliderReleased, this,
            [this] { m_plot.VScrollGraph_Change(VScrollGraph->value()); });
}

void FormGraph::Form_Load()
{
    m_plot.graphEventsOn = false;
    setWindowTitle(loadString(6001) + QStringLiteral(" [") + loadString(2000) +
                   QStringLiteral("]"));
    Combo1->addItem(loadString(2206));
    for (int ch = 1; ch <= 8; ++ch)
        Combo1->addItem(QStringLiteral("CH %1").arg(ch));
    Combo1->setCurrentIndex(0);
    connect(Combo1, &QComboBox::activated, this, &FormGraph::Combo1_Click);
    m_plot.Form_Load();
    // Channels that already hold data when the window first opens are shown at once.
    for (int ch = 0; ch < 8; ++ch) {
        if (m_plot.channel(ch))
            m_plot.initGraphCh(ch);
    }
    move(Settings.LeftG / twipsPerPixelX, Settings.TopG / twipsPerPixelY);
    resize(Settings.WidthG / twipsPerPixelX, Settings.HeightG / twipsPerPixelY);
    m_plot.graphEventsOn = true;
    m_plot.refreshPlot();
    menuChecksChanged();
}

void FormGraph::storeGeometry()
{
    Settings.TopG = qMax(0, pos().y()) * twipsPerPixelY;
    Settings.LeftG = qMax(0, pos().x()) * twipsPerPixelX;
    Settings.WidthG = width() * twipsPerPixelX;
    Settings.HeightG = height() * twipsPerPixelY;
}

void FormGraph::closeEvent(QCloseEvent *event)
{
    if (!closePermitted) {
        hide();
        event->ignore();
        return;
    }
    storeGeometry();
    event->accept();
}

void FormGraph::Combo1_Click(int index)
{
    m_plot.cursorTimeCh = qint16(index);
    m_plot.refreshPlot();
}

void FormGraph::initGraphCh(int ch)
{
    m_plot.initGraphCh(ch);
    m_plot.refreshPlot();
}

void FormGraph::setMeasuringCh(int ch)
{
    m_plot.setMeasuringChannel(ch);
}

void FormGraph::Refresh2(qint32 newestX)
{
    m_plot.Refresh2(newestX);
}

void FormGraph::plotChanged(const QRect &pixels)
{
    if (gamen)
        gamen->update(pixels.translated(gamen->plotRect().topLeft()));
}

void FormGraph::timeLabelsChanged()
{
    if (!gamen)
        return;
    const QRect plot = gamen->plotRect();
    gamen->update(0, plot.bottom() + 1, gamen->width(), gamen->height() - plot.bottom() - 1);
}

void FormGraph::yLabelsChanged()
{
    if (gamen)
        gamen->update(0, 0, gamen->plotRect().left(), gamen->height());
}

void FormGraph::scrollBarsChanged()
{
    if (!HScrollGraph)
        return;
    // Setting a bar must not come back as a user's move.
    const bool events = m_plot.graphEventsOn;
    m_plot.graphEventsOn = false;
    const auto apply = [](QScrollBar *bar, const ScrollBarState &state) {
        bar->setVisible(state.visible);
        bar->setRange(0, state.max);
        bar->setPageStep(state.largeChange);
        bar->setSingleStep(state.smallChange);
        bar->setValue(state.value);
    };
    apply(HScrollGraph, m_plot.hScroll);
    apply(VScrollGraph, m_plot.vScroll);
    m_plot.graphEventsOn = events;
}

void FormGraph::menuChecksChanged()
{
    if (!MenuMulYItem[3])
        return;
    for (int i = 0; i < timeSpanItems; ++i)
        MenuGraphTimeItem[i]->setChecked(i == m_plot.timeSpanChecked);
    const QString unit = unitText(m_plot.tempUnit);
    for (int i = 0; i < tempSpanItems; ++i) {
        MenuGraphYItem[i]->setChecked(i == m_plot.ySpanChecked);
        MenuGraphYItem[i]->setText(loadString(2133 + i) + unit);
    }
    MenuGraphYItem[9]->setChecked(m_plot.tempUnit == 1);
    for (int i = 0; i < 4; ++i) {
        MenuMulTimeItem[i]->setChecked(i == m_plot.timeZoomIndex);
        MenuMulYItem[i]->setChecked(i == m_plot.yZoomIndex);
    }
    MenuGraphItem[5]->setChecked(m_plot.gridOn);
}

void FormGraph::legendChanged()
{
    if (!PictureLine[7])
        return;
    for (int ch = 0; ch < 8; ++ch) {
        QPalette palette = PictureLine[ch]->palette();
        palette.setColor(QPalette::Window, QColor::fromRgb(m_plot.getWaveColor(ch)));
        PictureLine[ch]->setPalette(palette);
        PictureLine[ch]->setVisible(m_plot.getWaveEnabled(ch));
        LabelLine[ch]->setVisible(m_plot.getWaveEnabled(ch));
    }
}
