#include "playback/TimeDisplay.h"

#include "core/modZAUtil.h"

#include <cmath>

namespace {

const QString kRemainingMark = QStringLiteral("\u2010");

}  // namespace

QString TimeDisplay::PlayTimeText(int16_t dispTimeType, double elapsedSeconds, int32_t totalSeconds,
                                  int32_t playSecond) {
    if (dispTimeType == kElapsed)
        return modZAUtil::FormatSeconds(static_cast<int32_t>(std::trunc(elapsedSeconds)));
    return kRemainingMark + modZAUtil::FormatSeconds(totalSeconds - playSecond);
}

QString TimeDisplay::ResetText(int16_t dispTimeType) {
    if (dispTimeType == kElapsed)
        return QStringLiteral("00:00");
    return kRemainingMark + QStringLiteral("00:00");
}

QString TimeDisplay::ToolTipText(int32_t totalSeconds) {
    return QStringLiteral("Total ") + modZAUtil::FormatSeconds(totalSeconds);
}

int TimeDisplay::FilledWidth(int32_t totalSeconds, int32_t playSecond, int barWidth) {
    if (totalSeconds < 1)
        return 0;
    const double width = static_cast<double>(playSecond) / totalSeconds * barWidth;
    return static_cast<int>(std::lround(width));
}

std::optional<int> TimeDisplay::PreviewWidth(bool leftButton, int32_t engineState, double x) {
    if (!leftButton || engineState != 1)
        return std::nullopt;
    return x > 0 ? static_cast<int>(std::lround(x)) : 0;
}

bool TimeDisplay::SeekApplies(bool leftButton, int32_t engineState, double x, int barWidth) {
    return leftButton && engineState == 1 && x >= 0 && x < barWidth;
}

std::optional<int32_t> TimeDisplay::SeekTarget(bool leftButton, int32_t engineState, double x,
                                               int barWidth, int32_t totalSeconds) {
    if (!SeekApplies(leftButton, engineState, x, barWidth))
        return std::nullopt;
    // Multiplying first keeps a release that lies exactly on a half second exact, so it rounds
    // to even and not by the error of x / width.
    return static_cast<int32_t>(RoundHalfToEven(x * totalSeconds / barWidth));
}

double TimeDisplay::RoundHalfToEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5)
        return below + 1;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1;
}
