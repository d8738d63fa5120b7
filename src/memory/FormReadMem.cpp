#include "FormReadMem.h"

#include "AppState.h"
#include "ClassData.h"
#include "ClassInstrument.h"
#include "FormAbout.h"
#include "FormClockSet.h"
#include "FormDispMem.h"
#include "FormHelp.h"
#include "FormMeasSet.h"
#include "Format.h"
#include "ListGrid.h"
#include "PrintListing.h"
#include "Prompter.h"
#include "Settings.h"
#include "Strings.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

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
    connect(MenuFileItem[0], &QAction::triggered, this, &FormReadMem::loadMemData);
    connect(MenuFileItem[2], &QAction::triggered, this, &FormReadMem::oversaveMemData);
    connect(MenuFileItem[3], &QAction::triggered, this, &FormReadMem::saveMemData);
    connect(MenuFileItem[5], &QAction::triggered, this, [] { PrintListing::showPageSetup(); });
    connect(MenuFileItem[6], &QAction::triggered, this, [this] { Command1_Click(2); });
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
    connect(MenuMemDataItem[0], &QAction::triggered, this, [this] { Command1_Click(0); });
    connect(MenuMemDataItem[1], &QAction::triggered, this, &FormReadMem::clrMemData);
    connect(MenuMemDataItem[3], &QAction::triggered, this, &FormReadMem::toggleDataTable);

    QMenu *help = MenuTop[3];
    MenuHelpItem[0] = add(help, 4040);
    MenuHelpItem[1] = add(help, 4041);
    MenuHelpItem[2] = add(help, 4042);
    help->addSeparator();
    MenuHelpItem[4] = add(help, 4044);
    connect(MenuHelpItem[0], &QAction::triggered, this,
            [this] { showHelp(FormHelp::HelpContents); });
    connect(MenuHelpItem[1], &QAction::triggered, this,
            [this] { showHelp(FormHelp::HelpPartialKey); });
    connect(MenuHelpItem[2], &QAction::triggered, this, [this] { showHelp(FormHelp::HelpOnHelp); });
    connect(MenuHelpItem[4], &QAction::triggered, this, [this] { FormAbout::show1(this); });
}

void FormReadMem::showHelp(int command)
{
    FormHelp::showHelp(this, loadString(5502), command);
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
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    MSFlexGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid = new ListGrid(MSFlexGrid1, this);
    Text1 = m_grid->editor();
    m_grid->editable = [this](int row) {
        return row >= 1 && row <= blockCount && checkMemDataExist(rowBlock[row - 1]);
    };
    m_grid->store = [this](int row, int column, const QString &text) {
        ClassData &data = *memBlocks[rowBlock[row - 1]];
        QString &field = column == ListGrid::titleColumn ? data.Title : data.MeasPerson;
        if (field != text)
            setSaveMenu(1);
        field = text;
    };
    m_grid->rowChanged = [this](int) { rowChanged(); };
    m_grid->watchMenus(QList<QMenu *>(std::begin(MenuTop), std::end(MenuTop)));
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
    setSaveMenu(0);
    setGridHeader();
}

void FormReadMem::Command1_Click(int index)
{
    switch (index) {
    case 0:
        if (blockCount > 0 &&
            showMessage(loadString(1770) + u'\r' + loadString(1746), Prompter::OkCancel,
                        Prompter::Question) != Prompter::AnswerOk)
            return;
        readMemData();
        break;
    case 1:
        oversaveMemData();
        break;
    case 2:
        if (std::none_of(std::begin(memBlocks), std::end(memBlocks),
                         [](const auto &block) { return bool(block); })) {
            showMessage(loadString(4232));
            return;
        }
        if (PrintListing::showPrintDialog())
            PrintListing::printMemory(this, memBlocks, memFileName);
        break;
    case 3:
        close();
        break;
    default:
        break;
    }
}

