#include "FormMon.h"

#include "AppState.h"
#include "FormMain.h"
#include "Format.h"
#include "Settings.h"
#include "Strings.h"
#include "WindowPlacement.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace
{
// Geometry in twips.
constexpr int windowWidth = 4800;
constexpr int margin = 120;
constexpr int tempTop = 120, tempHeight = 1080;
constexpr int timeTop = 1260, timeHeight = 420;
constexpr int labelTop = 1740, labelHeight = 240;
constexpr int buttonWidth = 1200, buttonHeight = 420;

int px(int twips, qint16 perPixel)
{
    return twips / perPixel;
}
} // namespace

FormMon::FormMon(FormMain *main) : QWidget(main, Qt::Window), m_main(main)
{
    setObjectName(QStringLiteral("FormMon"));
    setFont(QFont(dispFontName, dispFontSize));
    const auto x = [](int twips) { return px(twips, twipsPerPixelX); };
    const auto y = [](int twips) { return px(twips, twipsPerPixelY); };

    TextTemp = new QLineEdit(this);
    TextTemp->setReadOnly(true);
    TextTemp->setAlignment(Qt::AlignRight);
    TextTemp->setFont(QFont(dispFontName, 48));
    TextTemp->setGeometry(x(margin), y(tempTop), x(windowWidth - 2 * margin), y(tempHeight));
    TextTime = new QLineEdit(this);
    TextTime->setReadOnly(true);
    TextTime->setAlignment(Qt::AlignCenter);
    TextTime->setFont(QFont(dispFontName, 15));
    TextTime->setGeometry(x(margin), y(timeTop), x(windowWidth - 2 * margin), y(timeHeight));

    for (int i = 0; i < 5; ++i) {
        Label1[i] = new QLabel(this);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
    }
    // Label 0 names the window's purpose above the reading; 1..4 describe the run below it.
    Label1[0]->setGeometry(x(margin), 0, x(windowWidth - 2 * margin), y(tempTop));
    for (int i = 1; i < 5; ++i)
        Label1[i]->setGeometry(x(margin), y(labelTop + (i - 1) * labelHeight),
                               x(windowWidth - 2 * margin), y(labelHeight));
    Label1[0]->setText(loadString(1602));

    LabelNotice = new QLabel(this);
    LabelNotice->setObjectName(QStringLiteral("LabelNotice"));
    LabelNotice->setWordWrap(true);
    LabelNotice->setStyleSheet(QStringLiteral("color: #c00000"));
    LabelNotice->hide();

    Command1 = new QPushButton(this);
    connect(Command1, &QPushButton::clicked, this, &FormMon::Command1_Click);
    // Placed at the size of its taller measuring form, so that both forms fit where it stands.
    setFormMode(1);
    placeWindow(this, main, {},
                QPoint(px(Settings.LeftM, twipsPerPixelX), px(Settings.TopM, twipsPerPixelY)));
    setFormMode(0);
}

void FormMon::dispTemp(float value, double time)
{
    QString text = valueText(value, MeasSetting.Precision);
    if (valueStatus(value) == 0)
        text += unitText(MeasSetting.Unit);
    TextTemp->setText(text);
    TextTime->setText(dateTimeText(time));
}

void FormMon::clrDisplay()
{
    TextTemp->clear();
    TextTime->clear();
}

void FormMon::setFormMode(int mode)
{
    const bool monitor = mode == 0;
    setWindowTitle(loadString(monitor ? 1600 : 1601));
    const int height = monitor ? 3000 : 3675;
    const int buttonTop = monitor ? 2100 : 2800;
    setFixedSize(px(windowWidth, twipsPerPixelX), px(height, twipsPerPixelY));
    Command1->setText(loadString(monitor ? 1603 : 1604));
    Command1->setGeometry(px((windowWidth - buttonWidth) / 2, twipsPerPixelX),
                          px(buttonTop, twipsPerPixelY), px(buttonWidth, twipsPerPixelX),
                          px(buttonHeight, twipsPerPixelY));
}

void FormMon::setNotice(const QString &text)
{
    LabelNotice->setText(text);
    LabelNotice->setVisible(!text.isEmpty());
    if (text.isEmpty())
        return;
    // Below the Stop button; the window grows to hold it and the rest stays where it was.
    const int left = px(margin, twipsPerPixelX);
    const int width = this->width() - 2 * left;
    const int top = Command1->geometry().bottom() + left;
    const int height = LabelNotice->heightForWidth(width);
    LabelNotice->setGeometry(left, top, width, height);
    setFixedHeight(qMax(this->height(), top + height + left));
}

void FormMon::Command1_Click()
{
    m_main->engine().stop();
    Settings.TopM = qMax(0, pos().y()) * twipsPerPixelY;
    Settings.LeftM = qMax(0, pos().x()) * twipsPerPixelX;
    hide();
    m_main->show();
}

void FormMon::closeEvent(QCloseEvent *event)
{
    // Closing the window by its frame is the Stop button: a run must never lose its window
    // while it goes on.
    event->ignore();
    Command1_Click();
}
