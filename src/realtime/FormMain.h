#pragma once

#include "LinkWindow.h"
#include "RunEngine.h"
#include "RunViews.h"

#include <QPointer>

#include <functional>
#include <memory>

class ClassData;
class FormGraph;
class FormMeasSet;
class FormMeasStart;
class FormMon;
class FormTable;
class ListGrid;
class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;

// The main window of the real-time mode: channel list, instrument settings, and the
// commands that drive monitoring, measurement, files and the instrument link. It is the view
// of its measurement engine and starts its runs.
class FormMain : public LinkWindow, public RunView
{
    Q_OBJECT
public:
    explicit FormMain(SerialPort *port = nullptr, QWidget *parent = nullptr);
    ~FormMain() override;

    void dispMeasSetting();
    void receiveSettings();
    void sendSettings();
    void openSettingsDialog();
    void confirmConnection();

    // File menu
    void MenuFileItem_Click(int index);
    void loadTable();
    // Asks for a channel and prints its listing.
    void printData();
    bool saveTable();
    bool oversaveTable();
    bool saveTableTo(const QString &path);
    bool checkUnit(int unit);
    void setSaveState(int ch, int state);
    void setCurSaveState(int state);
    void updateFileMenu();
    // Yes = go on (saved or discarded), Cancel = keep the window open.
    bool confirmUnsaved();
    // Runs the file operation under the progress dialog; false after its message.
    bool loadFileData(ClassData &data, const QString &path);
    bool saveFileData(ClassData &data, const QString &path);
    // "CH 1:Title", as the questions about a channel begin.
    static QString channelHeading(const ClassData &data);

    // Channel views
    void dispCHRow(int ch);
    void setGridHeader();
    void refreshChannel(int ch);
    void showTable(int ch);
    FormTable *table(int ch) const { return tables[ch]; }
    // Opens the graph window, created on first use with every channel that holds data.
    void showGraph();
    FormGraph *graph() const { return m_graphForm; }

    // The monitor and logged runs, each a polling loop of the engine on the one thread.
    RunEngine &engine() { return *m_engine; }
    void MoniterStart();
    void stopMoniter();
    // Asks for the channel and the measurement time, then runs the engine.
    void startRealTime();
    // The run the measurement time dialogs set up, into channel `ch`.
    RunSettings runSettings(int ch) const;
    void setControlsEnabled(bool flag) override;
    // Created on first use; gone again after each run.
    FormMon *monitorWindow();
    FormMeasStart *measStart();
    // Where the engine draws and copies its samples; the defaults do nothing.
    void setGraphView(GraphView *view);
    void setSheetLog(SheetLog *log);
    // Where every stored sample is journalled until its run ends.
    RunJournal &journal() { return m_engine->journal(); }

    // What a run shows in this window and its monitor, table and timer-start dialog.
    void openMonitor(int mode) override;
    void dispTemp(float value, double time) override;
    void setMonitorLabel(int index, const QString &text) override;
    void closeMonitor() override;
    void channelPrepared(int ch) override;
    void sampleStored(int ch, double time, float value) override;
    void runEnded(int ch) override;
    void settingsReceived() override;
    bool acceptUnit(int unit) override;
    void showWait(const QString &title, const QString &message, const QString &button) override;
    void setWaitClock(const QString &text) override;
    void notice(const QString &text) override;
    // Offers the journals of runs that never ended (a crash, a killed session) back into
    // their channels; the ones not taken go to the recovery folder.
    void recoverJournals();
    // Opens a finished workbook with the desktop's application; false when none could.
    std::function<bool(const QString &path)> openWorkbook;

    // Channel list grid. Rows are numbered 1..8 for CH1..CH8; 0 means none (the header).
    int gridRow() const;
    void selectRow(int row);
    // Stores an open title or person edit.
    void endEdit();
    // The row whose channel cell carries the current-row colour; 0 before the first.
    int markedRow() const;

    qint16 curCH = 0;
    // The unit the channel list works in; -1 until a load or a run first sets it.
    qint16 listUnit = -1;
    bool selectingCH = false;
    bool excelAvailable = false;
    bool excelLogging = false;

    QMenu *MenuTop[7] = {};
    QAction *MenuFileItem[9] = {};
    QAction *MenuEditItem[4] = {};
    QAction *MenuMeasItem[3] = {};
    QAction *MenuSetItem[6] = {};
    QAction *MenuGraphItem[1] = {};
    QAction *MenuDataItem[8] = {};
    QAction *MenuHelpItem[5] = {};
    QGroupBox *Frame1 = nullptr;
    QLabel *Label1[6] = {};
    QGroupBox *Frame2 = nullptr;
    QLabel *LabelCH = nullptr;
    QPushButton *Command1[4] = {};
    QTableWidget *MSFlexGridCH = nullptr;
    // The in-place editor of the Title and Meas. Person cells; hidden when not editing.
    QLineEdit *Text1 = nullptr;
    // The (hidden) settings dialog whose fields hold the texts the settings frame shows.
    FormMeasSet *measSet() const { return m_measSet; }

    void Command1_Click(int index);

protected:
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void Form_Load();
    void buildMenus();
    void buildControls();
    // The grid's row following and its in-place editor.
    void buildGrid();
    void closeMonitorWindow();
    void showHelp(int command);

    FormMeasSet *m_measSet = nullptr;
    FormTable *tables[8] = {};
    QPointer<FormMon> m_mon;
    FormMeasStart *m_measStart = nullptr;
    FormGraph *m_graphForm = nullptr;
    std::unique_ptr<RunEngine> m_engine;

    ListGrid *m_grid = nullptr;
};
