#pragma once

#include "FileProgress.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// The shared progress dialog of the file, print and download loops: a message, a progress
// bar and a Stop button that raises stopRequested. Shown without blocking, its owner
// disabled meanwhile.
class FormFileWait : public QDialog, public FileProgress
{
    Q_OBJECT
public:
    explicit FormFileWait(QWidget *parent = nullptr);
    ~FormFileWait() override;

    // The progress dialog showing now, if any.
    static FormFileWait *current();

    void initMsg(const QString &title, const QString &message, const QString &buttonCaption);
    void show1(QWidget *owner);
    void Hide1();
    void initProgress(int maximum) override;
    void ProgressJob(int position) override;

    // The dialog's own stop flag; stopRequested is raised with it.
    bool stopped() const { return m_stopped; }

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *Command1 = nullptr;

    void Command1_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    QWidget *m_owner = nullptr;
    bool m_stopped = false;
};
