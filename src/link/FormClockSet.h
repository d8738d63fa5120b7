#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the date and time to set the instrument's clock to. The six fields start with the
// computer's clock; OK accepts only a real date and time (two-digit year: below 80 is 20yy).
class FormClockSet : public QDialog
{
    Q_OBJECT
public:
    explicit FormClockSet(QWidget *parent = nullptr);

    bool cancelled() const { return m_cancelled; }
    // The accepted date and time as a day count.
    double dateTime() const { return m_dateTime; }

    void Command1_Click();
    void Command2_Click();

    QLabel *Label1 = nullptr;
    QLabel *LabelField[6] = {};
    QLineEdit *Textyy = nullptr;
    QLineEdit *Textmm = nullptr;
    QLineEdit *Textdd = nullptr;
    QLineEdit *Texthh = nullptr;
    QLineEdit *Textnn = nullptr;
    QLineEdit *Textss = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

public Q_SLOTS:
    // Closing the window or pressing Escape counts as Cancel.
    void reject() override;

private:
    QLineEdit *field(int index) const;

    bool m_cancelled = true;
    double m_dateTime = 0.0;
};
