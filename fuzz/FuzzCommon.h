#pragma once

// What every fuzz target sets up once: no message boxes, no event loop, no log output, the
// English string table. Readers report malformed input through the prompter, so its messages
// are swallowed here rather than printed for every input.

#include "AppState.h"
#include "Prompter.h"
#include "Pump.h"
#include "Strings.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace fuzz
{

class QuietPrompter : public Prompter
{
public:
    Answer message(const QString &, Buttons buttons, Icon) override
    {
        return buttons == Ok ? AnswerOk : AnswerCancel;
    }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &,
                         const QString &) override
    {
        return {};
    }
};

// File loops pump events between blocks of lines; there are none to pump here.
class IdlePump : public Pump
{
public:
    double now() const override { return 46000.0; }
    qint64 monotonicMs() const override { return 0; }
    void processEvents() override {}
};

// Only a fatal message (a failed Qt assertion) is printed; Qt aborts after it.
inline void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtFatalMsg)
        fprintf(stderr, "%s\n", qPrintable(text));
}

inline void setUp()
{
    static QuietPrompter prompter;
    static IdlePump pump;
    Prompter::setInstance(&prompter);
    Pump::setInstance(&pump);
    qInstallMessageHandler(quietMessages);
    setLanguage();
    initLanguage();
}

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

} // namespace fuzz
