#include "FormClockSet.h"

#include "ClockFields.h"
#include "DateTime.h"
#include "FieldHelpers.h"
#include "Prompter.h"
#include "Pump.h"
#include "Strings.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

FormClockSet::FormClockSet(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormClockSet"));
    setWindowTitle(loadString(4100));
    setFont(QFont(dispFontName, dispFontSize));

    Label1 = new QLabel(loadString(4101), this);
    Label1->setObjectName(QStringLiteral("Label1"));

    static const char *const names[6] = {"Textyy", "Textmm", "Textdd",
                                         "Texthh", "Textnn", "Textss"};
    QLineEdit **fields[6] = {&Textyy, &Textmm, &Textdd, &Texthh, &Textnn, &Textss};
    auto *grid = new QGridLayout;
    for (int i = 0; i < 6; ++i) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(names[i]));
        edit->setAlignment(Qt::AlignRight);
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
        installFieldBehaviour(edit);
        *fields[i] = edit;
        LabelField[i] = new QLabel(loadString(1456 + i), this);
        LabelField[i]->setObjectName(QStringLiteral("LabelField_%1").arg(i));
        // Date on the first row, time on the second.
        grid->addWidget(edit, i / 3, (i % 3) * 2);
        grid->addWidget(LabelField[i], i / 3, (i % 3) * 2 + 1);
    }
    grid->setColumnStretch(6, 1);

    Command1 = new QPushButton(loadString(4102), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    Command2 = new QPushButton(loadString(4103), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &FormClockSet::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FormClockSet::Command2_Click);

    const QDateTime now = fromDayCount(Pump::instance().now());
    const int values[6] = {now.date().year(), now.date().month(),  now.date().day(),
                           now.time().hour(), now.time().minute(), now.time().second()};
    for (int i = 0; i < 6; ++i)
        field(i)->setText(twoDigits(values[i]));
}

QLineEdit *FormClockSet::field(int index) const
{
    QLineEdit *const fields[6] = {Textyy, Textmm, Textdd, Texthh, Textnn, Textss};
    return fields[index];
}

void FormClockSet::Command1_Click()
{
    QString texts[6];
    for (int i = 0; i < 6; ++i)
        texts[i] = field(i)->text();
    double dateTime = 0.0;
    const bool ok = checkClockFields(texts, &dateTime);
    for (int i = 0; i < 6; ++i)
        field(i)->setText(texts[i]);
    if (!ok) {
        showMessage(loadString(4230));
        return;
    }
    m_dateTime = dateTime;
    m_cancelled = false;
    accept();
}

void FormClockSet::Command2_Click()
{
    reject();
}

void FormClockSet::reject()
{
    m_cancelled = true;
    QDialog::reject();
}
