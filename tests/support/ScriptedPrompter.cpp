#include "ScriptedPrompter.h"

ScriptedPrompter::ScriptedPrompter()
{
    Prompter::setInstance(this);
}

ScriptedPrompter::~ScriptedPrompter()
{
    Prompter::setInstance(nullptr);
}

Prompter::Answer ScriptedPrompter::message(const QString &text, Buttons buttons, Icon)
{
    m_shown.append({text, buttons});
    if (m_onMessage) {
        auto action = std::move(m_onMessage);
        m_onMessage = nullptr;
        action();
    }
    if (buttons == Ok)
        return AnswerOk;
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    ++m_unexpected;
    return buttons == YesNo ? AnswerNo : AnswerCancel;
}

QString ScriptedPrompter::openFileName(const QString &title, const QString &filter, const QString &)
{
    m_fileTitles.append(title);
    m_fileFilters.append(filter);
    if (m_files.isEmpty()) {
        ++m_unexpected;
        return {};
    }
    return m_files.takeFirst();
}

QString ScriptedPrompter::saveFileName(const QString &title, const QString &filter, const QString &,
                                       const QString &proposedPath)
{
    m_proposed.append(proposedPath);
    return openFileName(title, filter, QString());
}

bool ScriptedPrompter::chooseColor(quint32 &rgb)
{
    ++m_colorDialogs;
    if (m_colors.isEmpty() || m_colors.first() < 0) {
        if (!m_colors.isEmpty())
            m_colors.removeFirst();
        return false;
    }
    rgb = quint32(m_colors.takeFirst());
    return true;
}

bool ScriptedPrompter::printSetup(QPrinter &printer, bool pageSetupOnly)
{
    ++(pageSetupOnly ? m_pageSetupDialogs : m_printDialogs);
    if (m_prints.isEmpty()) {
        ++m_unexpected;
        return false;
    }
    return m_prints.takeFirst()(printer);
}

QStringList ScriptedPrompter::texts() const
{
    QStringList out;
    for (const Shown &s : m_shown)
        out.append(s.text);
    return out;
}

void ScriptedPrompter::clear()
{
    m_shown.clear();
    m_answers.clear();
    m_files.clear();
    m_prints.clear();
    m_fileTitles.clear();
    m_fileFilters.clear();
    m_proposed.clear();
    m_unexpected = 0;
}
