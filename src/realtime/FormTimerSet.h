#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Timer Settings": start date and time of a timer run, and either its end or its duration.
// Index 0 of the field arrays is the start, index 1 the stop. OK stores the times and the
// mode in MeasTime; the duration is taken over by the measurement time dialog's OK.
class FormTimerSet : public QDialog
{
    Q_OBJECT
public:
    explicit FormTimerSet(QWidget *parent = nullptr);

    // Start = now with the seconds set to 0, stop = start, end-time mode, logging 1
    // continuous; also into MeasTime.
    void initTimerSetting();
    // Stored values -> fields.
    void initShowSetting();
    // The interval the stop time and the logging maximum are measured against, in days.
    void setInterval(double interval) { m_interval = interval; }
    double interval() const { return m_interval; }

    double startTime() const { return m_startTime; }
    double stopTime() const { return m_stopTime; }
    bool endTimeMode() const { return m_endTimeMode; }
    double logTimeCount() const { return m_logTimeCount; }
    int logTimeUnit() const { return m_logTimeUnit; }
    // The latest stop the last end-time check allowed.
    double latestStopTime() const { return m_latestStopTime; }

    // index 0 end time, 1 interval.
    void Option1_Click(int index);
    // Fields -> stored values and MeasTime; in interval mode the stop follows from the
    // logging fields.
    void checkSettingExcel();
    double checkLoggingTime();
    // False when the logging field had to be corrected.
    bool checkLogTime();
    // False when `stop` had to be moved into start .. latest stop.
    bool checkStopTime(double start, double &stop);

    void Command1_Click();
    void Command2_Click();

    QGroupBox *Frame1[2] = {}; // "Start Time", "Stop Time"
    QLineEdit *Textyy[2] = {};
    QLineEdit *Textmm[2] = {};
    QLineEdit *Textdd[2] = {};
    QLineEdit *Texthh[2] = {};
    QLineEdit *Textnn[2] = {};
    QLineEdit *Textss[2] = {};
    QLabel *LabelField[2][6] = {};
    QRadioButton *Option1[2] = {};
    QLineEdit *TextLogTime = nullptr;
    QComboBox *ComboLogTimeUnit = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

Q_SIGNALS:
    // OK was accepted and MeasTime updated.
    void applied();

private:
    void fieldTexts(int group, QString texts[6]) const;
    void setFieldTexts(int group, const QString texts[6]);
    void showDateTime(int group, double dateTime);
    // Validates and rewrites one field group; false after the message was shown.
    bool readDateTime(int group, double *dateTime);

    double m_interval;
    double m_startTime = 0.0;
    double m_stopTime = 0.0;
    bool m_endTimeMode = true;
    double m_logTimeCount = 1.0;
    int m_logTimeUnit = 0;
    double m_latestStopTime = 0.0;
};
