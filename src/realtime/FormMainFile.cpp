// The real-time window's File and Data menus: loading and saving channels, the unsaved
// changes question, the channel rows and their table windows.
#include "FormMain.h"

#include "ClassData.h"
#include "FormDialog.h"
#include "FormFileWait.h"
#include "FormTable.h"
#include "Format.h"
#include "ListGrid.h"
#include "PrintListing.h"
#include "Prompter.h"
#include "RunJournal.h"
#include "Strings.h"

#include <QAction>
#include <QTableWidget>

namespace
{
const QString fileFilter =
    QStringLiteral("text (*.csv *.txt *.dat)|*.csv;*.txt;*.dat|all (*.*)|*.*");
const QString defaultPattern = QStringLiteral("*.csv");

// Asks for the channel of a File menu command; the chosen one becomes the current, marked row.
// -1 when the user declined.
int chooseChannel(FormMain &main, int titleId, int labelId)
{
    const int ch = FormDialog::instance().selectChannel(&main, loadString(titleId),
                                                        loadString(labelId), main.curCH);
    if (ch < 0)
        return ch;
    main.selectRow(ch + 1);
    main.curCH = static_cast<qint16>(ch);
    return ch;
}
} // namespace

QString FormMain::channelHeading(const ClassData &data)
{
    return QStringLiteral("CH") + signedNumberText(data.ChNo + 1) + u':' + data.Title;
}

void FormMain::MenuFileItem_Click(int index)
{
    switch (index) {
    case 0:
        loadTable();
        break;
    case 2:
    case 3:
        if (chooseChannel(*this, 1789, 1790) < 0)
            return;
        if (index == 2)
            oversaveTable();
        else
            saveTable();
        dispCHRow(curCH);
        break;
    case 5:
        PrintListing::showPageSetup();
        break;
    case 6:
        printData();
        break;
    case 8:
        close();
        break;
    default:
        break;
    }
}

void FormMain::printData()
{
    const int ch = chooseChannel(*this, 1783, 1784);
    if (ch < 0)
        return;
    if (!checkMeasDataExist(ch)) {
        showMessage(loadString(1785));
        return;
    }
    if (PrintListing::showPrintDialog())
        PrintListing::printChannel(this, ch);
}

bool FormMain::loadFileData(ClassData &data, const QString &path)
{
    FormFileWait wait;
    wait.initMsg(loadString(1753), loadString(1754), loadString(1755));
    wait.show1(this);
    const bool ok = data.loadFileData(path, &wait);
    wait.Hide1();
    return ok;
}

bool FormMain::saveFileData(ClassData &data, const QString &path)
{
    FormFileWait wait;
    wait.initMsg(loadString(1761), loadString(1762), loadString(1763));
    wait.show1(this);
    const bool ok = data.saveFileData(path, &wait);
    wait.Hide1();
    return ok;
}

void FormMain::loadTable()
{
    const int ch = chooseChannel(*this, 1787, 1788);
    if (ch < 0)
        return;
    if (checkMeasDataExist(ch)) {
        const QString question =
            channelHeading(*channelData[ch]) + u'\r' + loadString(1745) + u'\r' + loadString(1746);
        if (showMessage(question, Prompter::OkCancel, Prompter::Question) != Prompter::AnswerOk)
            return;
    }
    const QString path = Prompter::instance().openFileName(QString(), fileFilter, defaultPattern);
    if (path.isEmpty())
        return;

    // Read aside: a file that does not load leaves the channel as it was.
    auto data = std::make_unique<ClassData>();
    data->ChNo = static_cast<qint16>(ch);
    if (!loadFileData(*data, path) || !checkUnit(data->Unit))
        return;
    data->FileName = path;
    data->Untitled = false;
    channelData[ch] = std::move(data);
    setCurSaveState(2);
    refreshChannel(ch);
}

bool FormMain::checkUnit(int unit)
{
    bool ok;
    if (languageFlag == 0 && unit == 1) {
        ok = false;
    } else if (listUnit < 0) {
        listUnit = static_cast<qint16>(unit);
        ok = true;
    } else {
        ok = unit == listUnit;
    }
    if (!ok)
        showMessage(loadString(1798), Prompter::Ok, Prompter::Warning);
    return ok;
}

bool FormMain::saveTable()
{
    if (!checkMeasDataExist(curCH)) {
        showMessage(loadString(1750));
        return false;
    }
    ClassData &data = *channelData[curCH];
    const QString path =
        Prompter::instance().saveFileName(QString(), fileFilter, defaultPattern, data.FileName);
    if (path.isEmpty())
        return false;
    if (!saveTableTo(path))
        return false;
    setCurSaveState(2);
    return true;
}

bool FormMain::oversaveTable()
{
    if (!checkMeasDataExist(curCH)) {
        showMessage(loadString(1750));
        return false;
    }
    ClassData &data = *channelData[curCH];
    if (data.Untitled)
        return saveTable();
    if (!saveTableTo(data.FileName))
        return false;
    setCurSaveState(2);
    return true;
}

