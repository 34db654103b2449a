// Twips (1/1440 inch) against screen pixels: the settings file keeps window places, and the
// lyric window its size, in twips; the windows themselves work in pixels.
#pragma once

#include "LayoutMath.h"

#include <QPoint>
#include <QSize>
#include <algorithm>

// A plain value, any thread.
class ScreenUnits {
public:
    ScreenUnits() = default;  // 96 dpi

    // Whole twips per pixel, at least 1, from a logical resolution (none known: 96 dpi).
    static ScreenUnits FromLogicalDpi(double dpiX, double dpiY) {
        ScreenUnits u;
        u.x_ = perPixel(dpiX);
        u.y_ = perPixel(dpiY);
        return u;
    }
    template <class PaintDevice> static ScreenUnits Of(const PaintDevice& device) {
        return FromLogicalDpi(device.logicalDpiX(), device.logicalDpiY());
    }

    int twipsPerPixelX() const { return x_; }
    int twipsPerPixelY() const { return y_; }

    // Positions and offsets: the fraction of a pixel is dropped.
    QPoint toPixels(QPoint twips) const { return {twips.x() / x_, twips.y() / y_}; }
    QSize toPixels(QSize twips) const { return {twips.width() / x_, twips.height() / y_}; }
    // Sizes: the nearest pixel.
    QSize toPixelsRounded(QSize twips) const {
        return {LayoutMath::RoundEven(static_cast<double>(twips.width()) / x_),
                LayoutMath::RoundEven(static_cast<double>(twips.height()) / y_)};
    }
    QSize toTwips(QSize pixels) const { return {pixels.width() * x_, pixels.height() * y_}; }
    // A position as the 16-bit settings hold it.
    QPoint toTwips16(QPoint pixels) const {
        return {LayoutMath::Clamp16(static_cast<double>(pixels.x()) * x_),
                LayoutMath::Clamp16(static_cast<double>(pixels.y()) * y_)};
    }
    // The farthest pixel whose twips still fit a 16-bit setting.
    QPoint maxPixels16() const { return {32767 / x_, 32767 / y_}; }

private:
    static int perPixel(double dpi) {
        return std::max(1, LayoutMath::RoundEven(1440 / (dpi > 0 ? dpi : 96)));
    }

    int x_ = 15;
    int y_ = 15;
};
