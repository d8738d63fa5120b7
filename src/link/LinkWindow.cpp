#include "LinkWindow.h"

#include "AppState.h"
#include "ClassInstrument.h"
#include "ClassLink.h"
#include "FormDialog.h"
#include "FormFileWait.h"
#include "MeasSettingCheck.h"
#include "PortDevices.h"
#include "QtSerialPort.h"
#include "Settings.h"
#include "Strings.h"

#include <QActionGroup>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace
{
QString activeSettingsPath()
{
    return settingsFileOverride.isEmpty() ? settingsFilePath() : settingsFileOverride;
}
} // namespace

LinkWindow::LinkWindow(SerialPort *port, QWidget *parent) : QMainWindow(parent)
{
    if (!port) {
        m_ownedPort = std::make_unique<QtSerialPort>();
        port = m_ownedPort.get();
    }
    m_link = std::make_unique<ClassLink>(*port, *this);
    m_instrument = std::make_unique<ClassInstrument>(*m_link);
}

LinkWindow::~LinkWindow()
{
    m_link->closePort();
}

void LinkWindow::buildPortMenu(QMenu *menu)
{
    auto *group = new QActionGroup(menu);
    for (int i = 0; i < 4; ++i) {
        MenuRS[i] = menu->addAction(portMenuLabel(i));
        MenuRS[i]->setCheckable(true);
        group->addAction(MenuRS[i]);
        connect(MenuRS[i], &QAction::triggered, this, [this, i] { selectPort(i); });
    }
    // Devices come and go (USB adapters): name them as they are when the menu opens.
    connect(menu, &QMenu::aboutToShow, this, [this] {
        for (int i = 0; i < 4; ++i)
            MenuRS[i]->setText(portMenuLabel(i));
    });
}

void LinkWindow::selectPort(int index)
{
    m_link->selectPort(index);
}

void LinkWindow::portSelected(int index)
{
    for (int i = 0; i < 4; ++i) {
        if (MenuRS[i])
            MenuRS[i]->setChecked(i == index);
    }
}

int LinkWindow::shownProgressDialog() const
{
    FormFileWait *fileWait = FormFileWait::current();
    if (fileWait && fileWait->isVisible())
        return FileWaitDialog;
    if (FormDialog::instance().isVisible())
        return MessageDialog;
    return NoDialog;
}

void LinkWindow::hideProgressDialogs()
{
    FormDialog::instance().hide();
    if (FormFileWait *fileWait = FormFileWait::current())
        fileWait->hide();
}

void LinkWindow::showProgressDialog(int which)
{
    if (which == MessageDialog) {
        FormDialog::instance().show1(this);
    } else if (which == FileWaitDialog) {
        if (FormFileWait *fileWait = FormFileWait::current())
            fileWait->show1(this);
    }
}

void LinkWindow::bringToFront()
{
    show();
    raise();
    activateWindow();
}

void LinkWindow::showCommDialog()
{
    FormDialog &dialog = FormDialog::instance();
    dialog.initMsg(loadString(1719), loadString(1720), loadString(1721));
    dialog.show1(this);
}

void LinkWindow::hideCommDialog()
{
    FormDialog::instance().Hide1();
}

void LinkWindow::loadSettingsFile()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize pixels = screen ? screen->availableGeometry().size() : QSize(1024, 768);
    loadSettings(activeSettingsPath(),
                 QSize(pixels.width() * twipsPerPixelX, pixels.height() * twipsPerPixelY));
    normalizeMeasSetting();
}

void LinkWindow::saveSettingsFile()
{
    saveSettings(activeSettingsPath());
}

void LinkWindow::placeAt(qint32 topTwips, qint32 leftTwips)
{
    move(leftTwips / twipsPerPixelX, topTwips / twipsPerPixelY);
}

qint32 LinkWindow::topTwips() const
{
    return qMax(0, pos().y()) * twipsPerPixelY;
}

qint32 LinkWindow::leftTwips() const
{
    return qMax(0, pos().x()) * twipsPerPixelX;
}
