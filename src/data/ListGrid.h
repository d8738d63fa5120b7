#pragma once

#include <QObject>
#include <QString>

#include <functional>

class ClassData;
class QLineEdit;
class QMenu;
class QTableWidget;
class QWidget;

// The list grid of the channels or of the memory blocks: rows 1..n of data sets, the current
// row marked in its number cell, and the Title and Meas. Person cells edited in place. The
// window says which rows may be edited, stores what was typed and follows the current row.
class ListGrid : public QObject
{
    Q_OBJECT
public:
    static constexpr int titleColumn = 1;
    static constexpr int personColumn = 8;

    // `window` is the grid's window; a click on it ends an edit (its mousePressEvent calls
    // endEdit).
    ListGrid(QTableWidget *grid, QWidget *window);

    // Whether row's data set exists, so its cells may be edited.
    std::function<bool(int row)> editable;
    // Stores the text typed into row's title (titleColumn) or person (personColumn) cell.
    std::function<void(int row, int column, const QString &text)> store;
    // The current row changed (after it was marked and an open edit stored).
    std::function<void(int row)> rowChanged;

    QLineEdit *editor() const { return m_editor; }
    // Rows are numbered 1..rowCount; 0 means none.
    int gridRow() const;
    void selectRow(int row);
    // Marks the current row and follows it: what a click or a key on the grid does.
    void onRowChanged();
    void markRow();
    int markedRow() const { return m_markedRow; }
    void rowUp();
    void rowDown();
    void beginEdit();
    void commitEdit();
    // Stores an open edit and gives the grid the focus back.
    void endEdit();
    // Opening any of these menus ends an edit.
    void watchMenus(const QList<QMenu *> &menus);
    // After the rows were refilled: number cells unselectable, no row marked yet.
    void rowsReset();

    // Writes a data set's summary into grid row `row` (0-based) columns 1..8: title, start,
    // stop, count, max, min, ave, person; all empty without a data set.
    static void fillRow(QTableWidget *grid, int row, const ClassData *data);
    // Headers 5..7 with the unit: `firstId` is the string of "Max", followed by "Min", "Ave".
    static void setUnitHeaders(QTableWidget *grid, int firstId, int unit);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTableWidget *m_grid;
    QWidget *m_window;
    QLineEdit *m_editor = nullptr;
    int m_markedRow = 0;
    // Set while code moves the grid's current cell, so that the move is not taken for a click.
    bool m_markGuard = false;
    int m_editColumn = 0;
    int m_editRow = 0;
};
