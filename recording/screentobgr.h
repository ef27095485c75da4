#pragma once
// The window's picture as the scaler takes it: 24-bit pixels in B, G, R byte
// order, rows top-down and packed without gaps.

#include <QImage>

#include <cstdint>

namespace scrivel {

// Fills `destination` (width x height x 3 bytes) from the top-left width x
// height pixels of `picture`, a picture of the note window's client area.
// `x` and `y` are kept for the caller's sake and not used. Pixels that the
// picture does not have (a null or smaller picture) are the canvas's white.
void screen_to_bgr(const QImage& picture, int x, int y, int width, int height, uint8_t* destination);

}  // namespace scrivel
