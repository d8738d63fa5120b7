#include "FormDispRange.h"

#include "FieldHelpers.h"
#include "Format.h"
#include "Prompter.h"
#include "Strings.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

FormDispRange::FormDispRange(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormDispRange"));
    setWindowTitle(loadString(2510));
    setFont(QFont(dispFontName, dispFontSize));

    Frame1 = named(new QGroupBox(loadString(2511), this), QStringLiteral("Frame1"));
    auto *row = new QHBoxLayout(Frame1);
    Label1 = named(new QLabel(loadString(2514), Frame1), QStringLiteral("Label1"));
    for (int i = 0; i < 2; ++i) {
        auto *edit = named(new QLineEdit(Frame1), QStringLiteral("Text1_%1").arg(i));
        edit->setAlignment(Qt::AlignRight);
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-0000.0")) +
                              12);
        edit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("-?\\d*\\.?\\d*")), edit));
        installFieldBehaviour(edit);
        Text1[i] = edit;
        LabelUnit[i] = named(new QLabel(Frame1), QStringLiteral("LabelUnit_%1").arg(i));
        if (i == 1)
            row->addWidget(Label1);
        row->addWidget(edit);
        row->addWidget(LabelUnit[i]);
    }

    QHBoxLayout *buttons = okCancelRow(this, Command1, 2515, [this](int i) { Command1_Click(i); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void FormDispRange::load(double bottom, double top, double lowLimit, double highLimit, int unit)
{
    m_lowLimit = lowLimit;
    m_highLimit = highLimit;
    m_unit = unit;
    m_result.reset();
    Text1[0]->setText(valueText(bottom, 0));
    Text1[1]->setText(valueText(top, 0));
    for (QLabel *label : LabelUnit)
        label->setText(unitText(unit));
}

std::optional<FormDispRange::Range> FormDispRange::ask(QWidget *parent, double bottom, double top,
                                                       double lowLimit, double highLimit, int unit)
{
    FormDispRange form(parent);
    form.load(bottom, top, lowLimit, highLimit, unit);
    form.exec();
    return form.result();
}

void FormDispRange::Command1_Click(int index)
{
    if (index != 0) {
        reject();
        return;
    }
    double values[2];
    bool limited = false;
    for (int i = 0; i < 2; ++i) {
        const double typed = leadingNumber(Text1[i]->text());
        values[i] = std::min(std::max(typed, m_lowLimit), m_highLimit);
        limited = limited || values[i] != typed;
    }
    if (limited) {
        const QString unit = unitText(m_unit);
        showMessage(loadString(2603) + QLatin1Char('\r') + valueText(m_lowLimit, 0) + unit +
                    rangeSeparator + valueText(m_highLimit, 0) + unit);
    } else if (values[0] > values[1]) {
        std::swap(values[0], values[1]);
    }
    for (int i = 0; i < 2; ++i)
        Text1[i]->setText(valueText(values[i], 0));
    if (limited)
        return;
    m_result = Range{values[0], values[1]};
    accept();
}

void FormDispRange::reject()
{
    m_result.reset();
    QDialog::reject();
}
