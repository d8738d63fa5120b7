#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// The shared small message window: "Now communicating..." with a Stop button around every
// instrument operation, the timer-start waits, and the channel choice. Modeless while an
// operation runs (its owner disabled); modal for a channel choice. Its button raises
// stopRequested, which the waiting loops poll.
class FormDialog : public QDialog
{
    Q_OBJECT
public:
    // The one process-wide instance, created hidden on first use.
    static FormDialog &instance();

    void initMsg(const QString &title, const QString &message, const QString &buttonCaption);
    void setCHCombo(int index);
    void setCHComboG(int index);
    void show1(QWidget *owner);
    void Hide1();
    // Modal channel choice with "OK"; returns 0..7, or -1 when the window was closed.
    int selectChannel(QWidget *owner, const QString &title, const QString &label, int current);

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *Command1 = nullptr;
    QComboBox *Combo1 = nullptr;

    void Command1_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    explicit FormDialog(QWidget *parent = nullptr);
    void placeOver(QWidget *owner);

    QWidget *m_owner = nullptr;
    bool m_choosing = false;
    bool m_closedByWindow = false;
};
