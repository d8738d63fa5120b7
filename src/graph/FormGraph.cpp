#include "FormGraph.h"

#include "FormCHSet.h"
#include "FormCurMove.h"
#include "FormDispRange.h"
#include "FormGraphMove.h"
#include "GraphPrint.h"

#include "AppState.h"
#include "ClassData.h"
#include "Format.h"
#include "PrintListing.h"
#include "Prompter.h"
#include "Settings.h"
#include "Strings.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>

#include <algorithm>

GraphCanvas::GraphCanvas(GraphPlot &plot, QWidget *parent) : QWidget(parent), m_plot(plot)
{
    setObjectName(QStringLiteral("gamen"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(marginLeft + marginRight + 120, marginTop + marginBottom + 80);
    setFont(QFont(graphFontName, dispFontSize));
    setMouseTracking(true);
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
    if (!picture.isEmpty()) {
        const QImage &image = devicePixelRatioF() > 1.0 ? sharpPicture() : m_plot.image();
        const qreal ratio = image.devicePixelRatio();
        const QRectF source = picture.translated(-plot.topLeft()).toRectF();
        painter.drawImage(picture, image, QRectF(source.topLeft() * ratio, source.size() * ratio));
        painter.save();
        painter.setClipRect(picture);
        m_plot.drawOverlays(painter, plot.topLeft());
        painter.restore();
    }
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

void GraphCanvas::pictureChanged(const QRect &pixels)
{
    m_sharpStale = true;
    update(pixels.translated(plotRect().topLeft()));
}

const QImage &GraphCanvas::sharpPicture()
{
    const qreal ratio = devicePixelRatioF();
    const QSize size(m_plot.plotWidth(), m_plot.plotHeight());
    if (m_sharpStale || m_sharp.devicePixelRatio() != ratio ||
        m_sharp.deviceIndependentSize() != QSizeF(size)) {
        m_sharp = QImage(size * ratio, QImage::Format_RGB32);
        m_sharp.setDevicePixelRatio(ratio);
        QPainter painter(&m_sharp);
        m_plot.drawDataClip(painter, size.width(), size.height());
        m_sharpStale = false;
    }
    return m_sharp;
}

void GraphCanvas::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_plot.resize(plotRect().width(), plotRect().height());
    update();
}

void GraphCanvas::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint() - plotRect().topLeft();
    m_plot.gamen_MouseDown(event->button(), at.x(), at.y());
    if (event->button() == Qt::RightButton && plotRect().contains(event->position().toPoint()))
        Q_EMIT contextMenuAt(event->globalPosition().toPoint());
}

void GraphCanvas::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint() - plotRect().topLeft();
    const bool overCursor = m_plot.gamen_MouseMove(event->buttons(), at.x(), at.y());
    const Qt::CursorShape shape = overCursor ? Qt::SizeHorCursor : Qt::ArrowCursor;
    if (cursor().shape() != shape)
        setCursor(shape);
}

void GraphCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    m_plot.gamen_MouseUp(event->button());
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

    MenuFileItem[0] = add(MenuTop[0], 2020);
    MenuFileItem[1] = add(MenuTop[0], 2021);
    MenuTop[0]->addSeparator();
    MenuFileItem[3] = add(MenuTop[0], 2022);
    for (int i = 0; i < 2; ++i)
        connect(MenuFileItem[i], &QAction::triggered, this, [this, i] { MenuFileItem_Click(i); });
    connect(MenuFileItem[3], &QAction::triggered, this, &QWidget::hide);
    MenuEditItem[0] = add(MenuTop[1], 2030);
    MenuEditItem[0]->setShortcut(QKeySequence::Copy);
    connect(MenuEditItem[0], &QAction::triggered, this, [this] { MenuEditItem_Click(0); });

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
    for (int k = 0; k < 2; ++k) {
        MenuCurMoveItem[k] = add(cursor, 2150 + k);
        connect(MenuCurMoveItem[k], &QAction::triggered, this, [this, k] { showMoveCursor(k); });
    }
    MenuGraphItem[8] = add(graph, 2048);
    MenuGraphItem[1]->setEnabled(false);
    connect(MenuGraphItem[0], &QAction::triggered, this, [this] { m_plot.autoRange(); });
    connect(MenuGraphItem[1], &QAction::triggered, this, [this] { m_plot.zoomSelectedArea(); });
    connect(MenuGraphItem[6], &QAction::triggered, this, &FormGraph::showCHSettings);
    connect(MenuGraphItem[8], &QAction::triggered, this, &FormGraph::showMoveTimeAxis);
    connect(MenuGraphItem[4], &QAction::triggered, this, [this] { m_plot.zoomBack(); });
    connect(MenuGraphItem[5], &QAction::triggered, this, [this] { m_plot.MenuGraphGrid_Click(); });

    MenuGraphTimeItem0[0] = add(time, 2100);
    MenuGraphTimeItem0[1] = add(time, 2101);
    time->addSeparator();
    connect(MenuGraphTimeItem0[0], &QAction::triggered, this, [this] { m_plot.autoRangeTime(); });
    connect(MenuGraphTimeItem0[1], &QAction::triggered, this, [this] { m_plot.displayABRange(); });
    for (int i = 0; i < timeSpanItems; ++i) {
        MenuGraphTimeItem[i] = add(time, 2103 + i);
        MenuGraphTimeItem[i]->setCheckable(true);
        connect(MenuGraphTimeItem[i], &QAction::triggered, this,
                [this, i] { m_plot.MenuGraphTimeItem_Click(i); });
    }

    MenuGraphYItem0[0] = add(temp, 2130);
    MenuGraphYItem0[1] = add(temp, 2131);
    temp->addSeparator();
    connect(MenuGraphYItem0[0], &QAction::triggered, this, [this] { m_plot.autoRangeY(); });
    connect(MenuGraphYItem0[1], &QAction::triggered, this, &FormGraph::showDispRange);
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
    connect(MenuMulSelect, &QAction::triggered, this, [this] { m_plot.zoomSelectedArea(); });
    MenuMulBack = MenuMulItem->addAction(loadString(2163));
    connect(MenuMulBack, &QAction::triggered, this, [this] { m_plot.zoomBack(); });
    MenuMulItem->addSeparator();
    MenuMulMem = MenuMulItem->addAction(loadString(2165));
    connect(MenuMulMem, &QAction::triggered, this, &FormGraph::addMemScale);
}

void FormGraph::addMemScale()
{
    const int slot = m_plot.addMemScale();
    const int number = m_plot.memScaleCount();
    QAction *item = MenuMulItem->addAction(QStringLiteral("No.%1").arg(number));
    connect(item, &QAction::triggered, this, [this, slot] { m_plot.restoreMemScale(slot); });
    MenuMulBuff.append(item);
    // Five slots are reused in turn: the oldest item's slot has just been overwritten.
    if (MenuMulBuff.size() > 5)
        delete MenuMulBuff.takeFirst();
    MenuMulMem->setText(loadString(2165) + QStringLiteral("(No.%1)").arg(number + 1));
}

void FormGraph::MenuFileItem_Click(int index)
{
    // The printer and its page setup are those of the data listings.
    QPrinter &printer = PrintListing::printer();
    if (index == 0) {
        Prompter::instance().printSetup(printer, true);
        return;
    }
    if (index != 1)
        return;
    // A print to a file is offered the graph's own name, never the last listing's.
    if (!printer.outputFileName().isEmpty())
        printer.setOutputFileName(graphPrintFileName(m_plot, printer.outputFileName()));
    if (!Prompter::instance().printSetup(printer, false))
        return;
    if (!printGraph(printer, m_plot, printer.colorMode() == QPrinter::Color))
        showMessage(loadString(1795), Prompter::Ok, Prompter::Warning);
}

