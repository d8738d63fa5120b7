#pragma once

#include <QWidget>

class FormMain;
class QLabel;
class QLineEdit;
class QPushButton;

// The monitor window: the latest reading in large type with its time, the run's start, stop,
// interval and sample count, and the Stop button of a monitor or measurement run.
class FormMon : public QWidget
{
    Q_OBJECT
public:
    explicit FormMon(FormMain *main);

    void dispTemp(float value, double time);
    void clrDisplay();
    // 0 monitor; anything else a logged measurement.
    void setFormMode(int mode);
    // A warning about the run below the Stop button (empty: none).
    void setNotice(const QString &text);
    void Command1_Click();

    QLineEdit *TextTemp = nullptr;
    QLineEdit *TextTime = nullptr;
    QLabel *Label1[5] = {};
    QPushButton *Command1 = nullptr;
    QLabel *LabelNotice = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    FormMain *m_main;
};
