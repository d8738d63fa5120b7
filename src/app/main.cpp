#include "FormStart.h"
#include "QtPrompter.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OrvanUtility"));
    QtPrompter prompter;
    Prompter::setInstance(&prompter);

    auto *start = new FormStart;
    start->show();
    const int result = app.exec();
    Prompter::setInstance(nullptr);
    return result;
}
