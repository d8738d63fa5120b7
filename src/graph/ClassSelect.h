#pragma once

#include <QRect>
#include <QtGlobal>

#include <functional>

// The rubber-band rectangle dragged on the plot, in plot pixels. It grows only to the right
// and downwards from the press point, and a drag too small to mean an area is never shown.
class ClassSelect
{
public:
    bool Visible() const { return m_visible; }
    // Showing takes effect only for (Width >= 4 and Height > 0) or (Width >= 1 and
    // Height >= 4); every change of the visible state is reported.
    void setVisible(bool on);
    bool DragStart = false;
    qint16 Left = 0;
    qint16 Top = 0;
    qint16 Width() const { return m_width; }
    qint16 Height() const { return m_height; }
    // Sizes below 1 are stored as 1.
    void setWidth(int width);
    void setHeight(int height);
    QRect rect() const { return QRect(Left, Top, m_width, m_height); }

    // Called with the new state whenever Visible changes, and when a visible rectangle moves.
    std::function<void()> changed;

private:
    void report();

    bool m_visible = false;
    qint16 m_width = 1;
    qint16 m_height = 1;
};
