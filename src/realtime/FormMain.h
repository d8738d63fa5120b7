#pragma once

#include "LinkWindow.h"

class FormMeasSet;
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

    qint16 curCH = 0;
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
};
