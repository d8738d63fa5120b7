#include "FormMeasStart.h"

#include "ClassData.h"
#include "FieldHelpers.h"
#include "FormTimerSet.h"
#include "Format.h"
#include "MeasTime.h"
#include "Prompter.h"
#include "Settings.h"
#include "Strings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

QLineEdit *numberField(QWidget *parent, const QString &name)
{
    auto *field = named(new QLineEdit(parent), name);
    field->setAlignment(Qt::AlignRight);
    field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    installFieldBehaviour(field);
    return field;
}

} // namespace

FormMeasStart::FormMeasStart(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormMeasStart"));
    setWindowTitle(loadString(1400));
    setFont(QFont(dispFontName, dispFontSize));

    Label1[0] = named(new QLabel(loadString(1402), this), QStringLiteral("Label1_0"));
    Label1[1] = named(new QLabel(loadString(1403), this), QStringLiteral("Label1_1"));

    TextInterval = numberField(this, QStringLiteral("TextInterval"));
    ComboIntervalUnit = named(new QComboBox(this), QStringLiteral("ComboIntervalUnit"));
    ComboIntervalUnit->addItems({loadString(1420), loadString(1421)});
    TextLogTime = numberField(this, QStringLiteral("TextLogTime"));
    ComboLogTimeUnit = named(new QComboBox(this), QStringLiteral("ComboLogTimeUnit"));
    for (int id = 1425; id <= 1430; ++id)
        ComboLogTimeUnit->addItem(loadString(id));

    CheckTimer = named(new QCheckBox(loadString(1404), this), QStringLiteral("CheckTimer"));
    CommandTimer = dialogButton(this, QStringLiteral("CommandTimer"), 1408);
    CheckEXCEL = named(new QCheckBox(loadString(1405), this), QStringLiteral("CheckEXCEL"));
    Command1 = dialogButton(this, QStringLiteral("Command1"), 1406);
    Command2 = dialogButton(this, QStringLiteral("Command2"), 1407);

    auto *grid = new QGridLayout;
    grid->addWidget(Label1[0], 0, 0);
    grid->addWidget(TextInterval, 0, 1);
    grid->addWidget(ComboIntervalUnit, 0, 2);
    grid->addWidget(Label1[1], 1, 0);
    grid->addWidget(TextLogTime, 1, 1);
    grid->addWidget(ComboLogTimeUnit, 1, 2);
    grid->addWidget(CheckTimer, 2, 0);
    grid->addWidget(CommandTimer, 2, 1, 1, 2, Qt::AlignLeft);
    grid->addWidget(CheckEXCEL, 3, 0, 1, 3);
    grid->setColumnStretch(3, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_timerSet = new FormTimerSet(this);

    connect(CheckTimer, &QCheckBox::clicked, this, &FormMeasStart::CheckTimer_Click);
    connect(CommandTimer, &QPushButton::clicked, this, &FormMeasStart::CommandTimer_Click);
    connect(ComboLogTimeUnit, &QComboBox::currentIndexChanged, this,
            &FormMeasStart::ComboLogTimeUnit_Click);
    connect(Command1, &QPushButton::clicked, this, &FormMeasStart::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FormMeasStart::Command2_Click);
    connect(m_timerSet, &FormTimerSet::applied, this, &FormMeasStart::setTimerExcel);

    loadMeasSetting();
    updateTimerControls();
}

int FormMeasStart::show1()
{
    m_timerSet->initTimerSetting();
    m_timerSet->initShowSetting();
    loadMeasSetting();
    CheckTimer->setChecked(false);
    updateTimerControls();
    MaxDataNo = 32000;
    m_result = 1;
    exec();
    return m_result;
}

void FormMeasStart::loadMeasSetting()
{
    TextInterval->setText(precisionText(Settings.IntervalTimeCount, -1));
    ComboIntervalUnit->setCurrentIndex(validIntervalUnit(Settings.IntervalTimeUnit));
    TextLogTime->setText(precisionText(Settings.LogTimeCount, -1));
    ComboLogTimeUnit->setCurrentIndex(validLogUnit(Settings.LogTimeUnit));
    CheckEXCEL->setChecked(Settings.UseExcel != 0);
    checkInterval();
}

void FormMeasStart::setMeasSetting()
{
    Settings.IntervalTimeCount = float(parseValue(TextInterval->text()));
    Settings.IntervalTimeUnit = qint16(validIntervalUnit(ComboIntervalUnit->currentIndex()));
    MeasTime.interval = calcIntervalTime();

    double logCount = Settings.LogTimeCount;
    if (CheckTimer->isChecked()) {
        MeasTime.timerStart = true;
        if (!m_timerSet->endTimeMode()) {
            logCount = m_timerSet->logTimeCount();
            Settings.LogTimeCount = float(logCount);
            Settings.LogTimeUnit = qint16(m_timerSet->logTimeUnit());
            TextLogTime->setText(precisionText(logCount, -1));
            ComboLogTimeUnit->setCurrentIndex(Settings.LogTimeUnit);
        }
    } else {
        MeasTime.timerStart = false;
        logCount = parseValue(TextLogTime->text());
        Settings.LogTimeCount = float(logCount);
        Settings.LogTimeUnit = qint16(validLogUnit(ComboLogTimeUnit->currentIndex()));
    }
    MeasTime.logTime = calcLogTime(logCount, Settings.LogTimeUnit);
    Settings.UseExcel = CheckEXCEL->isChecked() ? 1 : 0;
}

bool FormMeasStart::checkInterval()
{
    const double value = parseValue(TextInterval->text());
    const double normal = normalInterval(value, ComboIntervalUnit->currentIndex());
    TextInterval->setText(precisionText(normal, -1));
    return normal == value;
}

bool FormMeasStart::checkLogTime()
{
    const int unit = ComboLogTimeUnit->currentIndex();
    const double value = parseValue(TextLogTime->text());
    const double normal = normalLogTime(value, unit, checkLoggingTime());
    TextLogTime->setText(precisionText(normal, -1));
    // Continuous takes any count: a negative one read from the settings file is tidied
    // without a message that would have no range to show.
    return normal == value || unit == logContinuous;
}

double FormMeasStart::calcIntervalTime() const
{
    const int unit = validIntervalUnit(ComboIntervalUnit->currentIndex());
    return ::calcIntervalTime(normalInterval(parseValue(TextInterval->text()), unit), unit);
}

double FormMeasStart::calcLogTime(double count, int unit) const
{
    return ::calcLogTime(count, unit, MeasTime.interval);
}

double FormMeasStart::uncalcLogTime(double interval, int unit) const
{
    return ::uncalcLogTime(interval, unit);
}

double FormMeasStart::checkLoggingTime()
{
    m_maxLogTime = logTimeLimit(calcIntervalTime(), ComboLogTimeUnit->currentIndex());
    return m_maxLogTime;
}

void FormMeasStart::setTimerExcel()
{
    m_timerExcel = CheckEXCEL->isChecked();
}

void FormMeasStart::CheckTimer_Click()
{
    updateTimerControls();
    if (CheckTimer->isChecked())
        showTimerSet();
}

void FormMeasStart::CommandTimer_Click()
{
    showTimerSet();
}

void FormMeasStart::ComboLogTimeUnit_Click()
{
    updateTimerControls();
}

void FormMeasStart::Command1_Click()
{
    if (!checkInterval()) {
        showMessage(intervalRangeMessage(ComboIntervalUnit->currentIndex()));
        return;
    }
    if (!CheckTimer->isChecked() && !checkLogTime()) {
        showMessage(logTimeRangeMessage(m_maxLogTime));
        return;
    }
    m_excelLogging = CheckEXCEL->isChecked();
    setMeasSetting();
    Q_EMIT applied();
    m_result = 0;
    m_timerSet->hide();
    accept();
}

void FormMeasStart::Command2_Click()
{
    reject();
}

void FormMeasStart::reject()
{
    m_result = 1;
    m_timerSet->hide();
    QDialog::reject();
}

void FormMeasStart::updateTimerControls()
{
    const bool timer = CheckTimer->isChecked();
    CommandTimer->setEnabled(timer);
    ComboLogTimeUnit->setEnabled(!timer);
    TextLogTime->setEnabled(!timer && ComboLogTimeUnit->currentIndex() != logContinuous);
}

void FormMeasStart::showTimerSet()
{
    // Stop time and logging maximum follow the interval entered here, not the last stored one.
    m_timerSet->setInterval(calcIntervalTime());
    m_timerSet->initShowSetting();
    m_timerSet->exec();
}
