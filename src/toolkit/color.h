// Colour values as the diagram uses them: 0x00BBGGRR, blue in the high byte, red in the low byte.
#pragma once

#include <cstdint>

using TColor = std::uint32_t;

constexpr TColor MakeColor(int red, int green, int blue) {
  return static_cast<TColor>((blue & 0xFF) << 16 | (green & 0xFF) << 8 | (red & 0xFF));
}
constexpr int RedOf(TColor color) { return static_cast<int>(color & 0xFF); }
constexpr int GreenOf(TColor color) { return static_cast<int>((color >> 8) & 0xFF); }
constexpr int BlueOf(TColor color) { return static_cast<int>((color >> 16) & 0xFF); }

constexpr TColor clrBlack = 0x000000;
constexpr TColor clrWhite = 0xFFFFFF;
constexpr TColor clrSilver = 0xC0C0C0;
constexpr TColor clrGray = 0x808080;
constexpr TColor clrRed = 0x0000FF;
constexpr TColor clrGreen = 0x008000;
constexpr TColor clrBlue = 0xFF0000;
