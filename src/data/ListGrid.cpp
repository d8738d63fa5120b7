#include "ListGrid.h"

#include "ClassData.h"
#include "Format.h"
#include "Strings.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTableWidget>

namespace
{
bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

ListGrid::ListGrid(QTableWidget *grid, QWidget *window)
    : QObject(grid), m_grid(grid), m_window(window)
{
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_editor = new QLineEdit(grid->viewport());
    m_editor->setObjectName(QStringLiteral("Text1"));
    m_editor->setFrame(false);
    m_editor->hide();
    m_editor->installEventFilter(this);
    grid->installEventFilter(this);
    rowsReset();

    // A commit hands the focus back to the grid, and the view may answer a focus change with a
    // current cell of its own: that inner change belongs to the visit already being handled.
    connect(grid, &QTableWidget::currentCellChanged, this, [this, busy = false]() mutable {
        if (m_markGuard || busy)
            return;
        const QScopedValueRollback<bool> entering(busy, true);
        onRowChanged();
    });
    connect(grid, &QTableWidget::cellDoubleClicked, this, [this] { beginEdit(); });
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { endEdit(); });
    connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { endEdit(); });
}

void ListGrid::rowsReset()
{
    // The selection highlight would paint over the current-row colour of the number cells.
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        if (QTableWidgetItem *item = m_grid->item(r, 0))
            item->setFlags(item->flags() & ~Qt::ItemIsSelectable);
    }
    m_markedRow = 0;
}

void ListGrid::watchMenus(const QList<QMenu *> &menus)
{
    for (QMenu *menu : menus) {
        if (menu)
            connect(menu, &QMenu::aboutToShow, this, [this] { endEdit(); });
    }
}

int ListGrid::gridRow() const
{
    return m_grid->currentRow() + 1;
}

void ListGrid::selectRow(int row)
{
    if (row < 1 || row > m_grid->rowCount())
        return;
    const int column = m_grid->currentColumn();
    {
        const QScopedValueRollback<bool> guard(m_markGuard, true);
        m_grid->setCurrentCell(row - 1, column < 0 ? titleColumn : column);
    }
    onRowChanged();
}

void ListGrid::onRowChanged()
{
    const int row = gridRow();
    if (row < 1)
        return;
    markRow();
    commitEdit();
    if (rowChanged)
        rowChanged(row);
}

void ListGrid::markRow()
{
    const int row = gridRow();
    if (row < 1)
        return;
    if (QTableWidgetItem *cell = m_grid->item(row - 1, 0))
        cell->setBackground(m_window->palette().color(QPalette::Dark));
    if (m_markedRow != row && m_markedRow >= 1 && m_markedRow <= m_grid->rowCount()) {
        if (QTableWidgetItem *cell = m_grid->item(m_markedRow - 1, 0))
            cell->setBackground(m_window->palette().color(QPalette::Button));
    }
    m_markedRow = row;
}

void ListGrid::rowUp()
{
    const int row = gridRow();
    if (row <= 1)
        return;
    const QScopedValueRollback<bool> guard(m_markGuard, true);
    m_grid->setCurrentCell(row - 2, m_grid->currentColumn());
}

void ListGrid::rowDown()
{
    const int row = gridRow();
    if (row >= m_grid->rowCount())
        return;
    const int column = m_grid->currentColumn();
    const QScopedValueRollback<bool> guard(m_markGuard, true);
    m_grid->setCurrentCell(row, column < 0 ? titleColumn : column);
}

void ListGrid::beginEdit()
{
    const int row = gridRow();
    const int column = m_grid->currentColumn();
    if (row < 1 || (column != titleColumn && column != personColumn))
        return;
    if (!editable || !editable(row))
        return;
    QTableWidgetItem *cell = m_grid->item(row - 1, column);
    if (!cell)
        return;
    m_editColumn = column;
    m_editRow = row;
    // Scrolling ends an edit, so bring the cell into view before the editor is up.
    m_grid->scrollToItem(cell);
    m_editor->setGeometry(m_grid->visualItemRect(cell));
    m_editor->setText(cell->text());
    m_editor->show();
    m_editor->setFocus();
}

void ListGrid::commitEdit()
{
    if (m_editor->isHidden())
        return;
    QTableWidgetItem *cell = m_grid->item(m_editRow - 1, m_editColumn);
    // A data set emptied while its cell was open has no row text left to write to.
    if (cell && editable && editable(m_editRow)) {
        if (store)
            store(m_editRow, m_editColumn, m_editor->text());
        cell->setText(m_editor->text());
    }
    // Hiding the focused editor would hand the focus on to the next control in the window.
    if (m_editor->hasFocus())
        m_grid->setFocus();
    m_editor->hide();
}

void ListGrid::endEdit()
{
    if (m_editor->isHidden())
        return;
    commitEdit();
    m_grid->setFocus();
}

bool ListGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || (watched != m_grid && watched != m_editor))
        return QObject::eventFilter(watched, event);

    const int key = static_cast<QKeyEvent *>(event)->key();
    if (watched == m_grid) {
        if (isEnterKey(key)) {
            onRowChanged();
            beginEdit();
        } else if (key == Qt::Key_Up) {
            rowUp();
            onRowChanged();
        } else if (key == Qt::Key_Down) {
            rowDown();
            onRowChanged();
        } else {
            return QObject::eventFilter(watched, event);
        }
        return true;
    }

    if (key == Qt::Key_Up) {
        rowUp();
        onRowChanged();
    } else if (key == Qt::Key_Down || isEnterKey(key)) {
        rowDown();
        onRowChanged();
    } else if (key == Qt::Key_Escape) {
        m_grid->setFocus();
        m_editor->hide();
    } else {
        return QObject::eventFilter(watched, event);
    }
    return true;
}

void ListGrid::fillRow(QTableWidget *grid, int row, const ClassData *data)
{
    const auto cell = [grid, row](int column) {
        QTableWidgetItem *item = grid->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            grid->setItem(row, column, item);
        }
        return item;
    };
    if (!data) {
        for (int c = 1; c < 9; ++c)
            cell(c)->setText(QString());
        return;
    }
    cell(1)->setText(data->Title);
    cell(2)->setText(data->getStartDateTime());
    cell(3)->setText(data->getStopDateTime());
    cell(4)->setText(QString::number(data->DataNo));
    cell(5)->setText(valueText(data->MaxValue, data->Resolution));
    cell(6)->setText(valueText(data->MinValue, data->Resolution));
    cell(7)->setText(valueText(data->AveValue, data->Resolution));
    cell(8)->setText(data->MeasPerson);
}

void ListGrid::setUnitHeaders(QTableWidget *grid, int firstId, int unit)
{
    if (languageFlag == 0)
        unit = 0;
    for (int c = 5; c < 8; ++c) {
        const QString text = loadString(firstId + c - 5) + u'[' + unitText(unit) + u']';
        if (QTableWidgetItem *header = grid->horizontalHeaderItem(c))
            header->setText(text);
        else
            grid->setHorizontalHeaderItem(c, new QTableWidgetItem(text));
    }
}
