#include "FormDialog.h"

#include "AppState.h"
#include "Pump.h"
#include "Strings.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FormDialog &FormDialog::instance()
{
    static FormDialog *dialog = new FormDialog;
    return *dialog;
}

FormDialog::FormDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormDialog"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->hide();
    Command1 = new QPushButton(this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(Combo1);
    layout->addWidget(Command1, 0, Qt::AlignHCenter);
    setMinimumWidth(300);

    QFont font(dispFontName, dispFontSize);
    setFont(font);
    connect(Command1, &QPushButton::clicked, this, &FormDialog::Command1_Click);
}

void FormDialog::initMsg(const QString &title, const QString &message, const QString &buttonCaption)
{
    setWindowTitle(title);
    Label1->setText(message);
    Label2->clear();
    Command1->setText(buttonCaption);
}

void FormDialog::setCHCombo(int index)
{
    Combo1->clear();
    for (int ch = 1; ch <= 8; ++ch)
        Combo1->addItem(QStringLiteral("CH %1").arg(ch));
    Combo1->show();
    Combo1->setCurrentIndex(index >= 0 && index < 8 ? index : 0);
}

void FormDialog::setCHComboG(int index)
{
    Combo1->clear();
    Combo1->addItem(loadString(2206));
    for (int ch = 1; ch <= 8; ++ch)
        Combo1->addItem(QStringLiteral("CH %1").arg(ch));
    Combo1->show();
    Combo1->setCurrentIndex(index >= 0 && index < 9 ? index : 0);
}

void FormDialog::placeOver(QWidget *owner)
{
    adjustSize();
    if (owner) {
        const QRect frame = owner->frameGeometry();
        move(frame.center() - rect().center());
    }
}

void FormDialog::show1(QWidget *owner)
{
    m_owner = owner;
    if (m_owner)
        m_owner->setEnabled(false);
    stopRequested = false;
    placeOver(owner);
    show();
    raise();
}

void FormDialog::Hide1()
{
    if (m_owner) {
        m_owner->setEnabled(true);
        m_owner = nullptr;
    }
    hide();
    Pump::instance().processEvents();
}

void FormDialog::Command1_Click()
{
    stopRequested = true;
    Combo1->hide();
    if (m_owner)
        m_owner->show();
    hide();
}

int FormDialog::selectChannel(QWidget *owner, const QString &title, const QString &label,
                              int current)
{
    initMsg(title, label, loadString(1786));
    setCHCombo(current);
    placeOver(owner);
    m_choosing = true;
    m_closedByWindow = false;
    setWindowModality(Qt::ApplicationModal);
    exec();
    setWindowModality(Qt::NonModal);
    m_choosing = false;
    const int chosen = Combo1->currentIndex();
    Combo1->hide();
    // Closing the window is a way of saying no; the classic dialog had no other.
    return m_closedByWindow ? -1 : chosen;
}

void FormDialog::closeEvent(QCloseEvent *event)
{
    if (m_choosing) {
        m_closedByWindow = true;
        QDialog::closeEvent(event);
        return;
    }
    // Closing the progress window means the same as its Stop button.
    event->ignore();
    Command1_Click();
}

void FormDialog::reject()
{
    if (m_choosing) {
        m_closedByWindow = true;
        QDialog::reject();
        return;
    }
    Command1_Click();
}
