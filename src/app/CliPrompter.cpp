#include "CliPrompter.h"

#include "CliCommand.h"

Prompter::Answer CliPrompter::message(const QString &text, Buttons buttons, Icon)
{
    cliReport(text);
    switch (buttons) {
    case Ok:
        return AnswerOk;
    case YesNo:
        return AnswerNo;
    case OkCancel:
    case YesNoCancel:
    case RetryCancel:
        break;
    }
    return AnswerCancel;
}

QString CliPrompter::openFileName(const QString &, const QString &, const QString &)
{
    return {};
}

QString CliPrompter::saveFileName(const QString &, const QString &, const QString &,
                                  const QString &)
{
    return {};
}
