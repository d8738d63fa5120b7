// The channel list grid: the current row, its marking, and in-place editing of a channel's
// title and measuring person.
#include "FormMain.h"

#include "ClassData.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTableWidget>

namespace
{
constexpr int titleColumn = 1;
constexpr int personColumn = 8;

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

void FormMain::buildGrid()
{
    QTableWidget *grid = MSFlexGridCH;
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    // The selection highlight would paint over the current-row colour of the channel cells.
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (QTableWidgetItem *item = grid->item(r, 0))
            item->setFlags(item->flags() & ~Qt::ItemIsSelectable);
    }

    Text1 = new QLineEdit(grid->viewport());
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFrame(false);
    Text1->hide();
    Text1->installEventFilter(this);
    grid->installEventFilter(this);

    grid->setCurrentCell(0, titleColumn);
    markRow();

    // A commit hands the focus back to the grid, and the view may answer a focus change with a
    // current cell of its own: that inner change belongs to the visit already being handled.
    connect(grid, &QTableWidget::currentCellChanged, this, [this, busy = false]() mutable {
        if (m_markGuard || busy)
            return;
        const QScopedValueRollback<bool> entering(busy, true);
        rowChanged();
    });
    connect(grid, &QTableWidget::cellDoubleClicked, this, [this] { beginEdit(); });
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { endEdit(); });
    connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { endEdit(); });
    for (QMenu *menu : MenuTop) {
        if (menu)
            connect(menu, &QMenu::aboutToShow, this, [this] { endEdit(); });
    }
}

int FormMain::gridRow() const
{
    return MSFlexGridCH->currentRow() + 1;
}

void FormMain::selectRow(int row)
{
    if (row < 1 || row > 8)
        return;
    const int column = MSFlexGridCH->currentColumn();
    {
        const QScopedValueRollback<bool> guard(m_markGuard, true);
        MSFlexGridCH->setCurrentCell(row - 1, column < 0 ? titleColumn : column);
    }
    rowChanged();
}

void FormMain::rowChanged()
{
    const int row = gridRow();
    if (row < 1)
        return;
    markRow();
    commitEdit();
    if (!measuring && !selectingCH) {
        curCH = static_cast<qint16>(row - 1);
        setGridHeader();
        updateFileMenu();
    }
}

void FormMain::markRow()
{
    const int row = gridRow();
    if (row < 1)
        return;
    if (QTableWidgetItem *cell = MSFlexGridCH->item(row - 1, 0))
        cell->setBackground(palette().color(QPalette::Dark));
    if (m_markedRow != row && m_markedRow >= 1 && m_markedRow <= 8) {
        if (QTableWidgetItem *cell = MSFlexGridCH->item(m_markedRow - 1, 0))
            cell->setBackground(palette().color(QPalette::Button));
    }
    m_markedRow = row;
}

void FormMain::rowUp()
{
    const int row = gridRow();
    if (row <= 1)
        return;
    const QScopedValueRollback<bool> guard(m_markGuard, true);
    MSFlexGridCH->setCurrentCell(row - 2, MSFlexGridCH->currentColumn());
}

void FormMain::rowDown()
{
    const int row = gridRow();
    if (row >= 8)
        return;
    const int column = MSFlexGridCH->currentColumn();
    const QScopedValueRollback<bool> guard(m_markGuard, true);
    MSFlexGridCH->setCurrentCell(row, column < 0 ? titleColumn : column);
}

void FormMain::beginEdit()
{
    const int row = gridRow();
    const int column = MSFlexGridCH->currentColumn();
    if (row < 1 || (column != titleColumn && column != personColumn))
        return;
    if (!checkMeasDataExist(row - 1))
        return;
    QTableWidgetItem *cell = MSFlexGridCH->item(row - 1, column);
    if (!cell)
        return;
    m_editColumn = column;
    m_editRow = row;
    // Scrolling ends an edit, so bring the cell into view before the editor is up.
    MSFlexGridCH->scrollToItem(cell);
    Text1->setGeometry(MSFlexGridCH->visualItemRect(cell));
    Text1->setText(cell->text());
    Text1->show();
    Text1->setFocus();
}

void FormMain::commitEdit()
{
    if (Text1->isHidden())
        return;
    const int ch = m_editRow - 1;
    QTableWidgetItem *cell = MSFlexGridCH->item(m_editRow - 1, m_editColumn);
    // A channel emptied while its cell was open has no row text left to write to.
    if (cell && checkMeasDataExist(ch)) {
        const QString text = Text1->text();
        ClassData &data = *channelData[ch];
        if (m_editColumn == titleColumn)
            data.Title = text;
        else
            data.MeasPerson = text;
        if (text != cell->text())
            setSaveState(ch, 1);
        cell->setText(text);
    }
    // Hiding the focused editor would hand the focus on to the next control in the window.
    if (Text1->hasFocus())
        MSFlexGridCH->setFocus();
    Text1->hide();
}

void FormMain::endEdit()
{
    if (Text1->isHidden())
        return;
    commitEdit();
    MSFlexGridCH->setFocus();
}

bool FormMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || (watched != MSFlexGridCH && watched != Text1))
        return LinkWindow::eventFilter(watched, event);

    const int key = static_cast<QKeyEvent *>(event)->key();
    if (watched == MSFlexGridCH) {
        if (isEnterKey(key)) {
            rowChanged();
            beginEdit();
        } else if (key == Qt::Key_Up) {
            rowUp();
            rowChanged();
        } else if (key == Qt::Key_Down) {
            rowDown();
            rowChanged();
        } else {
            return LinkWindow::eventFilter(watched, event);
        }
        return true;
    }

    if (key == Qt::Key_Up) {
        rowUp();
        rowChanged();
    } else if (key == Qt::Key_Down || isEnterKey(key)) {
        rowDown();
        rowChanged();
    } else if (key == Qt::Key_Escape) {
        MSFlexGridCH->setFocus();
        Text1->hide();
    } else {
        return LinkWindow::eventFilter(watched, event);
    }
    return true;
}

void FormMain::mousePressEvent(QMouseEvent *event)
{
    endEdit();
    LinkWindow::mousePressEvent(event);
}
