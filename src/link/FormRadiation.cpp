#include "FormRadiation.h"

#include "FieldHelpers.h"
#include "FormMeasSet.h"
#include "MeasSettingCheck.h"
#include "Prompter.h"
#include "Settings.h"
#include "Strings.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

constexpr int maxEntries = 10;

} // namespace

FormRadiation::FormRadiation(FormMeasSet *measSet, QWidget *parent)
    : QDialog(parent ? parent : measSet), m_measSet(measSet)
{
    setObjectName(QStringLiteral("FormRadiation"));
    setWindowTitle(loadString(1470));
    setFont(QFont(dispFontName, dispFontSize));

    for (int i = 0; i < 3; ++i) {
        Label1[i] = new QLabel(loadString(1471 + i), this);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
    }
    QFont headingFont = font();
    headingFont.setBold(true);
    Label1[0]->setFont(headingFont);

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setMinimumWidth(180);
    Frame1 = new QGroupBox(loadString(1474), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    TextRName = new QLineEdit(Frame1);
    TextRName->setObjectName(QStringLiteral("TextRName"));
    TextRNum = new QLineEdit(Frame1);
    TextRNum->setObjectName(QStringLiteral("TextRNum"));
    TextRNum->setMaximumWidth(TextRNum->fontMetrics().horizontalAdvance(QStringLiteral("0.000")) +
                              16);
    installFieldBehaviour(TextRName);
    installFieldBehaviour(TextRNum);

    Command1 = dialogButton(this, QStringLiteral("Command1"), 1475);
    Command2 = dialogButton(this, QStringLiteral("Command2"), 1476);
    Command3 = dialogButton(Frame1, QStringLiteral("Command3"), 1477);
    Command4 = dialogButton(Frame1, QStringLiteral("Command4"), 1478);
    Command5 = dialogButton(Frame1, QStringLiteral("Command5"), 1479);

    auto *fields = new QGridLayout;
    fields->addWidget(Label1[1], 0, 0);
    fields->addWidget(TextRName, 1, 0);
    fields->addWidget(Label1[2], 0, 1);
    fields->addWidget(TextRNum, 1, 1);
    fields->setColumnStretch(0, 1);
    auto *frameButtons = new QHBoxLayout;
    frameButtons->addWidget(Command3);
    frameButtons->addWidget(Command4);
    frameButtons->addWidget(Command5);
    auto *frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addLayout(fields);
    frameLayout->addLayout(frameButtons);
    frameLayout->addStretch(1);

    auto *middle = new QHBoxLayout;
    middle->addWidget(List1, 1);
    middle->addWidget(Frame1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1[0]);
    layout->addLayout(middle);
    layout->addLayout(buttons);

    connect(List1, &QListWidget::itemSelectionChanged, this, &FormRadiation::List1_Click);
    connect(Command1, &QPushButton::clicked, this, &FormRadiation::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FormRadiation::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &FormRadiation::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &FormRadiation::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &FormRadiation::Command5_Click);

    const QStringList &list = MeasSetting.EmissivityList;
    m_lastIndex = std::clamp(int(list.size()) - 1, 0, maxEntries - 1);
    m_noClick = true;
    // With an empty list this shows one empty entry: the list always keeps at least one.
    for (int i = 0; i <= m_lastIndex; ++i)
        List1->addItem(list.value(i));
    addBlankLine();
    m_noClick = false;
}

void FormRadiation::addBlankLine()
{
    if (List1->count() == m_lastIndex + 1 && List1->count() < maxEntries)
        List1->addItem(QString());
}

int FormRadiation::selectedRow() const
{
    // The current row alone is no choice: the list makes its first row current when it
    // gains the focus, without selecting it.
    const QList<QListWidgetItem *> selected = List1->selectedItems();
    return selected.isEmpty() ? -1 : List1->row(selected.first());
}

void FormRadiation::selectRow(int row)
{
    m_noClick = true;
    List1->setCurrentRow(row);
    m_noClick = false;
}

QString FormRadiation::entryText() const
{
    return TextRName->text() + QLatin1Char(':') + TextRNum->text();
}

bool FormRadiation::checkValueField()
{
    QString name;
    QString valueText;
    const bool ok = checkEmissivityStr2(TextRNum->text(), &name, &valueText);
    TextRNum->setText(valueText);
    return ok;
}

void FormRadiation::List1_Click()
{
    if (m_noClick)
        return;
    const int row = selectedRow();
    if (row < 0 || row > m_lastIndex) {
        TextRName->clear();
        TextRNum->clear();
        return;
    }
    QString name;
    QString valueText;
    checkEmissivityStr(List1->item(row)->text(), &name, &valueText);
    TextRName->setText(name);
    TextRNum->setText(valueText);
}

void FormRadiation::Command3_Click()
{
    if (!checkValueField())
        return;
    if (m_lastIndex >= maxEntries - 1) {
        showMessage(loadString(1490));
        return;
    }
    if (selectedRow() < 0)
        selectRow(m_lastIndex + 1);
    m_noClick = true;
    List1->insertItem(selectedRow(), entryText());
    ++m_lastIndex;
    if (List1->count() > maxEntries)
        delete List1->takeItem(List1->count() - 1);
    m_noClick = false;
}

void FormRadiation::Command4_Click()
{
    const int row = selectedRow();
    if (row < 0 || row > m_lastIndex)
        return;
    m_noClick = true;
    delete List1->takeItem(row);
    m_lastIndex = std::max(m_lastIndex - 1, 0);
    const int next = std::min({row, m_lastIndex + 1, maxEntries - 1});
    addBlankLine();
    List1->setCurrentRow(next);
    m_noClick = false;
    List1_Click();
}

void FormRadiation::Command5_Click()
{
    const int row = selectedRow();
    if (row < 0 || row > m_lastIndex)
        return;
    if (!checkValueField())
        return;
    List1->item(row)->setText(entryText());
}

void FormRadiation::Command1_Click()
{
    QStringList list;
    for (int i = 0; i <= m_lastIndex; ++i) {
        const QListWidgetItem *item = List1->item(i);
        list.append(item ? item->text() : QString());
    }
    MeasSetting.EmissivityList = list;
    if (m_measSet)
        m_measSet->loadEmissivityList();
    accept();
}

void FormRadiation::Command2_Click()
{
    reject();
}
