#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The play-time label, its tool tip, the filled part of the seek bar and the seek gesture.
// The elapsed time is the program's own count of half-second ticks; the remaining time and the
// bar follow the engine's position.
class TimeDisplay {
public:
    static constexpr int kTickMilliseconds = 500;
    static constexpr double kTickSeconds = 0.5;
    static constexpr int16_t kElapsed = 0;  // DispTimeType
    static constexpr int16_t kRemaining = 1;

    // Elapsed: the ticked seconds with the fraction dropped. Remaining: "‐" (U+2010) and the
    // length less the position.
    static QString PlayTimeText(int16_t dispTimeType, double elapsedSeconds, int32_t totalSeconds,
                                int32_t playSecond);
    // The label between songs and after a stop: "00:00" or "‐00:00".
    static QString ResetText(int16_t dispTimeType);
    static QString ToolTipText(int32_t totalSeconds);  // "Total 03:20"

    // Width of the filled part: 0 for a length below one second, else the position's share of
    // the bar, rounded to whole pixels.
    static int FilledWidth(int32_t totalSeconds, int32_t playSecond, int barWidth);

    // The filled width a press at `x` previews: the left button while playing; nothing
    // otherwise.
    static std::optional<int> PreviewWidth(bool leftButton, int32_t engineState, double x);
    // Whether a press or release at `x` (pixels from the bar's left edge) takes part in seeking:
    // the left button while playing (state 1), over the bar.
    static bool SeekApplies(bool leftButton, int32_t engineState, double x, int barWidth);
    // The second a release at `x` seeks to: x / width × length, halves to even; nothing when
    // the release does not apply.
    static std::optional<int32_t> SeekTarget(bool leftButton, int32_t engineState, double x,
                                             int barWidth, int32_t totalSeconds);

    static double RoundHalfToEven(double value);
};
