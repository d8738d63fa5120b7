#pragma once

#include <QDialog>

#include <array>
#include <optional>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;

// "CH Settings": per channel, whether its trace is shown and in which colour.
class FormCHSet : public QDialog
{
    Q_OBJECT
public:
    struct Channel {
        bool present = false; // the channel holds data
        bool shown = false;
        quint32 colour = 0; // 0xRRGGBB
    };
    using Channels = std::array<Channel, 8>;

    explicit FormCHSet(QWidget *parent = nullptr);

    void load(const Channels &channels);
    std::optional<Channels> result() const { return m_result; }
    static std::optional<Channels> ask(QWidget *parent, const Channels &channels);

    // Asks the colour picker for channel `ch`'s colour.
    void ButtonChangeColor_Click(int ch);
    // 0 OK, 1 Cancel.
    void Command1_Click(int index);

    QLabel *LabelColor = nullptr;
    QLabel *LabelCHName[8] = {};
    QCheckBox *Check1[8] = {};
    QFrame *CHColor[8] = {};
    QPushButton *ButtonChangeColor[8] = {};
    QPushButton *Command1[2] = {};

public Q_SLOTS:
    // Closing the window or pressing Escape counts as Cancel.
    void reject() override;

private:
    void showColour(int ch);

    Channels m_channels;
    std::optional<Channels> m_result;
};