bool FormMain::saveTableTo(const QString &path)
{
    if (!checkMeasDataExist(curCH)) {
        showMessage(loadString(1750));
        return false;
    }
    ClassData &data = *channelData[curCH];
    // A failed save keeps the name, the untitled flag and the changed state as they were.
    if (!saveFileData(data, path))
        return false;
    data.FileName = path;
    data.Untitled = false;
    return true;
}

void FormMain::setSaveState(int ch, int state)
{
    if (checkMeasDataExist(ch))
        channelData[ch]->Changed = static_cast<qint16>(state);
    updateFileMenu();
}

void FormMain::setCurSaveState(int state)
{
    setSaveState(curCH, state);
}

void FormMain::updateFileMenu()
{
    bool changed = false;
    bool saved = false;
    for (int ch = 0; ch < 8; ++ch) {
        if (!checkMeasDataExist(ch))
            continue;
        changed = changed || channelData[ch]->Changed == 1;
        saved = saved || channelData[ch]->Changed == 2;
    }
    MenuFileItem[2]->setEnabled(changed);
    MenuFileItem[3]->setEnabled(changed || saved);
    MenuFileItem[6]->setEnabled(changed || saved);
}

bool FormMain::confirmUnsaved()
{
    const qint16 keep = curCH;
    bool goOn = true;
    for (int ch = 0; ch < 8 && goOn; ++ch) {
        if (!checkMeasDataExist(ch) || channelData[ch]->Changed != 1)
            continue;
        curCH = static_cast<qint16>(ch);
        const QString question = channelHeading(*channelData[ch]) + u'\r' + loadString(1749);
        switch (showMessage(question, Prompter::YesNoCancel, Prompter::Question)) {
        case Prompter::AnswerYes:
            goOn = oversaveTable();
            break;
        case Prompter::AnswerNo:
            break;
        default:
            goOn = false;
            break;
        }
    }
    curCH = keep;
    return goOn;
}

void FormMain::dispCHRow(int ch)
{
    ListGrid::fillRow(MSFlexGridCH, ch, checkMeasDataExist(ch) ? channelData[ch].get() : nullptr);
    if (checkMeasDataExist(ch))
        setGridHeader();
}

void FormMain::setGridHeader()
{
    int unit = listUnit < 0 ? 0 : listUnit;
    if (checkMeasDataExist(curCH))
        unit = channelData[curCH]->Unit;
    ListGrid::setUnitHeaders(MSFlexGridCH, 1218, unit);
}

void FormMain::refreshChannel(int ch)
{
    if (tables[ch] && tables[ch]->isVisible())
        tables[ch]->dispMeasData();
    m_engine->graphView().initGraphCh(ch);
    dispCHRow(ch);
}

void FormMain::showTable(int ch)
{
    if (!tables[ch]) {
        tables[ch] = new FormTable(this);
        connect(tables[ch], &FormTable::closed, this,
                [this](int closedCh) { MenuDataItem[closedCh]->setEnabled(true); });
    }
    tables[ch]->setChNo(ch);
    tables[ch]->show();
    tables[ch]->raise();
    tables[ch]->dispMeasData();
    MenuDataItem[ch]->setEnabled(false);
}

void FormMain::recoverJournals()
{
    const QStringList journals = RunJournal::pending(journal().folder());
    if (journals.isEmpty())
        return;
    std::vector<std::unique_ptr<ClassData>> runs;
    QString question = loadString(1769);
    bool readable = false;
    for (const QString &path : journals) {
        runs.push_back(RunJournal::read(path));
        if (const ClassData *run = runs.back().get()) {
            readable = true;
            question += u'\r' + channelHeading(*run) + u' ' + dateTimeText(run->StartDateTime) +
                        QStringLiteral(" - ") + dateTimeText(run->StopDateTime) +
                        QStringLiteral(", ") + loadString(1217) + QStringLiteral(" : ") +
                        QString::number(run->DataNo);
        }
    }
    const QString folder = RunJournal::recoveryFolder();
    question += u'\r' + loadString(1775) + u'\r' + loadString(1799) + u'\r' + folder;
    // Journals without a readable sample are only kept (or removed when empty): no question.
    const bool recover = readable && showMessage(question, Prompter::YesNo, Prompter::Question) ==
                                         Prompter::AnswerYes;

    for (size_t k = 0; k < runs.size(); ++k) {
        std::unique_ptr<ClassData> &run = runs[k];
        if (recover && run && checkUnit(run->Unit)) {
            // Its own channel, or the first empty one when that holds data already.
            int ch = run->ChNo;
            for (int other = 0; other < 8 && checkMeasDataExist(ch); ++other)
                ch = checkMeasDataExist(other) ? ch : other;
            if (!checkMeasDataExist(ch)) {
                run->ChNo = static_cast<qint16>(ch);
                run->Changed = 1;
                channelData[ch] = std::move(run);
                refreshChannel(ch);
            }
        }
        // Recovered runs too: until the user saves them, the kept file is their only copy.
        RunJournal::keep(journals[int(k)], folder);
    }
    updateFileMenu();
}
