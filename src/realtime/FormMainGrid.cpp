// The channel list grid: the current row follows the channel, and a channel's title and
// measuring person are edited in place.
#include "FormMain.h"

#include "ClassData.h"
#include "ListGrid.h"

#include <QTableWidget>

void FormMain::buildGrid()
{
    m_grid = new ListGrid(MSFlexGridCH, this);
    Text1 = m_grid->editor();
    m_grid->editable = [](int row) { return checkMeasDataExist(row - 1); };
    m_grid->store = [this](int row, int column, const QString &text) {
        ClassData &data = *channelData[row - 1];
        QString &field = column == ListGrid::titleColumn ? data.Title : data.MeasPerson;
        if (field != text)
            setSaveState(row - 1, 1);
        field = text;
    };
    m_grid->rowChanged = [this](int row) {
        if (!engine().measuring && !selectingCH) {
            curCH = static_cast<qint16>(row - 1);
            setGridHeader();
            updateFileMenu();
        }
    };
    m_grid->watchMenus(QList<QMenu *>(std::begin(MenuTop), std::end(MenuTop)));
    MSFlexGridCH->setCurrentCell(0, ListGrid::titleColumn);
    m_grid->markRow();
}

int FormMain::gridRow() const
{
    return m_grid->gridRow();
}

void FormMain::selectRow(int row)
{
    m_grid->selectRow(row);
}

int FormMain::markedRow() const
{
    return m_grid->markedRow();
}

void FormMain::endEdit()
{
    m_grid->endEdit();
}

void FormMain::mousePressEvent(QMouseEvent *event)
{
    m_grid->endEdit();
    LinkWindow::mousePressEvent(event);
}
