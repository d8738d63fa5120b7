#include "ClassSelect.h"

#include <algorithm>

void ClassSelect::setVisible(bool on)
{
    const bool shown = on && ((m_width >= 4 && m_height > 0) || (m_width >= 1 && m_height >= 4));
    if (shown == m_visible)
        return;
    m_visible = shown;
    report();
}

void ClassSelect::setWidth(int width)
{
    m_width = qint16(std::clamp(width, 1, 32767));
    if (m_visible)
        report();
}

void ClassSelect::setHeight(int height)
{
    m_height = qint16(std::clamp(height, 1, 32767));
    if (m_visible)
        report();
}

void ClassSelect::report()
{
    if (changed)
        changed();
}
