#include "FormTable.h"

#include "SampleGrid.h"

#include "AppState.h"
#include "ClassData.h"
#include "Format.h"
#include "Strings.h"
#include "WindowPlacement.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableWidget>
#include <QWheelEvent>

#include <cmath>

namespace
{

// Column widths in twips; the last column is a narrow spacer.
constexpr int gridWidths[5] = {750, 900, 900, 900, 45};
constexpr int dataColumns = 4;
constexpr int margin = 8;
constexpr int frameWidth = 320;

} // namespace

FormTable::FormTable(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setFont(QFont(dispFontName, dispFontSize));

    const SampleGrid table = newSampleGrid(
        this, {loadString(1510), loadString(1511), loadString(1512), loadString(1513), QString()},
        gridWidths);
    MSFlexGrid1 = table.grid;
    VScrollTable = table.scroll;
    connect(VScrollTable, &QScrollBar::valueChanged, this, [this] { dispTableVScroll(); });

    panel.Frame1 = new QGroupBox(loadString(1500), this);
    panel.Frame1->setObjectName(QStringLiteral("Frame1"));
    auto *frameLayout = new QGridLayout(panel.Frame1);
    const QFont fixed(fixedFontName, dispFontSize);
    for (int k = 0; k < 6; ++k) {
        panel.Label1[k] = new QLabel(panel.Frame1);
        panel.Label1[k]->setObjectName(QStringLiteral("Label1_%1").arg(k));
        panel.Label1[k]->setFont(fixed);
    }
    for (int k = 0; k < 2; ++k) {
        panel.Text1[k] = new QLineEdit(panel.Frame1);
        panel.Text1[k]->setObjectName(QStringLiteral("Text1_%1").arg(k));
        panel.Text1[k]->setReadOnly(true);
        panel.Text1[k]->setFont(fixed);
    }
    for (int k = 0; k < 3; ++k)
        frameLayout->addWidget(panel.Label1[k], k, 0, 1, 2);
    frameLayout->addWidget(panel.Label1[3], 3, 0);
    frameLayout->addWidget(panel.Text1[0], 3, 1);
    frameLayout->addWidget(panel.Label1[4], 4, 0);
    frameLayout->addWidget(panel.Text1[1], 4, 1);
    frameLayout->addWidget(panel.Label1[5], 5, 0, 1, 2);
    frameLayout->setColumnStretch(1, 1);

    const int gridWidth = table.width;
    const int scrollWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int minimumHeight = qMax(panel.Frame1->sizeHint().height(),
                                   MSFlexGrid1->horizontalHeader()->sizeHint().height() +
                                       3 * MSFlexGrid1->verticalHeader()->defaultSectionSize()) +
                              2 * margin;
    setMinimumSize(gridWidth + scrollWidth + frameWidth + 3 * margin, minimumHeight);
    resize(minimumWidth(), qMax(minimumHeight, 400));
    relayout();
    if (parent) {
        const QList<FormTable *> tables = parent->findChildren<FormTable *>();
        placeWindow(this, parent, QList<QWidget *>(tables.begin(), tables.end()));
    }
}

void FormTable::setChNo(int ch)
{
    m_chNo = ch;
}

const ClassData *FormTable::data() const
{
    if (m_chNo < 0 || m_chNo >= 8)
        return nullptr;
    return channelData[m_chNo].get();
}

void FormTable::dispMeasData()
{
    const ClassData *d = data();
    setWindowTitle(QStringLiteral("CH ") + QString::number(m_chNo + 1) + QStringLiteral(":") +
                   (d ? d->Title : QString()));
    dispStatistics(panel, d);
    setDataHeader();
    setScrollRange();
    dispTableVScroll();
}

void FormTable::refreshTableData()
{
    dispStatistics(panel, data());
    setDataHeader();
    setScrollRange();
    {
        // One repaint of the rows below instead of a second one from valueChanged.
        const QSignalBlocker blocker(VScrollTable);
        VScrollTable->setValue(VScrollTable->maximum());
    }
    dispTableVScroll();
}

void FormTable::dispTableVScroll()
{
    const ClassData *d = data();
    const int dataNo = d ? d->DataNo : 0;
    // The range of setScrollRange keeps the maximum at 1 or more. nearbyint rounds halves
    // to even in the default rounding mode.
    const double first = std::nearbyint(double(VScrollTable->value()) / VScrollTable->maximum() *
                                        (dataNo - m_visible));
    dispTable(first < 0 ? 0 : int(first));
}

