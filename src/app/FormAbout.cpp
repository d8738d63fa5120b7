#include "FormAbout.h"

#include "Strings.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

void FormAbout::show1(QWidget *owner)
{
    FormAbout about(owner);
    about.exec();
}

FormAbout::FormAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(loadString(6000));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    LabelTitle = new QLabel(loadString(6001), this);
    QFont titleFont = LabelTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 2);
    titleFont.setBold(true);
    LabelTitle->setFont(titleFont);
    LabelTitle->setAlignment(Qt::AlignCenter);

    const QString version = QCoreApplication::applicationVersion();
    LabelVersion = new QLabel(QStringLiteral("Version ") + version, this);
    LabelVersion->setAlignment(Qt::AlignCenter);
    LabelVersion->setVisible(!version.isEmpty());

    auto *purpose =
        new QLabel(QStringLiteral("Measurement and data logging for infrared thermometers\n"
                                  "connected over RS-232C."),
                   this);
    purpose->setAlignment(Qt::AlignCenter);
    auto *qt = new QLabel(QStringLiteral("Qt ") + QLatin1String(qVersion()), this);
    qt->setAlignment(Qt::AlignCenter);

    CommandOK = new QPushButton(loadString(1786), this);
    CommandOK->setDefault(true);
    connect(CommandOK, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    layout->setContentsMargins(24, 18, 24, 14);
    layout->addWidget(LabelTitle);
    layout->addWidget(LabelVersion);
    layout->addSpacing(6);
    layout->addWidget(purpose);
    layout->addWidget(qt);
    layout->addSpacing(6);
    layout->addWidget(CommandOK, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
