#pragma once

// The call windows are drawn in twips, 15 to the pixel.
namespace Twips {

inline constexpr int kPerPixel = 15;

constexpr int px(int twips)
{
    return twips / kPerPixel;
}

} // namespace Twips
