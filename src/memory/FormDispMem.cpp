#include "FormDispMem.h"

#include "SampleGrid.h"

#include "AppState.h"
#include "FieldHelpers.h"
#include "FormReadMem.h"
#include "Format.h"
#include "MemBlocks.h"
#include "Strings.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableWidget>

namespace
{

// Column widths in twips: No., Date, Time, Data, Judg.
constexpr int gridWidths[5] = {750, 900, 900, 1050, 650};
constexpr int columns = 5;
constexpr int dataColumn = 3;
constexpr int judgementColumn = 4;
constexpr int margin = 8;
constexpr int panelWidth = 200;

const QColor black(0, 0, 0);
const QColor blue(0, 0, 255);
const QColor red(255, 0, 0);

const QString noLimit = QStringLiteral("-");

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

FormDispMem::FormDispMem(FormReadMem *owner) : QWidget(owner, Qt::Tool), m_owner(owner)
{
    setObjectName(QStringLiteral("FormDispMem"));
    setFont(QFont(dispFontName, dispFontSize));

    const SampleGrid table = newSampleGrid(
        this,
        {loadString(1510), loadString(1511), loadString(1512), loadString(1513), loadString(1514)},
        gridWidths);
    MSFlexGrid1 = table.grid;
    VScrollTable = table.scroll;
    const int gridWidth = table.width;
    connect(VScrollTable, &QScrollBar::valueChanged, this, [this](int value) { dispTable(value); });

    Frame1 = named(new QGroupBox(this), QStringLiteral("Frame1"));
    auto *frameLayout = new QGridLayout(Frame1);
    for (int k = 0; k < 4; ++k) {
        Label1[k] =
            named(new QLabel(loadString(4208 + k), Frame1), QStringLiteral("Label1_%1").arg(k));
        frameLayout->addWidget(Label1[k], k, 0);
    }
    LabelNo = named(new QLabel(Frame1), QStringLiteral("LabelNo"));
    LabelOut = named(new QLabel(Frame1), QStringLiteral("LabelOut"));
    frameLayout->addWidget(LabelNo, 0, 1);
    for (int k = 0; k < 2; ++k) {
        Text1[k] = named(new QLineEdit(Frame1), QStringLiteral("Text1_%1").arg(k));
        installFieldBehaviour(Text1[k]);
        // Installed after the field behaviour, so it sees Enter before that swallows it.
        Text1[k]->installEventFilter(this);
        frameLayout->addWidget(Text1[k], k + 1, 1);
    }
    frameLayout->addWidget(LabelOut, 3, 1);
    frameLayout->setColumnStretch(1, 1);

    Command1[0] = dialogButton(this, QStringLiteral("Command1_0"), 4213);
    Command1[1] = dialogButton(this, QStringLiteral("Command1_1"), 4212);
    connect(Command1[0], &QPushButton::clicked, this, [this] { m_owner->setPreviousNo(); });
    connect(Command1[1], &QPushButton::clicked, this, [this] { m_owner->setNextNo(); });

    const int scrollWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int buttonsHeight = 2 * (Command1[0]->sizeHint().height() + margin);
    const int minimumHeight = qMax(Frame1->sizeHint().height() + buttonsHeight,
                                   MSFlexGrid1->horizontalHeader()->sizeHint().height() +
                                       3 * MSFlexGrid1->verticalHeader()->defaultSectionSize()) +
                              2 * margin;
    setMinimumSize(gridWidth + scrollWidth + panelWidth + 3 * margin, minimumHeight);
    resize(minimumWidth(), qMax(minimumHeight, 400));
    relayout();
}

FormDispMem::~FormDispMem()
{
    // A focused limit box losing its focus while the window goes must not apply limits.
    for (QLineEdit *text : Text1)
        text->removeEventFilter(this);
}

ClassData *FormDispMem::data() const
{
    return FormReadMem::checkMemDataExist(m_block) ? memBlocks[m_block].get() : nullptr;
}

void FormDispMem::dispMemdata(int block)
{
    if (block != m_block) {
        const QSignalBlocker blocker(VScrollTable);
        VScrollTable->setValue(0);
    }
    m_block = block;
    const ClassData *d = data();
    // Without a block there is nothing to number or limit.
    setWindowTitle(d ? loadString(5014) + QString::number(block + 1) + u':' + d->Title
                     : loadString(5014));
    LabelNo->setText(d ? QString::number(block + 1) : QString());
    for (QLineEdit *text : Text1)
        text->setEnabled(d != nullptr);
    Text1[0]->setText(d ? d->getCompHighStr() : QString());
    Text1[1]->setText(d ? d->getCompLowStr() : QString());
    LabelOut->setText(d ? QString::number(d->CompOut) : QString());
    MSFlexGrid1->horizontalHeaderItem(dataColumn)
        ->setText(loadString(1513) + u'[' + unitText(d ? d->Unit : 0) + u']');
    setScrollRange();
    dispTable(VScrollTable->value());
}

void FormDispMem::dispTable(int first)
{
    const ClassData *d = data();
    const int last = d ? d->LastNo : -1;
    for (int r = 0; r < m_visible; ++r) {
        const int i = first + r;
        if (i < 0 || i > last) {
            for (int c = 0; c < columns; ++c)
                MSFlexGrid1->item(r, c)->setText(QString());
            continue;
        }
        const float value = d->getDataY(i);
        MSFlexGrid1->item(r, 0)->setText(QString::number(i + 1));
        MSFlexGrid1->item(r, 1)->setText(d->getDataDate(i));
        MSFlexGrid1->item(r, 2)->setText(d->getDataTime(i));
        MSFlexGrid1->item(r, dataColumn)->setText(valueText(value, d->Resolution));
        MSFlexGrid1->item(r, judgementColumn)->setText(d->getDataStatusStr(i));

        // Low battery and error samples count in neither extreme, whatever their code value.
        QColor valueColor = black;
        if (valueStatus(value) < 3) {
            if (value <= d->MinValue)
                valueColor = blue;
            else if (value >= d->MaxValue)
                valueColor = red;
        }
        MSFlexGrid1->item(r, dataColumn)->setForeground(valueColor);
        const qint16 status = d->getDataStatus(i);
        MSFlexGrid1->item(r, judgementColumn)
            ->setForeground(status == 1   ? blue
                            : status == 2 ? red
                                          : black);
    }
}

void FormDispMem::checkComp(int index, const QString &text)
{
    const QString entered = text.trimmed();
    if (entered.isEmpty() || entered == noLimit) {
        Text1[index]->setText(noLimit);
        return;
    }
    const ClassData *d = data();
    const int unit = d ? d->Unit : 0;
    const int resolution = d ? d->Resolution : 0;
    QString limit = precisionText(parseLimit(entered, unit), resolution == 0 ? 1 : 0);
    // "-0.0" from a small negative entry reads as a limit of zero.
    if (limit.startsWith(u'-') && limit.mid(1).toDouble() == 0.0)
        limit.remove(0, 1);
    Text1[index]->setText(limit);
}

void FormDispMem::applyComp()
{
    for (int k = 0; k < 2; ++k)
        checkComp(k, Text1[k]->text());
    ClassData *d = data();
    const int unit = d ? d->Unit : 0;
    const QString upper = Text1[0]->text();
    const QString lower = Text1[1]->text();
    if (upper != noLimit && lower != noLimit && parseLimit(upper, unit) < parseLimit(lower, unit)) {
        Text1[0]->setText(lower);
        Text1[1]->setText(upper);
    }
    if (d) {
        float *stored[2] = {&d->CompHigh, &d->CompLow};
        for (int k = 0; k < 2; ++k) {
            const QString text = Text1[k]->text();
            const float limit =
                text == noLimit ? notSetValue : static_cast<float>(parseLimit(text, unit));
            if (limit != *stored[k]) {
                *stored[k] = limit;
                m_owner->setSaveMenu(1);
            }
        }
        d->compjob();
    }
    dispMemdata(m_block);
}

void FormDispMem::setScrollRange()
{
    // Callers show the table themselves once the range is set.
    const QSignalBlocker blocker(VScrollTable);
    const ClassData *d = data();
    const int samples = d ? d->LastNo + 1 : 0;
    VScrollTable->setSingleStep(1);
    VScrollTable->setPageStep(qMax(m_visible, 1));
    VScrollTable->setRange(0, qMax(samples - m_visible, 0));
}

void FormDispMem::relayout()
{
    const int gridWidth = MSFlexGrid1->width();
    const int gridHeight = height() - 2 * margin;
    MSFlexGrid1->setGeometry(margin, margin, gridWidth, gridHeight);
    const int scrollWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    VScrollTable->setGeometry(margin + gridWidth, margin, scrollWidth, gridHeight);
    const int panelLeft = margin + gridWidth + scrollWidth + margin;
    const int frameHeight = Frame1->sizeHint().height();
    Frame1->setGeometry(panelLeft, margin, panelWidth, frameHeight);
    int top = margin + frameHeight + margin;
    for (QPushButton *button : Command1) {
        const int buttonHeight = button->sizeHint().height();
        button->setGeometry(panelLeft, top, panelWidth, buttonHeight);
        top += buttonHeight + margin;
    }

    const int visible = sampleRowsFitting(MSFlexGrid1, gridHeight);
    if (visible == m_visible)
        return;
    addSampleRows(MSFlexGrid1, m_visible, visible, columns, dataColumn);
    m_visible = visible;
}

bool FormDispMem::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Text1[0] || watched == Text1[1]) {
        if (event->type() == QEvent::KeyPress &&
            isEnterKey(static_cast<QKeyEvent *>(event)->key())) {
            applyComp();
            return true;
        }
        if (event->type() == QEvent::FocusOut)
            applyComp();
    }
    return QWidget::eventFilter(watched, event);
}

void FormDispMem::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
    setScrollRange();
    dispTable(VScrollTable->value());
}

void FormDispMem::closeEvent(QCloseEvent *event)
{
    event->accept();
    m_owner->DataTableCheckOff();
}
