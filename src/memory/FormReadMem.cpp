#include "FormReadMem.h"

#include "AppState.h"
#include "ClassData.h"
#include "ClassInstrument.h"
#include "FormClockSet.h"
#include "FormMeasSet.h"
#include "Settings.h"
#include "Strings.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>

namespace
{
constexpr int gridWidths[9] = {450, 1950, 1575, 1575, 900, 900, 900, 900, 1350};
}

FormReadMem::FormReadMem(SerialPort *port, QWidget *parent) : LinkWindow(port, parent)
{
    setObjectName(QStringLiteral("FormReadMem"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildMenus();
    buildControls();
    Form_Load();
}

FormReadMem::~FormReadMem() = default;

void FormReadMem::buildMenus()
{
    QMenuBar *bar = menuBar();
    for (int i = 0; i < 4; ++i)
        MenuTop[i] = bar->addMenu(loadString(4001 + i));

    const auto add = [](QMenu *menu, int id) {
        QAction *action = menu->addAction(loadString(id));
        action->setObjectName(QStringLiteral("Menu%1").arg(id));
        return action;
    };

    QMenu *file = MenuTop[0];
    MenuFileItem[0] = add(file, 4010);
    file->addSeparator();
    MenuFileItem[2] = add(file, 4012);
    MenuFileItem[3] = add(file, 4013);
    file->addSeparator();
    MenuFileItem[5] = add(file, 4015);
    MenuFileItem[6] = add(file, 4016);
    file->addSeparator();
    MenuFileItem[8] = add(file, 4018);
    connect(MenuFileItem[8], &QAction::triggered, this, &QWidget::close);

    QMenu *set = MenuTop[1];
    MenuSetItem[0] = add(set, 4020);
    MenuSetItem[1] = add(set, 4021);
    set->addSeparator();
    QMenu *ports = set->addMenu(loadString(4023));
    MenuSetItem[3] = ports->menuAction();
    buildPortMenu(ports);
    MenuSetItem[4] = add(set, 4024);
    connect(MenuSetItem[0], &QAction::triggered, this, &FormReadMem::clockSetting);
    connect(MenuSetItem[1], &QAction::triggered, this, &FormReadMem::openSettings);
    connect(MenuSetItem[4], &QAction::triggered, this, &FormReadMem::confirmConnection);

    QMenu *mem = MenuTop[2];
    MenuMemDataItem[0] = add(mem, 4030);
    MenuMemDataItem[1] = add(mem, 4031);
    mem->addSeparator();
    MenuMemDataItem[3] = add(mem, 4033);
    MenuMemDataItem[3]->setCheckable(true);
    connect(MenuMemDataItem[1], &QAction::triggered, this, &FormReadMem::clearMemoryData);

    QMenu *help = MenuTop[3];
    MenuHelpItem[0] = add(help, 4040);
    MenuHelpItem[1] = add(help, 4041);
    MenuHelpItem[2] = add(help, 4042);
    help->addSeparator();
    MenuHelpItem[4] = add(help, 4044);
}

void FormReadMem::buildControls()
{
    auto *central = new QWidget(this);
    central->setFont(QFont(dispFontName, dispFontSize));
    auto *layout = new QGridLayout(central);
    Label1 = new QLabel(loadString(4050), central);
    layout->addWidget(Label1, 0, 0, 1, 4);
    MSFlexGrid1 = new QTableWidget(0, 9, central);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->verticalHeader()->hide();
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QStringList headers;
    int width = 0;
    for (int c = 0; c < 9; ++c) {
        headers << loadString(4060 + c);
        MSFlexGrid1->setColumnWidth(c, gridWidths[c] / twipsPerPixelX);
        width += gridWidths[c] / twipsPerPixelX;
    }
    MSFlexGrid1->setHorizontalHeaderLabels(headers);
    layout->addWidget(MSFlexGrid1, 1, 0, 1, 4);
    for (int i = 0; i < 4; ++i) {
        Command1[i] = new QPushButton(loadString(4051 + i), central);
        Command1[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        layout->addWidget(Command1[i], 2, i);
    }
    connect(Command1[3], &QPushButton::clicked, this, &QWidget::close);
    layout->setRowStretch(1, 1);
    setCentralWidget(central);
    resize(width + 40, 400);
}

void FormReadMem::Form_Load()
{
    setWindowTitle(loadString(6001) + QStringLiteral(" [") + loadString(4000) +
                   QStringLiteral("]"));
    memFileName = loadString(1796) + QStringLiteral("1.csv");
    MaxDataNo = 32000;
    loadSettingsFile();
    placeAt(Settings.TopF, Settings.LeftF);
    selectPort(Settings.comPortIndex);
}

void FormReadMem::openSettings()
{
    FormMeasSet dialog(this);
    dialog.initShow();
    dialog.exec();
    if (!dialog.cancelled())
        instrument().sendSettingsFromMemoryWindow();
}

void FormReadMem::clockSetting()
{
    FormClockSet dialog(this);
    dialog.exec();
    if (!dialog.cancelled())
        instrument().setClock(dialog.dateTime());
}

void FormReadMem::clearMemoryData()
{
    instrument().clearMemoryData();
}

void FormReadMem::confirmConnection()
{
    instrument().confirmConnection();
}

void FormReadMem::closeEvent(QCloseEvent *event)
{
    Settings.TopF = topTwips();
    Settings.LeftF = leftTwips();
    saveSettingsFile();
    event->accept();
}
