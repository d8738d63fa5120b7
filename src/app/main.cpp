#include "CommandLine.h"
#include "FormStart.h"
#include "QtPrompter.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // A command runs without a display, so it must not meet QApplication.
    if (const std::optional<int> exitCode = runCommandLine(argc, argv))
        return *exitCode;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OrvanUtility"));
    QApplication::setApplicationVersion(QStringLiteral(ORVAN_VERSION));
    if (const std::optional<int> exitCode = applyDesktopOptions())
        return *exitCode;

    QtPrompter prompter;
    Prompter::setInstance(&prompter);
    auto *start = new FormStart;
    start->show();
    const int result = app.exec();
    Prompter::setInstance(nullptr);
    return result;
}
