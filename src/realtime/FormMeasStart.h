#pragma once

#include <QDialog>

class FormTimerSet;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Measurement Time Settings": interval, logging time, timer start and spreadsheet logging of
// the next logged run. Leaves its results in Settings and MeasTime.
class FormMeasStart : public QDialog
{
    Q_OBJECT
public:
    explicit FormMeasStart(QWidget *parent = nullptr);

    // Initialises the timer dialog, fills the fields from the settings, clears Timer Start,
    // sets MaxDataNo to 32000 and runs modally. Returns measResult().
    int show1();
    // 0 after OK, 1 after Cancel (or the window closed).
    int measResult() const { return m_result; }
    // Whether Load To Excel was set when OK was pressed.
    bool excelLogging() const { return m_excelLogging; }

    FormTimerSet *timerSet() const { return m_timerSet; }

    // Settings -> fields, with the interval normalised. The main window runs it and then
    // setMeasSetting() after reading the settings file, so that MeasTime is ready.
    void loadMeasSetting();
    // Fields -> Settings and MeasTime (interval, logging time, timer start).
    void setMeasSetting();

    // False when the field's value had to be corrected (the field shows the correction).
    bool checkInterval();
    bool checkLogTime();
    // The entered interval in days, as the interval field's rule leaves it.
    double calcIntervalTime() const;
    double calcLogTime(double count, int unit) const;
    double uncalcLogTime(double interval, int unit) const;
    // The largest count the logging field takes for its unit; kept in maxLogTime().
    double checkLoggingTime();
    double maxLogTime() const { return m_maxLogTime; }
    // The timer dialog was confirmed: remembers Load To Excel as it was then.
    void setTimerExcel();
    bool timerExcel() const { return m_timerExcel; }

    void CheckTimer_Click();
    void CommandTimer_Click();
    void ComboLogTimeUnit_Click();
    void Command1_Click();
    void Command2_Click();

    QLineEdit *TextInterval = nullptr;
    QComboBox *ComboIntervalUnit = nullptr;
    QLineEdit *TextLogTime = nullptr;
    QComboBox *ComboLogTimeUnit = nullptr;
    QCheckBox *CheckTimer = nullptr;
    QPushButton *CommandTimer = nullptr;
    QCheckBox *CheckEXCEL = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QLabel *Label1[2] = {}; // interval, logging time

public Q_SLOTS:
    // Closing the window or pressing Escape counts as Cancel.
    void reject() override;

Q_SIGNALS:
    // OK was accepted and the settings stored.
    void applied();

private:
    void updateTimerControls();
    void showTimerSet();

    FormTimerSet *m_timerSet = nullptr;
    int m_result = 1;
    bool m_excelLogging = false;
    bool m_timerExcel = false;
    double m_maxLogTime = -1.0;
};
