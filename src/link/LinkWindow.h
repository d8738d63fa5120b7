#pragma once

#include "LinkHost.h"

#include <QMainWindow>

#include <memory>

class ClassInstrument;
class ClassLink;
class QAction;
class QMenu;
class SerialPort;

// What both main windows share: their own serial port, transaction layer and instrument
// operations, the COM Port menu, the settings file read on load and written on close.
class LinkWindow : public QMainWindow, public LinkHost
{
    Q_OBJECT
public:
    // Without a port the window drives the serial device COM1..COM4 reach.
    explicit LinkWindow(SerialPort *port, QWidget *parent = nullptr);
    ~LinkWindow() override;

    ClassLink &link() { return *m_link; }
    ClassInstrument &instrument() { return *m_instrument; }

    // Port selection: ticks the menu item, remembers the index, points the port at its
    // device. An index outside 0..3 selects COM1.
    void selectPort(int index);

    int shownProgressDialog() const override;
    void hideProgressDialogs() override;
    void showProgressDialog(int which) override;
    void bringToFront() override;
    void showCommDialog() override;
    void hideCommDialog() override;
    void portSelected(int index) override;

    QAction *MenuRS[4] = {};

protected:
    // Fills `menu` with COM1..COM4, each naming the device it reaches.
    void buildPortMenu(QMenu *menu);
    // Reads the settings file and applies the instrument settings it holds.
    void loadSettingsFile();
    void saveSettingsFile();
    // Window position in twips, as the settings file keeps it.
    void placeAt(qint32 topTwips, qint32 leftTwips);
    qint32 topTwips() const;
    qint32 leftTwips() const;

private:
    std::unique_ptr<SerialPort> m_ownedPort;
    std::unique_ptr<ClassLink> m_link;
    std::unique_ptr<ClassInstrument> m_instrument;
};
