#pragma once

#include <QDialog>

class FormMeasSet;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Editor of the emissivity list (up to ten "material:value" entries). While the list has
// room, an empty item after the entries marks the place for a new one. OK stores the list
// in MeasSetting and refreshes the settings dialog's combo; Cancel changes nothing.
class FormRadiation : public QDialog
{
    Q_OBJECT
public:
    explicit FormRadiation(FormMeasSet *measSet, QWidget *parent = nullptr);

    // Index of the last entry in use; never below 0.
    int lastIndex() const { return m_lastIndex; }

    void List1_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

    QLabel *Label1[3] = {};
    QGroupBox *Frame1 = nullptr;
    QListWidget *List1 = nullptr;
    QLineEdit *TextRName = nullptr;
    QLineEdit *TextRNum = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;

private:
    void addBlankLine();
    // Checks TextRNum and rewrites it with the normalised value.
    bool checkValueField();
    QString entryText() const;
    int selectedRow() const;
    void selectRow(int row);

    FormMeasSet *m_measSet;
    int m_lastIndex = 0;
    // Set while the code moves the selection, so the list's click handler stays out.
    bool m_noClick = false;
};
