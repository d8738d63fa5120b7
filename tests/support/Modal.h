#pragma once

#include "FormDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

// Runs `action` once on the first modal dialog of type T to show. Polled, because the code
// that opens the dialog waits in its exec() until it closes.
template <typename T, typename Action> void onModal(QObject *owner, Action action)
{
    auto *poll = new QTimer(owner);
    QObject::connect(poll, &QTimer::timeout, owner, [poll, action] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            action(dialog);
        }
    });
    poll->start(5);
}

// Answers the next channel (or block) choice with `ch`.
inline void chooseChannel(QObject *owner, int ch)
{
    onModal<FormDialog>(owner, [ch](FormDialog *dialog) {
        dialog->Combo1->setCurrentIndex(ch);
        dialog->Command1->click();
    });
}
