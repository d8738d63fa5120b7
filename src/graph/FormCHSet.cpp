#include "FormCHSet.h"

#include "FieldHelpers.h"
#include "Prompter.h"
#include "Strings.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FormCHSet::FormCHSet(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormCHSet"));
    setWindowTitle(loadString(2500));
    setFont(QFont(dispFontName, dispFontSize));

    auto *grid = new QGridLayout;
    LabelColor = named(new QLabel(loadString(2502), this), QStringLiteral("LabelColor"));
    grid->addWidget(LabelColor, 0, 2, 1, 2);
    for (int ch = 0; ch < 8; ++ch) {
        const QString n = QString::number(ch);
        LabelCHName[ch] = named(new QLabel(loadString(2600) + QString::number(ch + 1), this),
                                QStringLiteral("LabelCHName_") + n);
        Check1[ch] = named(new QCheckBox(this), QStringLiteral("Check1_") + n);
        CHColor[ch] = named(new QFrame(this), QStringLiteral("CHColor_") + n);
        CHColor[ch]->setFrameShape(QFrame::Box);
        CHColor[ch]->setFixedSize(32, 16);
        CHColor[ch]->setAutoFillBackground(true);
        ButtonChangeColor[ch] = dialogButton(this, QStringLiteral("ButtonChangeColor_") + n, 2505);
        connect(ButtonChangeColor[ch], &QPushButton::clicked, this,
                [this, ch] { ButtonChangeColor_Click(ch); });
        grid->addWidget(LabelCHName[ch], ch + 1, 0);
        grid->addWidget(Check1[ch], ch + 1, 1);
        grid->addWidget(CHColor[ch], ch + 1, 2);
        grid->addWidget(ButtonChangeColor[ch], ch + 1, 3);
    }

    QHBoxLayout *buttons = okCancelRow(this, Command1, 2503, [this](int i) { Command1_Click(i); });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void FormCHSet::load(const Channels &channels)
{
    m_channels = channels;
    m_result.reset();
    for (int ch = 0; ch < 8; ++ch) {
        Check1[ch]->setChecked(channels[ch].shown);
        Check1[ch]->setEnabled(channels[ch].present);
        ButtonChangeColor[ch]->setEnabled(channels[ch].present);
        showColour(ch);
    }
}

std::optional<FormCHSet::Channels> FormCHSet::ask(QWidget *parent, const Channels &channels)
{
    FormCHSet form(parent);
    form.load(channels);
    form.exec();
    return form.result();
}

void FormCHSet::ButtonChangeColor_Click(int ch)
{
    quint32 rgb = m_channels[ch].colour;
    if (!Prompter::instance().chooseColor(rgb))
        return;
    m_channels[ch].colour = rgb;
    showColour(ch);
}

void FormCHSet::Command1_Click(int index)
{
    if (index != 0) {
        reject();
        return;
    }
    Channels out = m_channels;
    for (int ch = 0; ch < 8; ++ch)
        out[ch].shown = Check1[ch]->isChecked();
    m_result = out;
    accept();
}

void FormCHSet::reject()
{
    m_result.reset();
    QDialog::reject();
}

void FormCHSet::showColour(int ch)
{
    QPalette palette = CHColor[ch]->palette();
    palette.setColor(QPalette::Window, QColor(QRgb(m_channels[ch].colour)));
    CHColor[ch]->setPalette(palette);
}
