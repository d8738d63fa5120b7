#include "FormTimerSet.h"

#include "ClockFields.h"
#include "DateTime.h"
#include "FieldHelpers.h"
#include "Format.h"
#include "MeasTime.h"
#include "Prompter.h"
#include "Pump.h"
#include "Strings.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

FormTimerSet::FormTimerSet(QWidget *parent) : QDialog(parent), m_interval(MeasTime.interval)
{
    setObjectName(QStringLiteral("FormTimerSet"));
    setWindowTitle(loadString(1408));
    setFont(QFont(dispFontName, dispFontSize));

    static const char *const names[6] = {"Textyy", "Textmm", "Textdd",
                                         "Texthh", "Textnn", "Textss"};
    QLineEdit **fields[6] = {Textyy, Textmm, Textdd, Texthh, Textnn, Textss};
    for (int group = 0; group < 2; ++group) {
        Frame1[group] = new QGroupBox(loadString(1452 + group), this);
        Frame1[group]->setObjectName(QStringLiteral("Frame1_%1").arg(group));
        auto *row = new QHBoxLayout(Frame1[group]);
        for (int i = 0; i < 6; ++i) {
            auto *edit = new QLineEdit(Frame1[group]);
            edit->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(names[i])).arg(group));
            edit->setAlignment(Qt::AlignRight);
            edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000")) +
                                  12);
            installFieldBehaviour(edit);
            fields[i][group] = edit;
            LabelField[group][i] = new QLabel(loadString(1456 + i), Frame1[group]);
            row->addWidget(edit);
            row->addWidget(LabelField[group][i]);
            // A gap between the date and the time.
            if (i == 2)
                row->addSpacing(10);
        }
        row->addStretch(1);
    }

    Option1[0] = new QRadioButton(loadString(1454), this);
    Option1[1] = new QRadioButton(loadString(1455), this);
    for (int i = 0; i < 2; ++i)
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));

    TextLogTime = new QLineEdit(this);
    TextLogTime->setObjectName(QStringLiteral("TextLogTime"));
    TextLogTime->setAlignment(Qt::AlignRight);
    TextLogTime->setMaximumWidth(
        TextLogTime->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    installFieldBehaviour(TextLogTime);
    ComboLogTimeUnit = new QComboBox(this);
    ComboLogTimeUnit->setObjectName(QStringLiteral("ComboLogTimeUnit"));
    for (int id = 1425; id <= 1430; ++id)
        ComboLogTimeUnit->addItem(loadString(id));

    Command1 = dialogButton(this, QStringLiteral("Command1"), 1462);
    Command2 = dialogButton(this, QStringLiteral("Command2"), 1463);

    auto *durationRow = new QHBoxLayout;
    durationRow->addWidget(Option1[1]);
    durationRow->addWidget(TextLogTime);
    durationRow->addWidget(ComboLogTimeUnit);
    durationRow->addStretch(1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1[0]);
    layout->addWidget(Option1[0]);
    layout->addWidget(Frame1[1]);
    layout->addLayout(durationRow);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (int i = 0; i < 2; ++i) {
        connect(Option1[i], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked)
                Option1_Click(i);
        });
    }
    connect(Command1, &QPushButton::clicked, this, &FormTimerSet::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FormTimerSet::Command2_Click);

    initTimerSetting();
    initShowSetting();
}

void FormTimerSet::initTimerSetting()
{
    QDate date;
    QTime time;
    splitDayCount(Pump::instance().now(), &date, &time);
    m_startTime = toDayCount(date, QTime(time.hour(), time.minute(), 0));
    m_stopTime = m_startTime;
    m_endTimeMode = true;
    m_logTimeCount = 1.0;
    m_logTimeUnit = logContinuous;
    m_latestStopTime = m_startTime;
    MeasTime.startTime = m_startTime;
    MeasTime.stopTime = m_stopTime;
    MeasTime.endTimeMode = m_endTimeMode;
}

void FormTimerSet::initShowSetting()
{
    showDateTime(0, m_startTime);
    showDateTime(1, m_stopTime);
    const int mode = m_endTimeMode ? 0 : 1;
    Option1[mode]->setChecked(true);
    Option1_Click(mode);
    TextLogTime->setText(precisionText(m_logTimeCount, -1));
    ComboLogTimeUnit->setCurrentIndex(validLogUnit(m_logTimeUnit));
}

