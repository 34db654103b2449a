#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

// A colour of the scheme as the settings store it: 0x00BBGGRR, or a system colour (high bit
// set, the low byte naming a Windows system colour, stored as a negative number), which takes
// the matching role of the palette. Any thread; the palette is the caller's.
namespace SchemeColor {

QColor ToQColor(int32_t stored, const QPalette& system);
// The stored form of a chosen colour (never a system colour); the alpha is dropped.
int32_t FromQColor(const QColor& color);

}  // namespace SchemeColor
