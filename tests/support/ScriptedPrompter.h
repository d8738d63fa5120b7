#pragma once

#include "Prompter.h"

#include <QList>
#include <QStringList>

#include <functional>

// Answers questions from a script and records everything shown. Installs itself for its
// lifetime. A question with no scripted answer left gets the most cautious answer (Cancel,
// No, or OK where that is the only button) and is counted in unexpected().
class ScriptedPrompter : public Prompter
{
public:
    struct Shown {
        QString text;
        Buttons buttons;
    };

    ScriptedPrompter();
    ~ScriptedPrompter() override;

    Answer message(const QString &text, Buttons buttons, Icon icon) override;
    QString openFileName(const QString &title, const QString &filter,
                         const QString &defaultPattern) override;
    QString saveFileName(const QString &title, const QString &filter, const QString &defaultPattern,
                         const QString &proposedPath) override;
    // Takes the next queued colour; none queued cancels the picker.
    bool chooseColor(quint32 &rgb) override;
    // Runs the next queued print action on the printer; none queued cancels the dialog.
    bool printSetup(QPrinter &printer, bool pageSetupOnly) override;

    // Queues the answer to the next question (a message box with more than an OK button).
    void answer(Answer a) { m_answers.append(a); }
    // Queues the path for the next file dialog; an empty path cancels it.
    void answerFile(const QString &path) { m_files.append(path); }
    // Queues the colour the next colour picker returns; -1 cancels it.
    void answerColor(qint64 rgb) { m_colors.append(rgb); }
    // Queues what the next print or page setup dialog does to the printer (for example
    // choose a PDF file); the action's false cancels the dialog.
    void answerPrint(std::function<bool(QPrinter &)> action) { m_prints.append(std::move(action)); }
    // Runs inside the next message() before it returns (for example to press Stop).
    void onNextMessage(std::function<void()> action) { m_onMessage = std::move(action); }

    const QList<Shown> &shown() const { return m_shown; }
    QStringList texts() const;
    // Texts as a user reads them: CR shown as a line feed.
    QString lastText() const { return m_shown.isEmpty() ? QString() : m_shown.last().text; }
    QStringList fileDialogTitles() const { return m_fileTitles; }
    QStringList fileDialogFilters() const { return m_fileFilters; }
    QStringList proposedPaths() const { return m_proposed; }
    int unexpected() const { return m_unexpected; }
    int pendingAnswers() const
    {
        return m_answers.size() + m_files.size() + m_colors.size() + m_prints.size();
    }
    int colorDialogs() const { return m_colorDialogs; }
    int printDialogs() const { return m_printDialogs; }
    int pageSetupDialogs() const { return m_pageSetupDialogs; }
    void clear();

private:
    QList<Shown> m_shown;
    QList<Answer> m_answers;
    QStringList m_files;
    QList<qint64> m_colors;
    QList<std::function<bool(QPrinter &)>> m_prints;
    QStringList m_fileTitles;
    QStringList m_fileFilters;
    QStringList m_proposed;
    std::function<void()> m_onMessage;
    int m_unexpected = 0;
    int m_colorDialogs = 0;
    int m_printDialogs = 0;
    int m_pageSetupDialogs = 0;
};
