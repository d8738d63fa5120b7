#pragma once

#include "LinkWindow.h"

class ClassData;
class FormMeasSet;
class FormTable;
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QTableWidget;

// The main window of the real-time mode: channel list, instrument settings, and the
// commands that drive monitoring, measurement, files and the instrument link.
class FormMain : public LinkWindow
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

    // Channel views
    void dispCHRow(int ch);
    void setGridHeader();
    void refreshChannel(int ch);
    void showTable(int ch);
    FormTable *table(int ch) const { return tables[ch]; }

    qint16 curCH = 0;
    // The unit the channel list works in; -1 until a load or a run first sets it.
    qint16 listUnit = -1;
    bool measuring = false;
    bool monitoring = false;
    bool selectingCH = false;

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
    // The (hidden) settings dialog whose fields hold the texts the settings frame shows.
    FormMeasSet *measSet() const { return m_measSet; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void buildMenus();
    void buildControls();
    void Command1_Click(int index);

    FormMeasSet *m_measSet = nullptr;
    FormTable *tables[8] = {};
};
