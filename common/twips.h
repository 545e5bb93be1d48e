#pragma once

#include <QRect>

// Window positions and sizes are designed in twips; the screen has 15 twips
// to the pixel.
inline constexpr int kTwipsPerPixel = 15;

inline constexpr int Px(int twips) {
    return twips / kTwipsPerPixel;
}
inline constexpr int Twips(int pixels) {
    return pixels * kTwipsPerPixel;
}
// A place designed in twips, in pixels.
inline constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return {Px(left), Px(top), Px(width), Px(height)};
}
