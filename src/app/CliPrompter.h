#pragma once

#include "Prompter.h"

// The prompter of the command line: nobody is there to answer. Messages go to stderr;
// a question gets the answer that keeps data and ends the wait (Cancel, No); file dialogs
// are cancelled. Printers are taken as they are.
class CliPrompter : public Prompter
{
public:
    Answer message(const QString &text, Buttons buttons, Icon icon) override;
    QString openFileName(const QString &title, const QString &filter,
                         const QString &defaultPattern) override;
    QString saveFileName(const QString &title, const QString &filter, const QString &defaultPattern,
                         const QString &proposedPath) override;
};
