#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box of both modes.
class FormAbout : public QDialog
{
    Q_OBJECT
public:
    // Shows the about box modal over `owner` and returns when it is closed.
    static void show1(QWidget *owner);

    explicit FormAbout(QWidget *parent = nullptr);

    QLabel *LabelTitle = nullptr;
    QLabel *LabelVersion = nullptr;
    QPushButton *CommandOK = nullptr;
};
