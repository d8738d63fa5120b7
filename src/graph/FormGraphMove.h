#pragma once

#include <QDialog>

#include <optional>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Move Time Axis": to an end time typed as elapsed time, or to cursor A or B.
class FormGraphMove : public QDialog
{
    Q_OBJECT
public:
    struct Move {
        int option = 0; // 0 end time, 1 cursor A, 2 cursor B
        qint32 t = 0;   // seconds, option 0 only; not limited to the graph
    };

    explicit FormGraphMove(QWidget *parent = nullptr);

    // `origin`: the time origin in seconds, shown in the fields; option 0 chosen.
    void load(qint32 origin);
    std::optional<Move> result() const { return m_result; }
    static std::optional<Move> ask(QWidget *parent, qint32 origin);

    void Option1_Click(int index);
    // 0 OK, 1 Cancel.
    void Command1_Click(int index);

    QGroupBox *Frame1 = nullptr;
    QRadioButton *Option1[3] = {};
    QLineEdit *Textdd = nullptr;
    QLineEdit *Texthh = nullptr;
    QLineEdit *Textnn = nullptr;
    QLineEdit *Textss = nullptr;
    QPushButton *Command1[2] = {};

public Q_SLOTS:
    // Closing the window or pressing Escape counts as Cancel.
    void reject() override;

private:
    std::optional<Move> m_result;
};
