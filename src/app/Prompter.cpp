#include "Prompter.h"

#include <QtGlobal>

namespace
{
Prompter *installed = nullptr;

// Answers every question with its most cautious choice; used only when nothing was
// installed, which the application never lets happen.
class SilentPrompter : public Prompter
{
public:
    Answer message(const QString &text, Buttons buttons, Icon) override
    {
        qWarning("message without a prompter: %s", qPrintable(text));
        return buttons == Ok ? AnswerOk : AnswerCancel;
    }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &,
                         const QString &) override
    {
        return {};
    }
};
} // namespace

Prompter &Prompter::instance()
{
    static SilentPrompter silent;
    return installed ? *installed : silent;
}

void Prompter::setInstance(Prompter *prompter)
{
    installed = prompter;
}

Prompter::Answer showMessage(const QString &text, Prompter::Buttons buttons, Prompter::Icon icon)
{
    return Prompter::instance().message(text, buttons, icon);
}
