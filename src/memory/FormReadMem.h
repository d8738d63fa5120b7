#pragma once

#include "LinkWindow.h"

class QAction;
class QLabel;
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
    void clearMemoryData();
    void confirmConnection();

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

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void buildMenus();
    void buildControls();
};
