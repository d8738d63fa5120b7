#pragma once

#include <QString>

class QPrinter;

// Every message box, question and file dialog of the application passes through the one
// installed prompter: Qt dialogs in the application, scripted answers in tests.
class Prompter
{
public:
    enum Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
    enum Answer { AnswerOk, AnswerCancel, AnswerYes, AnswerNo, AnswerRetry };
    enum Icon { NoIcon, Information, Question, Warning, Critical };

    virtual ~Prompter() = default;

    // Shows a message box titled with the application name. Two texts in one box are
    // joined by a CR; the Qt prompter shows it as a line break.
    virtual Answer message(const QString &text, Buttons buttons = Ok, Icon icon = NoIcon) = 0;

    // File dialogs take filters in the "label|patterns|label|patterns" form. They return
    // the chosen path, or an empty text when the user cancelled.
    virtual QString openFileName(const QString &title, const QString &filter,
                                 const QString &defaultPattern) = 0;
    // Asks before overwriting an existing file.
    virtual QString saveFileName(const QString &title, const QString &filter,
                                 const QString &defaultPattern, const QString &proposedPath) = 0;

    // The platform's colour picker starting at `rgb` (0xRRGGBB). True with the picked colour in
    // `rgb`; false, `rgb` unchanged, when the user cancelled (and where there is no picker).
    virtual bool chooseColor(quint32 &rgb)
    {
        Q_UNUSED(rgb)
        return false;
    }

    // The print dialog (pageSetupOnly false) or the page setup dialog for `printer`, which
    // keeps what the user chose. False when the user cancelled. Without dialogs the printer
    // is taken as it is.
    virtual bool printSetup(QPrinter &printer, bool pageSetupOnly)
    {
        Q_UNUSED(printer)
        Q_UNUSED(pageSetupOnly)
        return true;
    }

    static Prompter &instance();
    // Installs the prompter used from now on (not owned).
    static void setInstance(Prompter *prompter);
};

// Shorthand for Prompter::instance().message(...).
Prompter::Answer showMessage(const QString &text, Prompter::Buttons buttons = Prompter::Ok,
                             Prompter::Icon icon = Prompter::NoIcon);
