#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QRadioButton;

// The start-up menu: fixes the language, lets the user choose a mode and opens that mode's
// main window; then it closes for good.
class FormStart : public QWidget
{
    Q_OBJECT
public:
    explicit FormStart(QWidget *parent = nullptr);

    void initMain();
    void initLanguage();
    void initCaptions();
    void Option1_Click(int index);
    void Command1_Click(int index);

    // The main window the choice opened (it lives until the application ends).
    QWidget *mainWindow() const { return m_mainWindow; }

    QLabel *Label1[3] = {};
    QRadioButton *Option1[2] = {};
    QPushButton *Command1[2] = {};

private:
    QWidget *m_mainWindow = nullptr;
};
