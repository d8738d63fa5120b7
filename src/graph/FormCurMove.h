#pragma once

#include <QDialog>

#include <optional>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// The days, hours, minutes and seconds fields of an elapsed time, named Textdd, Texthh, Textnn
// and Textss, with their labels in one row; FormGraphMove shows the same row.
QHBoxLayout *elapsedTimeRow(QWidget *parent, QLineEdit *fields[4]);
// Days as they are, the rest as two digits.
void showElapsedTime(QLineEdit *const fields[4], qint64 seconds);
qint64 elapsedTime(QLineEdit *const fields[4]);

// "Move Cursor": asks for the elapsed time to put the cursor at.
class FormCurMove : public QDialog
{
    Q_OBJECT
public:
    explicit FormCurMove(QWidget *parent = nullptr);

    // `current` and `timeMax` in seconds from the start of the graph.
    void load(qint32 current, qint32 timeMax);
    // The accepted time, limited to 0..timeMax; none after Cancel.
    std::optional<qint32> result() const { return m_result; }
    static std::optional<qint32> ask(QWidget *parent, qint32 current, qint32 timeMax);

    // 0 OK, 1 Cancel.
    void Command1_Click(int index);

    QLabel *Label1 = nullptr;
    QLineEdit *Textdd = nullptr;
    QLineEdit *Texthh = nullptr;
    QLineEdit *Textnn = nullptr;
    QLineEdit *Textss = nullptr;
    QPushButton *Command1[2] = {};

public Q_SLOTS:
    // Closing the window or pressing Escape counts as Cancel.
    void reject() override;

private:
    qint32 m_timeMax = 0;
    std::optional<qint32> m_result;
};
