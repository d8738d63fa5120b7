#pragma once

#include <QString>

#include <functional>

class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QWidget;

// Names a widget (tests find controls by these names) and hands it back.
template <typename T> T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

// A dialog button with its text from the string table. It is never a default button: Enter
// in an entry field must not press a button behind the user's back.
QPushButton *dialogButton(QWidget *parent, const QString &name, int stringId);

// The right-aligned OK / Cancel row of a dialog: buttons "Command1_0" and "Command1_1" with the
// strings okId and okId + 1, each calling click(index).
QHBoxLayout *okCancelRow(QWidget *dialog, QPushButton *buttons[2], int okId,
                         const std::function<void(int index)> &click);

// Selects the field's whole text; entry fields call it when they gain the focus.
void selectAllText(QLineEdit *field);

// 0 for Enter and Tab, the key code otherwise: key handlers use it so those keys do
// nothing in the field. Takes Qt key codes as well as the classic 13 and 9.
int filterEnterKey(int key);

// Makes `field` select its whole text on entry and swallow Enter and Tab.
void installFieldBehaviour(QLineEdit *field);
