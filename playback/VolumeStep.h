#pragma once

#include "playback/VolumeControl.h"

#include <QString>
#include <cstdint>

// The quick soft-volume change of the volume keys and the short-lived "vol." label.
class VolumeStep {
public:
    static constexpr int32_t kKeyStep = 5;  // the volume keys step by ±5
    static constexpr int kLabelMilliseconds =
        2000;  // the label hides this long after the last change

    // The soft volume after a step. A positive step with exactly one channel at 0 raises only
    // the other one (a balance set fully to one side stays so); otherwise both channels move.
    // Each channel then snaps to a multiple of the step, halves to even. No bounds are applied;
    // a zero step changes nothing.
    static StereoVolume Apply(StereoVolume volume, int32_t step);

    // Reads the soft volume, applies the step and gives the result to the library.
    static StereoVolume ChangeSoftVolume(VolumeControl& control, int32_t step);

    // "vol." and the larger channel, e.g. "vol.85".
    static QString LabelText(StereoVolume volume);

    // value / step rounded to the nearest integer, halves to even, times step; exact for every
    // 32-bit value.
    static int64_t SnapToStep(int64_t value, int32_t step);
};
