#pragma once

#include <QRect>

// Layouts are given in twips; 15 twips are one pixel at 96 dpi (Qt scales for high-dpi screens).
constexpr int Twips(int twips)
{
    return (twips + 7) / 15;
}

inline QRect TwipsRect(int left, int top, int width, int height)
{
    return {Twips(left), Twips(top), Twips(width), Twips(height)};
}
