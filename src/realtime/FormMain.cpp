#include "FormMain.h"

#include "AppState.h"
#include "ClassInstrument.h"
#include "ClassLink.h"
#include "FormAbout.h"
#include "FormDialog.h"
#include "FormGraph.h"
#include "FormHelp.h"
#include "FormMeasSet.h"
#include "FormMeasStart.h"
#include "FormTable.h"
#include "Format.h"
#include "Prompter.h"
#include "Settings.h"
#include "SheetWriter.h"
#include "Strings.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace
{
// Grid column widths in twips.
constexpr int gridWidths[9] = {450, 1950, 1575, 1575, 900, 900, 900, 900, 1350};

// Owns the window's sheet writer as a child, so it lives exactly as long as the window.
class SheetHolder : public QObject
{
public:
    using QObject::QObject;
    SheetWriter writer;
};
} // namespace

FormMain::FormMain(SerialPort *port, QWidget *parent) : LinkWindow(port, parent)
{
    setObjectName(QStringLiteral("FormMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_engine = std::make_unique<RunEngine>(link(), instrument());
    m_engine->setView(this);
    buildMenus();
    buildControls();
    Form_Load();
}

FormMain::~FormMain() = default;

void FormMain::buildMenus()
{
    QMenuBar *bar = menuBar();
    for (int i = 0; i < 7; ++i)
        MenuTop[i] = bar->addMenu(loadString(1110 + i));

    const auto add = [this](QMenu *menu, int id) {
        QAction *action = menu->addAction(loadString(id));
        action->setObjectName(QStringLiteral("Menu%1").arg(id));
        return action;
    };

    QMenu *file = MenuTop[0];
    MenuFileItem[0] = add(file, 1120);
    file->addSeparator();
    MenuFileItem[2] = add(file, 1122);
    MenuFileItem[3] = add(file, 1123);
    file->addSeparator();
    MenuFileItem[5] = add(file, 1125);
    MenuFileItem[6] = add(file, 1126);
    file->addSeparator();
    MenuFileItem[8] = add(file, 1128);
    for (int i : {0, 2, 3, 5, 6, 8})
        connect(MenuFileItem[i], &QAction::triggered, this, [this, i] { MenuFileItem_Click(i); });

    // The Edit menu is kept for its familiar place; it acts on nothing.
    for (int i = 0; i < 4; ++i)
        MenuEditItem[i] = add(MenuTop[1], 1130 + i);

    MenuMeasItem[0] = add(MenuTop[2], 1140);
    MenuTop[2]->addSeparator();
    MenuMeasItem[2] = add(MenuTop[2], 1142);
    connect(MenuMeasItem[0], &QAction::triggered, this, [this] { Command1_Click(0); });
    connect(MenuMeasItem[2], &QAction::triggered, this, [this] { Command1_Click(1); });

    QMenu *set = MenuTop[3];
    MenuSetItem[0] = add(set, 1150);
    MenuSetItem[1] = add(set, 1151);
    MenuSetItem[2] = add(set, 1152);
    set->addSeparator();
    QMenu *ports = set->addMenu(loadString(1154));
    MenuSetItem[4] = ports->menuAction();
    buildPortMenu(ports);
    MenuSetItem[5] = add(set, 1155);
    connect(MenuSetItem[0], &QAction::triggered, this, &FormMain::openSettingsDialog);
    connect(MenuSetItem[1], &QAction::triggered, this, &FormMain::receiveSettings);
    connect(MenuSetItem[2], &QAction::triggered, this, &FormMain::sendSettings);
    connect(MenuSetItem[5], &QAction::triggered, this, &FormMain::confirmConnection);

    MenuGraphItem[0] = add(MenuTop[4], 1170);
    connect(MenuGraphItem[0], &QAction::triggered, this, &FormMain::showGraph);
    for (int i = 0; i < 8; ++i) {
        MenuDataItem[i] = add(MenuTop[5], 1180 + i);
        connect(MenuDataItem[i], &QAction::triggered, this, [this, i] { showTable(i); });
    }

    QMenu *help = MenuTop[6];
    MenuHelpItem[0] = add(help, 1190);
    MenuHelpItem[1] = add(help, 1191);
    MenuHelpItem[2] = add(help, 1192);
    help->addSeparator();
    MenuHelpItem[4] = add(help, 1194);
    connect(MenuHelpItem[0], &QAction::triggered, this,
            [this] { showHelp(FormHelp::HelpContents); });
    connect(MenuHelpItem[1], &QAction::triggered, this,
            [this] { showHelp(FormHelp::HelpPartialKey); });
    connect(MenuHelpItem[2], &QAction::triggered, this, [this] { showHelp(FormHelp::HelpOnHelp); });
    connect(MenuHelpItem[4], &QAction::triggered, this, [this] { FormAbout::show1(this); });
}

void FormMain::buildControls()
{
    auto *central = new QWidget(this);
    auto *layout = new QGridLayout(central);
    const QFont font(dispFontName, dispFontSize);
    central->setFont(font);

    Frame1 = new QGroupBox(central);
    auto *frame1Layout = new QGridLayout(Frame1);
    for (int i = 0; i < 6; ++i) {
        Label1[i] = new QLabel(Frame1);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        frame1Layout->addWidget(Label1[i], i % 3, i / 3);
    }
    for (int i = 0; i < 3; ++i)
        Label1[i]->setText(loadString(1200 + i));
    frame1Layout->setColumnStretch(1, 1);

    Frame2 = new QGroupBox(loadString(1222), central);
    auto *frame2Layout = new QHBoxLayout(Frame2);
    for (int i = 0; i < 4; ++i) {
        Command1[i] = new QPushButton(loadString(1203 + i), Frame2);
        Command1[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        frame2Layout->addWidget(Command1[i]);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }

    LabelCH = new QLabel(loadString(1208), central);
    MSFlexGridCH = new QTableWidget(8, 9, central);
    MSFlexGridCH->setObjectName(QStringLiteral("MSFlexGridCH"));
    MSFlexGridCH->verticalHeader()->hide();
    MSFlexGridCH->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGridCH->setSelectionMode(QAbstractItemView::SingleSelection);
    QStringList headers;
    for (int c = 0; c < 9; ++c) {
        headers << loadString(1213 + c);
        MSFlexGridCH->setColumnWidth(c, gridWidths[c] / twipsPerPixelX);
    }
    MSFlexGridCH->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < 8; ++r) {
        auto *item = new QTableWidgetItem(QString::number(r + 1));
        item->setTextAlignment(Qt::AlignCenter);
        MSFlexGridCH->setItem(r, 0, item);
    }
    buildGrid();

    layout->addWidget(Frame1, 0, 0);
    layout->addWidget(Frame2, 0, 1);
    layout->addWidget(LabelCH, 1, 0, 1, 2);
    layout->addWidget(MSFlexGridCH, 2, 0, 1, 2);
    layout->setRowStretch(2, 1);
    setCentralWidget(central);

    int width = 0;
    for (int w : gridWidths)
        width += w / twipsPerPixelX;
    resize(width + 40, 420);
}

void FormMain::Form_Load()
{
    setWindowTitle(loadString(6001) + QStringLiteral(" [") + loadString(1100) +
                   QStringLiteral("]"));
    loadSettingsFile();
    placeAt(Settings.TopL, Settings.LeftL);
    // Workbooks of runs a crash cut short, before this window's own runs start.
    const QStringList recovered = SheetWriter::recover(SheetWriter::defaultFolder());
    if (!recovered.isEmpty())
        showMessage(loadString(1768) + u'\r' + recovered.join(u'\r'), Prompter::Ok,
                    Prompter::Information);
    SheetWriter &writer = (new SheetHolder(this))->writer;
    writer.finished = [this](const QString &path) {
        // A status text, not a message box: the next run may start at once.
        const bool opened = !SheetWriter::openFinished || !openWorkbook || openWorkbook(path);
        statusBar()->showMessage(loadString(opened ? 1767 : 7101) + u' ' + path);
    };
    openWorkbook = [](const QString &path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    setSheetLog(&writer);
    m_measSet = new FormMeasSet(this);
    // The interval and logging time of the settings file hold until the first run sets them.
    measStart()->loadMeasSetting();
    measStart()->setMeasSetting();
    dispMeasSetting();
    selectPort(Settings.comPortIndex);
    FormDialog::instance();
    recoverJournals();
    for (int ch = 0; ch < 8; ++ch)
        dispCHRow(ch);
    setGridHeader();
    updateFileMenu();
}

void FormMain::Command1_Click(int index)
{
    switch (index) {
    case 0:
        MoniterStart();
        break;
    case 1:
        startRealTime();
        break;
    case 2:
        receiveSettings();
        break;
    case 3:
        sendSettings();
        break;
    default:
        break;
    }
}

void FormMain::dispMeasSetting()
{
    m_measSet->loadMeasSetting();
    const int state = instrument().settingsState();
    static const int stateText[3] = {1210, 1211, 1212};
    Frame1->setTitle(loadString(1209) + loadString(stateText[qBound(0, state, 2)]));
    if (state == 0) {
        for (int i = 3; i < 6; ++i)
            Label1[i]->clear();
        return;
    }
    const QString unit = unitText(MeasSetting.Unit);
    Label1[3]->setText(m_measSet->ComboResolution->currentText() + unit);
    Label1[4]->setText(m_measSet->ComboEmissivity->currentText());
    Label1[5]->setText(m_measSet->TextScaleZero->text() + QStringLiteral(" ") + rangeSeparator +
                       QStringLiteral(" ") + m_measSet->TextScaleFull->text() + unit);
}

void FormMain::openSettingsDialog()
{
    m_measSet->initShow();
    m_measSet->exec();
    if (!m_measSet->cancelled()) {
        if (m_measSet->changed() || instrument().settingsState() == 0)
            instrument().setSettingsState(2);
        dispMeasSetting();
    }
}

void FormMain::receiveSettings()
{
    instrument().receiveSettings();
    dispMeasSetting();
}

void FormMain::sendSettings()
{
    instrument().sendSettings();
    dispMeasSetting();
}

void FormMain::showGraph()
{
    if (!m_graphForm) {
        m_graphForm = new FormGraph(this);
        setGraphView(m_graphForm);
        if (m_engine->measuring)
            m_graphForm->setMeasuringCh(curCH);
    }
    m_graphForm->show();
    m_graphForm->raise();
    m_graphForm->activateWindow();
}

void FormMain::showHelp(int command)
{
    FormHelp::showHelp(this, loadString(5500), command);
}

void FormMain::confirmConnection()
{
    instrument().confirmConnection();
}

void FormMain::closeEvent(QCloseEvent *event)
{
    if (m_engine->measuring || m_engine->monitoring) {
        showMessage(loadString(1704));
        event->ignore();
        return;
    }
    if (!confirmUnsaved()) {
        event->ignore();
        return;
    }
    for (FormTable *&table : tables) {
        delete table;
        table = nullptr;
    }
    link().closePort();
    closeMonitorWindow();
    if (m_graphForm) {
        setGraphView(nullptr);
        m_graphForm->closePermitted = true;
        m_graphForm->close();
        delete m_graphForm;
        m_graphForm = nullptr;
    }
    Settings.TopL = topTwips();
    Settings.LeftL = leftTwips();
    saveSettingsFile();
    FormDialog::instance().hide();
    event->accept();
}
