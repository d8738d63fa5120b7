#include "FormFileWait.h"

#include "AppState.h"
#include "Strings.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
FormFileWait *showing = nullptr;
}

FormFileWait::FormFileWait(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormFileWait"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    Label1 = new QLabel(this);
    Label1->setAlignment(Qt::AlignCenter);
    Label2 = new QLabel(this);
    Label2->setAlignment(Qt::AlignCenter);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setTextVisible(false);
    Command1 = new QPushButton(this);
    Command1->setDefault(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(ProgressBar1);
    layout->addWidget(Command1, 0, Qt::AlignHCenter);
    setMinimumWidth(320);
    setFont(QFont(dispFontName, dispFontSize));
    connect(Command1, &QPushButton::clicked, this, &FormFileWait::Command1_Click);
}

FormFileWait::~FormFileWait()
{
    if (m_owner)
        m_owner->setEnabled(true);
    if (showing == this)
        showing = nullptr;
}

FormFileWait *FormFileWait::current()
{
    return showing;
}

void FormFileWait::initMsg(const QString &title, const QString &message,
                           const QString &buttonCaption)
{
    setWindowTitle(title);
    Label1->setText(message);
    Command1->setText(buttonCaption);
}

void FormFileWait::show1(QWidget *owner)
{
    m_stopped = false;
    stopRequested = false;
    m_owner = owner;
    if (m_owner)
        m_owner->setEnabled(false);
    Label2->clear();
    adjustSize();
    if (owner)
        move(owner->frameGeometry().center() - rect().center());
    show();
    raise();
    showing = this;
}

void FormFileWait::Hide1()
{
    if (m_owner) {
        m_owner->setEnabled(true);
        m_owner = nullptr;
    }
    hide();
    if (showing == this)
        showing = nullptr;
}

void FormFileWait::initProgress(int maximum)
{
    ProgressBar1->setRange(0, maximum < 1 ? 1 : maximum);
    ProgressBar1->setValue(0);
}

void FormFileWait::ProgressJob(int position)
{
    ProgressBar1->setValue(position > ProgressBar1->maximum() ? ProgressBar1->maximum() : position);
}

void FormFileWait::Command1_Click()
{
    m_stopped = true;
    stopRequested = true;
    if (m_owner)
        m_owner->show();
    hide();
}

void FormFileWait::closeEvent(QCloseEvent *event)
{
    event->ignore();
    Command1_Click();
}

void FormFileWait::reject()
{
    Command1_Click();
}
