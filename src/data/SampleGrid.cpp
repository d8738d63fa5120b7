#include "SampleGrid.h"

#include "AppState.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableWidget>

namespace
{
// Turns the grid's wheel into moves of the table's own scroll bar, the grid having none.
class WheelForwarder : public QObject
{
public:
    WheelForwarder(QScrollBar *target, QObject *parent) : QObject(parent), m_target(target) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Wheel)
            return QObject::eventFilter(watched, event);
        QCoreApplication::sendEvent(m_target, event);
        return true;
    }

private:
    QScrollBar *m_target;
};
} // namespace

SampleGrid newSampleGrid(QWidget *parent, const QStringList &headers, const int *widthsTwips)
{
    SampleGrid made;
    QTableWidget *grid = new QTableWidget(0, int(headers.size()), parent);
    grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus);
    grid->setHorizontalHeaderLabels(headers);
    made.width = 2 * grid->frameWidth();
    for (int c = 0; c < headers.size(); ++c) {
        grid->setColumnWidth(c, widthsTwips[c] / twipsPerPixelX);
        made.width += widthsTwips[c] / twipsPerPixelX;
    }
    grid->setFixedWidth(made.width);
    made.scroll = new QScrollBar(Qt::Vertical, parent);
    made.scroll->setObjectName(QStringLiteral("VScrollTable"));
    grid->viewport()->installEventFilter(new WheelForwarder(made.scroll, parent));
    made.grid = grid;
    return made;
}

int sampleRowsFitting(const QTableWidget *grid, int gridHeight)
{
    const int rowHeight = grid->verticalHeader()->defaultSectionSize();
    const int room =
        gridHeight - 2 * grid->frameWidth() - grid->horizontalHeader()->sizeHint().height();
    return qMax(1, room / rowHeight);
}

void addSampleRows(QTableWidget *grid, int from, int to, int columns, int valueColumn)
{
    grid->setRowCount(to);
    for (int r = from; r < to; ++r) {
        for (int c = 0; c < columns; ++c) {
            auto *item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled);
            item->setTextAlignment(c == 0 || c == valueColumn ? Qt::AlignRight | Qt::AlignVCenter
                                                              : Qt::AlignCenter);
            grid->setItem(r, c, item);
        }
    }
}
