#pragma once

// Window positions and sizes are designed in twips; the screen has 15 twips
// to the pixel.
inline constexpr int kTwipsPerPixel = 15;

inline constexpr int Px(int twips) {
    return twips / kTwipsPerPixel;
}
inline constexpr int Twips(int pixels) {
    return pixels * kTwipsPerPixel;
}
