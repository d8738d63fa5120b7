#pragma once

#include "LinkWindow.h"
#include "MemBlocks.h"

#include <QPointer>

class FormDispMem;
class ListGrid;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;

// The main window of the Read Memory Data mode: the instrument's memory blocks, its clock
// and memory, and the settings it keeps.
class FormReadMem : public LinkWindow
{
    Q_OBJECT
public:
    explicit FormReadMem(SerialPort *port = nullptr, QWidget *parent = nullptr);
    ~FormReadMem() override;

    void openSettings();
    void clockSetting();
    // Before the instrument's question, asks whether to clear a memory whose listing was
    // never read or never saved.
    void clrMemData();
    void confirmConnection();

    // The download (FormReadMemDownload.cpp, the work in MemoryDownload).
    // True when 0 <= block <= 63 and memBlocks holds a data set for it.
    static bool checkMemDataExist(int block);
    // Empties memBlocks and disables saving.
    void clearMemBlocks();
    void readMemData();
    // Where the listing read last is kept ("downloads" in the per-user data folder); empty
    // when there was none or it could not be written.
    QString keptFile() const { return m_keptFile; }

    // The block list.
    // Lists every block in number order, selects row 1 and shows its block.
    void dispMemList();
    // 0 nothing to save, 1 changed, 2 saved: enables Save, Save As, Print to match.
    void setSaveMenu(int mode);
    int saveState() const { return m_saveState; }
    void setPreviousNo();
    void setNextNo();
    // The memory data window closed.
    void DataTableCheckOff();
    // Shows or hides the memory data window (the Data Table menu item).
    void toggleDataTable();
    FormDispMem *dispMem() const { return m_dispMem; }
    // Rows are numbered 1..blockCount; 0 means none.
    int gridRow() const;
    void selectRow(int row);
    void Command1_Click(int index);

    // The listing's file (FormReadMemFile.cpp).
    bool saveMemFile(const QString &path);
    bool saveMemData();
    bool oversaveMemData();
    void loadMemData();
    // Yes (saved or nothing to save), No (discard) or Cancel (keep the window open).
    int confirmMemSave();

    // Block index (0..63) of the selected row.
    int curBlock = 0;
    int blockCount = 0;
    int rowBlock[64] = {};
    // Name under which the listing would be saved, and whether it has a file yet.
    QString memFileName;
    bool memUntitled = true;

    QMenu *MenuTop[4] = {};
    QAction *MenuFileItem[9] = {};
    QAction *MenuSetItem[5] = {};
    QAction *MenuMemDataItem[4] = {};
    QAction *MenuHelpItem[5] = {};
    QLabel *Label1 = nullptr;
    QPushButton *Command1[4] = {};
    QTableWidget *MSFlexGrid1 = nullptr;
    // The in-place editor of the Title and Meas. Person cells.
    QLineEdit *Text1 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void Form_Load();
    void buildMenus();
    void buildControls();
    void dispMemRow(int row, int block);
    void setGridHeader();
    void rowChanged();
    void showHelp(int command);

    ListGrid *m_grid = nullptr;
    FormDispMem *m_dispMem = nullptr;
    int m_saveState = 0;

    // The listing read last: none since the start or the last clearing, read and kept only
    // in m_keptFile (empty when keeping it failed), or saved by the user.
    enum DownloadState { NoDownload, DownloadUnsaved, DownloadSaved };
    DownloadState m_download = NoDownload;
    QString m_keptFile;
    // The blocks shown are that listing (no file was loaded since).
    bool m_showingDownload = false;
};
