#include "FormStart.h"
#include "PortDevices.h"
#include "QtPrompter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QRegularExpression>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OrvanUtility"));
    QApplication::setApplicationVersion(QStringLiteral(ORVAN_VERSION));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral(
            "Points COMn (1-4) at a serial device for this run, e.g. COM1=/dev/ttyUSB0."),
        QStringLiteral("COMn=DEVICE"));
    parser.addOption(portOption);
    parser.process(app);
    const QRegularExpression portPattern(QStringLiteral("^COM([1-4])=(.+)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    for (const QString &value : parser.values(portOption)) {
        const QRegularExpressionMatch match = portPattern.match(value);
        if (!match.hasMatch()) {
            std::fprintf(stderr, "--port expects COMn=DEVICE with n from 1 to 4, not %s\n",
                         qPrintable(value));
            return 2;
        }
        setPortDeviceForRun(match.captured(1).toInt() - 1, match.captured(2));
    }

    QtPrompter prompter;
    Prompter::setInstance(&prompter);
    auto *start = new FormStart;
    start->show();
    const int result = app.exec();
    Prompter::setInstance(nullptr);
    return result;
}