void FormTable::dispTable(int first)
{
    const ClassData *d = data();
    const int last = d ? d->LastNo : -1;
    for (int r = 0; r < m_visible; ++r) {
        const int i = first + r;
        if (i >= 0 && i <= last) {
            MSFlexGrid1->item(r, 0)->setText(QString::number(i + 1));
            MSFlexGrid1->item(r, 1)->setText(d->getDataDate(i));
            MSFlexGrid1->item(r, 2)->setText(d->getDataTime(i));
            MSFlexGrid1->item(r, 3)->setText(valueText(d->getDataY(i), d->Resolution));
        } else {
            for (int c = 0; c < dataColumns; ++c)
                MSFlexGrid1->item(r, c)->setText(QString());
        }
    }
}

void FormTable::setScrollRange()
{
    // Callers show the table themselves once the range is set.
    const QSignalBlocker blocker(VScrollTable);
    const ClassData *d = data();
    VScrollTable->setSingleStep(1);
    if (!d) {
        VScrollTable->setRange(0, 1);
        VScrollTable->setPageStep(32767);
        return;
    }
    VScrollTable->setRange(0, qMax(d->DataNo - m_visible, 1));
    VScrollTable->setPageStep(d->DataNo <= m_visible ? 32767 : qMax(m_visible, 1));
}

void FormTable::setDataHeader()
{
    const ClassData *d = data();
    QString text = loadString(1513);
    if (d)
        text += QStringLiteral("[") + unitText(d->Unit) + QStringLiteral("]");
    MSFlexGrid1->horizontalHeaderItem(3)->setText(text);
}

void FormTable::dispStatistics(const StatisticsPanel &panel, const ClassData *data)
{
    const bool memoryMode = programMode == 1;
    panel.Frame1->setTitle(loadString(1500));
    for (int k = 3; k < 6; ++k)
        panel.Label1[k]->setVisible(memoryMode);
    for (QLineEdit *text : panel.Text1)
        text->setVisible(memoryMode);

    const QString gap = QStringLiteral("  ");
    if (!data) {
        const QString none = gap + QStringLiteral("-----");
        for (int k = 0; k < 3; ++k)
            panel.Label1[k]->setText(loadString(1501 + k) + none);
        if (memoryMode) {
            panel.Label1[3]->setText(loadString(1504));
            panel.Text1[0]->setText(QStringLiteral("-"));
            panel.Label1[4]->setText(loadString(1505));
            panel.Text1[1]->setText(QStringLiteral("-"));
            panel.Label1[5]->setText(loadString(1506));
        }
        return;
    }

    const QString unit = unitText(data->Unit);
    const auto extremeLine = [&](int id, const QString &when, float value) -> QString {
        return loadString(id) + gap + when + QStringLiteral(" ") +
               padLeft(valueText(value, data->Resolution), 7) + QStringLiteral(" ") + unit;
    };
    panel.Label1[0]->setText(extremeLine(1501, data->getMaxDateTime(), data->MaxValue));
    panel.Label1[1]->setText(extremeLine(1502, data->getMinDateTime(), data->MinValue));
    panel.Label1[2]->setText(loadString(1503) + gap + valueText(data->AveValue, data->Resolution) +
                             QStringLiteral(" ") + unit);
    if (memoryMode) {
        panel.Label1[3]->setText(loadString(1504));
        panel.Text1[0]->setText(data->getCompHighStr());
        panel.Label1[4]->setText(loadString(1505));
        panel.Text1[1]->setText(data->getCompLowStr());
        panel.Label1[5]->setText(loadString(1506) + QStringLiteral("  ") +
                                 QString::number(data->CompOut));
    }
}

void FormTable::relayout()
{
    const int gridWidth = MSFlexGrid1->width();
    const int gridHeight = height() - 2 * margin;
    MSFlexGrid1->setGeometry(margin, margin, gridWidth, gridHeight);
    const int scrollWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    VScrollTable->setGeometry(margin + gridWidth, margin, scrollWidth, gridHeight);
    panel.Frame1->setGeometry(margin + gridWidth + scrollWidth + margin, margin, frameWidth,
                              panel.Frame1->sizeHint().height());

    const int visible = sampleRowsFitting(MSFlexGrid1, gridHeight);
    if (visible == m_visible)
        return;
    addSampleRows(MSFlexGrid1, m_visible, visible, dataColumns, 3);
    m_visible = visible;
}

void FormTable::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
    setScrollRange();
    dispTableVScroll();
}

void FormTable::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    Q_EMIT closed(m_chNo);
}
