#pragma once

class QLineEdit;

// Selects the field's whole text; entry fields call it when they gain the focus.
void selectAllText(QLineEdit *field);

// 0 for Enter and Tab, the key code otherwise: key handlers use it so those keys do
// nothing in the field. Takes Qt key codes as well as the classic 13 and 9.
int filterEnterKey(int key);

// Makes `field` select its whole text on entry and swallow Enter and Tab.
void installFieldBehaviour(QLineEdit *field);