void FormGraph::MenuEditItem_Click(int index)
{
    Q_UNUSED(index)
    QGuiApplication::clipboard()->setImage(copyGraphImage(m_plot));
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

    // The time bar, then one bar per cursor spanning the visible plot.
    auto *hBox = new QGridLayout;
    hBox->setContentsMargins(0, 0, GraphCanvas::marginRight, 0);
    hBox->setColumnMinimumWidth(0, GraphCanvas::marginLeft);
    hBox->setVerticalSpacing(1);
    hBox->setColumnStretch(1, 1);
    HScrollGraph = new QScrollBar(Qt::Horizontal, central);
    HScrollGraph->setObjectName(QStringLiteral("HScrollGraph"));
    hBox->addWidget(HScrollGraph, 0, 1);
    QScrollBar **cursorBars[2] = {&HScrollA, &HScrollB};
    for (int k = 0; k < 2; ++k) {
        QScrollBar *bar = new QScrollBar(Qt::Horizontal, central);
        bar->setObjectName(k == 0 ? QStringLiteral("HScrollA") : QStringLiteral("HScrollB"));
        *cursorBars[k] = bar;
        auto *letter = new QLabel(k == 0 ? QStringLiteral("A") : QStringLiteral("B"), central);
        letter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QPalette palette = letter->palette();
        palette.setColor(QPalette::WindowText, k == 0 ? QColor(255, 0, 0) : QColor(0, 0, 255));
        letter->setPalette(palette);
        hBox->addWidget(letter, k + 1, 0);
        hBox->addWidget(bar, k + 1, 1);
        connect(bar, &QScrollBar::valueChanged, this, [this, bar, k](int value) {
            if (bar->isSliderDown())
                m_plot.HScrollCursor_Scroll(k, value);
            else
                m_plot.HScrollCursor_Change(k, value);
        });
        connect(bar, &QScrollBar::sliderReleased, this,
                [this, bar, k] { m_plot.HScrollCursor_Change(k, bar->value()); });
    }

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

    // The readings under the plot; the user gives either part more room with the splitter.
    auto *splitter = m_splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(central);
    auto *tables = new QWidget(splitter);
    tables->setFont(central->font());
    buildTables(tables);
    splitter->addWidget(tables);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    setCentralWidget(splitter);

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

namespace
{
// The widest of `texts` in the table's font.
QString widestText(const QTableWidget *table, const QStringList &texts)
{
    QString widest;
    for (const QString &text : texts) {
        if (table->fontMetrics().horizontalAdvance(text) >
            table->fontMetrics().horizontalAdvance(widest))
            widest = text;
    }
    return widest;
}

// The size at which `table` shows every cell whole when column c holds columnTexts[c]
// (columns without texts keep theirs), measured with the table's own font and style. The
// cells keep what they show.
QSize wholeTableSize(QTableWidget *table, const QVector<QStringList> &columnTexts)
{
    QStringList shown;
    for (int c = 0; c < table->columnCount() && c < columnTexts.size(); ++c) {
        if (columnTexts[c].isEmpty())
            continue;
        const QString widest = widestText(table, columnTexts[c]);
        for (int r = 0; r < table->rowCount(); ++r) {
            shown << table->item(r, c)->text();
            table->item(r, c)->setText(widest);
        }
    }
    table->ensurePolished();
    table->horizontalHeader()->resizeSections(QHeaderView::ResizeToContents);
    const int frame = 2 * table->frameWidth();
    const QHeaderView *rows = table->verticalHeader();
    const int rowHeader = rows->isHidden() ? 0 : rows->sizeHint().width();
    const QSize size(frame + rowHeader + table->horizontalHeader()->length(),
                     frame + table->horizontalHeader()->sizeHint().height() + rows->length());
    int next = 0;
    for (int c = 0; c < table->columnCount() && c < columnTexts.size(); ++c) {
        for (int r = 0; r < table->rowCount() && !columnTexts[c].isEmpty(); ++r)
            table->item(r, c)->setText(shown[next++]);
    }
    return size;
}
} // namespace

void FormGraph::measureDefaultSize()
{
    // The widest texts each column can show: value codes, temperatures of four digits with
    // a sign and a decimal, times, dates and day counts, sample counts and spans of hours.
    const QStringList values{QStringLiteral("+OVER"),  QStringLiteral("-OVER"),
                             QStringLiteral("ERROR"),  QStringLiteral("-0000.0"),
                             QStringLiteral("0000.0"), QStringLiteral("-")};
    const QStringList days{QStringLiteral("00/00/00"), QStringLiteral("000") + loadString(2212)};
    const QStringList times{QStringLiteral("00:00:00")};
    QVector<QStringList> cursorColumns{{}, days, times};
    for (int c = 3; c < 15; ++c)
        cursorColumns << values;
    const QSize cursorSize = wholeTableSize(CurDataTable, cursorColumns);
    const QSize statisSize = wholeTableSize(CurDataTable2, {values,
                                                            values,
                                                            values,
                                                            values,
                                                            {QStringLiteral("32000")},
                                                            {QStringLiteral("0000:00:00")}});

    // Each table gets the share of the width it needs; the layout around them is measured
    // with the tables held at those sizes.
    auto *grid = static_cast<QGridLayout *>(CurDataTable->parentWidget()->layout());
    grid->setColumnStretch(0, cursorSize.width());
    grid->setColumnStretch(1, statisSize.width());
    CurDataTable->setMinimumSize(cursorSize);
    CurDataTable2->setMinimumSize(statisSize);
    m_tablesSize = grid->minimumSize();
    CurDataTable->setMinimumSize(0, 0);
    CurDataTable2->setMinimumSize(0, 0);

    QWidget *graphPart = m_splitter->widget(0);
    const QSize graphSize(
        graphPart->minimumSizeHint().width(),
        std::max(graphPart->minimumSizeHint().height(), 2 * m_tablesSize.height()));
    m_defaultSize = QSize(std::max(graphSize.width(), m_tablesSize.width()),
                          menuBar()->sizeHint().height() + graphSize.height() +
                              m_splitter->handleWidth() + m_tablesSize.height());
}

void FormGraph::buildTables(QWidget *parent)
{
    auto *layout = new QGridLayout(parent);
    layout->setContentsMargins(4, 2, 4, 2);
    CurDataTable = new QTableWidget(2, 15, parent);
    CurDataTable->setObjectName(QStringLiteral("CurDataTable"));
    QStringList headings{QString(), loadString(2212), loadString(2213)};
    for (int ch = 1; ch <= 8; ++ch)
        headings << QStringLiteral("CH%1").arg(ch);
    for (int id = 2214; id <= 2217; ++id)
        headings << loadString(id);
    CurDataTable->setHorizontalHeaderLabels(headings);
    for (int k = 0; k < 2; ++k) {
        auto *title = new QTableWidgetItem(loadString(2210 + k));
        title->setForeground(k == 0 ? QColor(255, 0, 0) : QColor(0, 0, 255));
        CurDataTable->setItem(k, 0, title);
    }
    CurDataTable2 = new QTableWidget(8, 6, parent);
    CurDataTable2->setObjectName(QStringLiteral("CurDataTable2"));
    QStringList statisHeadings;
    for (int id = 2218; id <= 2223; ++id)
        statisHeadings << loadString(id);
    CurDataTable2->setHorizontalHeaderLabels(statisHeadings);
    QStringList rows;
    for (int ch = 1; ch <= 8; ++ch)
        rows << QStringLiteral("CH%1").arg(ch);
    CurDataTable2->setVerticalHeaderLabels(rows);
    for (QTableWidget *table : {CurDataTable, CurDataTable2}) {
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionMode(QAbstractItemView::SingleSelection);
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
        for (int r = 0; r < table->rowCount(); ++r) {
            for (int c = 0; c < table->columnCount(); ++c) {
                if (!table->item(r, c)) {
                    auto *item = new QTableWidgetItem;
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                    table->setItem(r, c, item);
                }
            }
        }
    }
    CurDataTable->verticalHeader()->hide();
    connect(CurDataTable, &QTableWidget::cellClicked, this, [this](int, int column) {
        if (column >= 3 && column <= 10)
            m_plot.centreOnChannel(column - 3);
    });

    ButtonTimeAxis = new QPushButton(loadString(2230), parent);
    ButtonTimeAxis->setObjectName(QStringLiteral("ButtonTimeAxis"));
    connect(ButtonTimeAxis, &QPushButton::clicked, this, &FormGraph::showTimeAxisChoice);
    auto *cursorTitle = new QHBoxLayout;
    cursorTitle->addWidget(new QLabel(loadString(2200), parent));
    cursorTitle->addStretch(1);
    cursorTitle->addWidget(ButtonTimeAxis);
    layout->addLayout(cursorTitle, 0, 0);
    layout->addWidget(CurDataTable, 1, 0);
    layout->addWidget(new QLabel(loadString(2201), parent), 0, 1);
    layout->addWidget(CurDataTable2, 1, 1);
    layout->setColumnStretch(0, 3);
    layout->setColumnStretch(1, 2);
}

void FormGraph::refreshCursorTable()
{
    if (!CurDataTable)
        return;
    for (int k = 0; k < 2; ++k) {
        const QStringList row = m_plot.cursorRow(k);
        for (int c = 0; c < row.size(); ++c)
            CurDataTable->item(k, c + 1)->setText(row[c]);
    }
}

void FormGraph::refreshStatisTable()
{
    if (!CurDataTable2)
        return;
    for (int ch = 0; ch < 8; ++ch) {
        const QStringList row = m_plot.statisRow(ch);
        for (int c = 0; c < row.size(); ++c)
            CurDataTable2->item(ch, c)->setText(row[c]);
    }
}

void FormGraph::showCHSettings()
{
    FormCHSet::Channels channels;
    for (int ch = 0; ch < 8; ++ch) {
        channels[ch].present = m_plot.channel(ch) != nullptr;
        channels[ch].shown = m_plot.getWaveEnabled(ch);
        channels[ch].colour = m_plot.getWaveColor(ch) & 0xffffff;
    }
    if (const auto chosen = FormCHSet::ask(this, channels)) {
        for (int ch = 0; ch < 8; ++ch) {
            m_plot.setWaveEnabled(ch, (*chosen)[ch].shown);
            m_plot.setWaveColor(ch, qRgb(qRed((*chosen)[ch].colour), qGreen((*chosen)[ch].colour),
                                         qBlue((*chosen)[ch].colour)));
        }
    }
    m_plot.refreshLegend();
    m_plot.refreshPlot();
}

void FormGraph::showMoveCursor(int k)
{
    ClassCursor &cursor = m_plot.cursors[k];
    if (const auto t = FormCurMove::ask(this, cursor.Time(), m_plot.timeMax)) {
        cursor.setTime(*t);
        m_plot.setupCursorScroll();
        cursorTablesChanged(true);
    }
}

void FormGraph::showMoveTimeAxis()
{
    if (const auto move = FormGraphMove::ask(this, m_plot.timeOrigin)) {
        const qint32 t = move->option == 1   ? m_plot.getCursorATime()
                         : move->option == 2 ? m_plot.getCursorBTime()
                                             : move->t;
        m_plot.moveWave(t, GraphPlot::keepTemp);
    }
}

void FormGraph::showDispRange()
{
    m_plot.checkYDispRange();
    if (const auto range =
            FormDispRange::ask(this, m_plot.rangeLow, m_plot.rangeHigh, m_plot.yLowLimit,
                               m_plot.yHighLimit, m_plot.tempUnit)) {
        m_plot.setWave(GraphPlot::keepTime, float(range->lower), GraphPlot::keepTime,
                       float(range->upper - range->lower));
    }
}

void FormGraph::setCursorTimeCh(int ch)
{
    m_plot.cursorTimeCh = qint16(qBound(0, ch, 8));
    Combo1->setCurrentIndex(m_plot.cursorTimeCh);
    refreshCursorTable();
    m_plot.refreshPlot();
}

void FormGraph::showTimeAxisChoice()
{
    QDialog dialog(this);
    dialog.setWindowTitle(loadString(2230));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(loadString(2231), &dialog));
    auto *choice = new QComboBox(&dialog);
    for (int i = 0; i < Combo1->count(); ++i)
        choice->addItem(Combo1->itemText(i));
    choice->setCurrentIndex(m_plot.cursorTimeCh);
    layout->addWidget(choice);
    auto *ok = new QPushButton(loadString(2232), &dialog);
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    if (dialog.exec() == QDialog::Accepted)
        setCursorTimeCh(choice->currentIndex());
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
    measureDefaultSize();
    const SettingsRecord unset;
    if (Settings.WidthG == unset.WidthG && Settings.HeightG == unset.HeightG) {
        resize(m_defaultSize);
        const int graphHeight = m_defaultSize.height() - menuBar()->sizeHint().height() -
                                m_splitter->handleWidth() - m_tablesSize.height();
        m_splitter->setSizes({graphHeight, m_tablesSize.height()});
    } else {
        resize(Settings.WidthG / twipsPerPixelX, Settings.HeightG / twipsPerPixelY);
    }
    placeWindow(this, parentWidget(), {},
                QPoint(Settings.LeftG / twipsPerPixelX, Settings.TopG / twipsPerPixelY));
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
    setCursorTimeCh(index);
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
        gamen->pictureChanged(pixels);
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
    if (!HScrollB)
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
    apply(HScrollA, m_plot.cursorScroll[0]);
    apply(HScrollB, m_plot.cursorScroll[1]);
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

void FormGraph::overlayChanged()
{
    if (gamen)
        gamen->update(gamen->plotRect());
}

void FormGraph::cursorTablesChanged(bool statistics)
{
    refreshCursorTable();
    if (statistics)
        refreshStatisTable();
}

void FormGraph::setMulSelectMenu(bool enabled)
{
    if (MenuGraphItem[1])
        MenuGraphItem[1]->setEnabled(enabled);
    if (MenuMulSelect)
        MenuMulSelect->setEnabled(enabled);
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
