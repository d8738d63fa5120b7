#include "FormCurMove.h"

#include "FieldHelpers.h"
#include "Format.h"
#include "Strings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

QHBoxLayout *elapsedTimeRow(QWidget *parent, QLineEdit *fields[4])
{
    static const char *const names[4] = {"Textdd", "Texthh", "Textnn", "Textss"};
    auto *row = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto *edit = named(new QLineEdit(parent), QLatin1String(names[i]));
        edit->setAlignment(Qt::AlignRight);
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), edit));
        installFieldBehaviour(edit);
        fields[i] = edit;
        row->addWidget(edit);
        row->addWidget(named(new QLabel(loadString(2535 + i), parent),
                             QStringLiteral("LabelField_%1").arg(i)));
    }
    row->addStretch(1);
    return row;
}

void showElapsedTime(QLineEdit *const fields[4], qint64 seconds)
{
    const qint64 parts[4] = {seconds / 86400, seconds % 86400 / 3600, seconds % 3600 / 60,
                             seconds % 60};
    fields[0]->setText(QString::number(parts[0]));
    for (int i = 1; i < 4; ++i)
        fields[i]->setText(twoDigitText(QString::number(parts[i])));
}

qint64 elapsedTime(QLineEdit *const fields[4])
{
    return std::llround(leadingNumber(fields[0]->text()) * 86400.0) +
           hmsToSeconds(fields[1]->text(), fields[2]->text(), fields[3]->text());
}

FormCurMove::FormCurMove(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormCurMove"));
    setWindowTitle(loadString(2550));
    setFont(QFont(dispFontName, dispFontSize));

    Label1 = named(new QLabel(loadString(2551), this), QStringLiteral("Label1"));
    QLineEdit *fields[4] = {};
    QHBoxLayout *row = elapsedTimeRow(this, fields);
    Textdd = fields[0];
    Texthh = fields[1];
    Textnn = fields[2];
    Textss = fields[3];

    QHBoxLayout *buttons = okCancelRow(this, Command1, 2539, [this](int i) { Command1_Click(i); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(row);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void FormCurMove::load(qint32 current, qint32 timeMax)
{
    m_timeMax = timeMax;
    m_result.reset();
    QLineEdit *const fields[4] = {Textdd, Texthh, Textnn, Textss};
    showElapsedTime(fields, current);
}

std::optional<qint32> FormCurMove::ask(QWidget *parent, qint32 current, qint32 timeMax)
{
    FormCurMove form(parent);
    form.load(current, timeMax);
    form.exec();
    return form.result();
}

void FormCurMove::Command1_Click(int index)
{
    if (index != 0) {
        reject();
        return;
    }
    QLineEdit *const fields[4] = {Textdd, Texthh, Textnn, Textss};
    m_result = qint32(std::min<qint64>(std::max<qint64>(elapsedTime(fields), 0), m_timeMax));
    accept();
}

void FormCurMove::reject()
{
    m_result.reset();
    QDialog::reject();
}
