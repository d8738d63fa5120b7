#include "FormGraphMove.h"

#include "FieldHelpers.h"
#include "FormCurMove.h"
#include "Strings.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

FormGraphMove::FormGraphMove(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormGraphMove"));
    setWindowTitle(loadString(2530));
    setFont(QFont(dispFontName, dispFontSize));

    Frame1 = named(new QGroupBox(loadString(2531), this), QStringLiteral("Frame1"));
    for (int i = 0; i < 3; ++i) {
        Option1[i] = named(new QRadioButton(loadString(2532 + i), Frame1),
                           QStringLiteral("Option1_%1").arg(i));
        connect(Option1[i], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked)
                Option1_Click(i);
        });
    }
    QLineEdit *fields[4] = {};
    QHBoxLayout *row = elapsedTimeRow(Frame1, fields);
    Textdd = fields[0];
    Texthh = fields[1];
    Textnn = fields[2];
    Textss = fields[3];
    auto *frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(Option1[0]);
    // The fields belong to the first option: indent them under it.
    row->insertSpacing(0, 20);
    frameLayout->addLayout(row);
    frameLayout->addWidget(Option1[1]);
    frameLayout->addWidget(Option1[2]);

    QHBoxLayout *buttons = okCancelRow(this, Command1, 2539, [this](int i) { Command1_Click(i); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void FormGraphMove::load(qint32 origin)
{
    m_result.reset();
    QLineEdit *const fields[4] = {Textdd, Texthh, Textnn, Textss};
    showElapsedTime(fields, origin);
    Option1[0]->setChecked(true);
    Option1_Click(0);
}

std::optional<FormGraphMove::Move> FormGraphMove::ask(QWidget *parent, qint32 origin)
{
    FormGraphMove form(parent);
    form.load(origin);
    form.exec();
    return form.result();
}

void FormGraphMove::Option1_Click(int index)
{
    for (QLineEdit *field : {Textdd, Texthh, Textnn, Textss})
        field->setEnabled(index == 0);
}

void FormGraphMove::Command1_Click(int index)
{
    if (index != 0) {
        reject();
        return;
    }
    Move move;
    move.option = Option1[1]->isChecked() ? 1 : Option1[2]->isChecked() ? 2 : 0;
    if (move.option == 0) {
        QLineEdit *const fields[4] = {Textdd, Texthh, Textnn, Textss};
        // Many typed days must not wrap round to a time before the start.
        move.t = qint32(std::min<qint64>(elapsedTime(fields), std::numeric_limits<qint32>::max()));
    }
    m_result = move;
    accept();
}

void FormGraphMove::reject()
{
    m_result.reset();
    QDialog::reject();
}
