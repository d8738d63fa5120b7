#pragma once

#include "Prompter.h"

// Message boxes and file dialogs of the running application, shown over the active window.
// File dialogs start in the folder used last (kept in the settings file), the documents folder
// the first time.
class QtPrompter : public Prompter
{
public:
    Answer message(const QString &text, Buttons buttons, Icon icon) override;
    QString openFileName(const QString &title, const QString &filter,
                         const QString &defaultPattern) override;
    QString saveFileName(const QString &title, const QString &filter, const QString &defaultPattern,
                         const QString &proposedPath) override;
    bool chooseColor(quint32 &rgb) override;
    // Printing to a PDF file stays offered, also where no printer is installed.
    bool printSetup(QPrinter &printer, bool pageSetupOnly) override;

    // "label|patterns|label|patterns" as Qt's "label (patterns);;..." filter list.
    static QStringList qtFilters(const QString &filter);
};
