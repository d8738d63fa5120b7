#include "FormStart.h"

#include "AppState.h"
#include "FormMain.h"
#include "FormReadMem.h"
#include "Pump.h"
#include "Strings.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

FormStart::FormStart(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormStart"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QGridLayout(this);
    for (int i = 0; i < 3; ++i) {
        Label1[i] = new QLabel(this);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        Label1[i]->setAlignment(Qt::AlignCenter);
    }
    // The language buttons carry fixed captions, whatever the language.
    Option1[0] = new QRadioButton(QStringLiteral("JPN"), this);
    Option1[1] = new QRadioButton(QStringLiteral("ENG"), this);
    Option1[1]->setChecked(true);
    for (int i = 0; i < 2; ++i) {
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        Command1[i] = new QPushButton(this);
        Command1[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        Command1[i]->setMinimumSize(160, 56);
        connect(Option1[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    layout->addWidget(Label1[0], 0, 0, 1, 2);
    layout->addWidget(Label1[1], 1, 0);
    layout->addWidget(Label1[2], 1, 1);
    layout->addWidget(Command1[0], 2, 0);
    layout->addWidget(Command1[1], 2, 1);
    auto *languages = new QHBoxLayout;
    languages->addStretch();
    languages->addWidget(Option1[0]);
    languages->addWidget(Option1[1]);
    layout->addLayout(languages, 3, 0, 1, 2);

    initMain();
    setLanguage();
    initLanguage();
    initCaptions();
}

void FormStart::initMain()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    twipsPerPixelX = static_cast<qint16>(qRound(1440.0 / dpi));
    twipsPerPixelY = twipsPerPixelX;
}

void FormStart::initLanguage()
{
    ::initLanguage();
}

void FormStart::initCaptions()
{
    setWindowTitle(loadString(6001) + QStringLiteral(" [") + loadString(1000) +
                   QStringLiteral("]"));
    const QFont font(dispFontName, dispFontSize);
    for (int i = 0; i < 3; ++i) {
        Label1[i]->setText(loadString(1001 + i));
        Label1[i]->setFont(font);
    }
    // The buttons sit under the labels that describe them.
    Command1[0]->setText(loadString(1100));
    Command1[1]->setText(loadString(4000));
}

void FormStart::Option1_Click(int)
{
    setLanguage();
    initCaptions();
}

void FormStart::Command1_Click(int index)
{
    if (m_mainWindow)
        return;
    setLanguage();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Pump::instance().processEvents();
    if (index == 0) {
        programMode = 0;
        m_mainWindow = new FormMain;
    } else {
        programMode = 1;
        m_mainWindow = new FormReadMem;
    }
    m_mainWindow->show();
    QApplication::restoreOverrideCursor();
    close();
}
