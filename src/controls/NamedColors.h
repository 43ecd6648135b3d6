#pragma once

#include <QRgb>

namespace controls {

// The named colours the windows are designed with.
constexpr QRgb clBlack = qRgb(0, 0, 0);
constexpr QRgb clMaroon = qRgb(128, 0, 0);
constexpr QRgb clGreen = qRgb(0, 128, 0);
constexpr QRgb clRed = qRgb(255, 0, 0);
constexpr QRgb clYellow = qRgb(255, 255, 0);
constexpr QRgb clSilver = qRgb(192, 192, 192);
constexpr QRgb clGray = qRgb(128, 128, 128);
constexpr QRgb clWhite = qRgb(255, 255, 255);
constexpr QRgb clBlue = qRgb(0, 0, 255);

} // namespace controls