void FormReadMem::setSaveMenu(int mode)
{
    if (mode < 0 || mode > 2)
        return;
    m_saveState = mode;
    MenuFileItem[2]->setEnabled(mode == 1);
    Command1[1]->setEnabled(mode == 1);
    MenuFileItem[3]->setEnabled(mode != 0);
    MenuFileItem[6]->setEnabled(mode != 0);
    Command1[2]->setEnabled(mode != 0);
}

void FormReadMem::dispMemList()
{
    m_grid->endEdit();
    blockCount = 0;
    for (int block = 0; block < 64; ++block) {
        if (checkMemDataExist(block))
            rowBlock[blockCount++] = block;
    }
    MSFlexGrid1->setRowCount(blockCount);
    for (int row = 0; row < blockCount; ++row) {
        auto *number = new QTableWidgetItem(QString::number(rowBlock[row] + 1));
        number->setTextAlignment(Qt::AlignCenter);
        MSFlexGrid1->setItem(row, 0, number);
        ListGrid::fillRow(MSFlexGrid1, row, memBlocks[rowBlock[row]].get());
    }
    m_grid->rowsReset();
    curBlock = blockCount > 0 ? rowBlock[0] : 0;
    if (blockCount > 0)
        m_grid->selectRow(1);
    else
        rowChanged();
}

void FormReadMem::rowChanged()
{
    const int row = gridRow();
    if (row >= 1 && row <= blockCount)
        curBlock = rowBlock[row - 1];
    setGridHeader();
    if (m_dispMem && m_dispMem->isVisible())
        m_dispMem->dispMemdata(curBlock);
}

void FormReadMem::setGridHeader()
{
    const int unit = checkMemDataExist(curBlock) ? memBlocks[curBlock]->Unit : MeasSetting.Unit;
    ListGrid::setUnitHeaders(MSFlexGrid1, 4065, unit);
}

int FormReadMem::gridRow() const
{
    return m_grid->gridRow();
}

void FormReadMem::selectRow(int row)
{
    m_grid->selectRow(row);
}

void FormReadMem::setPreviousNo()
{
    if (gridRow() > 1)
        selectRow(gridRow() - 1);
}

void FormReadMem::setNextNo()
{
    if (gridRow() < blockCount)
        selectRow(gridRow() + 1);
}

void FormReadMem::toggleDataTable()
{
    if (m_dispMem && m_dispMem->isVisible()) {
        m_dispMem->hide();
        DataTableCheckOff();
        return;
    }
    if (!m_dispMem)
        m_dispMem = new FormDispMem(this);
    m_dispMem->show();
    m_dispMem->raise();
    MenuMemDataItem[3]->setChecked(true);
    m_dispMem->dispMemdata(curBlock);
}

void FormReadMem::DataTableCheckOff()
{
    MenuMemDataItem[3]->setChecked(false);
}

void FormReadMem::mousePressEvent(QMouseEvent *event)
{
    m_grid->endEdit();
    LinkWindow::mousePressEvent(event);
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

void FormReadMem::clrMemData()
{
    QString warning;
    if (m_download == NoDownload) {
        warning = loadString(7223);
    } else if (m_download == DownloadUnsaved) {
        warning = loadString(7220) + u'\r' +
                  (m_keptFile.isEmpty() ? loadString(7222) : loadString(7221) + u'\r' + m_keptFile);
    }
    if (!warning.isEmpty() && showMessage(warning + u'\r' + loadString(7224), Prompter::OkCancel,
                                          Prompter::Warning) != Prompter::AnswerOk)
        return;
    if (instrument().clrMemData())
        m_download = NoDownload;
}

void FormReadMem::confirmConnection()
{
    instrument().confirmConnection();
}

void FormReadMem::closeEvent(QCloseEvent *event)
{
    m_grid->endEdit();
    if (confirmMemSave() == Prompter::AnswerCancel) {
        event->ignore();
        return;
    }
    Settings.TopF = topTwips();
    Settings.LeftF = leftTwips();
    saveSettingsFile();
    event->accept();
}