void FormTimerSet::Option1_Click(int index)
{
    const bool endTime = index == 0;
    Frame1[1]->setEnabled(endTime);
    TextLogTime->setEnabled(!endTime);
    ComboLogTimeUnit->setEnabled(!endTime);
}

void FormTimerSet::checkSettingExcel()
{
    double dateTime = 0.0;
    QString texts[6];
    fieldTexts(0, texts);
    if (checkClockFields(texts, &dateTime))
        m_startTime = dateTime;
    fieldTexts(1, texts);
    if (checkClockFields(texts, &dateTime))
        m_stopTime = dateTime;
    m_endTimeMode = Option1[0]->isChecked();
    m_logTimeCount = parseValue(TextLogTime->text());
    m_logTimeUnit = validLogUnit(ComboLogTimeUnit->currentIndex());
    if (!m_endTimeMode) {
        // A duration without end (continuous) leaves no stop to show; keep it at the start
        // rather than a day before it.
        const double span = calcLogTime(m_logTimeCount, m_logTimeUnit, m_interval);
        m_stopTime = m_startTime + std::max(span, 0.0);
    }
    MeasTime.startTime = m_startTime;
    MeasTime.stopTime = m_stopTime;
    MeasTime.endTimeMode = m_endTimeMode;
}

double FormTimerSet::checkLoggingTime()
{
    return logTimeLimit(m_interval, ComboLogTimeUnit->currentIndex());
}

bool FormTimerSet::checkLogTime()
{
    const int unit = ComboLogTimeUnit->currentIndex();
    const double value = parseValue(TextLogTime->text());
    const double normal = normalLogTime(value, unit, checkLoggingTime());
    TextLogTime->setText(precisionText(normal, -1));
    return normal == value || unit == logContinuous;
}

bool FormTimerSet::checkStopTime(double start, double &stop)
{
    m_latestStopTime = ::latestStopTime(start, m_interval);
    const double limited = limitStopTime(start, stop, m_interval);
    const bool unchanged = limited == stop;
    stop = limited;
    return unchanged;
}

void FormTimerSet::Command1_Click()
{
    double start = 0.0;
    if (!readDateTime(0, &start))
        return;
    if (Option1[0]->isChecked()) {
        double stop = 0.0;
        if (!readDateTime(1, &stop))
            return;
        if (!checkStopTime(start, stop)) {
            showDateTime(1, stop);
            showMessage(stopTimeRangeMessage(start, m_latestStopTime));
            return;
        }
    } else if (!checkLogTime()) {
        showMessage(logTimeRangeMessage(checkLoggingTime()));
        return;
    }
    checkSettingExcel();
    Q_EMIT applied();
    accept();
}

void FormTimerSet::Command2_Click()
{
    reject();
}

void FormTimerSet::fieldTexts(int group, QString texts[6]) const
{
    QLineEdit *const fields[6] = {Textyy[group], Textmm[group], Textdd[group],
                                  Texthh[group], Textnn[group], Textss[group]};
    for (int i = 0; i < 6; ++i)
        texts[i] = fields[i]->text();
}

void FormTimerSet::setFieldTexts(int group, const QString texts[6])
{
    QLineEdit *const fields[6] = {Textyy[group], Textmm[group], Textdd[group],
                                  Texthh[group], Textnn[group], Textss[group]};
    for (int i = 0; i < 6; ++i)
        fields[i]->setText(texts[i]);
}

void FormTimerSet::showDateTime(int group, double dateTime)
{
    QDate date;
    QTime time;
    splitDayCount(dateTime, &date, &time);
    const QString texts[6] = {twoDigits(date.year()),   twoDigits(date.month()),
                              twoDigits(date.day()),    twoDigits(time.hour()),
                              twoDigits(time.minute()), twoDigits(time.second())};
    setFieldTexts(group, texts);
}

bool FormTimerSet::readDateTime(int group, double *dateTime)
{
    QString texts[6];
    fieldTexts(group, texts);
    const bool ok = checkClockFields(texts, dateTime);
    setFieldTexts(group, texts);
    if (!ok)
        showMessage(loadString(4230));
    return ok;
}
